#include <gtest/gtest.h>

#include "runtime/core/core.h"
#include "runtime/window/window.h"
#include "runtime/window/window_view.h"
#include "tests/support/program.h"

namespace {

TEST(Startup, TheProgramRunsOnAReadyRuntimeAndEndsWithZero) {
  headless::HeadlessDisplay display(123456);
  bool ran = false;
  HANDLE heap = nullptr;
  int code = RunWithProgram(display, [&] {
    ran = true;
    heap = RuntimeHeap;
    EXPECT_EQ(RuntimeInstance, GetModuleHandleA(nullptr));
    ASSERT_NE(RuntimeHeap, nullptr);
    // The start hooks ran before the program: the window table is there.
    EXPECT_EQ(WindowCapacity(), 10);
    // The work area is 64000 zero bytes, the position at its start.
    ASSERT_NE(StringWorkArea, nullptr);
    EXPECT_EQ(StringWorkPosition, StringWorkArea);
    EXPECT_EQ(HeapSize(RuntimeHeap, 0, StringWorkArea), kStringWorkAreaSize);
    for (uint32_t i = 0; i < kStringWorkAreaSize; ++i) ASSERT_EQ(StringWorkArea[i], 0);
    // The generator was seeded from the tick count last thing.
    int32_t first = RandomNext(1000000000);
    RandomSeed(GetTickCount());
    EXPECT_EQ(RandomNext(1000000000), first);
  });
  EXPECT_TRUE(ran);
  EXPECT_EQ(code, 0);
  // The end sequence destroyed the heap as a whole.
  EXPECT_EQ(hosted::HeapBlockCount(heap), 0u);
}

TEST(Startup, EveryRoadEndsWithExitCodeZero) {
  // The program ends itself halfway.
  bool after = false;
  EXPECT_EQ(RunWithProgram([&] {
              RuntimeEnd();
              after = true;
            }),
            0);
  EXPECT_FALSE(after);

  // No heap: the program never runs, and the process still ends cleanly.
  headless::HeadlessDisplay noHeap;
  noHeap.Fail(hosted::FailPoint::kHeapCreate);
  bool ran = false;
  EXPECT_EQ(RunWithProgram(noHeap, [&] { ran = true; }), 0);
  EXPECT_FALSE(ran);

  // No memory for anything: the same.
  headless::HeadlessDisplay noMemory;
  noMemory.FailHeapAllocFrom(0);
  EXPECT_EQ(RunWithProgram(noMemory, [&] { ran = true; }), 0);
  EXPECT_FALSE(ran);
}

TEST(Startup, StateDoesNotLeakFromOneProcessToTheNext) {
  headless::HeadlessDisplay first(5);
  int32_t value = 0;
  RunWithProgram(first, [&] { value = RandomNext(1000000); });
  headless::HeadlessDisplay second(5);
  RunWithProgram(second, [&] {
    EXPECT_EQ(RandomNext(1000000), value);
    EXPECT_EQ(WindowHandle(), nullptr);
  });
}

}  // namespace
