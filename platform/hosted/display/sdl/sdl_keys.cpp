// SDL scancodes to DirectInput scan codes, through the key table.
#include "platform/hosted/display/sdl/sdl_keys.h"

#include <SDL.h>

#include <array>
#include <cstring>

#include "platform/hosted/display/keys/keys.h"

namespace sdl {
namespace {

// SDL's scancodes are the USB HID usages of the keyboard page; keys of other
// pages have numbers of SDL's own.
struct OtherPage {
  uint32_t usbUsage;
  SDL_Scancode scancode;
};

constexpr OtherPage kOtherPages[] = {
    {0x0C00B5, SDL_SCANCODE_AUDIONEXT},    {0x0C00B6, SDL_SCANCODE_AUDIOPREV},
    {0x0C00B7, SDL_SCANCODE_AUDIOSTOP},    {0x0C00CD, SDL_SCANCODE_AUDIOPLAY},
    {0x0C00E2, SDL_SCANCODE_AUDIOMUTE},    {0x0C0183, SDL_SCANCODE_MEDIASELECT},
    {0x0C0196, SDL_SCANCODE_WWW},          {0x0C018A, SDL_SCANCODE_MAIL},
    {0x0C0192, SDL_SCANCODE_CALCULATOR},   {0x0C0194, SDL_SCANCODE_COMPUTER},
    {0x0C0221, SDL_SCANCODE_AC_SEARCH},    {0x0C0223, SDL_SCANCODE_AC_HOME},
    {0x0C0224, SDL_SCANCODE_AC_BACK},      {0x0C0225, SDL_SCANCODE_AC_FORWARD},
    {0x0C0226, SDL_SCANCODE_AC_STOP},      {0x0C0227, SDL_SCANCODE_AC_REFRESH},
    {0x0C022A, SDL_SCANCODE_AC_BOOKMARKS}, {0x010082, SDL_SCANCODE_SLEEP},
};

// The SDL scancode of a USB usage; SDL_SCANCODE_UNKNOWN for none.
int ScancodeOf(uint32_t usbUsage) {
  if ((usbUsage >> 16) == 0x07) return static_cast<int>(usbUsage & 0xFFFF);
  for (const OtherPage& other : kOtherPages)
    if (other.usbUsage == usbUsage) return other.scancode;
  return SDL_SCANCODE_UNKNOWN;
}

using Table = std::array<uint8_t, SDL_NUM_SCANCODES>;

Table BuildTable() {
  Table table{};
  for (const keys::Key& key : keys::KeyTable()) {
    int scancode = ScancodeOf(key.usbUsage);
    if (scancode > SDL_SCANCODE_UNKNOWN && scancode < SDL_NUM_SCANCODES)
      table[static_cast<size_t>(scancode)] = key.scanCode;
  }
  return table;
}

const Table& Codes() {
  static const Table table = BuildTable();
  return table;
}

}  // namespace

uint8_t DirectInputKey(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return Codes()[static_cast<size_t>(scancode)];
}

void MapKeyboard(const uint8_t* keys, int count, uint8_t state[256]) {
  std::memset(state, 0, 256);
  if (keys == nullptr) return;
  if (count > SDL_NUM_SCANCODES) count = SDL_NUM_SCANCODES;
  const Table& codes = Codes();
  for (int scancode = 0; scancode < count; ++scancode)
    if (keys[scancode] && codes[static_cast<size_t>(scancode)])
      state[codes[static_cast<size_t>(scancode)]] = 0x80;
}

}  // namespace sdl
