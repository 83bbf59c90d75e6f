// The screen: start-up and its failures, opening and its failures, the active
// flag, presentation in the window, message servicing, frame pacing on the
// virtual clock, colour fills and the screen's drawing output.
#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/core/hooks.h"
#include "tests/screen/screen_support.h"

namespace {

using namespace screen_test;

void ExpectBaseWindow(HWND window) {
  hosted::WindowInfo info = hosted::InspectWindow(window);
  ASSERT_TRUE(info.exists);
  EXPECT_STREQ(info.className, "MultimediaBase Class");
  EXPECT_FALSE(info.visible);
  EXPECT_EQ(info.rect.right - info.rect.left, 1);
  EXPECT_EQ(info.rect.bottom - info.rect.top, 1);
}

TEST(ScreenInit, LoadsDirectDrawAndMakesTheTableAndTheBaseWindow) {
  RunWithProgram([] {
    ASSERT_NE(ScreenInit(), 0);
    ScreenState view = ScreenInspect();
    EXPECT_NE(view.module, nullptr);
    EXPECT_NE(view.directDraw, nullptr);
    EXPECT_EQ(view.spriteCapacity, 50);
    EXPECT_EQ(view.windowed, 0);
    EXPECT_EQ(view.active, 0);
    EXPECT_EQ(view.frameRate, 0);
    EXPECT_EQ(view.screenWindow, view.baseWindow);
    EXPECT_EQ(ScreenWindow(), view.baseWindow);
    ExpectBaseWindow(view.baseWindow);
    // Once is enough: a second call keeps DirectDraw and the base window.
    EXPECT_NE(ScreenInit(), 0);
    EXPECT_EQ(ScreenInspect().directDraw, view.directDraw);
    EXPECT_EQ(hosted::WindowCount(), 1);
  });
}

TEST(ScreenInit, EveryFailureGivesZeroAndUndoesNothing) {
  enum Fault { kNoLibrary, kNoScreen, kNoDirectDraw, kNoTable };
  for (Fault fault : {kNoLibrary, kNoScreen, kNoDirectDraw, kNoTable}) {
    SCOPED_TRACE(fault);
    headless::HeadlessDisplay display;
    if (fault == kNoLibrary) display.FailLoadLibrary("DDRAW.DLL");
    if (fault == kNoScreen) display.SetAvailable(false);
    if (fault == kNoDirectDraw) display.Fail(hosted::FailPoint::kDirectDrawCreate);
    RunWithProgram(display, [&] {
      if (fault == kNoTable) display.FailHeapAllocFrom(0);
      EXPECT_EQ(ScreenInit(), 0);
      display.ClearFailures();
      display.SetAvailable(true);
      ScreenState view = ScreenInspect();
      // The table and the base window were made first and stay.
      EXPECT_EQ(view.spriteCapacity, fault == kNoTable ? 0 : 50);
      ExpectBaseWindow(view.screenWindow);
      EXPECT_EQ(view.directDraw != nullptr, fault == kNoTable);
      EXPECT_EQ(view.module != nullptr, fault == kNoTable || fault == kNoDirectDraw);
      if (fault != kNoTable) {
        // Without DirectDraw no screen opens.
        HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
        EXPECT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 0);
        EXPECT_EQ(ScreenInspect().windowed, 0);
        // Nothing is retried by itself, but a later call can succeed.
        EXPECT_NE(ScreenInit(), 0);
        EXPECT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 1);
      }
    });
  }
}

TEST(ScreenOpenWindowed, OpensABlackDoubleBufferedScreenInTheWindow) {
  RunWithProgram([] {
    HWND window = OpenGameScreen();
    ScreenState view = ScreenInspect();
    EXPECT_EQ(view.windowed, 1);
    EXPECT_EQ(view.active, 1);
    EXPECT_EQ(ScreenWindow(), window);
    EXPECT_NE(view.primary, nullptr);
    EXPECT_NE(view.clipper, nullptr);
    ASSERT_NE(view.backBuffer, nullptr);
    EXPECT_EQ(view.target.surface, view.backBuffer);
    EXPECT_EQ(view.target.width, 320);
    EXPECT_EQ(view.target.height, 240);
    EXPECT_EQ(view.displayDepth, 32);
    EXPECT_EQ(view.offsetX, 0);  // borderless: the picture starts at the window's corner
    EXPECT_EQ(view.offsetY, 0);
    EXPECT_EQ(view.frameRate, 60);  // no rate was set
    EXPECT_EQ(view.framePeriod, 10000000 / 61);
    hosted::SurfaceInfo buffer = hosted::InspectSurface(view.backBuffer);
    EXPECT_EQ(buffer.width, 320);
    EXPECT_EQ(buffer.height, 240);
    EXPECT_TRUE(hosted::InspectWindow(window).visible);
    EXPECT_FALSE(hosted::InspectWindow(view.baseWindow).visible);
    HWND clipped = nullptr;
    view.clipper->GetHWnd(&clipped);
    EXPECT_EQ(clipped, window);
  });
}

