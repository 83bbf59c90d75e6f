// Long runs of the real game on the headless display: the cave scrolled a
// hundred thousand times inside one process, and whole games with random
// keys from many start ticks.
//
// Under the sanitizers everything runs several times slower, so the counts
// shrink there; CAVE_SOAK_SCROLLS and CAVE_SOAK_REPLAYS set them explicitly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/screen/screen_view.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

int Count(const char* variable, int normal, int sanitized) {
  if (const char* text = std::getenv(variable)) {
    int value = std::atoi(text);
    if (value > 0) return value;
  }
  return kSanitized ? sanitized : normal;
}

// What is wrong with the column list, or empty when nothing is: 320
// columns, every one but the first with top > 0, bottom < 239 and more than
// 40 pixels between them.
std::string ColumnFault() {
  if (ColumnList.head == nullptr) return "no column list";
  int index = 0;
  for (ListElement* e = ColumnList.head->first; e; e = e->next, ++index) {
    if (index >= 320) return "more than 320 columns";
    if (index == 0) continue;
    const CaveColumn& c = *static_cast<const CaveColumn*>(ListRecord(e));
    if (!(c.top > 0.0f) || !(c.bottom < 239.0f) || !(c.bottom - c.top > 40.0f))
      return "column " + std::to_string(index) + " has top " + std::to_string(c.top) + ", bottom " +
             std::to_string(c.bottom);
  }
  if (index != 320) return std::to_string(index) + " columns";
  return {};
}

// Every channel 192 ... 255, at least one of them 255.
std::string TintFault() {
  const int32_t channels[] = {RockTint.red, RockTint.green, RockTint.blue};
  bool inRange = true, full = false;
  for (int32_t c : channels) {
    inRange = inRange && c >= 192 && c <= 255;
    full = full || c == 255;
  }
  if (inRange && full) return {};
  return "tint " + std::to_string(RockTint.red) + ", " + std::to_string(RockTint.green) + ", " +
         std::to_string(RockTint.blue);
}

TEST(Soak, TheCaveScrollsAHundredThousandTimesWithoutDrifting) {
  const int scrolls = Count("CAVE_SOAK_SCROLLS", 100000, 20000);
  headless::HeadlessDisplay display(4242);
  int done = 0;
  double seconds = 0;
  // The first keyboard snapshot comes from the frame loop, with the cave,
  // the screen and the ship made as the game makes them; the scrolls run
  // there, then Escape ends the game.
  display.SetKeyScript([](int snapshot, uint8_t state[256]) {
    if (snapshot == 1) state[kKeyEscape] = 0x80;
  });
  display.onSnapshot = [&](int snapshot) {
    if (snapshot != 0) return;
    const size_t blocks = hosted::HeapBlockCount(RuntimeHeap);
    ASSERT_GT(blocks, 320u);
    ASSERT_EQ(ColumnFault(), "");
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < scrolls; ++i) {
      ScrollCave(3);
      std::string fault = ColumnFault();
      if (!fault.empty()) FAIL() << "after scroll " << i << ": " << fault;
      if (hosted::HeapBlockCount(RuntimeHeap) != blocks)
        FAIL() << "after scroll " << i << ": " << hosted::HeapBlockCount(RuntimeHeap)
               << " heap blocks, " << blocks << " before";
      DriftRockTint();
      fault = TintFault();
      if (!fault.empty()) FAIL() << "after drift " << i << ": " << fault;
      if (hosted::HeapBlockCount(RuntimeHeap) != blocks)
        FAIL() << "after drift " << i << ": " << hosted::HeapBlockCount(RuntimeHeap)
               << " heap blocks, " << blocks << " before";
      ++done;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The scroll leaves the display target at home and no drawing open.
    EXPECT_EQ(ScreenInspect().target.surface, ScreenInspect().backBuffer);
    DrawingOutput* output = SpriteOutput(kCaveSprite);
    EXPECT_NE(output, nullptr);
    DrawingStart(output);
    DrawingStop();
  };
  EXPECT_EQ(hosted::RunWinMain(display, &display), 0);
  EXPECT_EQ(done, scrolls);
  if (seconds > 0)
    std::printf("soak: %d scrolls with tint drift in %.2f s, %.0f frames/s\n", done, seconds,
                done / seconds);
  RecordProperty("scrolls", done);
}

