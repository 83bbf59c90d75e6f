// The inputs other than the keyboard, folded into the keyboard snapshot:
// pointers, gamepads and Space, as one table of what is held and the keys
// that are then down.
#include "platform/hosted/display/keys/inputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using keys::PadButton;

constexpr uint8_t kEscape = 0x01, kP = 0x19, kSpace = 0x39, kUp = 0xC8, kLeft = 0xCB;

keys::Pad Pressed(std::vector<PadButton> buttons, float left = 0, float right = 0) {
  keys::Pad pad;
  for (PadButton button : buttons) pad.buttons[static_cast<int>(button)] = true;
  pad.leftTrigger = left;
  pad.rightTrigger = right;
  return pad;
}

TEST(FoldInputs, EachSourceGivesItsKeys) {
  const struct {
    const char* what;
    std::vector<uint8_t> keys;  // down before folding
    int32_t pointers;
    std::vector<keys::Pad> pads;
    std::vector<uint8_t> down;  // down after
  } cases[] = {
      {"nothing", {}, 0, {}, {}},
      {"other keys stay", {kLeft}, 0, {}, {kLeft}},
      {"Space", {kSpace}, 0, {}, {kSpace, kUp}},
      {"a pointer", {}, 1, {}, {kUp}},
      {"three pointers", {}, 3, {}, {kUp}},
      {"a pad at rest", {}, 0, {keys::Pad{}}, {}},
      {"A", {}, 0, {Pressed({PadButton::kA})}, {kUp}},
      {"B", {}, 0, {Pressed({PadButton::kB})}, {kUp}},
      {"X", {}, 0, {Pressed({PadButton::kX})}, {kUp}},
      {"Y", {}, 0, {Pressed({PadButton::kY})}, {kUp}},
      {"d-pad up", {}, 0, {Pressed({PadButton::kDpadUp})}, {kUp}},
      {"left trigger past half", {}, 0, {Pressed({}, 0.51f)}, {kUp}},
      {"right trigger past half", {}, 0, {Pressed({}, 0, 1.0f)}, {kUp}},
      {"triggers at half", {}, 0, {Pressed({}, 0.5f, 0.5f)}, {}},
      {"Start", {}, 0, {Pressed({PadButton::kStart})}, {kP}},
      {"Back", {}, 0, {Pressed({PadButton::kBack})}, {kEscape}},
      {"second pad", {}, 0, {keys::Pad{}, Pressed({PadButton::kStart, PadButton::kA})}, {kP, kUp}},
      {"everything",
       {kSpace, kUp},
       2,
       {Pressed({PadButton::kBack, PadButton::kY})},
       {kEscape, kSpace, kUp}},
  };
  for (const auto& c : cases) {
    uint8_t state[256] = {};
    for (uint8_t key : c.keys) state[key] = 0x80;
    keys::FoldInputs({c.pointers, c.pads}, state);
    std::vector<uint8_t> down;
    for (int i = 0; i < 256; ++i) {
      if (state[i] == 0x80) down.push_back(static_cast<uint8_t>(i));
      EXPECT_TRUE(state[i] == 0 || state[i] == 0x80) << c.what << ": " << i;
    }
    EXPECT_EQ(down, c.down) << c.what;
  }
}

}  // namespace