TEST(ScreenOpenWindowed, EveryFailureClosesTheScreen) {
  using hosted::FailPoint;
  for (int fault = 0; fault < 5; ++fault) {
    SCOPED_TRACE(fault);
    headless::HeadlessDisplay display;
    RunWithProgram(display, [&] {
      HWND window = OpenGameScreen();
      IDirectDrawSurface7* sprite = SpriteCreate(3, 8, 8);
      ASSERT_NE(sprite, nullptr);
      ScreenSetFrameRate(30);
      HWND target = window;
      if (fault == 0) target = nullptr;
      if (fault == 1) target = reinterpret_cast<HWND>(0x1234);  // no window: cooperative level
      if (fault == 2) display.Fail(FailPoint::kPrimarySurface);
      if (fault == 3) display.Fail(FailPoint::kClipper);
      if (fault == 4) display.Fail(FailPoint::kBackBuffer);
      EXPECT_EQ(ScreenOpenWindowed(target, 0, 0, 320, 240, 0, 0, 0), 0);
      ScreenState view = ScreenInspect();
      EXPECT_EQ(view.windowed, 0);
      EXPECT_EQ(view.screenWindow, view.baseWindow);
      EXPECT_EQ(view.primary, nullptr);
      EXPECT_EQ(view.clipper, nullptr);
      EXPECT_EQ(view.backBuffer, nullptr);
      EXPECT_EQ(view.target.surface, nullptr);
      EXPECT_EQ(SpriteRecordAt(3)->surface, nullptr);
      EXPECT_EQ(hosted::InspectSurface(sprite).pixels, nullptr);  // released
      EXPECT_EQ(view.active, 1);                                  // kept
      EXPECT_EQ(view.frameRate, 30);                              // kept
      // Nothing is left to draw into, and nothing breaks.
      EXPECT_EQ(ScreenOutput(), nullptr);
      EXPECT_EQ(ScreenFlip(), nullptr);
      EXPECT_EQ(ScreenClear(0, 0, 0), DDERR_INVALIDOBJECT);
      display.ClearFailures();
      EXPECT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 1);
    });
  }
}

TEST(ScreenOpenWindowed, NoWindowBeforeAnyScreenLeavesTheInitialisedState) {
  RunWithProgram([] {
    ASSERT_NE(ScreenInit(), 0);
    EXPECT_EQ(ScreenOpenWindowed(nullptr, 0, 0, 320, 240, 0, 0, 0), 0);
    ScreenState view = ScreenInspect();
    EXPECT_EQ(view.windowed, 0);
    EXPECT_EQ(view.active, 0);
    EXPECT_EQ(view.screenWindow, view.baseWindow);
    EXPECT_EQ(view.spriteCapacity, 50);
    for (int32_t n = 0; n < 50; ++n) ASSERT_EQ(SpriteRecordAt(n)->surface, nullptr);
  });
}

TEST(ScreenActiveFlag, FollowsTheBaseWindowOnlyWhileNoScreenIsOpen) {
  RunWithProgram([] {
    ASSERT_NE(ScreenInit(), 0);
    HWND base = ScreenWindow();
    EXPECT_EQ(SendMessageA(base, WM_ACTIVATE, WA_ACTIVE, 0), 0);
    EXPECT_EQ(ScreenInspect().active, 1);
    EXPECT_EQ(SendMessageA(base, WM_ACTIVATE, WA_INACTIVE, 0), 0);
    EXPECT_EQ(ScreenInspect().active, 0);
    HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
    ASSERT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 1);
    EXPECT_EQ(ScreenInspect().active, 1);
    SendMessageA(base, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(ScreenInspect().active, 1);
    ScreenClose();
    EXPECT_EQ(ScreenInspect().active, 1);
    EXPECT_EQ(ScreenInspect().windowed, 0);
    EXPECT_EQ(ScreenWindow(), base);
  });
}

