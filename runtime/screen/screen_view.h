// What the screen library holds right now, for tests and tools; nothing here
// is for the program.
#pragma once

#include <cstdint>

#include "runtime/screen/screen_internal.h"

// The library's whole state, read-only.
const ScreenState& ScreenInspect();
// The record of slot `number`; null for negative numbers, beyond the table,
// or before SpriteTableInit.
const SpriteRecord* SpriteRecordAt(int32_t number);
