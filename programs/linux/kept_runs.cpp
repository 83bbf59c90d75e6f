// Kept runs: the folder, what is removed from it, the list and the choice.
#include "programs/linux/kept_runs.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "runs/runs.h"

namespace program {
namespace {

// The game asks its screen for 30 frames a second, which paces a frame as
// just over 1/31 s (the counter's frequency divided by the rate + 1), and it
// takes one keyboard snapshot a frame: 31 snapshots are a second of play.
constexpr size_t kSnapshotsPerSecond = 31;

bool Digits(std::string_view text, int* value) {
  *value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + (c - '0');
  }
  return !text.empty();
}

// The scored runs best first, the earlier first on a tie; the others newest
// first; the files that are not runs by name.
bool ListedBefore(const KeptRun& a, const KeptRun& b) {
  if (a.run != b.run) return a.run;
  if (!a.run) return a.name < b.name;
  if (a.scored != b.scored) return a.scored;
  if (a.scored && a.points != b.points) return a.points > b.points;
  return a.scored ? a.name < b.name : a.name > b.name;
}

// Columns padded to their widest cell, the numbers to the right; the last
// column as it is.
std::string Table(const std::vector<std::vector<std::string>>& rows,
                  std::string_view rightAligned) {
  std::vector<size_t> widths;
  for (const auto& row : rows)
    for (size_t column = 0; column < row.size(); ++column) {
      widths.resize(std::max(widths.size(), column + 1));
      widths[column] = std::max(widths[column], row[column].size());
    }
  std::string text;
  for (const auto& row : rows) {
    for (size_t column = 0; column < row.size(); ++column) {
      std::string gap(widths[column] - row[column].size(), ' ');
      bool last = column + 1 == row.size();
      if (rightAligned.find(static_cast<char>('0' + column)) != std::string_view::npos)
        text += gap + row[column];
      else
        text += row[column] + (last ? "" : gap);
      text += last ? "\n" : "  ";
    }
  }
  return text;
}

std::string LocalTime(int64_t secondsSince1970) {
  time_t seconds = static_cast<time_t>(secondsSince1970);
  struct tm local {};
  char text[32];
  if (localtime_r(&seconds, &local) == nullptr ||
      std::strftime(text, sizeof text, "%Y-%m-%d  %H:%M:%S", &local) == 0)
    return "?";
  return text;
}

std::string Length(size_t snapshots) {
  size_t seconds = (snapshots + kSnapshotsPerSecond / 2) / kSnapshotsPerSecond;
  std::string secondsText = std::to_string(seconds % 60);
  return std::to_string(seconds / 60) + ":" + (secondsText.size() < 2 ? "0" : "") + secondsText;
}

// "  2 players: 12, 30" after a run of several players, "  race against
// 323" after a race; nothing for one player's game.
std::string LineUp(const KeptRun& run) {
  std::string text;
  auto list = [&text](const std::string& what, const char* before, const std::vector<int>& points) {
    text += "  " + what;
    for (size_t i = 0; i < points.size(); ++i)
      text += (i == 0 ? before : ", ") + std::to_string(points[i]);
  };
  if (run.players > 1) list(std::to_string(run.players) + " players", ": ", run.scores);
  if (!run.ghosts.empty()) list("race against", " ", run.ghosts);
  return text;
}

}  // namespace

bool MakeFolders(const std::string& folder, std::string* problem) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      *problem = "cannot make the folder '" + part + "': " + std::strerror(errno);
      return false;
    }
    if (slash == std::string::npos) return true;
  }
}

std::string RunsFolder(const char* dataHome, const char* home) {
  if (dataHome != nullptr && dataHome[0] == '/') return std::string(dataHome) + "/cave/runs";
  if (home != nullptr && home[0] != 0) return std::string(home) + "/.local/share/cave/runs";
  return "";
}