TEST(ScreenFlip, ShowsTheBackBufferInTheWindowOnly) {
  RunWithProgram([] {
    OpenGameScreen();
    ScreenSetFrameRate(0);
    ScreenClear(255, 0, 0);
    ScreenFlip();
    for (int y = 254; y < 514; ++y)
      for (int x = 342; x < 682; ++x) {
        bool inside = x >= 352 && x < 672 && y >= 264 && y < 504;
        ASSERT_EQ(DesktopPixel(x, y), inside ? 0xFF0000u : 0u) << x << "," << y;
      }
  });
}

TEST(ScreenFlip, PlacesThePictureInTheClientAreaAndStretchesOnRequest) {
  RunWithProgram([] {
    ASSERT_NE(ScreenInit(), 0);
    // A window with a frame and a title bar: the picture starts at the
    // client area's corner plus (x, y), and stays inside the client area.
    HWND framed = WindowOpen(1, 100, 100, 320, 240, 0, "");
    ASSERT_EQ(ScreenOpenWindowed(framed, 10, 5, 320, 240, 0, 0, 0), 1);
    ScreenSetFrameRate(0);
    ScreenClear(0, 0, 255);
    ScreenFlip();
    RECT client = hosted::InspectWindow(framed).client;
    EXPECT_EQ(DesktopPixel(client.left + 10, client.top + 5), 0xFFu);
    EXPECT_EQ(DesktopPixel(client.left + 9, client.top + 5), 0u);
    EXPECT_EQ(DesktopPixel(client.left + 10, client.top + 4), 0u);
    EXPECT_EQ(DesktopPixel(client.right - 1, client.bottom - 1), 0xFFu);
    EXPECT_EQ(DesktopPixel(client.right, client.bottom - 1), 0u);  // clipped at the frame
    ScreenClose();

    // Stretched: a 160 x 120 buffer fills the borderless window less the
    // margins, every pixel doubled horizontally and (here) 5/3 vertically.
    HWND window = WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
    ASSERT_EQ(ScreenOpenWindowed(window, 0, 0, 160, 120, 1, 0, 40), 1);
    ScreenSetFrameRate(0);
    Pattern(ScreenInspect().backBuffer);
    std::memset(hosted::Desktop().pixels, 0, 1024 * 768 * 4);
    ScreenFlip();
    EXPECT_EQ(DesktopPixel(352, 264), BackPixel(0, 0));
    EXPECT_EQ(DesktopPixel(353, 264), BackPixel(0, 0));
    EXPECT_EQ(DesktopPixel(354, 264), BackPixel(1, 0));
    EXPECT_EQ(DesktopPixel(671, 463), BackPixel(159, 119));
    EXPECT_EQ(DesktopPixel(671, 464), 0u);  // the bottom margin stays untouched
  });
}

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
std::vector<UINT> received;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back(message);
  return WindowProcedure(window, message, wParam, lParam);
}

TEST(ScreenFlip, DispatchesWaitingMessagesAndTheCloseRequestIsIgnored) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [&] {
    ASSERT_NE(ScreenInit(), 0);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProcedure;
    windowClass.hInstance = RuntimeInstance;
    windowClass.lpszClassName = "Recording";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "Recording", "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240,
                                  nullptr, nullptr, RuntimeInstance, nullptr);
    ASSERT_EQ(ScreenOpenWindowed(window, 0, 0, 320, 240, 0, 0, 0), 1);
    ScreenSetFrameRate(0);
    received.clear();
    display.RequestClose(window);
    PostMessageA(window, WM_NULL, 0, 0);
    ScreenFlip();
    EXPECT_EQ(std::count(received.begin(), received.end(), WM_CLOSE), 1);
    EXPECT_EQ(std::count(received.begin(), received.end(), WM_NULL), 1);
    EXPECT_TRUE(IsWindow(window));
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  });
  received.clear();
}

TEST(ScreenSetFrameRate, PeriodIsTheFrequencyOverRatePlusOne) {
  RunWithProgram([] {
    const int32_t rates[] = {0, 1, 30, 59, 60, 10000000};
    const int32_t periods[] = {10000000, 5000000, 322580, 166666, 163934, 0};
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(ScreenSetFrameRate(rates[i]), 1);
      EXPECT_EQ(ScreenInspect().frameRate, rates[i]);
      EXPECT_EQ(ScreenInspect().framePeriod, periods[i]);
      EXPECT_EQ(ScreenInspect().lastCount, 0);
    }
    ScreenSetFrameRate(30);
    EXPECT_EQ(ScreenSetFrameRate(-1), 0);  // would divide by zero
    EXPECT_EQ(ScreenSetFrameRate(-7), 0);
    EXPECT_EQ(ScreenInspect().frameRate, 30);
    EXPECT_EQ(ScreenInspect().framePeriod, 322580);
  });
}

