#include "tools/replay/check.h"

#include <algorithm>

namespace {

std::string Json(const std::string& title, const std::string& text) {
  return recording::BoxJson({title, text});
}

}  // namespace

std::string FirstDifference(const recording::Recording& recorded,
                            const std::vector<headless::MessageBoxRecord>& boxes, int snapshots,
                            int exitCode) {
  const int last = static_cast<int>(recorded.snapshots.size());
  // The replay's game ends with its first box, or without one (Escape).
  const int end = boxes.empty() ? snapshots : boxes.front().snapshot;
  if (end < last)
    return "the game ended after snapshot " + std::to_string(end) + ", the recording has " +
           std::to_string(last);
  // A recording that ends in a box or an exit ends right after its last
  // snapshot; one without an end was cut somewhere in the game.
  if (end > last && (recorded.ended || !recorded.boxes.empty()))
    return "the game was still running after the recording's last snapshot (" +
           std::to_string(last) + ")";
  for (size_t i = 0; i < std::max(boxes.size(), recorded.boxes.size()); ++i) {
    std::string number = "box " + std::to_string(i + 1);
    if (i >= boxes.size())
      return number + " " + recording::BoxJson(recorded.boxes[i]) + " was not shown";
    std::string shown = Json(boxes[i].title, boxes[i].text);
    if (i >= recorded.boxes.size()) return number + " " + shown + " is not in the recording";
    std::string wanted = recording::BoxJson(recorded.boxes[i]);
    if (shown != wanted) return number + ": recorded " + wanted + ", replayed " + shown;
  }
  if (recorded.ended && exitCode != recorded.exitCode)
    return "exit code: recorded " + std::to_string(recorded.exitCode) + ", replayed " +
           std::to_string(exitCode);
  return "";
}
