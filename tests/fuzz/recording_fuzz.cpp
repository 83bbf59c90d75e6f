// libFuzzer target: the input is read as a recording. A malformed one must
// be refused with a problem naming its line; a well-formed one, written back,
// must read the same again and write the same text again. The input is read
// as a run link as well: refused as one, or a recording that links back to
// the same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runs/runs.h"

namespace {

// A broken expectation is a crash: libFuzzer keeps the input that shows it.
void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  runs::Recording read, linked, again;
  runs::LinkRefusal refusal;
  std::string problem, linkedText, fragment, back;
  if (runs::DecodeRunLink(text, &linked, &refusal, &linkedText)) {
    Check(runs::ParseRecording(linkedText, &again, &problem) && again == linked,
          "a link's recording is its text's");
    Check(runs::EncodeRunLink(linkedText, &fragment, &refusal), "what a link holds links again");
    Check(runs::DecodeRunLink(fragment, &again, &refusal, &back) && back == linkedText,
          "and reads back");
  } else {
    Check(refusal.kind != runs::LinkRefusal::Kind::kNone && !runs::RefusalLine(refusal).empty(),
          "a refused link says why");
  }
  if (!runs::ParseRecording(text, &read, &problem)) {
    Check(problem.rfind("line ", 0) == 0, "a refusal names the line");
    return 0;
  }
  const std::string written = runs::RecordingText(read);
  Check(runs::ParseRecording(written, &again, &problem), "what was written reads again");
  Check(again == read, "what was written reads the same");
  Check(runs::RecordingText(again) == written, "writing it again gives the same text");
  return 0;
}