// Every counter reading advances the virtual clock by 1000 ticks, so a wait
// of the 322580-tick period at rate 30 ends at the 323rd reading after the
// one it is measured from.
TEST(ScreenFlip, PacesOnThePerformanceCounter) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [&] {
    OpenGameScreen();
    ScreenSetFrameRate(30);
    // The first flip restarts the measurement at its first reading, then
    // waits one full period.
    int64_t before = display.Counter();
    ScreenFlip();
    EXPECT_EQ(display.Counter(), before + 1000 + 323000);
    EXPECT_EQ(ScreenInspect().lastCount, static_cast<int32_t>(display.Counter()));
    // A short frame waits for the rest of the period.
    int32_t last = ScreenInspect().lastCount;
    Sleep(10);
    ScreenFlip();
    EXPECT_EQ(ScreenInspect().lastCount, last + 323000);
    // A frame longer than the period is not waited for, and time lost is not
    // made up: the next frame is measured from that one reading.
    before = display.Counter();
    Sleep(40);
    ScreenFlip();
    EXPECT_EQ(display.Counter(), before + 400000 + 1000);
    last = ScreenInspect().lastCount;
    ScreenFlip();
    EXPECT_EQ(ScreenInspect().lastCount, last + 323000);
    // Rate 0 reads no counter at all.
    ScreenSetFrameRate(0);
    before = display.Counter();
    ScreenFlip();
    EXPECT_EQ(display.Counter(), before);
  });
}

// Every reading of a wait but its first follows another with nothing else
// asked of the platform: the display is asked to rest before it. Once the
// ends of nine waits have come 323000 ticks apart, each rest is told how far
// the wait's end lies beyond the previous reading.
TEST(ScreenFlip, TheDisplayMayRestInEveryWaitAndIsToldWhenItEnds) {
  headless::HeadlessDisplay display;
  std::vector<int64_t> rests;
  bool sleeping = false;  // a long rest sleeps the virtual clock, as a real one would
  bool late = false;      // ... or wakes 2 ms after the foreseen end
  display.onRest = [&](int64_t foreseen) {
    rests.push_back(foreseen);
    if ((sleeping || late) && foreseen > 16500)
      display.Sleep(static_cast<uint32_t>((foreseen + (late ? 20000 : -15000)) / 10000));
  };
  // The rests of one flip.
  auto Flip = [&] {
    rests.clear();
    ScreenFlip();
    return rests;
  };
  // n rests foreseeing 0 / the end after 323000 ticks, a reading each.
  auto Unforeseen = [](size_t n) { return std::vector<int64_t>(n, 0); };
  auto Foreseen = [] {
    std::vector<int64_t> expected;
    for (int64_t n = 1; n <= 322; ++n) expected.push_back(323000 - n * 1000);
    return expected;
  };
  RunWithProgram(display, [&] {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    QueryPerformanceCounter(&count);
    GetTickCount();
    QueryPerformanceCounter(&count);
    EXPECT_EQ(rests, Unforeseen(1));

    OpenGameScreen();
    ScreenSetFrameRate(30);
    // The two readings above were the first wait; nine ends make the eight
    // intervals of a rhythm.
    EXPECT_EQ(Flip(), Unforeseen(323));  // 324 readings: the first restarts
    for (int wait = 3; wait <= 9; ++wait) EXPECT_EQ(Flip(), Unforeseen(322)) << wait;
    EXPECT_EQ(Flip(), Foreseen());
    EXPECT_EQ(Flip(), Foreseen());
    // A long frame ends its wait at the first reading, without a rest; the
    // next wait's end lies beyond the end foreseen from the rhythm, which
    // is then past. The long interval does not change the rhythm.
    Sleep(40);
    EXPECT_EQ(Flip(), Unforeseen(0));
    EXPECT_EQ(Flip(), Unforeseen(322));
    EXPECT_EQ(Flip(), Foreseen());
    // A long rest that wakes late, past the foreseen end, keeps the rhythm.
    late = true;
    EXPECT_EQ(Flip(), std::vector<int64_t>{322000});
    late = false;
    EXPECT_EQ(Flip(), Foreseen());
    // Faster frames: the first long rest sleeps past the end of its wait,
    // and the rhythm is learnt anew.
    sleeping = true;
    ScreenSetFrameRate(60);
    EXPECT_EQ(Flip(), std::vector<int64_t>{322000});
    EXPECT_EQ(Flip(), Unforeseen(163));
  });
}

