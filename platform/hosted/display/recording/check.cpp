// A check: a recording replayed on a display of the caller's, and judged.
#include "platform/hosted/display/recording/recording_display.h"

namespace recording {

runs::Verdict Check(hosted::Display& display, hosted::ProcessHooks* hooks,
                    const runs::Recording& recorded, runs::Replayed* replayed) {
  RecordingDisplay shown(display, hooks);
  shown.Play(recorded, RecordingDisplay::Playback::kCheck);
  shown.Finish(
      hosted::RunWinMain(shown, &shown, runs::LineUpCommandLine(recorded.players).c_str()));
  runs::Replayed what = shown.Replayed();
  if (replayed != nullptr) *replayed = what;
  return runs::Judge(recorded, what);
}

}  // namespace recording
