// The keyboard of the SDL display: SDL's scancodes as DirectInput scan codes.
//
// SDL names keys by their position (USB HID usages); DirectInput by the PC
// keyboard's set-1 scan codes, with 0x80 added for the extended (E0) keys:
// 1 Escape, 0x19 P, 0xC8 Up arrow, 0x9D right Ctrl and so on. Every key of
// the main block, the function keys F1-F24, the cursor and editing block, the
// keypad, the Windows and menu keys, the Japanese and Brazilian extra keys and
// the common media keys have a code; every other key has none and stays up.
#pragma once

#include <cstdint>

namespace sdl {

// The DirectInput scan code of SDL scancode `scancode`; 0 for a key without
// one and for numbers that are no scancode (negative or too large).
uint8_t DirectInputKey(int scancode);

// The DirectInput snapshot of SDL's keyboard state `keys` (`count` entries,
// nonzero for a key that is down, as SDL_GetKeyboardState hands it out):
// bit 7 set for every mapped key that is down, every other byte 0. A null
// `keys` leaves every key up.
void MapKeyboard(const uint8_t* keys, int count, uint8_t state[256]);

}  // namespace sdl
