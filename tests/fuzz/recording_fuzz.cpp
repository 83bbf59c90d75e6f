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

#include "platform/hosted/display/recording/recording.h"
#include "programs/linux/run_link.h"

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
  recording::Recording read;
  std::string problem, linked, fragment, back;
  if (program::DecodeRunLink(text, &linked, &problem)) {
    Check(program::EncodeRunLink(linked, &fragment, &problem), "what a link holds links again");
    Check(program::DecodeRunLink(fragment, &back, &problem) && back == linked, "and reads back");
  } else {
    Check(problem.rfind("not a run link: ", 0) == 0, "a refused link says so");
  }
  if (!recording::ParseRecording(text, &read, &problem)) {
    Check(problem.rfind("line ", 0) == 0, "a refusal names the line");
    return 0;
  }
  const std::string written = recording::RecordingText(read);
  recording::Recording again;
  Check(recording::ParseRecording(written, &again, &problem), "what was written reads again");
  Check(again == read, "what was written reads the same");
  Check(recording::RecordingText(again) == written, "writing it again gives the same text");
  return 0;
}