TEST(ScreenFlip, ASignChangeOfTheCountersLowHalfRestartsTheWait) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [&] {
    OpenGameScreen();
    ScreenSetFrameRate(30);
    // Positive to negative: the wait starts at 2147431000, and at the first
    // reading past 2^31 (2147484000) starts again.
    AdvanceCounterTo(display, 2147430000);
    ScreenFlip();
    EXPECT_EQ(display.Counter(), 2147484000 + 323000);
    EXPECT_EQ(ScreenInspect().lastCount, static_cast<int32_t>(2147484000 + 323000 - 4294967296));
    // Negative to positive: the low half goes from -296 past 0 to 704.
    AdvanceCounterTo(display, 4294916000);
    ScreenFlip();  // a long frame: ends at its first reading, 4294917000
    EXPECT_EQ(display.Counter(), 4294917000);
    ScreenFlip();
    EXPECT_EQ(display.Counter(), 4294968000 + 323000);
    EXPECT_EQ(ScreenInspect().lastCount, 704 + 323000);
  });
}

TEST(ScreenClear, FillsTheDisplayTargetWithClampedComponents) {
  RunWithProgram([] {
    EXPECT_EQ(ScreenClear(0, 0, 0), DDERR_INVALIDOBJECT);  // no screen yet
    OpenGameScreen();
    ScreenSetFrameRate(0);
    ASSERT_NE(SpriteCreate(1, 320, 240), nullptr);
    EXPECT_EQ(ScreenClear(255, 255, 255), DD_OK);
    EXPECT_EQ(BackPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(BackPixel(319, 239), 0xFFFFFFu);
    // Into a sprite after SpriteTarget; the back buffer keeps its colour.
    SpriteTarget(1);
    EXPECT_EQ(ScreenClear(0, 128, 0), DD_OK);
    EXPECT_EQ(SpritePixel(1, 5, 7), 0x008000u);
    EXPECT_EQ(BackPixel(5, 7), 0xFFFFFFu);
    // The flip sends the target home.
    ScreenFlip();
    EXPECT_EQ(ScreenInspect().target.surface, ScreenInspect().backBuffer);
    ScreenClear(300, -4, 18);
    EXPECT_EQ(BackPixel(160, 120), 0xFF0012u);
    EXPECT_EQ(SpritePixel(1, 160, 120), 0x008000u);
    ScreenClear(0, 0, 0);
    EXPECT_EQ(BackPixel(160, 120), 0u);
  });
}

TEST(ScreenOutput, HandsTheBackBufferOutOnceUntilReleased) {
  RunWithProgram([] {
    OpenGameScreen();
    ScreenSetFrameRate(0);
    DrawingOutput* output = ScreenOutput();
    ASSERT_NE(output, nullptr);
    ExpectSurfaceOutput(output, ScreenInspect().backBuffer, 320, 240);
    SetPixelV(output->deviceContext, 7, 9, RGB(0, 0, 255));
    EXPECT_EQ(BackPixel(7, 9), 0x0000FFu);
    EXPECT_EQ(ScreenOutput(), nullptr);
    // The flip gives the device context back; the old release then does nothing.
    void (*release)() = output->release;
    ScreenFlip();
    EXPECT_EQ(ScreenInspect().screenDC, nullptr);
    release();
    output = ScreenOutput();
    ASSERT_NE(output, nullptr);
    output->release();
    EXPECT_EQ(ScreenInspect().screenDC, nullptr);
    // Closing the screen while its output is open gives that back too.
    ASSERT_NE(ScreenOutput(), nullptr);
    ScreenClose();
    EXPECT_EQ(ScreenInspect().screenDC, nullptr);
    release();
  });
}

TEST(ScreenStop, ReleasesEverythingAndUnloadsDirectDraw) {
  RunWithProgram([] {
    OpenGameScreen();
    ASSERT_NE(SpriteCreate(2, 4, 4), nullptr);
    ScreenStop();
    ScreenState view = ScreenInspect();
    EXPECT_EQ(view.module, nullptr);
    EXPECT_EQ(view.directDraw, nullptr);
    EXPECT_EQ(view.backBuffer, nullptr);
    EXPECT_EQ(SpriteRecordAt(2)->surface, nullptr);
    EXPECT_EQ(GetModuleHandleA("DDRAW.DLL"), nullptr);
  });
}

}  // namespace
