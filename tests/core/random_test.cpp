#include <gtest/gtest.h>

#include "runtime/core/core.h"

namespace {

TEST(Random, PublishedSequences) {
  RandomSeed(0);
  const int32_t expected0[] = {139, 200, 169, 96, 60, 159, 163, 107};
  for (int32_t value : expected0) EXPECT_EQ(RandomNext(255), value);

  RandomSeed(12345);
  EXPECT_EQ(RandomNext(2147483647), 599430850);
  EXPECT_EQ(RandomNext(2147483647), 1525901252);
  EXPECT_EQ(RandomNext(2147483647), 1422587746);
  // A negative maximum is answered with the smallest integer and still
  // consumes a step: the next values are those after four steps.
  EXPECT_EQ(RandomNext(-5), INT32_MIN);
  const int32_t expected10[] = {6, 3, 3, 7, 2};
  for (int32_t value : expected10) EXPECT_EQ(RandomNext(10), value);
}

TEST(Random, RangeAndReseeding) {
  RandomSeed(7);
  EXPECT_EQ(RandomNext(0), 0);
  int32_t afterZero = RandomNext(1000000);
  RandomSeed(7);
  RandomNext(5);  // a step is a step, whatever the maximum
  EXPECT_EQ(RandomNext(1000000), afterZero);

  // Values stay in range for every maximum the game uses, and all of a small
  // range occur.
  RandomSeed(99);
  for (int32_t max : {2, 10, 63, 200, 255, 7000}) {
    bool seen[7001] = {};
    for (int i = 0; i < 200000; ++i) {
      int32_t v = RandomNext(max);
      ASSERT_GE(v, 0);
      ASSERT_LE(v, max);
      seen[v] = true;
    }
    for (int32_t v = 0; v <= max; ++v) ASSERT_TRUE(seen[v]) << max << " never gave " << v;
  }
  int32_t top = 0;
  for (int i = 0; i < 1000; ++i) top = std::max(top, RandomNext(2147483647));
  EXPECT_GT(top, 2000000000);
}

TEST(Colour, PackingAndUnpacking) {
  EXPECT_EQ(Rgb(255, 0, 0), 0x000000FFu);
  EXPECT_EQ(Rgb(0, 0, 255), 0x00FF0000u);
  EXPECT_EQ(Rgb(256, 0, 0), 0x00000100u);  // no masking: spills into green
  EXPECT_EQ(Rgb(256, 0, 0), Rgb(0, 1, 0));
  EXPECT_EQ(RedOf(0x00C08040), 0x40u);
  EXPECT_EQ(GreenOf(0x00C08040), 0x80u);
  EXPECT_EQ(BlueOf(0x00C08040), 0xC0u);
  EXPECT_EQ(RedOf(0xFFFFFFFF), 0xFFu);
  EXPECT_EQ(BlueOf(0xFFFFFFFF), 0xFFu);
}

}  // namespace
