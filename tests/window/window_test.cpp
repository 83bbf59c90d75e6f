#include "runtime/window/window.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/core/core.h"
#include "runtime/core/hooks.h"
#include "runtime/window/window_view.h"
#include "tests/support/program.h"

namespace {

// Outer size of a window with a caption and the thin frame it brings.
RECT CaptionFrame() {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRect(&frame, WS_CAPTION, FALSE);
  return frame;
}

TEST(Window, TheGameWindowOnA1024By768Desktop) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [] {
    EXPECT_EQ(WindowHandle(), nullptr);
    HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowHandle(), window);
    hosted::WindowInfo info = hosted::InspectWindow(window);
    EXPECT_STREQ(info.className, "WindowClass_0");
    EXPECT_STREQ(info.title, "");
    EXPECT_EQ(info.style, 0x90000000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x90000000u);
    EXPECT_TRUE(info.visible);
    EXPECT_EQ(info.rect.left, 352);
    EXPECT_EQ(info.rect.top, 264);
    EXPECT_EQ(info.rect.right - info.rect.left, 320);
    EXPECT_EQ(info.rect.bottom - info.rect.top, 240);
    EXPECT_EQ(std::memcmp(&info.rect, &info.client, sizeof(RECT)), 0);  // no frame
  });
}

TEST(Window, FlagDecoding) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [] {
    RECT frame = CaptionFrame();
    // 0: visible, with a title bar and no system menu, outer corner at (x, y),
    // the client area width x height.
    HWND plain = WindowOpen(1, 10, 20, 200, 100, 0, "plain");
    hosted::WindowInfo info = hosted::InspectWindow(plain);
    EXPECT_TRUE(info.visible);
    EXPECT_EQ(info.style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(info.style & (WS_SYSMENU | WS_POPUP), 0u);
    EXPECT_EQ(info.rect.left, 10);
    EXPECT_EQ(info.rect.top, 20);
    EXPECT_EQ(info.client.right - info.client.left, 200);
    EXPECT_EQ(info.client.bottom - info.client.top, 100);
    EXPECT_STREQ(info.title, "plain");

    // kWindowHidden: the same window, hidden.
    HWND hidden = WindowOpen(2, 10, 20, 200, 100, kWindowHidden, "hidden");
    info = hosted::InspectWindow(hidden);
    EXPECT_FALSE(info.visible);
    EXPECT_EQ(info.style & (WS_CAPTION | WS_VISIBLE), static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(info.rect.left, 10);
    EXPECT_EQ(info.client.right - info.client.left, 200);

    // Other style bits pass unchanged and get no caption.
    HWND framed = WindowOpen(3, 5, 5, 50, 50, WS_POPUP | WS_BORDER, "");
    EXPECT_EQ(hosted::InspectWindow(framed).style,
              static_cast<DWORD>(WS_POPUP | WS_BORDER | WS_VISIBLE));
    // The outer corner stays at (x, y); the border is added to the size.
    EXPECT_EQ(hosted::InspectWindow(framed).rect.left, 5);
    EXPECT_EQ(hosted::InspectWindow(framed).rect.right, 5 + 52);

    // Both centring flags: centred on the active window (the last one shown),
    // halves rounded down; the outer size includes the frame.
    HWND active = GetActiveWindow();
    ASSERT_EQ(active, framed);
    RECT around{};
    GetWindowRect(active, &around);
    HWND centred = WindowOpen(4, 0, 0, 101, 61, kWindowCentred | kWindowCentredOnActive, "");
    info = hosted::InspectWindow(centred);
    int32_t outerWidth = 101 + frame.right - frame.left;
    int32_t outerHeight = 61 + frame.bottom - frame.top;
    EXPECT_EQ(info.rect.right - info.rect.left, outerWidth);
    EXPECT_EQ(info.rect.left, std::max(0, around.left - (outerWidth >> 1) + 26));  // 52 / 2
    EXPECT_EQ(info.rect.top, std::max(0, around.top - (outerHeight >> 1) + 26));
    EXPECT_EQ(info.rect.left, 0);  // held at the screen's edge
    EXPECT_EQ(info.rect.top, 0);

    // Centred on an active window in the middle, nothing is clamped.
    HWND middle = WindowOpen(5, 500, 400, 100, 80, kWindowPopup, "");
    ASSERT_EQ(GetActiveWindow(), middle);
    info = hosted::InspectWindow(
        WindowOpen(6, 0, 0, 40, 20, kWindowPopup | kWindowCentredOnActive, ""));
    EXPECT_EQ(info.rect.left, 500 - 20 + 50);
    EXPECT_EQ(info.rect.top, 400 - 10 + 40);
  });

  // No active window: both centring flags centre on the screen, and a window
  // larger than the screen gets negative coordinates there.
  headless::HeadlessDisplay odd(0, 1023, 767);
  RunWithProgram(odd, [] {
    RECT frame = CaptionFrame();
    ASSERT_EQ(GetActiveWindow(), nullptr);
    hosted::WindowInfo info = hosted::InspectWindow(
        WindowOpen(0, 7, 7, 321, 241, kWindowHidden | kWindowCentred | kWindowCentredOnActive, ""));
    EXPECT_EQ(info.rect.left, (1023 >> 1) - ((321 + frame.right - frame.left) >> 1));
    EXPECT_EQ(info.rect.top, (767 >> 1) - ((241 + frame.bottom - frame.top) >> 1));
    info = hosted::InspectWindow(WindowOpen(1, 0, 0, 2001, 1001, kWindowCentredPopup, ""));
    EXPECT_EQ(info.rect.left, 511 - 1000);
    EXPECT_EQ(info.rect.top, 383 - 500);
  });
}

