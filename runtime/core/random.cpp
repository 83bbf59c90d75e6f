// Random numbers (a lagged two-word generator), colours and delay.
#include "runtime/core/core.h"
#include "runtime/core/core_internal.h"
#include "runtime/core/hooks.h"

namespace {

constexpr int kLag = 10;

uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// One step: rewrites pair `cursor` from itself and the lagged pair, returns it
// as a 64-bit value (second word high) and moves both cursors down.
uint64_t Step() {
  RandomGenerator& random = core.random;
  uint32_t* pair = random.table[random.cursor];
  const uint32_t* lag = random.table[random.lagCursor];
  uint32_t first = RotateLeft(pair[1], 27) + lag[1];
  uint32_t second = RotateLeft(pair[0], 19) + lag[0];
  pair[0] = first;
  pair[1] = second;
  random.cursor = random.cursor == 0 ? kRandomPairs - 1 : random.cursor - 1;
  random.lagCursor = random.lagCursor == 0 ? kRandomPairs - 1 : random.lagCursor - 1;
  return (static_cast<uint64_t>(second) << 32) | first;
}

}  // namespace

void RandomReset() { core.random = RandomGenerator{}; }

void RandomSeed(uint32_t seed) {
  RandomGenerator& random = core.random;
  uint32_t x = seed;
  for (int i = 0; i < 2 * kRandomPairs; ++i) {
    x = x * 0xAC564B05u + 1;
    random.table[i / 2][i % 2] = x;
  }
  random.cursor = 0;
  random.lagCursor = kLag;
  for (int i = 0; i < 31; ++i) Step();
}

int32_t RandomNext(int32_t max) {
  uint64_t x = Step();
  if (max < 0) return INT32_MIN;
  // floor(x * n / 2^64), the top 32 bits of the 96-bit product, in 32-bit
  // halves: no division, no rejection.
  uint32_t n = static_cast<uint32_t>(max) + 1;
  uint64_t low = (x & 0xFFFFFFFFu) * n;
  uint64_t high = (x >> 32) * n;
  uint64_t middle = (low >> 32) + (high & 0xFFFFFFFFu);
  return static_cast<int32_t>((high >> 32) + (middle >> 32));
}

Colour Rgb(int32_t red, int32_t green, int32_t blue) {
  return static_cast<uint32_t>(red) + static_cast<uint32_t>(green) * 256u +
         static_cast<uint32_t>(blue) * 65536u;
}

uint32_t RedOf(Colour colour) { return colour & 0xFF; }
uint32_t GreenOf(Colour colour) { return (colour >> 8) & 0xFF; }
uint32_t BlueOf(Colour colour) { return (colour >> 16) & 0xFF; }

void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

void RandomStart() { RandomSeed(GetTickCount()); }
