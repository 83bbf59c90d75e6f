// One frame's screen work on the hosted platform, step by step and as a
// whole, beside a plain memcpy of one 320 x 240 picture (307200 bytes) for
// scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <vector>

#include "platform/hosted/internal.h"
#include "runtime/screen/screen_view.h"
#include "runtime/window/window.h"
#include "tests/support/program.h"

namespace {

constexpr size_t kPictureBytes = 320 * 240 * 4;

// The game's screen and sprites: the 320 x 240 cave picture in sprite 1 and a
// 20 x 20 ball with black corners in sprite 10, pacing off.
void WithGameScreen(const std::function<void()>& body) {
  RunWithProgram([&] {
    ScreenInit();
    ScreenSetFrameRate(30);
    HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
    ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0);
    // Set after opening: a rate of 0 at the open would be replaced by 60.
    ScreenSetFrameRate(0);
    SpriteCreate(1, 320, 240);
    SpriteCreate(10, 20, 20);
    hosted::SurfaceInfo cave = hosted::InspectSurface(SpriteRecordAt(1)->surface);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) cave.pixels[y * (cave.pitch / 4) + x] = 0x203040u + x + y;
    hosted::SurfaceInfo ball = hosted::InspectSurface(SpriteRecordAt(10)->surface);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        int dx = 2 * x - 19, dy = 2 * y - 19;
        ball.pixels[y * (ball.pitch / 4) + x] = dx * dx + dy * dy < 324 ? 0xC0C0C0u : 0u;
      }
    body();
  });
}

void BM_ScreenClear(benchmark::State& state) {
  WithGameScreen([&] {
    for (auto _ : state) benchmark::DoNotOptimize(ScreenClear(0, 0, 0));
  });
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}
BENCHMARK(BM_ScreenClear);

void BM_SpriteDisplay320x240(benchmark::State& state) {
  WithGameScreen([&] {
    for (auto _ : state) SpriteDisplay(1, 0, 0);
  });
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}
BENCHMARK(BM_SpriteDisplay320x240);

void BM_SelfCopyScrollBy3(benchmark::State& state) {
  WithGameScreen([&] {
    for (auto _ : state) {
      SpriteTarget(1);
      SpriteDisplay(1, -3, 0);
      SpriteTarget(-1);
    }
  });
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 317 * 240 * 4));
}
BENCHMARK(BM_SelfCopyScrollBy3);

void BM_KeyedCopy20x20(benchmark::State& state) {
  WithGameScreen([&] {
    for (auto _ : state) SpriteDisplayKeyed(10, 150, 110);
  });
}
BENCHMARK(BM_KeyedCopy20x20);

void BM_ScreenFlipUnpaced(benchmark::State& state) {
  WithGameScreen([&] {
    for (auto _ : state) benchmark::DoNotOptimize(ScreenFlip());
  });
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}
BENCHMARK(BM_ScreenFlipUnpaced);

// Everything the frame loop asks of the screen in one frame, in its order.
void BM_FrameScreenWork(benchmark::State& state) {
  WithGameScreen([&] {
    for (auto _ : state) {
      ScreenFlip();
      ScreenClear(0, 0, 0);
      SpriteDisplay(1, 0, 0);
      SpriteTarget(1);
      SpriteDisplay(1, -3, 0);
      SpriteTarget(-1);
      SpriteDisplayKeyed(10, 150, 110);
    }
  });
}
BENCHMARK(BM_FrameScreenWork);

void BM_Memcpy320x240(benchmark::State& state) {
  std::vector<uint32_t> from(320 * 240, 0x203040u), to(320 * 240);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kPictureBytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}
BENCHMARK(BM_Memcpy320x240);

}  // namespace

BENCHMARK_MAIN();
