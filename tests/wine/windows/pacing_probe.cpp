// Frame pacing on the real platform: a 320 x 240 screen at rate 30 in a
// centred borderless window, flipped 310 times. Prints the frame rate over
// the last 300 flips (the first ten let the window settle) and the spread of
// the intervals between flips, measured on the performance counter.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "runtime/core/core.h"
#include "runtime/screen/screen.h"
#include "runtime/start/start.h"
#include "runtime/window/window.h"

namespace {
constexpr int kFlips = 310;
constexpr int kMeasured = 300;

void Fail(const char* step) {
  std::printf("pacing probe: %s failed\n", step);
  std::fflush(stdout);
  RuntimeEnd();
}
}  // namespace

void GameReset() {}

void GameMain() {
  if (ScreenInit() == 0) Fail("ScreenInit");
  if (ScreenSetFrameRate(30) == 0) Fail("ScreenSetFrameRate");
  if (WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "") == nullptr) Fail("WindowOpen");
  if (ScreenOpenWindowed(WindowHandle(), 0, 0, 320, 240, 0, 0, 0) == 0) Fail("ScreenOpenWindowed");

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  static int64_t ends[kFlips];
  for (int i = 0; i < kFlips; ++i) {
    ScreenClear(i % 256, 64, 255 - i % 256);
    ScreenFlip();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    ends[i] = now.QuadPart;
  }

  const double tick = 1000.0 / static_cast<double>(frequency.QuadPart);  // ms per tick
  const int first = kFlips - kMeasured;
  double fps = kMeasured * static_cast<double>(frequency.QuadPart) /
               static_cast<double>(ends[kFlips - 1] - ends[first - 1]);
  double sum = 0, squares = 0, shortest = 1e9, longest = 0;
  for (int i = first; i < kFlips; ++i) {
    double interval = static_cast<double>(ends[i] - ends[i - 1]) * tick;
    sum += interval;
    squares += interval * interval;
    shortest = std::min(shortest, interval);
    longest = std::max(longest, interval);
  }
  double mean = sum / kMeasured;
  double deviation = std::sqrt(std::max(0.0, squares / kMeasured - mean * mean));
  std::printf("fps %.2f\n", fps);
  std::printf("interval mean %.2f ms, min %.2f ms, max %.2f ms, standard deviation %.2f ms\n", mean,
              shortest, longest, deviation);
  std::fflush(stdout);
  RuntimeEnd();
}
