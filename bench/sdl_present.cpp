// One present of the game's 320 x 240 picture on the SDL display: the
// picture drawn into a window's framebuffer at scales 1, 2 and 4, and in
// full screen on a 1920 x 1080 screen (scale 4, centred), each beside a plain
// memcpy of the scaled picture's bytes in the same run. The framebuffer is
// 32-bit XRGB, as SDL hands it out on a 24-bit X screen; handing it to the
// screen afterwards is the window system's work and not measured here.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/hosted/display/sdl/scaling.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;

size_t ScaledBytes(int32_t scale) {
  return static_cast<size_t>(kWidth * scale) * static_cast<size_t>(kHeight * scale) * 4;
}

// A logical desktop of `width` x `height` with the game's window centred, and
// a framebuffer of `targetWidth` x `targetHeight`; `x`, `y` where the picture
// goes in it.
void MeasurePresent(benchmark::State& state, int32_t scale, int32_t width, int32_t height,
                    int32_t targetWidth, int32_t targetHeight, int32_t x, int32_t y) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x203040u + static_cast<uint32_t>(i);
  hosted::DesktopPicture desktop{pixels.data(), width, height, width * 4};
  LONG left = (width - kWidth) / 2, top = (height - kHeight) / 2;
  RECT area{left, top, left + kWidth, top + kHeight};
  SDL_Surface* target =
      SDL_CreateRGBSurfaceWithFormat(0, targetWidth, targetHeight, 32, SDL_PIXELFORMAT_RGB888);
  if (target == nullptr) {
    state.SkipWithError("no surface");
    return;
  }
  std::vector<uint32_t> scratch;
  for (auto _ : state) {
    sdl::PaintScaled(desktop, area, scale, x, y, target, &scratch);
    benchmark::DoNotOptimize(target->pixels);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(target);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ScaledBytes(scale)));
}

void BM_PresentWindowed(benchmark::State& state) {
  auto scale = static_cast<int32_t>(state.range(0));
  MeasurePresent(state, scale, 1920 / scale, 1080 / scale, kWidth * scale, kHeight * scale, 0, 0);
}
BENCHMARK(BM_PresentWindowed)->Arg(1)->Arg(2)->Arg(4);

// The game at the default scale of 1920 x 1080 (a 960 x 540 desktop), in full
// screen: 1280 x 960 at (320, 60).
void BM_PresentFullScreen1920x1080(benchmark::State& state) {
  MeasurePresent(state, 4, 960, 540, 1920, 1080, 320, 60);
}
BENCHMARK(BM_PresentFullScreen1920x1080);

void BM_MemcpyScaledPicture(benchmark::State& state) {
  size_t bytes = ScaledBytes(static_cast<int32_t>(state.range(0)));
  std::vector<uint8_t> from(bytes, 0x40), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_MemcpyScaledPicture)->Arg(1)->Arg(2)->Arg(4);

}  // namespace

BENCHMARK_MAIN();
