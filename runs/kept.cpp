// Kept runs: their names, and which of them the keep policy drops.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>

#include "runs/runs.h"

namespace runs {
namespace {

// "20261209-051530-123" and ".rec", with an optional letter between.
constexpr size_t kStampLength = 19;
constexpr std::string_view kExtension = ".rec";

bool Digits(std::string_view text, int* value) {
  *value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + (c - '0');
  }
  return !text.empty();
}

}  // namespace

std::string RunName(int64_t millisecondsSince1970, char suffix) {
  time_t seconds = static_cast<time_t>(millisecondsSince1970 / 1000);
  struct tm utc {};
  char stamp[32] = "";
  if (gmtime_r(&seconds, &utc) != nullptr)
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
  char milliseconds[8];
  std::snprintf(milliseconds, sizeof milliseconds, "-%03d",
                static_cast<int>(millisecondsSince1970 % 1000));
  return stamp + std::string(milliseconds) + (suffix != 0 ? std::string(1, suffix) : "") +
         std::string(kExtension);
}

bool RunStart(std::string_view name, int64_t* secondsSince1970) {
  if (name.size() < kStampLength + kExtension.size() ||
      name.substr(name.size() - kExtension.size()) != kExtension)
    return false;
  std::string_view suffix =
      name.substr(kStampLength, name.size() - kExtension.size() - kStampLength);
  if (suffix.size() > 1 || (suffix.size() == 1 && (suffix[0] < 'b' || suffix[0] > 'z')))
    return false;
  int year, month, day, hour, minute, second, millisecond;
  if (name[8] != '-' || name[15] != '-' || !Digits(name.substr(0, 4), &year) ||
      !Digits(name.substr(4, 2), &month) || !Digits(name.substr(6, 2), &day) ||
      !Digits(name.substr(9, 2), &hour) || !Digits(name.substr(11, 2), &minute) ||
      !Digits(name.substr(13, 2), &second) || !Digits(name.substr(16, 3), &millisecond) ||
      month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
    return false;
  struct tm utc {};
  utc.tm_year = year - 1900;
  utc.tm_mon = month - 1;
  utc.tm_mday = day;
  utc.tm_hour = hour;
  utc.tm_min = minute;
  utc.tm_sec = second;
  *secondsSince1970 = static_cast<int64_t>(timegm(&utc));
  return true;
}

std::vector<size_t> BestRuns(const std::vector<RunRank>& runs) {
  std::vector<size_t> best;
  for (size_t i = 0; i < runs.size(); ++i)
    if (runs[i].scored) best.push_back(i);
  std::sort(best.begin(), best.end(), [&runs](size_t a, size_t b) {
    if (runs[a].points != runs[b].points) return runs[a].points > runs[b].points;
    return runs[a].ageOrder < runs[b].ageOrder;
  });
  return best;
}

// The best are counted within each line-up size: a game of four players is
// not held against one of one.
std::vector<size_t> RunsToDrop(const std::vector<RunRank>& runs) {
  std::vector<size_t> latest;
  for (size_t i = 0; i < runs.size(); ++i) latest.push_back(i);
  std::sort(latest.begin(), latest.end(),
            [&runs](size_t a, size_t b) { return runs[a].ageOrder > runs[b].ageOrder; });
  std::vector<bool> kept(runs.size(), false);
  std::map<int32_t, size_t> ranked;  // runs kept as best, by line-up size
  for (size_t i : BestRuns(runs))
    if (ranked[runs[i].players]++ < kKeepBest) kept[i] = true;
  for (size_t age = 0; age < std::min(latest.size(), kKeepLatest); ++age) kept[latest[age]] = true;
  std::vector<size_t> dropped;
  for (size_t i = 0; i < runs.size(); ++i)
    if (!kept[i]) dropped.push_back(i);
  return dropped;
}

}  // namespace runs
