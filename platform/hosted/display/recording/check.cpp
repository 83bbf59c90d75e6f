// A check: a recording replayed on a display of the caller's, and judged.
#include "platform/hosted/display/recording/recording_display.h"

namespace recording {

runs::Verdict Check(hosted::Display& display, hosted::ProcessHooks* hooks,
                    const runs::Recording& recorded, runs::Replayed* replayed,
                    std::string_view more) {
  RecordingDisplay shown(display, hooks);
  shown.Play(recorded, RecordingDisplay::Playback::kCheck);
  std::string commandLine = runs::LineUpCommandLine(recorded.players);
  if (!commandLine.empty() && !more.empty()) commandLine += " ";
  commandLine += more;
  shown.Finish(hosted::RunWinMain(shown, &shown, commandLine.c_str()));
  runs::Replayed what = shown.Replayed();
  if (replayed != nullptr) *replayed = what;
  return runs::Judge(recorded, what);
}

}  // namespace recording
