// SDL scancodes as DirectInput scan codes.
#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "platform/hosted/display/sdl/sdl_keys.h"

namespace {

using sdl::DirectInputKey;

TEST(SdlKeys, TheGameKeysAndTheMainBlock) {
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_ESCAPE), 0x01);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_P), 0x19);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_UP), 0xC8);
  // The letter rows run in keyboard order, not in SDL's alphabetical one.
  const SDL_Scancode top[] = {SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R,
                              SDL_SCANCODE_T, SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_I,
                              SDL_SCANCODE_O, SDL_SCANCODE_P};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(DirectInputKey(top[i]), 0x10 + i) << i;
  const SDL_Scancode home[] = {SDL_SCANCODE_A, SDL_SCANCODE_S, SDL_SCANCODE_D,
                               SDL_SCANCODE_F, SDL_SCANCODE_G, SDL_SCANCODE_H,
                               SDL_SCANCODE_J, SDL_SCANCODE_K, SDL_SCANCODE_L};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(DirectInputKey(home[i]), 0x1E + i) << i;
  const SDL_Scancode bottom[] = {SDL_SCANCODE_Z, SDL_SCANCODE_X, SDL_SCANCODE_C, SDL_SCANCODE_V,
                                 SDL_SCANCODE_B, SDL_SCANCODE_N, SDL_SCANCODE_M};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(DirectInputKey(bottom[i]), 0x2C + i) << i;
  // SDL has 1 ... 9, 0 in a row, as the keyboard does.
  for (int i = 0; i < 10; ++i) EXPECT_EQ(DirectInputKey(SDL_SCANCODE_1 + i), 0x02 + i) << i;
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_RETURN), 0x1C);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_SPACE), 0x39);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_BACKSPACE), 0x0E);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_TAB), 0x0F);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_GRAVE), 0x29);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_NONUSBACKSLASH), 0x56);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_LSHIFT), 0x2A);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_RSHIFT), 0x36);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_LCTRL), 0x1D);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_RCTRL), 0x9D);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_LALT), 0x38);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_RALT), 0xB8);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_LGUI), 0xDB);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_APPLICATION), 0xDD);
}

TEST(SdlKeys, FunctionCursorAndKeypadKeys) {
  for (int i = 0; i < 10; ++i) EXPECT_EQ(DirectInputKey(SDL_SCANCODE_F1 + i), 0x3B + i) << i;
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_F11), 0x57);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_F12), 0x58);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_F13), 0x64);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_DOWN), 0xD0);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_LEFT), 0xCB);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_RIGHT), 0xCD);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_HOME), 0xC7);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_END), 0xCF);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_PAGEUP), 0xC9);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_PAGEDOWN), 0xD1);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_INSERT), 0xD2);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_DELETE), 0xD3);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_PRINTSCREEN), 0xB7);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_PAUSE), 0xC5);
  // The keypad digits are laid out 7 8 9 / 4 5 6 / 1 2 3 / 0.
  const std::map<SDL_Scancode, int> keypad = {
      {SDL_SCANCODE_KP_7, 0x47},        {SDL_SCANCODE_KP_8, 0x48},
      {SDL_SCANCODE_KP_9, 0x49},        {SDL_SCANCODE_KP_4, 0x4B},
      {SDL_SCANCODE_KP_5, 0x4C},        {SDL_SCANCODE_KP_6, 0x4D},
      {SDL_SCANCODE_KP_1, 0x4F},        {SDL_SCANCODE_KP_2, 0x50},
      {SDL_SCANCODE_KP_3, 0x51},        {SDL_SCANCODE_KP_0, 0x52},
      {SDL_SCANCODE_KP_PERIOD, 0x53},   {SDL_SCANCODE_KP_ENTER, 0x9C},
      {SDL_SCANCODE_KP_DIVIDE, 0xB5},   {SDL_SCANCODE_KP_MULTIPLY, 0x37},
      {SDL_SCANCODE_KP_MINUS, 0x4A},    {SDL_SCANCODE_KP_PLUS, 0x4E},
      {SDL_SCANCODE_NUMLOCKCLEAR, 0x45}};
  for (auto [scancode, key] : keypad) EXPECT_EQ(DirectInputKey(scancode), key) << scancode;
}

TEST(SdlKeys, DistinctKeysGetDistinctCodesAndOthersNone) {
  // Only these SDL scancodes name the same key as another one.
  const std::set<int> aliases = {SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_SYSREQ,
                                 SDL_SCANCODE_AUDIOMUTE, SDL_SCANCODE_AC_HOME};
  std::map<int, int> owner;  // code -> first scancode with it
  int mapped = 0;
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    int key = DirectInputKey(scancode);
    if (key == 0) continue;
    ++mapped;
    if (aliases.count(scancode)) {
      EXPECT_TRUE(owner.count(key)) << "alias " << scancode << " of no key";
      continue;
    }
    EXPECT_FALSE(owner.count(key))
        << "scancodes " << owner[key] << " and " << scancode << " both give " << key;
    owner[key] = scancode;
  }
  EXPECT_GT(mapped, 120);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_KP_A), 0);
  EXPECT_EQ(DirectInputKey(SDL_SCANCODE_LANG1), 0);
  EXPECT_EQ(DirectInputKey(-1), 0);
  EXPECT_EQ(DirectInputKey(INT_MIN), 0);
  EXPECT_EQ(DirectInputKey(SDL_NUM_SCANCODES), 0);
  EXPECT_EQ(DirectInputKey(INT_MAX), 0);
}

TEST(SdlKeys, SnapshotFromSdlKeyState) {
  std::vector<uint8_t> keys(SDL_NUM_SCANCODES, 0);
  uint8_t state[256];
  std::memset(state, 0x55, sizeof state);
  sdl::MapKeyboard(keys.data(), SDL_NUM_SCANCODES, state);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(state[i], 0) << i;  // leftovers cleared

  keys[SDL_SCANCODE_UP] = 1;
  keys[SDL_SCANCODE_ESCAPE] = 1;
  keys[SDL_SCANCODE_KP_A] = 1;  // no code: stays unseen
  sdl::MapKeyboard(keys.data(), SDL_NUM_SCANCODES, state);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(state[i], i == 0xC8 || i == 0x01 ? 0x80 : 0) << i;

  // An alias and its key together, or either alone, give the one code.
  keys.assign(SDL_NUM_SCANCODES, 0);
  keys[SDL_SCANCODE_NONUSHASH] = 1;
  sdl::MapKeyboard(keys.data(), SDL_NUM_SCANCODES, state);
  EXPECT_EQ(state[0x2B], 0x80);

  // Only `count` entries are read; a longer count than SDL has is cut.
  keys.assign(SDL_NUM_SCANCODES + 100, 0);
  keys[SDL_SCANCODE_UP] = 1;
  sdl::MapKeyboard(keys.data(), SDL_SCANCODE_UP, state);
  EXPECT_EQ(state[0xC8], 0);
  sdl::MapKeyboard(keys.data(), SDL_NUM_SCANCODES + 100, state);
  EXPECT_EQ(state[0xC8], 0x80);
  sdl::MapKeyboard(keys.data(), -5, state);
  EXPECT_EQ(state[0xC8], 0);

  std::memset(state, 0x55, sizeof state);
  sdl::MapKeyboard(nullptr, SDL_NUM_SCANCODES, state);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(state[i], 0) << i;
}

}  // namespace
