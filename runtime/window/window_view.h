// What the window library holds right now, for tests; nothing here is for
// the program.
#pragma once

#include <cstdint>

// The numbers the table covers now (0 before the start hook made it).
int32_t WindowCapacity();
