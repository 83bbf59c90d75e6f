// Placeholder until the keyboard library lands: hooks only.
#include "runtime/keyboard/keyboard.h"
void KeyboardStop() {}
void KeyboardReset() {}
