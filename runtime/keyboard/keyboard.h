// Keyboard snapshots through DirectInput 7.
//
// KeyboardExamine takes a 256-byte snapshot of the system keyboard, indexed by
// DirectInput scan code (named below for the game's keys); KeyDown tests it,
// and KeyReleased reports a key let go after a KeyReleased call saw it down.
// DirectInput is loaded at run time from "DINPUT.DLL". Keys outside 0-255
// answer 0 and touch nothing.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// DirectInput scan codes of the keys the game reads.
constexpr int32_t kKeyEscape = 1;  // DIK_ESCAPE
constexpr int32_t kKeyP = 25;      // DIK_P
constexpr int32_t kKeyUp = 200;    // DIK_UP, the arrow key

// Loads DirectInput and makes the keyboard device; 1 when ready, 0 on failure.
int32_t KeyboardInit();
// Takes a snapshot (binding to the screen's window on the first call); 1 on
// success, 0 when the read failed and the device was re-acquired.
int32_t KeyboardExamine();
// 0x80 when the key is down in the snapshot, else 0.
int32_t KeyDown(int32_t key);
// 1 once per press: the key is up and an earlier call saw it down.
int32_t KeyReleased(int32_t key);