// A key timeline for one game, one entry per keyboard snapshot: whether the
// pilot's choice of the thrust key is turned round (one snapshot in five),
// and now and then a tap of P followed later by a second one (a pause and
// its end). Past its end no key is down, so the ship falls and the game ends
// with its scores.
struct Timeline {
  std::vector<bool> flip;
  std::vector<bool> p;
};

Timeline RandomTimeline(std::mt19937& random) {
  const size_t length = 50 + random() % 1500;
  Timeline timeline{std::vector<bool>(length), std::vector<bool>(length)};
  for (size_t k = 0; k < length; ++k) timeline.flip[k] = random() % 5 == 0;
  for (size_t k = 0; k + 30 < length; ++k) {
    if (random() % 300 != 0) continue;
    // Down for one snapshot, up in the next: one tap. The second tap ends
    // the pause; both lie inside the timeline, so no pause is left open.
    const size_t second = k + 3 + random() % 25;
    timeline.p[k] = timeline.p[second] = true;
    k = second + 2;
  }
  return timeline;
}

// The pilot holds Up while the ship's collision line, a few frames ahead,
// is below the middle of the column under it.
bool PilotWantsUp() {
  if (ShipList.head == nullptr || ShipList.head->first == nullptr || ColumnList.head == nullptr)
    return false;
  const Ship& ship = *static_cast<const Ship*>(ListRecord(ShipList.head->first));
  ListElement* e = ColumnList.head->first;
  for (int i = 0; i < 160 && e; ++i) e = e->next;
  if (e == nullptr) return false;
  const CaveColumn& column = *static_cast<const CaveColumn*>(ListRecord(e));
  return ship.y + 10.0f + ship.vy * 6.0f > (column.top + column.bottom) / 2.0f;
}

TEST(Soak, GamesWithRandomKeysEndInTheirScores) {
  const int replays = Count("CAVE_SOAK_REPLAYS", 200, 50);
  // Well past any timeline: should a game not end by itself, Escape ends it,
  // and the missing box shows it.
  constexpr int kGiveUp = 20000;
  std::mt19937 random(20240901);
  int frames = 0;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < replays; ++i) {
    // A different start tick for every game, so a different cave.
    const uint32_t tick = static_cast<uint32_t>(i) * 104729u + random() % 104729u;
    headless::HeadlessDisplay display(tick);
    const Timeline timeline = RandomTimeline(random);
    display.SetKeyScript([&](int snapshot, uint8_t state[256]) {
      const size_t k = static_cast<size_t>(snapshot);
      if (k < timeline.flip.size()) {
        if (PilotWantsUp() != timeline.flip[k]) state[kKeyUp] = 0x80;
        if (timeline.p[k]) state[kKeyP] = 0x80;
      }
      if (snapshot == kGiveUp) state[kKeyEscape] = 0x80;
    });
    std::string fault;
    display.onSnapshot = [&](int snapshot) {
      if (!fault.empty()) return;
      fault = ColumnFault();
      if (fault.empty()) fault = TintFault();
      if (!fault.empty()) fault = "snapshot " + std::to_string(snapshot) + ": " + fault;
    };
    const int exitCode = hosted::RunWinMain(display, &display);
    frames += display.Snapshots();
    SCOPED_TRACE("game " + std::to_string(i) + ", tick " + std::to_string(tick));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(fault, "");
    ASSERT_EQ(display.MessageBoxes().size(), 1u);
    EXPECT_EQ(display.MessageBoxes()[0].title, "Game Over!");
    EXPECT_EQ(display.MessageBoxes()[0].text.rfind("Spielstand:\n\nPlayer 1: ", 0), 0u);
    EXPECT_LT(display.Snapshots(), kGiveUp);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("soak: %d games, %d snapshots in %.2f s, %.0f frames/s\n", replays, frames, seconds,
              frames / seconds);
}

}  // namespace
