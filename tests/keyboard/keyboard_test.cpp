// The keyboard library on the headless display: start-up and its failures,
// snapshots, the down and release tests, failed reads, the stop hook.
#include "runtime/keyboard/keyboard.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "runtime/core/hooks.h"
#include "runtime/screen/screen.h"
#include "tests/support/program.h"

namespace {

constexpr DWORD kBound = DISCL_EXCLUSIVE | DISCL_FOREGROUND;

TEST(KeyboardInit, EveryFailureAnswersZero) {
  auto initResult = [](auto prepare) {
    headless::HeadlessDisplay display;
    int32_t result = -1;
    RunWithProgram(display, [&] {
      prepare(display);
      result = KeyboardInit();
      display.ClearFailures();
      // Not to be called after a failure; still no crash and no snapshot.
      EXPECT_EQ(KeyboardExamine(), 0);
      KeyboardStop();
    });
    EXPECT_EQ(display.Snapshots(), 0);
    return result;
  };
  using hosted::FailPoint;
  EXPECT_EQ(initResult([](auto& d) { d.FailLoadLibrary("DINPUT.DLL"); }), 0);
  EXPECT_EQ(initResult([](auto& d) { d.Fail(FailPoint::kDirectInputCreate); }), 0);
  EXPECT_EQ(initResult([](auto& d) { d.Fail(FailPoint::kDirectInputDevice); }), 0);
  EXPECT_EQ(initResult([](auto& d) { d.FailHeapAllocFrom(0); }), 0);  // no block for the format
}

TEST(KeyboardExamine, FirstSnapshotAcquiresAndEveryKeyHasItsScanCode) {
  headless::HeadlessDisplay display;
  // Odd scan codes down in the first snapshot, even ones in the second; only
  // bit 7 counts.
  display.SetKeyScript([](int snapshot, uint8_t state[256]) {
    for (int key = 0; key < 256; ++key) state[key] = key % 2 == snapshot % 2 ? 0x7F : 0xFF;
  });
  RunWithProgram(display, [] {
    ASSERT_EQ(KeyboardInit(), 1);
    EXPECT_TRUE(hosted::InspectKeyboardDevice().formatSet);
    EXPECT_FALSE(hosted::InspectKeyboardDevice().acquired);  // not before the first snapshot
    for (int snapshot = 0; snapshot < 2; ++snapshot) {
      ASSERT_EQ(KeyboardExamine(), 1);
      EXPECT_EQ(hosted::InspectKeyboardDevice().acquisitions, 1);
      for (int key = 0; key < 256; ++key)
        EXPECT_EQ(KeyDown(key), key % 2 != snapshot ? 0x80 : 0) << key;
    }
  });
}

TEST(KeyTests, AllKeysUpBeforeTheFirstSnapshot) {
  headless::HeadlessDisplay display;
  display.SetKeyTimeline({{}});
  RunWithProgram(display, [] {
    ASSERT_EQ(KeyboardInit(), 1);
    for (int key = 0; key < 256; ++key) {
      EXPECT_EQ(KeyDown(key), 0) << key;
      EXPECT_EQ(KeyReleased(key), 0) << key;
    }
  });
}

TEST(KeyTests, HeldKeyIsDownEachSnapshotAndReleasedOnce) {
  headless::HeadlessDisplay display;
  display.SetKeyTimeline({{kKeyUp, kKeyP}, {kKeyUp, kKeyP}, {kKeyUp, kKeyP}, {}, {}, {kKeyP}, {}});
  RunWithProgram(display, [] {
    ASSERT_EQ(KeyboardInit(), 1);
    std::vector<int32_t> down, released;
    for (int snapshot = 0; snapshot < 7; ++snapshot) {
      ASSERT_EQ(KeyboardExamine(), 1);
      down.push_back(KeyDown(kKeyUp));
      released.push_back(KeyReleased(kKeyP));
    }
    EXPECT_EQ(down, (std::vector<int32_t>{0x80, 0x80, 0x80, 0, 0, 0, 0}));
    EXPECT_EQ(released, (std::vector<int32_t>{0, 0, 0, 1, 0, 0, 1}));
  });
}

TEST(KeyTests, ReleaseReportedOncePerSeenPress) {
  headless::HeadlessDisplay display;
  display.SetKeyTimeline({{kKeyP}, {}, {}, {kKeyEscape}, {}});
  RunWithProgram(display, [] {
    ASSERT_EQ(KeyboardInit(), 1);
    ASSERT_EQ(KeyboardExamine(), 1);
    EXPECT_EQ(KeyReleased(kKeyP), 0);
    ASSERT_EQ(KeyboardExamine(), 1);
    // Two calls on one snapshot: the press is reported to the first only.
    EXPECT_EQ(KeyReleased(kKeyP), 1);
    EXPECT_EQ(KeyReleased(kKeyP), 0);
    ASSERT_EQ(KeyboardExamine(), 1);
    EXPECT_EQ(KeyReleased(kKeyEscape), 0);
    // Escape goes down and up between two calls: not reported, though
    // KeyDown saw it.
    ASSERT_EQ(KeyboardExamine(), 1);
    EXPECT_EQ(KeyDown(kKeyEscape), 0x80);
    ASSERT_EQ(KeyboardExamine(), 1);
    EXPECT_EQ(KeyReleased(kKeyEscape), 0);
  });
}

TEST(KeyTests, KeysOutsideTheTableAnswerZero) {
  headless::HeadlessDisplay display;
  display.SetKeyScript([](int snapshot, uint8_t state[256]) {
    for (int key = 0; key < 256; ++key) state[key] = snapshot == 0 ? 0x80 : 0;
  });
  RunWithProgram(display, [] {
    ASSERT_EQ(KeyboardInit(), 1);
    for (int snapshot = 0; snapshot < 2; ++snapshot) {
      ASSERT_EQ(KeyboardExamine(), 1);
      for (int32_t key : {-1, 256, 1000, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(KeyDown(key), 0) << key;
        EXPECT_EQ(KeyReleased(key), 0) << key;
      }
      EXPECT_EQ(KeyReleased(0), snapshot);  // the table's edges still work
      EXPECT_EQ(KeyReleased(255), snapshot);
    }
  });
}

TEST(KeyboardExamine, FailedReadsReacquireEveryTimeAndKeepTheSnapshot) {
  headless::HeadlessDisplay display;
  display.SetKeyTimeline({{kKeyUp, kKeyP}, {}});
  RunWithProgram(display, [&] {
    ASSERT_EQ(KeyboardInit(), 1);
    ASSERT_EQ(KeyboardExamine(), 1);
    EXPECT_EQ(KeyReleased(kKeyP), 0);
    display.FailDeviceStates(3);
    for (int failure = 1; failure <= 3; ++failure) {
      EXPECT_EQ(KeyboardExamine(), 0);
      EXPECT_TRUE(hosted::InspectKeyboardDevice().acquired);
      EXPECT_EQ(hosted::InspectKeyboardDevice().acquisitions, 1 + failure);
      EXPECT_EQ(KeyDown(kKeyUp), 0x80);
      EXPECT_EQ(KeyReleased(kKeyP), 0);
    }
    EXPECT_EQ(KeyboardExamine(), 1);
    EXPECT_EQ(KeyDown(kKeyUp), 0);
    EXPECT_EQ(KeyReleased(kKeyP), 1);
  });
  EXPECT_EQ(display.Snapshots(), 2);
}

TEST(KeyboardExamine, KeepsTryingWhileTheScreenWindowIsNotInFront) {
  headless::HeadlessDisplay display;
  display.SetKeyTimeline({{kKeyUp}});
  RunWithProgram(display, [&] {
    ASSERT_NE(ScreenInit(), 0);
    ASSERT_EQ(KeyboardInit(), 1);
    // No screen is open: the screen's window is the hidden base window, not
    // in front, so the keyboard cannot be acquired.
    HWND window = ScreenWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(GetForegroundWindow(), window);
    for (int frame = 0; frame < 3; ++frame) {
      EXPECT_EQ(KeyboardExamine(), 0);
      hosted::KeyboardDeviceInfo device = hosted::InspectKeyboardDevice();
      EXPECT_FALSE(device.acquired);
      EXPECT_EQ(device.window, window);
      EXPECT_EQ(device.cooperation, kBound);
      EXPECT_EQ(KeyDown(kKeyUp), 0);
    }
    hosted::SetForeground(window);
    EXPECT_EQ(KeyboardExamine(), 0);  // acquired now; the read waits a frame
    EXPECT_EQ(KeyboardExamine(), 1);
    EXPECT_EQ(KeyDown(kKeyUp), 0x80);
  });
  EXPECT_EQ(display.Snapshots(), 1);
}

TEST(KeyboardStop, ReleasesTheDeviceAndRunsAtTheEnd) {
  headless::HeadlessDisplay display;
  RunWithProgram(display, [] {
    ASSERT_EQ(KeyboardInit(), 1);
    ASSERT_EQ(KeyboardExamine(), 1);
    KeyboardStop();
    EXPECT_FALSE(hosted::InspectKeyboardDevice().exists);
    KeyboardStop();
    EXPECT_EQ(KeyboardExamine(), 0);
  });
  RunWithProgram(display, [] { ASSERT_EQ(KeyboardInit(), 1); });
  EXPECT_FALSE(hosted::InspectKeyboardDevice().exists);  // by the end sequence
  // Nothing carries over into the next process.
  RunWithProgram(display, [] {
    EXPECT_EQ(KeyboardExamine(), 0);
    EXPECT_EQ(KeyReleased(kKeyUp), 0);
  });
}

}  // namespace
