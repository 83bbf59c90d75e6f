// The game's own work on the hosted platform: generating the cave, one frame
// without the pacing wait, and the floor of a frame (the four full-picture
// passes it cannot avoid) measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "game/game.h"
#include "runtime/drawing/drawing.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/screen/screen.h"
#include "tests/support/program.h"

namespace {

constexpr size_t kPictureBytes = 320 * 240 * 4;

// The game's start-up, with pacing turned off. The stand-in main sequence
// does not zero the game's globals; a list variable must start empty.
void StartPacingOff() {
  ShipList = {};
  ColumnList = {};
  StartGame();
  ScreenSetFrameRate(0);
}

void BM_GenerateCave(benchmark::State& state) {
  RunWithProgram([&] {
    StartPacingOff();
    for (auto _ : state) {
      state.PauseTiming();
      while (ListFirst(&ColumnList)) ListDelete(&ColumnList);
      state.ResumeTiming();
      GenerateCave();
    }
  });
}
BENCHMARK(BM_GenerateCave)->Unit(benchmark::kMillisecond);

// One pass of the frame loop without the wait: ships, present, clear, cave
// copy, scroll and new strip, tint, ships drawn, head-up display; with 0 or
// 3 ghosts beside the player's ship.
void BM_GameFrame(benchmark::State& state) {
  RunWithProgram([&] {
    StartPacingOff();
    // Each ghost thrusts in its first frame and never again.
    for (int32_t ghost = 1; ghost <= state.range(0); ++ghost) {
      Ghosts[ghost - 1] = {0, "g", 1};
      GhostCount = ghost;
      CreateGhost(ghost);
    }
    uint32_t fpsStart = GetTickCount();
    int32_t frames = 0;
    for (auto _ : state) {
      // Keep the ships flying in the middle, so every frame does a living
      // ship's work for each.
      ListReset(&ShipList);
      while (ListNext(&ShipList)) {
        Ship* ship = ListCurrent<Ship>(ShipList);
        ship->y = 120.0f;
        ship->vy = 0.0f;
        ship->dead = 0;
      }
      KeyboardExamine();
      UpdateShips();
      PlayFrame(++frames, fpsStart);
    }
  });
}
BENCHMARK(BM_GameFrame)->Arg(0)->Arg(kMaxGhosts)->Unit(benchmark::kMicrosecond);

// The floor: clear, cave copy, scroll by 3 pixels, present, as plain memory
// operations on 320 x 240 x 4 bytes.
void BM_FrameFloor(benchmark::State& state) {
  std::vector<uint32_t> back(kPictureBytes / 4), cave(kPictureBytes / 4),
      desktop(kPictureBytes / 4);
  for (size_t i = 0; i < cave.size(); ++i) cave[i] = static_cast<uint32_t>(i * 2654435761u);
  for (auto _ : state) {
    std::memset(back.data(), 0, kPictureBytes);
    std::memcpy(back.data(), cave.data(), kPictureBytes);
    std::memmove(cave.data(), cave.data() + 3, kPictureBytes - 12);
    std::memcpy(desktop.data(), back.data(), kPictureBytes);
    benchmark::DoNotOptimize(desktop.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameFloor)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
