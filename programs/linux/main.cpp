// The process entry of the hosted program on a real screen: the program's
// own options are read, the SDL display is installed (at the scale and in
// the window or full screen they ask for) and WinMain runs as a hosted
// process, its result the exit code. SIGINT, SIGTERM and SIGHUP end the game
// as the player would, with exit code 128 + the signal; a screen that goes
// away ends it with exit code 1; a recording that cannot be written is said
// when it fails, and the exit code is 1 then, where it would have been 0.
// Every game played is also kept among the kept runs (kept_runs.h), unless
// --no-keep says not to; a kept run that cannot be written is said once, and
// the game goes on as if nothing had happened. A watched recording is first
// checked on the headless display, and its verdict said on standard output,
// as the web page says it; a run that does not verify is shown all the same.
// The line-up (--players, or a watched recording's own) reaches the game as
// its command line, "--players N", as the genuine program's does; the SDL
// display learns it too, to fold each player's pad and pointers. A race's
// ghosts (--race) are made on the headless display before any window opens
// and reach the game on its command line too (runs/race/race.h); the race
// is played on their cave, and recorded and kept with them. Whether the sound
// is muted comes from the settings (settings.h) or --mute, and a change made
// with M is kept there when the game ends.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/display/sdl/sdl_display.h"
#include "platform/hosted/process.h"
#include "programs/linux/kept_runs.h"
#include "programs/linux/options.h"
#include "programs/linux/settings.h"
#include "runs/race/race.h"
#include "runs/runs.h"

