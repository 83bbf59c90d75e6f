// The sprite table and the display target: numbered sprite records on the
// runtime heap, the colour key every sprite gets, and where sprite copies and
// screen clears draw.
#include <cstdint>
#include <cstdlib>

#include "runtime/core/core.h"
#include "runtime/screen/screen_internal.h"

namespace {

constexpr int32_t kFirstCapacity = 50;
constexpr int32_t kGrowth = 50;

struct SpriteTableState {
  SpriteRecord* table;
  int32_t capacity;
  DDCOLORKEY colourKey;  // black: every sprite's source colour key
  DisplayTarget target;
  DisplayTarget home;  // the screen's back buffer with the screen's size
};

SpriteTableState state;

}  // namespace

// ---------------------------------------------------------------- shared
SpriteRecord* SpriteSlot(int32_t number) {
  if (state.table == nullptr || number < 0 || number >= state.capacity) return nullptr;
  return &state.table[number];
}

int32_t SpriteTableCapacity() { return state.capacity; }
DDCOLORKEY* SpriteColourKey() { return &state.colourKey; }
const DisplayTarget& SpriteCurrentTarget() { return state.target; }

void SpriteSetTargetSize(int32_t width, int32_t height) {
  state.target.width = width;
  state.target.height = height;
}

void SpriteSetHome(IDirectDrawSurface7* surface, int32_t width, int32_t height) {
  state.home = DisplayTarget{surface, width, height};
  state.target = state.home;
}

void SpriteTargetHomeSurface() { state.target.surface = state.home.surface; }

void SpriteTargetForget(IDirectDrawSurface7* surface) {
  if (surface == nullptr) return;
  if (state.home.surface == surface) state.home.surface = nullptr;
  if (state.target.surface == surface) state.target = state.home;
}

void SpriteTableReset() { state = SpriteTableState{}; }

const SpriteRecord* SpriteRecordAt(int32_t number) { return SpriteSlot(number); }

// ---------------------------------------------------------------- table
int32_t SpriteTableInit() {
  // A second table replaces the first: its sprites are released, not lost.
  if (state.table != nullptr) {
    for (int32_t number = 0; number < state.capacity; ++number) SpriteFree(number);
    HeapFree(RuntimeHeap, 0, state.table);
    state.table = nullptr;
    state.capacity = 0;
  }
  state.colourKey = DDCOLORKEY{0, 0};
  void* block = HeapAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, sizeof(SpriteRecord) * kFirstCapacity);
  if (block == nullptr) return 0;
  state.table = static_cast<SpriteRecord*>(block);
  state.capacity = kFirstCapacity;
  return 1;
}

void SpriteTableGrow(int32_t number) {
  if (state.table == nullptr || number < 0 || number >= kSpriteNumberLimit ||
      number < state.capacity)
    return;
  const int64_t capacity = int64_t{number} + kGrowth;
  void* block = HeapReAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, state.table,
                            sizeof(SpriteRecord) * static_cast<size_t>(capacity));
  if (block == nullptr) return;  // the old table is still whole and in use
  state.table = static_cast<SpriteRecord*>(block);
  state.capacity = static_cast<int32_t>(capacity);
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
    state.target = state.home;
  } else if (SpriteRecord* record = SpriteSlot(number); record && record->surface) {
    state.target = DisplayTarget{record->surface, record->targetWidth, record->targetHeight};
  }
  return state.target.surface;
}
