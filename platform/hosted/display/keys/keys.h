// Keys by their place on the keyboard, in the numbers of every display.
//
// The hosted keyboard reports DirectInput scan codes: the PC keyboard's set-1
// scan codes, with 0x80 added for the extended (E0) keys: 1 Escape, 0x19 P,
// 0xC8 Up arrow, 0x9D right Ctrl and so on. Displays learn of keys in other
// numbers: SDL by USB HID usages, browsers by KeyboardEvent.code names. This
// table names each key in all three, so that every display maps its keys the
// same way: every key of the main block, the function keys F1-F24, the cursor
// and editing block, the keypad, the Windows and menu keys, the Japanese and
// Brazilian extra keys and the common media keys. Any other key has no scan
// code and stays up.
#pragma once

#include <cstdint>
#include <span>

namespace keys {

struct Key {
  uint8_t scanCode;     // DirectInput scan code, never 0
  uint32_t usbUsage;    // USB HID usage page << 16 | usage id: 0x070004 is A
  const char* domCode;  // KeyboardEvent.code; null for a key browsers do not name
};

// Every key with a scan code. A scan code has several rows where several
// usages name the same key (the ISO key beside Return, Mute, the browser's
// home), as Windows reports one scan code for them.
std::span<const Key> KeyTable();

}  // namespace keys