namespace {

std::string KeptRunsFolder() {
  return program::RunsFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

// cave --runs: the table, or one line when there is nothing to list.
int ListRuns() {
  std::string folder = KeptRunsFolder();
  std::vector<program::KeptRun> runs = program::ReadRuns(folder);
  if (folder.empty())
    std::printf("no kept runs: neither XDG_DATA_HOME nor HOME is set\n");
  else if (runs.empty())
    std::printf("no kept runs in %s\n", folder.c_str());
  else
    std::fputs(program::RunsTable(runs).c_str(), stdout);
  return 0;
}

// The recording that --watch or --race names: a file that exists, a run
// link, a kept run (best, last, a rank), or else a file; false with a
// one-line problem.
bool FindRun(const std::string& which, runs::Recording* watched, std::string* problem) {
  struct stat status;
  bool exists = stat(which.c_str(), &status) == 0;
  std::string path = which;
  if (!exists && runs::LooksLikeRunLink(which)) {
    runs::LinkRefusal refusal;
    if (runs::DecodeRunLink(which, watched, &refusal)) return true;
    *problem = "not a run link: " + runs::RefusalLine(refusal);
    return false;
  }
  if (!exists && program::IsRunChoice(which)) {
    std::string folder = KeptRunsFolder(), name;
    if (!program::ChooseRun(program::ReadRuns(folder), which, &name, problem)) return false;
    path = folder + "/" + name;
  }
  return runs::ReadRecording(path, watched, problem);
}

// Opens the file that --record names and a new kept run (unless --no-keep),
// removing the old runs first; false with a one-line problem when the file
// of --record cannot be opened. A kept run that cannot be made is said on
// standard error, and the game is played without it.
bool OpenRecordings(const program::Options& options, runs::RecordingWriter* files,
                    std::string* keptPath, std::string* problem) {
  if (!options.record.empty() && !files->Open(options.record, problem)) return false;
  if (!options.keep) return true;
  std::string folder = KeptRunsFolder(), trouble;
  if (!program::PruneRuns(folder, &trouble)) std::fprintf(stderr, "cave: %s\n", trouble.c_str());
  auto now = std::chrono::system_clock::now().time_since_epoch();
  std::FILE* kept =
      program::CreateRun(folder, std::chrono::duration_cast<std::chrono::milliseconds>(now).count(),
                         keptPath, &trouble);
  if (kept == nullptr) {
    std::fprintf(stderr, "cave: this game is not kept: %s\n", trouble.c_str());
    keptPath->clear();
    return true;
  }
  files->Add(kept, *keptPath);
  return true;
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
  if (options.action == program::Options::Action::kRuns) return ListRuns();
  // What is watched is read before any window opens.
  runs::Recording watched;
  if (!options.watch.empty() && !FindRun(options.watch, &watched, &problem)) {
    std::fprintf(stderr, "cave: %s\n", problem.c_str());
    return 2;
  }
  std::vector<race::Ghost> ghosts(options.races.size());
  for (size_t n = 0; n < ghosts.size(); ++n) {
    runs::Recording raced;
    if (!FindRun(options.races[n], &raced, &problem)) {
      std::fprintf(stderr, "cave: %s\n", problem.c_str());
      return 2;
    }
    if (!race::MakeGhost(raced, &ghosts[n], &problem)) {
      std::fprintf(stderr, "cave: ghost %zu '%s' %s\n", n + 1, options.races[n].c_str(),
                   problem.c_str());
      return 2;
    }
  }
  if (!race::Together(ghosts, &problem)) {
    std::fprintf(stderr, "cave: %s\n", problem.c_str());
    return 2;
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
  std::string settings = program::SettingsFile(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  const bool muted = options.mute || (!settings.empty() && program::ReadMuted(settings));
  display.SetMuted(muted);
  display.SetRumble(options.rumble);
  if (!options.watch.empty()) {
    // One process at a time: the check has ended before the game is shown.
    headless::HeadlessDisplay checker(watched.tick);
    std::printf("%s\n", runs::VerdictLine(race::Check(checker, &checker, watched)).c_str());
    std::fflush(stdout);
    // A watched race is shown with its ghosts, when they can be made.
    if (!race::RaceGhosts(watched, &ghosts, &problem)) ghosts.clear();
  }
  // The SDL display is the process's hooks as well: it asks for the end on a
  // signal.
  recording::RecordingDisplay shown(display, &display);

  // Watching records nothing; a game played is recorded into the file of
  // --record and kept, both from the one recording.
  runs::RecordingWriter files([&options](const std::string& path, int error) {
    std::fprintf(stderr, "cave: cannot write the %s '%s': %s\n",
                 path == options.record ? "recording" : "kept run", path.c_str(),
                 std::strerror(error));
  });
  std::string keptPath;
  // A watched game is played with its own line-up.
  int32_t players = options.watch.empty() ? options.players : watched.players;
  if (!options.watch.empty()) {
    shown.Play(watched);
    shown.SetSpeed(options.speed);
  } else {
    display.SetPlayers(players);
    if (!OpenRecordings(options, &files, &keptPath, &problem)) {
      std::fprintf(stderr, "cave: %s\n", problem.c_str());
      return 2;
    }
    // A game without --tick keeps the tick count that it would have started
    // with; a race has its ghosts'.
    uint32_t tick = !ghosts.empty()     ? ghosts[0].tick
                    : options.tickGiven ? options.tick
                                        : shown.TickCount();
    if (options.tickGiven || !ghosts.empty() || !files.Empty()) shown.SetStartTick(tick);
    if (!files.Empty()) shown.Record(files, tick, players, race::GhostTexts(ghosts));
  }

  int code = hosted::RunWinMain(shown, &shown, race::CommandLine(players, ghosts).c_str());
  if (display.Muted() != muted && !settings.empty() &&
      !program::WriteMuted(settings, display.Muted(), &problem))
    std::fprintf(stderr, "cave: %s\n", problem.c_str());
  // A game that a signal ended has no end of its own: the recording stops
  // with the signal's name.
  int signal = display.EndingSignal();
  if (signal != 0)
    shown.FinishInterrupted(std::string("SIG") + sigabbrev_np(signal));
  else
    shown.Finish(code);
  files.Close();
  // A game that never took a snapshot (no screen to play on) is no run, and
  // a run cut short by a failed write would stay in the folder as a broken
  // file for good.
  if (!keptPath.empty() && (files.Snapshots() == 0 || files.Failed(keptPath)))
    std::remove(keptPath.c_str());
  if (!options.record.empty() && files.Failed(options.record) && code == 0) code = 1;
  return code;
}
