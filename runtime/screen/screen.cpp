// Placeholder until the screen library lands: hooks only.
#include "runtime/screen/screen.h"
void ScreenStop() {}
void ScreenReset() {}
