// The inputs other than the keyboard folded into the keyboard snapshot, and
// the latch on what was held across an absence, as one table of snapshots
// taken in turn: the keys down before, pointers down, what a second pad
// holds, the keys down after (Escape 0x01, P 0x19, Space 0x39, Up 0xC8, Left
// 0xCB), and whether the player came back just before (the latch armed); for
// several players, also the pad's slot and the pointers down per zone (W
// 0x11, I 0x17, the keypad's 8 0x48).
#include "platform/hosted/display/keys/inputs.h"

#include <gtest/gtest.h>

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
    int32_t players = 1, slot = 0;
    std::vector<int32_t> zones = {};
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
      // Several players: a pad flies its slot's player, none past the line-up;
      // pointers their zone's, not pointersDown; Space stays Up; Start and Back
      // count on every pad; a line-up of 5 is one player.
      {{}, 1, kA, 0, 0, {0xC8}, 0, 2, 0},    {{}, 0, kB, 0, 0, {0x11}, 0, 2, 1},
      {{}, 0, kY, 0, 0, {0x48}, 0, 4, 3},    {{}, 0, kA, 0, 0, {}, 0, 2, 2},
      {{}, 0, kStart, 0, 0, {0x19}, 0, 2, 5},   {{}, 0, kBack, 0, 0, {0x01}, 0, 2, 5},
      {{}, 0, kA, 0, 0, {0xC8}, 0, 1, 7},    {{}, 0, kA, 0, 0, {0xC8}, 0, 5, 1, {0, 1}},
      {{}, 1, kNone, 0, 0, {0x17}, 0, 3, 0, {0, 0, 1, 1}},
      {{0x39, 0x11, 0x48}, 0, kNone, 0, 0, {0x11, 0x39, 0x48, 0xC8}, 0, 3},
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
    pads[1].slot = c.slot;
    keys::FoldInputs({c.pointers, pads, c.players, c.zones}, state);
    latch.Apply(state);
    std::vector<int> after;  // a value other than 0x80 shows as its negated key
    for (int i = 0; i < 256; ++i)
      if (state[i]) after.push_back(state[i] == 0x80 ? i : -i);
    EXPECT_EQ(after, c.after) << "row " << &c - cases;
  }
}

// x, width, players: the zone, clamped to the area; each zone starts where a
// display shows it.
TEST(FoldInputs, PointerZonesAreSideBySideAndOfEqualWidth) {
  const int32_t zones[][4] = {{-5, 640, 2, 0},  {319, 640, 2, 0}, {320, 640, 2, 1},
                              {700, 640, 2, 1}, {500, 640, 1, 0}, {9, 0, 2, 0}};
  for (const auto& z : zones) EXPECT_EQ(keys::PointerZone(z[0], z[1], z[2]), z[3]) << z[0];
  for (int32_t players = 2; players <= keys::kMaxPlayers; ++players)
    for (int32_t zone = 0, x = 0; x < 1919; ++x) {
      while (x >= keys::ZoneLeft(zone + 1, 1919, players)) ++zone;
      ASSERT_EQ(keys::PointerZone(x, 1919, players), zone) << x;
    }
}

}  // namespace
