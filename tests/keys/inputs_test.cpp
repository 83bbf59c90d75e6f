// The inputs other than the keyboard folded into the keyboard snapshot, and
// the latch on what was held across an absence, as one table of snapshots
// taken in turn: the keys down before, pointers down, what a second pad
// holds, the keys down after (Escape 0x01, P 0x19, Space 0x39, Up 0xC8, Left
// 0xCB), and whether the player came back just before (the latch armed).
#include "platform/hosted/display/keys/inputs.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

constexpr int kNone = -1, kA = 0, kB = 1, kX = 2, kY = 3, kDpadUp = 4, kStart = 5, kBack = 6;

TEST(FoldInputs, EachSourceGivesItsKeysAndTheLatchHoldsBackWhatWasHeld) {
  constexpr bool kReturned = true;
  const struct {
    std::vector<int> before;
    int32_t pointers;
    int button;  // keys::PadButton
    float left, right;
    std::vector<int> after;
    bool returned = false;
  } cases[] = {
      // clang-format off
      {{}, 0, kNone, 0, 0, {}},           {{0xCB}, 0, kNone, 0, 0, {0xCB}},
      {{0x39}, 0, kNone, 0, 0, {0x39, 0xC8}},  {{}, 3, kNone, 0, 0, {0xC8}},
      {{}, 0, kA, 0, 0, {0xC8}},          {{}, 0, kB, 0, 0, {0xC8}},
      {{}, 0, kX, 0, 0, {0xC8}},          {{}, 0, kY, 0, 0, {0xC8}},
      {{}, 0, kDpadUp, 0, 0, {0xC8}},     {{}, 0, kStart, 0, 0, {0x19}},
      {{}, 0, kBack, 0, 0, {0x01}},       {{}, 0, kNone, 0.5f, 0.5f, {}},
      {{}, 0, kNone, 0.51f, 0, {0xC8}},   {{}, 0, kNone, 0, 1, {0xC8}},
      {{0xC8}, 1, kBack, 1, 1, {0x01, 0xC8}},
      // Back with Left and A held: each counts once let go and pressed again;
      // Space pressed meanwhile counts, but not as Up, which A still holds.
      {{0xCB}, 0, kA, 0, 0, {}, kReturned},  {{0xCB, 0x39}, 0, kA, 0, 0, {0x39}},
      {{0xCB}, 0, kNone, 0, 0, {}},          {{}, 0, kA, 0, 0, {0xC8}},
      {{0xCB}, 0, kNone, 0, 0, {0xCB}},
      // Back with nothing held: the latch is spent on that one snapshot.
      {{}, 0, kNone, 0, 0, {}, kReturned},   {{}, 2, kStart, 0, 0, {0x19, 0xC8}},
      // clang-format on
  };
  keys::HeldLatch latch;
  for (const auto& c : cases) {
    if (c.returned) latch.Arm();
    uint8_t state[256] = {};
    for (int key : c.before) state[key] = 0x80;
    keys::Pad pads[2];
    if (c.button != kNone) pads[1].buttons[c.button] = true;
    pads[1].leftTrigger = c.left;
    pads[1].rightTrigger = c.right;
    keys::FoldInputs({c.pointers, pads}, state);
    latch.Apply(state);
    std::vector<int> after;  // a value other than 0x80 shows as its negated key
    for (int i = 0; i < 256; ++i)
      if (state[i]) after.push_back(state[i] == 0x80 ? i : -i);
    EXPECT_EQ(after, c.after) << "row " << &c - cases;
  }
}

// With several players each pad flies the player of its slot and each
// zone's pointers the zone's player (W 0x11, I 0x17, the keypad's 8 0x48);
// Space stays player 1's Up, the keys are themselves, and Start and Back
// count on every pad.
TEST(FoldInputs, SeveralPlayersFlyEachTheirOwnKey) {
  const struct {
    int32_t players;
    std::vector<std::pair<int32_t, int>> pads;  // slot, button held
    std::vector<int32_t> zones;                 // pointers down per zone
    std::vector<int> before, after;
  } cases[] = {
      {2, {{0, kA}}, {}, {}, {0xC8}},
      {2, {{1, kB}}, {}, {}, {0x11}},
      {4, {{3, kDpadUp}, {2, kY}}, {}, {}, {0x17, 0x48}},
      {2, {{2, kA}, {3, kX}}, {}, {}, {}},  // pads past the line-up fly nobody
      {2, {{2, kStart}, {5, kBack}}, {}, {}, {0x01, 0x19}},
      {1, {{1, kA}}, {}, {}, {0xC8}},  // one player: every pad flies it
      {2, {}, {0, 2}, {}, {0x11}},
      {3, {}, {1, 0, 1, 1}, {}, {0x17, 0xC8}},  // a zone past the line-up counts for nobody
      {3, {}, {}, {0x39, 0x11, 0x48}, {0x11, 0x39, 0x48, 0xC8}},
      {5, {{1, kA}}, {0, 1}, {}, {0xC8}},  // a line-up that is none: one player
  };
  for (const auto& c : cases) {
    uint8_t state[256] = {};
    for (int key : c.before) state[key] = 0x80;
    std::vector<keys::Pad> pads(c.pads.size());
    for (size_t i = 0; i < pads.size(); ++i) {
      pads[i].slot = c.pads[i].first;
      pads[i].buttons[c.pads[i].second] = true;
    }
    keys::FoldInputs({1, pads, c.players, c.zones}, state);
    std::vector<int> after;
    for (int i = 0; i < 256; ++i)
      if (state[i]) after.push_back(i);
    EXPECT_EQ(after, c.after) << "row " << &c - cases;
  }
}

// The zones split the area evenly, player 1's leftmost; the strips a display
// shows for them start where their pointers start to count.
TEST(FoldInputs, ZonesAreSideBySideAndOfEqualWidth) {
  const struct {
    int32_t x, width, players, zone;
  } cases[] = {{-5, 640, 2, 0},  {319, 640, 2, 0}, {320, 640, 2, 1}, {700, 640, 2, 1},
               {106, 320, 3, 0}, {107, 320, 3, 1}, {214, 320, 3, 2}, {500, 640, 1, 0},
               {9, 0, 2, 0},     {959, 960, 4, 3}};
  for (const auto& c : cases)
    EXPECT_EQ(keys::PointerZone(c.x, c.width, c.players), c.zone) << c.x << " of " << c.width;
  for (int32_t players = 2; players <= keys::kMaxPlayers; ++players)
    for (int32_t width : {320, 321, 1280, 1919})
      for (int32_t zone = 0, x = 0; x < width; ++x) {
        while (x >= keys::ZoneLeft(zone + 1, width, players)) ++zone;
        ASSERT_EQ(keys::PointerZone(x, width, players), zone) << x << " of " << width;
      }
}

}  // namespace