TEST(Window, TableGrowthAndReopening) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [] {
    EXPECT_EQ(WindowCapacity(), 10);
    HWND three = WindowOpen(3, 0, 0, 10, 10, kWindowPopup, "");
    HWND twelve = WindowOpen(12, 0, 0, 10, 10, kWindowPopup, "");
    ASSERT_NE(twelve, nullptr);
    EXPECT_EQ(WindowCapacity(), 22);
    EXPECT_STREQ(hosted::InspectWindow(twelve).className, "WindowClass_12");
    EXPECT_EQ(WindowOpen(21, 0, 0, 10, 10, kWindowPopup, "") != nullptr, true);
    EXPECT_EQ(WindowCapacity(), 22);
    EXPECT_NE(WindowOpen(22, 0, 0, 10, 10, kWindowPopup, ""), nullptr);
    EXPECT_EQ(WindowCapacity(), 32);

    // The entries survived the growth: window 3 still closes.
    WindowClose(3);
    EXPECT_FALSE(IsWindow(three));
    // Its class went with it; a second close changes nothing.
    EXPECT_FALSE(UnregisterClassA("WindowClass_3", RuntimeInstance));
    WindowClose(3);

    // Opening a number again replaces its window; the class is registered
    // anew. The current window follows the last successful open only.
    int before = hosted::WindowCount();
    WindowOpen(0, 0, 0, 10, 10, kWindowPopup, "first");
    HWND second = WindowOpen(0, 0, 0, 10, 10, kWindowPopup, "second");
    EXPECT_EQ(hosted::WindowCount(), before + 1);
    EXPECT_STREQ(hosted::InspectWindow(second).title, "second");
    EXPECT_STREQ(hosted::InspectWindow(second).className, "WindowClass_0");
    EXPECT_EQ(WindowHandle(), second);
    WindowClose(0);
    EXPECT_EQ(WindowHandle(), second);  // kept, though destroyed

    // The stop hook closes everything.
    WindowStop();
    EXPECT_EQ(hosted::WindowCount(), 0);
    WNDCLASSA probe{};
    probe.lpfnWndProc = WindowProcedure;
    probe.lpszClassName = "WindowClass_12";
    EXPECT_NE(RegisterClassA(&probe), 0);  // was unregistered
  });
  EXPECT_EQ(hosted::WindowCount(), 0);
}

TEST(Window, CloseRequestsAndSizeChangesAreKept) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [&] {
    HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
    // A close request waits in the queue and, when dispatched, closes nothing.
    display.RequestClose(window);
    MSG msg;
    int dispatched = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      dispatched += msg.message == WM_CLOSE;
      DispatchMessageA(&msg);
    }
    EXPECT_EQ(dispatched, 1);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_SIZE, SIZE_RESTORED, 0x00100010), 0);
    // The final message box dispatches queued requests too.
    display.RequestClose(window);
    ShowMessage("Game Over!", "", 0);
    EXPECT_TRUE(IsWindow(window));
    // Everything else gets the default handling.
    EXPECT_EQ(WindowProcedure(window, WM_NCCREATE, 0, 0), TRUE);
    EXPECT_EQ(WindowProcedure(window, WM_ERASEBKGND, 0, 0), 1);
  });
}

TEST(Window, BadNumbersAndFailures) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [&] {
    EXPECT_EQ(WindowOpen(-1, 0, 0, 10, 10, 0, ""), nullptr);
    EXPECT_EQ(WindowOpen(INT32_MIN, 0, 0, 10, 10, 0, ""), nullptr);
    EXPECT_EQ(WindowOpen(kWindowNumberLimit, 0, 0, 10, 10, 0, ""), nullptr);
    EXPECT_EQ(WindowOpen(INT32_MAX, 0, 0, 10, 10, 0, ""), nullptr);
    EXPECT_EQ(hosted::WindowCount(), 0);
    EXPECT_EQ(WindowCapacity(), 10);
    WindowClose(-1);
    WindowClose(INT32_MIN);
    WindowClose(1000000);

    // CreateWindowExA fails: 0, the current window stays, the class stays.
    HWND good = WindowOpen(1, 0, 0, 10, 10, kWindowPopup, "");
    display.FailCreateWindow("WindowClass_4");
    EXPECT_EQ(WindowOpen(4, 0, 0, 10, 10, kWindowPopup, ""), nullptr);
    display.ClearFailures();
    EXPECT_EQ(WindowHandle(), good);
    WNDCLASSA probe{};
    probe.lpfnWndProc = WindowProcedure;
    probe.lpszClassName = "WindowClass_4";
    EXPECT_EQ(RegisterClassA(&probe), 0);                               // still registered
    EXPECT_NE(WindowOpen(4, 0, 0, 10, 10, kWindowPopup, ""), nullptr);  // and usable

    // The table cannot grow: refused, and the table stays as it was.
    display.FailHeapAllocFrom(0);
    EXPECT_EQ(WindowOpen(50, 0, 0, 10, 10, kWindowPopup, ""), nullptr);
    display.ClearFailures();
    EXPECT_EQ(WindowCapacity(), 10);
    EXPECT_TRUE(IsWindow(good));
    WindowClose(1);
    EXPECT_FALSE(IsWindow(good));
    EXPECT_NE(WindowOpen(50, 0, 0, 10, 10, kWindowPopup, ""), nullptr);
    EXPECT_EQ(WindowCapacity(), 60);
  });
}

}  // namespace
