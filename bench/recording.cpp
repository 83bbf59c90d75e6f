// What recording a game costs per keyboard snapshot, that is per frame: a
// keyboard read through the recording display writing into a file, as
// `cave --record` does, against the same read through the display that only
// passes it on. The clock moves 33 ms per snapshot, as in a game at its
// frame rate; every snapshot's line goes to the file as it is taken.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/hosted_view.h"
#include "runs/runs.h"

namespace {

void BM_KeyboardRead(benchmark::State& state, bool record) {
  headless::HeadlessDisplay inner;
  // Up held in runs, as a player flies.
  inner.SetKeyScript([](int snapshot, uint8_t keys[256]) {
    if (snapshot % 18 < 8) keys[DIK_UP] = 0x80;
  });
  recording::RecordingDisplay shown(inner);
  const std::string file =
      (std::filesystem::temp_directory_path() / "cave_bench_recording.rec").string();
  std::string problem;
  runs::RecordingWriter writer;
  if (record && !writer.Open(file, &problem)) {
    state.SkipWithError(problem.c_str());
    return;
  }
  if (record) shown.Record(writer, 0);
  uint8_t keys[256];
  for (auto _ : state) {
    inner.Sleep(33);
    shown.ReadKeyboard(keys);
    benchmark::DoNotOptimize(keys);
  }
  shown.Finish(0);
  writer.Close();
  if (record) std::remove(file.c_str());
}
// A million snapshots, nine hours of play: a recording of about 3 MB.
BENCHMARK_CAPTURE(BM_KeyboardRead, forwarded, false)->Iterations(1000000);
BENCHMARK_CAPTURE(BM_KeyboardRead, recorded, true)->Iterations(1000000);

}  // namespace

BENCHMARK_MAIN();
