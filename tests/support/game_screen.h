// The game's screen for tests that draw on it: window 0, a borderless
// 320 x 240 popup centred on the desktop (at (352, 264) on the default
// 1024 x 768 one), and the windowed screen in it, paced at 60 frames per
// second (the open's rate when none was set).
#pragma once

#include <gtest/gtest.h>

#include "runtime/screen/screen.h"
#include "runtime/window/window.h"

inline HWND OpenGameScreen() {
  EXPECT_NE(ScreenInit(), 0);
  HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
  EXPECT_NE(window, nullptr);
  EXPECT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 1);
  return window;
}
