// Placeholder until the window library lands: hooks only.
#include "runtime/window/window.h"
void WindowStart() {}
void WindowStop() {}
void WindowReset() {}
