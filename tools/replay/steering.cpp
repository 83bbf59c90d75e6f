#include "tools/replay/steering.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kGravityStep = 0.0981f;
constexpr int kScroll = 3;    // columns the cave moves per frame
constexpr size_t kBeam = 48;  // paths kept at each step of the search

struct Path {
  float y;
  float vy;
  float margin;  // smallest distance of the collision line from the rock so far
  bool firstUp;
};

}  // namespace

bool SteerUp(const Ship& ship, const std::vector<CaveColumn>& columns) {
  const int column0 = RoundToInt(ship.x);
  if (ship.dead != 0 || column0 < 0) return false;
  std::vector<Path> paths{{ship.y, ship.vy, 1e9f, false}};
  bool best = false;
  for (int step = 0;; ++step) {
    const size_t index = static_cast<size_t>(column0 + kScroll * step);
    if (index >= columns.size() || paths.empty()) break;
    const CaveColumn& column = columns[index];
    std::vector<Path> next;
    for (const Path& path : paths) {
      for (bool up : {false, true}) {
        // One frame of the ship as the game moves it.
        float y = path.y + path.vy * 3.0f;
        float vy = path.vy + ship.gravity * kGravityStep;
        if (up) vy = vy - ship.thrust;
        float line = y + ship.offset;
        float margin = std::min(line - column.top, column.bottom - line);
        if (margin < 0.0f) continue;
        next.push_back({y, vy, std::min(path.margin, margin), step == 0 ? up : path.firstUp});
      }
    }
    if (next.empty()) break;  // every path hits the rock here: keep the longest-lived choice
    // The widest margins first; near-identical states are kept once.
    std::sort(next.begin(), next.end(),
              [](const Path& a, const Path& b) { return a.margin > b.margin; });
    paths.clear();
    for (const Path& candidate : next) {
      bool known = std::any_of(paths.begin(), paths.end(), [&](const Path& p) {
        return std::fabs(p.y - candidate.y) < 0.25f && std::fabs(p.vy - candidate.vy) < 0.02f;
      });
      if (!known) paths.push_back(candidate);
      if (paths.size() == kBeam) break;
    }
    best = paths.front().firstUp;
  }
  return best;
}
