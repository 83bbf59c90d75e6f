// Keyboard snapshots through DirectInput 7.
//
// KeyboardExamine takes a 256-byte snapshot of the system keyboard, indexed by
// DirectInput scan code (1 Escape, 25 P, 200 Up); KeyDown tests it, and
// KeyReleased reports a key let go after a KeyReleased call saw it down.
// DirectInput is loaded at run time from "DINPUT.DLL". Keys outside 0-255
// answer 0 and touch nothing.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Loads DirectInput and makes the keyboard device; 1 when ready, 0 on failure.
int32_t KeyboardInit();
// Takes a snapshot (binding to the screen's window on the first call); 1 on
// success, 0 when the read failed and the device was re-acquired.
int32_t KeyboardExamine();
// 0x80 when the key is down in the snapshot, else 0.
int32_t KeyDown(int32_t key);
// 1 once per press: the key is up and an earlier call saw it down.
int32_t KeyReleased(int32_t key);
