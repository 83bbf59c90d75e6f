// A whole replay: the real program from its entry for 1000 keyboard
// snapshots on the headless display (with its virtual-clock pacing), kept
// alive by a steering script, and the time from the start of the process to
// its first keyboard snapshot.
#include <benchmark/benchmark.h>

#include <chrono>

#include "game/game.h"
#include "platform/hosted/display/headless/headless.h"
#include "runtime/keyboard/keyboard.h"

namespace {

constexpr int kSnapshots = 1000;

// Up while the ship's collision line, some frames ahead, is below the
// middle of its column: enough to fly through 1000 snapshots.
void Steer(int snapshot, uint8_t state[256]) {
  if (snapshot >= kSnapshots) {
    state[kKeyEscape] = snapshot == kSnapshots ? 0x80 : 0;  // to quit
    return;
  }
  const Ship* ship = ListCurrent<Ship>(ShipList);
  if (ship == nullptr || ColumnList.head == nullptr) return;
  ListElement* e = ColumnList.head->first;
  for (int i = 0; i < 160 && e && e->next; ++i) e = e->next;
  const CaveColumn* column = static_cast<CaveColumn*>(ListRecord(e));
  if (ship->y + 10.0f + ship->vy * 14.0f > (column->top + column->bottom) / 2.0f)
    state[kKeyUp] = 0x80;
}

void BM_Replay1000Snapshots(benchmark::State& state) {
  double startup = 0;
  int runs = 0, snapshots = 0;
  for (auto _ : state) {
    headless::HeadlessDisplay display(1234);
    display.SetKeyScript(Steer);
    auto start = std::chrono::steady_clock::now();
    display.onSnapshot = [&](int k) {
      if (k == 0)
        startup +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    };
    hosted::RunWinMain(display, &display);
    snapshots += display.Snapshots();
    ++runs;
  }
  state.counters["startup_ms"] = startup / runs;
  state.counters["snapshots"] = static_cast<double>(snapshots) / runs;
}
BENCHMARK(BM_Replay1000Snapshots)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
