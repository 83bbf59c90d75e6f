// Kept runs: the recording of every game the Linux program plays, kept in
// the player's data folder so that the best and the latest can be listed
// (cave --runs) and watched again (cave --watch best).
//
// The folder is $XDG_DATA_HOME/cave/runs/, or ~/.local/share/cave/runs/
// when XDG_DATA_HOME is unset, empty or not an absolute path. Each game is
// one recording named as runs::RunName names it, by the time it started;
// what is kept is the runs library's keep policy (runs::RunsToDrop), applied
// when the next game starts. A file of the folder that is not named so
// (foreign), or that is no recording (unreadable), is not a run: it is never
// removed, and listed as what it is.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace program {

// A file of the runs folder.
struct KeptRun {
  std::string name;              // the file's name in the folder
  bool run = false;              // named as a run and a well-formed recording
  std::string problem;           // why it is not a run: "foreign: ..." or "unreadable: ..."
  bool scored = false;           // its last box has a score line
  int points = 0;                // the best player's
  int32_t players = 1;           // its line-up
  std::vector<int> scores = {};  // every player's points, with several players
  std::vector<int> ghosts = {};  // a race's ghosts' points
  size_t snapshots = 0;
  int64_t started = 0;  // seconds since 1970 (UTC), from the name
};

// Makes `folder` and the folders above it that are missing, each for the
// player alone, as the data folders of a desktop are; false with a one-line
// problem when one cannot be made.
bool MakeFolders(const std::string& folder, std::string* problem);

// The runs folder for the values of XDG_DATA_HOME and HOME (either may be
// none); empty when neither gives one.
std::string RunsFolder(const char* dataHome, const char* home);

// Every file of `folder`, in the order of cave --runs: the runs with a score,
// best first (the earlier first when two have the same points), then the
// runs without one, newest first, then the files that are not runs, by
// name. Empty when the folder is missing or holds nothing.
std::vector<KeptRun> ReadRuns(const std::string& folder);

// The names of the runs of `runs` that the keep policy drops; never a file
// that is not a run.
std::vector<std::string> RunsToRemove(const std::vector<KeptRun>& runs);

// Removes what RunsToRemove names from `folder`; false with a one-line
// problem naming the first file that could not be removed.
bool PruneRuns(const std::string& folder, std::string* problem);

// Makes `folder` (and its parents) and creates a new, empty run in it, named
// by `millisecondsSince1970`, for writing; none with a one-line problem
// when that cannot be done. Never opens a file that exists.
std::FILE* CreateRun(const std::string& folder, int64_t millisecondsSince1970, std::string* path,
                     std::string* problem);

// The table that cave --runs prints, with a header line: rank, points (the
// best player's), date and time (local time), length (m:ss of the snapshots
// at the game's frame rate) and file name, after which a run of several
// players says how many and every player's points ("  2 players: 12, 30"),
// and a race its ghosts' points ("  race against 323, 157");
// the files that are not runs last, without rank, each
// with what it is ("foreign: ..." or "unreadable: ...").
std::string RunsTable(const std::vector<KeptRun>& runs);

// The run that cave --watch names by `which`: "best" (rank 1), "last" (the
// latest) or a rank of cave --runs; false with a one-line problem when there
// is none such. `which` must be one of these (IsRunChoice).
bool ChooseRun(const std::vector<KeptRun>& runs, std::string_view which, std::string* name,
               std::string* problem);
bool IsRunChoice(std::string_view which);

}  // namespace program