std::vector<KeptRun> ReadRuns(const std::string& folder) {
  std::vector<KeptRun> files;
  DIR* directory = opendir(folder.c_str());
  if (directory == nullptr) return files;
  while (const dirent* entry = readdir(directory)) {
    KeptRun run;
    run.name = entry->d_name;
    if (run.name == "." || run.name == "..") continue;
    std::string text;
    runs::Recording read;
    std::string line;
    if (!runs::RunStart(run.name, &run.started)) {
      run.problem = "foreign: not named as a run";
    } else if (!runs::ReadFile(folder + "/" + run.name, &text, &run.problem) ||
               !runs::ParseRecording(text, &read, &run.problem)) {
      run.problem = "unreadable: " + run.problem;
    } else {
      run.run = true;
      run.scored = runs::Score(read, &run.points, &line);
      run.players = read.players;
      if (read.players > 1)
        for (const runs::PlayerScore& score : runs::Scores(read))
          run.scores.push_back(score.points);
      for (const runs::PlayerScore& score : runs::GhostScores(read))
        run.ghosts.push_back(score.points);
      run.snapshots = read.snapshots.size();
    }
    files.push_back(std::move(run));
  }
  closedir(directory);
  std::sort(files.begin(), files.end(), ListedBefore);
  return files;
}

// The runs ranked as the keep policy sees them: their names sort by time.
std::vector<std::string> RunsToRemove(const std::vector<KeptRun>& files) {
  std::vector<const KeptRun*> named;
  for (const KeptRun& run : files)
    if (run.run) named.push_back(&run);
  std::sort(named.begin(), named.end(), [](auto a, auto b) { return a->name < b->name; });
  std::vector<runs::RunRank> ranks;
  for (const KeptRun* run : named)
    ranks.push_back({static_cast<int64_t>(ranks.size()), run->scored, run->points, run->players});
  std::vector<std::string> removed;
  for (size_t index : runs::RunsToDrop(ranks)) removed.push_back(named[index]->name);
  return removed;
}

bool PruneRuns(const std::string& folder, std::string* problem) {
  for (const std::string& name : RunsToRemove(ReadRuns(folder))) {
    std::string path = folder + "/" + name;
    if (std::remove(path.c_str()) != 0) {
      *problem = "cannot remove the old run '" + path + "': " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

std::FILE* CreateRun(const std::string& folder, int64_t millisecondsSince1970, std::string* path,
                     std::string* problem) {
  if (folder.empty()) {
    *problem = "no folder for the runs: neither XDG_DATA_HOME nor HOME is set";
    return nullptr;
  }
  if (!MakeFolders(folder, problem)) return nullptr;
  for (char suffix = 'a'; suffix <= 'z'; ++suffix) {
    *path = folder + "/" + runs::RunName(millisecondsSince1970, suffix == 'a' ? 0 : suffix);
    // "x": never a file that exists; "e": not inherited by the message box's process.
    if (std::FILE* file = std::fopen(path->c_str(), "wbxe")) return file;
    if (errno != EEXIST) break;
  }
  *problem = "cannot create the run '" + *path + "': " + std::strerror(errno);
  return nullptr;
}

std::string RunsTable(const std::vector<KeptRun>& runs) {
  std::vector<std::vector<std::string>> rows = {
      {"rank", "points", "date        time", "length", "file"}};
  int rank = 0;
  for (const KeptRun& run : runs) {
    if (!run.run) {
      rows.push_back({"", "", "", "", run.name + " (" + run.problem + ")"});
      continue;
    }
    rows.push_back({std::to_string(++rank), run.scored ? std::to_string(run.points) : "-",
                    LocalTime(run.started), Length(run.snapshots), run.name + LineUp(run)});
  }
  return Table(rows, "013");
}

bool IsRunChoice(std::string_view which) {
  int rank = 0;
  return which == "best" || which == "last" || (which.size() <= 9 && Digits(which, &rank));
}

bool ChooseRun(const std::vector<KeptRun>& runs, std::string_view which, std::string* name,
               std::string* problem) {
  size_t count = std::count_if(runs.begin(), runs.end(), [](const KeptRun& r) { return r.run; });
  int rank = which == "best" ? 1 : 0;
  if (count == 0) {
    *problem = "there are no kept runs to watch";
  } else if (which == "last") {
    *name = std::max_element(runs.begin(), runs.begin() + count, [](const auto& a, const auto& b) {
              return a.name < b.name;
            })->name;
    return true;
  } else if ((rank > 0 || Digits(which, &rank)) && rank >= 1 &&
             static_cast<size_t>(rank) <= count) {
    *name = runs[rank - 1].name;
    return true;
  } else {
    *problem = "there is no kept run of rank " + std::string(which) + ": cave --runs lists " +
               std::to_string(count);
  }
  return false;
}

}  // namespace program
