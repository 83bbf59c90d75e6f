#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/core/core.h"
#include "runtime/core/helpers.h"
#include "tests/support/program.h"

namespace {

TEST(Strings, FormatIntExtremes) {
  InRuntime([] {
    char* mark = StringWorkPosition;
    struct Case {
      int32_t value;
      const char* text;
    } cases[] = {{0, "0"}, {-5, "-5"}, {2147483647, "2147483647"}, {INT32_MIN, "-2147483648"}};
    for (const Case& c : cases) {
      char* start = FormatInt(c.value, StringWorkPosition);
      EXPECT_STREQ(start, c.text);
      EXPECT_EQ(StringWorkPosition, start + std::strlen(c.text));
      EXPECT_EQ(*StringWorkPosition, 0);
      StringWorkPosition = mark;
    }
  });
}

// What the Win32 tables (tests/wine) leave out because Wine answers
// otherwise, as the documentation has it: a precision is a least number of
// digits, the sign aside, and the count is of the characters stored.
TEST(Strings, FormatTextPrecisionsAndItsLimit) {
  const struct {
    const char* format;
    int32_t value;
    const char* text;
  } cases[] = {{"%.3d", -7, "-007"}, {"%8.3d", -1, "    -001"}, {"%.3i", INT32_MIN, "-2147483648"}};
  char buffer[2048];
  for (const auto& c : cases) {
    EXPECT_EQ(FormatText(buffer, c.format, c.value), static_cast<int>(std::strlen(c.text)));
    EXPECT_STREQ(buffer, c.text) << c.format;
  }
  EXPECT_EQ(FormatText(buffer, "%s", std::string(1100, 'a').c_str()), 1023);
}

TEST(Strings, ExpressionsJoinAndThePositionIsRestored) {
  InRuntime([] {
    char* mark = StringWorkPosition;
    // Two expressions in one statement: the first, passed as an argument,
    // must survive the second.
    char* first = StringWorkPosition;
    StringAppend("Fehler Nr.");
    FormatInt(3, StringWorkPosition);
    StringArgument(first);
    char* second = StringWorkPosition;
    StringAppend("ERROR");
    StringArgument(second);
    EXPECT_STREQ(first, "Fehler Nr.3");
    EXPECT_STREQ(second, "ERROR");
    StringWorkPosition = mark;
    EXPECT_EQ(StringWorkPosition, StringWorkArea);
    StringAppend(nullptr);  // none appends nothing
    EXPECT_EQ(StringWorkPosition, StringWorkArea);
  });
}

TEST(Strings, VariablesAssignStoreAndRelease) {
  InRuntime([] {
    size_t blocks = hosted::HeapBlockCount(RuntimeHeap);
    char* never = nullptr;
    char* target = nullptr;
    // Assigning from an unassigned variable leaves the target as none.
    StringAssign(&target, never);
    EXPECT_EQ(target, nullptr);
    // An expression made only of an unassigned variable stores an empty text.
    char* mark = StringWorkPosition;
    StringAppend(never);
    StringStoreExpression(&target, mark);
    ASSERT_NE(target, nullptr);
    EXPECT_STREQ(target, "");
    EXPECT_EQ(HeapSize(RuntimeHeap, 0, target), 1u);
    EXPECT_EQ(StringWorkPosition, mark);

    // text = text + more keeps the old text; each block is exactly its size.
    StringAssign(&target, "Spielstand:\n\n");
    for (int player = 1; player <= 3; ++player) {
      mark = StringWorkPosition;
      StringAppend(target);
      StringAppend("Player ");
      FormatInt(player, StringWorkPosition);
      StringAppend(": ");
      FormatInt(player * 7, StringWorkPosition);
      StringAppend(" Punkte\n");
      StringStoreExpression(&target, mark);
      EXPECT_EQ(StringWorkPosition, mark);
    }
    EXPECT_STREQ(target,
                 "Spielstand:\n\nPlayer 1: 7 Punkte\nPlayer 2: 14 Punkte\nPlayer 3: 21 Punkte\n");
    EXPECT_EQ(HeapSize(RuntimeHeap, 0, target), std::strlen(target) + 1);
    EXPECT_EQ(hosted::HeapBlockCount(RuntimeHeap), blocks + 1);  // old blocks were freed

    StringAssign(&target, nullptr);
    EXPECT_EQ(target, nullptr);
    EXPECT_EQ(hosted::HeapBlockCount(RuntimeHeap), blocks);
    char* kept = nullptr;
    StringAssign(&kept, "x");
    StringRelease(kept);
    StringRelease(nullptr);
    EXPECT_EQ(hosted::HeapBlockCount(RuntimeHeap), blocks);
  });
}

TEST(Strings, OverlongExpressionsAreCutAtTheEndOfTheWorkArea) {
  InRuntime([] {
    std::string chunk(1000, 'a');
    char* start = StringWorkPosition;
    for (int i = 0; i < 70; ++i) StringAppend(chunk.c_str());  // 70000 bytes asked for
    char* last = StringWorkArea + kStringWorkAreaSize - 1;
    EXPECT_EQ(StringWorkPosition, last);
    EXPECT_EQ(*last, 0);
    EXPECT_EQ(std::strlen(start), kStringWorkAreaSize - 1);
    // Numbers and further arguments at the end write nothing past it.
    FormatInt(INT32_MIN, StringWorkPosition);
    StringArgument(start);
    EXPECT_EQ(StringWorkPosition, last);
    EXPECT_EQ(*last, 0);
    char* copy = nullptr;
    StringStoreExpression(&copy, start);
    EXPECT_EQ(std::strlen(copy), kStringWorkAreaSize - 1);
    EXPECT_EQ(StringWorkPosition, start);
  });
}

TEST(MessageBox, OwnedByTheForegroundWindowAndAnswered) {
  headless::HeadlessDisplay display;
  int32_t result = -1;
  EXPECT_EQ(RunWithProgram(display, [&] { result = ShowMessage("ERROR", "Fehler Nr.1", 0); }), 0);
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(display.MessageBoxes().size(), 1u);
  const headless::MessageBoxRecord& box = display.MessageBoxes()[0];
  EXPECT_EQ(box.owner, nullptr);  // no window is in front
  EXPECT_EQ(box.title, "ERROR");
  EXPECT_EQ(box.text, "Fehler Nr.1");
  EXPECT_EQ(box.flags, 0u);
}

}  // namespace
