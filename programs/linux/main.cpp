// The process entry of the hosted program on a real screen: the program's
// own options are read, the SDL display is installed (at the scale and in
// the window or full screen they ask for) and WinMain runs as a hosted
// process, its result the exit code. SIGINT, SIGTERM and SIGHUP end the game
// as the player would, with exit code 128 + the signal; a screen that goes
// away ends it with exit code 1; a recording that cannot be written is said
// when it fails, and the exit code is 1 then, where it would have been 0.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/display/sdl/sdl_display.h"
#include "platform/hosted/process.h"
#include "programs/linux/options.h"

namespace {

// --tick, --record and --watch, on the display around the SDL display: false
// with a one-line problem when the file to record or to watch is unusable.
bool SetUpRecording(const program::Options& options, recording::RecordingDisplay* shown,
                    std::string* problem) {
  if (!options.watch.empty()) return shown->PlayFrom(options.watch, problem);
  if (!options.tickGiven && options.record.empty()) return true;
  // A recording without --tick keeps the tick count that the game would
  // have started with.
  uint32_t tick = options.tickGiven ? options.tick : shown->TickCount();
  shown->SetStartTick(tick);
  return options.record.empty() || shown->RecordTo(options.record, tick, problem);
}

}  // namespace

int main(int argc, char** argv) {
  program::Options options;
  std::string problem;
  if (!program::ParseOptions(argc, argv, &options, &problem)) {
    std::fprintf(stderr, "cave: %s\n%s", problem.c_str(), program::Usage().c_str());
    return 2;
  }
  if (options.action == program::Options::Action::kHelp) {
    std::fputs(program::Usage().c_str(), stdout);
    return 0;
  }
  if (options.action == program::Options::Action::kVersion) {
    std::printf("%s\n", program::VersionLine().c_str());
    return 0;
  }
  sdl::SdlDisplay display;
  display.EndWhenScreenLost("cave: the display went away");
  display.EndOnSignals();
  // The scale and full screen are the display's; the screen decides how
  // large a scale may be, before any window opens.
  if (!display.SetScale(options.scale)) {
    std::fprintf(stderr, "cave: --scale %d is too large for this screen, which allows 1 to %d\n%s",
                 static_cast<int>(options.scale), static_cast<int>(display.LargestScale()),
                 program::Usage().c_str());
    return 2;
  }
  if (options.fullscreen) display.StartInFullScreen();
  recording::RecordingDisplay shown(display);
  shown.OnWriteFailure(
      [](const std::string& failure) { std::fprintf(stderr, "cave: %s\n", failure.c_str()); });
  if (!SetUpRecording(options, &shown, &problem)) {
    std::fprintf(stderr, "cave: %s\n", problem.c_str());
    return 2;
  }
  int code = hosted::RunWinMain(shown, &shown);
  // A game that a signal ended has no end of its own: the recording stops
  // with the signal's name.
  int signal = display.EndingSignal();
  bool written = signal != 0 ? shown.FinishInterrupted(std::string("SIG") + sigabbrev_np(signal))
                             : shown.Finish(code);
  if (!written && code == 0) code = 1;
  return code;
}
