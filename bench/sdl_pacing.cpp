// The game's pacing on the SDL display, as a player's machine feels it: the
// whole program plays the kept steered recording in real time on the screen
// (run it on an X server, e.g. xvfb-run), and after a second of start-up the
// next five seconds are measured:
//   cpu_percent  processor time of the process (user and system, from its own
//                accounting) as a share of one core;
//   fps          presents per second;
//   spread_ms    the 95th minus the 5th percentile of the intervals between
//                presents, with p5_ms and p95_ms themselves.
// rest:1 is the program as it is, resting in its waits on the clock; rest:0
// keeps the bare busy-wait (the display is never asked to rest), the
// baseline in the same run. speed:8 watches the recording eight times as fast
// (cave --watch --speed 8). Message boxes are answered without being shown.
// The game is heard as well, on SDL's audio device (SDL_AUDIODRIVER=disk or
// dummy where the machine has none).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/display/sdl/sdl_display.h"
#include "platform/hosted/process.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStartUp = std::chrono::seconds(1);
constexpr auto kMeasured = std::chrono::seconds(5);

double ProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The SDL display with the presents timed, resting only on request, and the
// process ended once the measured time is over.
class Timed final : public hosted::Display {
 public:
  Timed(hosted::Display& inner, bool rest) : inner_(inner), rest_(rest) {}

  std::vector<Clock::time_point> presents;
  double processorAtStart = 0;
  double processorAtEnd = 0;

  bool Available() override { return inner_.Available(); }
  void DesktopSize(int32_t* width, int32_t* height) override { inner_.DesktopSize(width, height); }
  int64_t ReadCounter() override { return inner_.ReadCounter(); }
  uint32_t TickCount() override { return inner_.TickCount(); }
  void Sleep(uint32_t milliseconds) override { inner_.Sleep(milliseconds); }
  void Rest(int64_t foreseen) override {
    if (rest_) inner_.Rest(foreseen);
  }
  void WindowChanged(HWND window, const hosted::TopWindow& view) override {
    inner_.WindowChanged(window, view);
  }
  void WindowDestroyed(HWND window) override { inner_.WindowDestroyed(window); }
  void Present(HWND window, const RECT& area) override {
    inner_.Present(window, area);
    Clock::time_point now = Clock::now();
    if (first_ == Clock::time_point{}) first_ = now;
    if (now < first_ + kStartUp) return;
    if (presents.empty()) processorAtStart = ProcessorSeconds();
    presents.push_back(now);
    if (now >= presents.front() + kMeasured) {
      processorAtEnd = ProcessorSeconds();
      ExitProcess(0);
    }
  }
  void Pump() override { inner_.Pump(); }
  bool SoundAvailable() override { return inner_.SoundAvailable(); }
  void SoundChanging() override { inner_.SoundChanging(); }
  bool ReadKeyboard(uint8_t state[256]) override { return inner_.ReadKeyboard(state); }
  int MessageBox(HWND, const char*, const char*, uint32_t) override { return IDOK; }

 private:
  hosted::Display& inner_;
  bool rest_;
  Clock::time_point first_{};
};

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void BM_GamePacing(benchmark::State& state) {
  for (auto _ : state) {
    sdl::SdlDisplay screen;
    if (!screen.Available()) {
      state.SkipWithError("no screen: run on an X server, e.g. under xvfb-run");
      return;
    }
    Timed timed(screen, state.range(0) != 0);
    recording::RecordingDisplay played(timed);
    std::string problem;
    if (!played.PlayFrom(CAVE_SOURCE_DIR "/tests/recordings/steered.rec", &problem)) {
      state.SkipWithError(problem.c_str());
      return;
    }
    played.SetSpeed(static_cast<int>(state.range(1)));
    hosted::RunWinMain(played, &played);
    const std::vector<Clock::time_point>& times = timed.presents;
    if (times.size() < 20 || timed.processorAtEnd == 0) {
      state.SkipWithError("the game ended before the measured time was over");
      return;
    }
    std::vector<double> intervals;
    for (size_t i = 1; i < times.size(); ++i)
      intervals.push_back(Milliseconds(times[i] - times[i - 1]));
    std::sort(intervals.begin(), intervals.end());
    double seconds = Milliseconds(times.back() - times.front()) / 1000;
    double p5 = intervals[intervals.size() * 5 / 100];
    double p95 = intervals[intervals.size() * 95 / 100];
    state.counters["cpu_percent"] = 100 * (timed.processorAtEnd - timed.processorAtStart) / seconds;
    state.counters["fps"] = static_cast<double>(intervals.size()) / seconds;
    state.counters["p5_ms"] = p5;
    state.counters["p95_ms"] = p95;
    state.counters["spread_ms"] = p95 - p5;
  }
}
BENCHMARK(BM_GamePacing)
    ->ArgNames({"rest", "speed"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 8})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace
BENCHMARK_MAIN();
