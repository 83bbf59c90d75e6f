// How a replay compares with its recording, the score a recording holds, and
// the verdict of a check.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "runs/runs.h"

namespace runs {
namespace {

// A reason taken from untrusted text, as one line of printable ASCII that a
// page can show: other bytes become '?', and a long one is cut.
std::string Printable(std::string_view text) {
  constexpr size_t kLongest = 200;
  std::string line;
  for (char c : text.substr(0, kLongest)) line += c >= ' ' && c <= '~' ? c : '?';
  return text.size() > kLongest ? line + "..." : line;
}

// The "<who>N: P Punkte" lines of the game's last box, in order.
std::vector<PlayerScore> ScoreLines(const Recording& recording, std::string_view who) {
  std::vector<PlayerScore> scores;
  if (recording.boxes.empty()) return scores;
  const std::string& text = recording.boxes.back().text;
  constexpr std::string_view kPoints = " Punkte";
  for (size_t start = 0; start < text.size();) {
    size_t end = std::min(text.find('\n', start), text.size());
    std::string_view candidate(text.data() + start, end - start);
    start = end + 1;
    size_t colon = candidate.find(": ");
    if (!candidate.starts_with(who) || !candidate.ends_with(kPoints) ||
        colon == std::string_view::npos)
      continue;
    std::string_view number =
        candidate.substr(colon + 2, candidate.size() - kPoints.size() - colon - 2);
    if (number.empty() || number.size() > 9 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    scores.push_back({std::atoi(std::string(number).c_str()), std::string(candidate)});
  }
  return scores;
}

// How the best player's points compare with a ghost's.
std::string Against(int points, const PlayerScore& ghost, std::string_view whose) {
  const char* how = points > ghost.points   ? "beating "
                    : points < ghost.points ? "behind "
                                            : "level with ";
  return how + std::string(whose) + " " + std::to_string(ghost.points);
}

}  // namespace

std::string FirstDifference(const Recording& recorded, const Replayed& replayed) {
  const int last = static_cast<int>(recorded.snapshots.size());
  // The replay's game ends with its first box, or without one (Escape).
  const int end = replayed.boxes.empty() ? replayed.snapshots : replayed.firstBoxSnapshot;
  if (end < last)
    return "the game ended after snapshot " + std::to_string(end) + ", the recording has " +
           std::to_string(last);
  // A recording that ends in a box or an exit ends right after its last
  // snapshot; one without an end was cut somewhere in the game.
  if (end > last && (recorded.ended || !recorded.boxes.empty()))
    return "the game was still running after the recording's last snapshot (" +
           std::to_string(last) + ")";
  const std::vector<Box>& boxes = replayed.boxes;
  for (size_t i = 0; i < std::max(boxes.size(), recorded.boxes.size()); ++i) {
    std::string number = "box " + std::to_string(i + 1);
    if (i >= boxes.size()) return number + " " + BoxJson(recorded.boxes[i]) + " was not shown";
    std::string shown = BoxJson(boxes[i]);
    if (i >= recorded.boxes.size()) return number + " " + shown + " is not in the recording";
    std::string wanted = BoxJson(recorded.boxes[i]);
    if (shown != wanted) return number + ": recorded " + wanted + ", replayed " + shown;
  }
  if (recorded.ended && replayed.exitCode != recorded.exitCode)
    return "exit code: recorded " + std::to_string(recorded.exitCode) + ", replayed " +
           std::to_string(replayed.exitCode);
  return "";
}

// The game's last box lists "Player N: P Punkte" per player, in the order
// of the line-up, then a race's "Ghost N: P Punkte".
std::vector<PlayerScore> Scores(const Recording& recording) {
  return ScoreLines(recording, "Player ");
}

std::vector<PlayerScore> GhostScores(const Recording& recording) {
  return ScoreLines(recording, "Ghost ");
}

bool Score(const Recording& recording, int* points, std::string* line) {
  std::vector<PlayerScore> scores = Scores(recording);
  auto best = std::max_element(scores.begin(), scores.end(),
                               [](const auto& a, const auto& b) { return a.points < b.points; });
  if (best == scores.end()) return false;
  *points = best->points;
  *line = best->line;
  return true;
}

Verdict Judge(const Recording& recorded, const Replayed& replayed) {
  Verdict verdict;
  verdict.detail = FirstDifference(recorded, replayed);
  verdict.kind = verdict.detail.empty() ? Verdict::Kind::kVerified : Verdict::Kind::kNotVerified;
  verdict.scored = Score(recorded, &verdict.points, &verdict.scoreLine);
  verdict.scores = Scores(recorded);
  verdict.ghosts = GhostScores(recorded);
  verdict.ended = recorded.ended;
  verdict.snapshots = recorded.snapshots.size();
  return verdict;
}

Verdict NotARecording(std::string problem) {
  Verdict verdict;
  verdict.kind = Verdict::Kind::kNotARecording;
  verdict.detail = std::move(problem);
  return verdict;
}

std::string VerdictLine(const Verdict& verdict) {
  switch (verdict.kind) {
    case Verdict::Kind::kNotARecording:
      return "Not a recording: " + Printable(verdict.detail);
    case Verdict::Kind::kNotVerified:
      return "Not verified: " + Printable(verdict.detail);
    case Verdict::Kind::kVerified:
      break;
  }
  if (verdict.scored) {
    std::string scores;
    for (const PlayerScore& score : verdict.scores)
      scores += (scores.empty() ? "" : ", ") + score.line;
    for (size_t n = 0; n < verdict.ghosts.size(); ++n)
      scores +=
          ", " + Against(verdict.points, verdict.ghosts[n],
                         verdict.ghosts.size() == 1 ? std::string("the ghost's")
                                                    : "ghost " + std::to_string(n + 1) + "'s");
    return "Verified: " + Printable(scores);
  }
  // A game left with Escape shows no score; nor does one that was interrupted.
  return std::string("Verified: no score (") + (verdict.ended ? "ended" : "interrupted") +
         " after " + std::to_string(verdict.snapshots) + " snapshots)";
}

std::string VerdictJson(const Verdict& verdict) {
  const char* kind = verdict.kind == Verdict::Kind::kVerified      ? "verified"
                     : verdict.kind == Verdict::Kind::kNotVerified ? "not verified"
                                                                   : "not a recording";
  auto flag = [](bool value) { return value ? "true" : "false"; };
  return std::string("{\"kind\":\"") + kind + "\",\"line\":" + JsonString(VerdictLine(verdict)) +
         ",\"scored\":" + flag(verdict.scored) + ",\"points\":" + std::to_string(verdict.points) +
         ",\"ended\":" + flag(verdict.ended) +
         ",\"snapshots\":" + std::to_string(verdict.snapshots) + "}";
}

}  // namespace runs
