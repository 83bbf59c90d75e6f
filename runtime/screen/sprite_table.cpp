// The sprite table and the display target: numbered sprite records on the
// runtime heap, the colour key every sprite gets, and where sprite copies and
// screen clears draw.
#include <cstdint>
#include <cstdlib>

#include "runtime/core/core.h"
#include "runtime/screen/screen_internal.h"
#include "runtime/screen/screen_view.h"

namespace {

constexpr int32_t kFirstCapacity = 50;
constexpr int32_t kGrowth = 50;

}  // namespace

// ---------------------------------------------------------------- shared
SpriteRecord* SpriteSlot(int32_t number) {
  if (screen.table == nullptr || number < 0 || number >= screen.spriteCapacity) return nullptr;
  return &screen.table[number];
}

void SpriteTargetForget(IDirectDrawSurface7* surface) {
  if (surface == nullptr) return;
  if (screen.home.surface == surface) screen.home.surface = nullptr;
  if (screen.target.surface == surface) screen.target = screen.home;
}

// ---------------------------------------------------------------- table
int32_t SpriteTableInit() {
  // A second table replaces the first: its sprites are released, not lost.
  if (screen.table != nullptr) {
    for (int32_t number = 0; number < screen.spriteCapacity; ++number) SpriteFree(number);
    HeapFree(RuntimeHeap, 0, screen.table);
    screen.table = nullptr;
    screen.spriteCapacity = 0;
  }
  screen.colourKey = DDCOLORKEY{0, 0};
  void* block = HeapAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, sizeof(SpriteRecord) * kFirstCapacity);
  if (block == nullptr) return 0;
  screen.table = static_cast<SpriteRecord*>(block);
  screen.spriteCapacity = kFirstCapacity;
  return 1;
}

void SpriteTableGrow(int32_t number) {
  if (screen.table == nullptr || number < 0 || number >= kSpriteNumberLimit ||
      number < screen.spriteCapacity)
    return;
  const int64_t capacity = int64_t{number} + kGrowth;
  void* block = HeapReAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, screen.table,
                            sizeof(SpriteRecord) * static_cast<size_t>(capacity));
  if (block == nullptr) return;  // the old table is still whole and in use
  screen.table = static_cast<SpriteRecord*>(block);
  screen.spriteCapacity = static_cast<int32_t>(capacity);
}

void SpriteFree(int32_t number) {
  SpriteRecord* record = SpriteSlot(number);
  if (record == nullptr || record->surface == nullptr) return;
  // Nothing may go on using the surface once it is gone: not a drawing that
  // holds its device context, not the display target.
  SpriteOutputForget(record->surface);
  SpriteTargetForget(record->surface);
  record->surface->Release();
  std::free(record->file);
  record->file = nullptr;
  record->surface = nullptr;
}

IDirectDrawSurface7* SpriteTarget(int32_t number) {
  if (number == -1) {
    screen.target = screen.home;
  } else if (SpriteRecord* record = SpriteSlot(number); record && record->surface) {
    screen.target = DisplayTarget{record->surface, record->targetWidth, record->targetHeight};
  }
  return screen.target.surface;
}

// ---------------------------------------------------------------- for tests
const SpriteRecord* SpriteRecordAt(int32_t number) { return SpriteSlot(number); }
