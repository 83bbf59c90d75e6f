// The cave: its columns, its picture, and the drifting rock tint.
#include "game/game.h"
#include "runtime/drawing/drawing.h"
#include "runtime/screen/screen.h"

namespace {

// How a new column's ceiling and floor are drawn: the offset 3486 rather than
// 3500 in the scroll makes the cave narrow slowly on average.
struct Spread {
  int32_t range;   // RandomNext(range)
  int32_t offset;  // subtracted (ceiling) or subtracted from (floor)
  float scale;     // divisor
};
constexpr Spread kGenerateSpread{200, 100, 100.0f};
constexpr Spread kScrollSpread{7000, 3486, 1000.0f};

constexpr float kMinimumOpening = 40.0f;
constexpr float kFloorLimit = 239.0f;

CaveColumn* CurrentColumn() { return ListCurrent<CaveColumn>(ColumnList); }

// Appends a column after the current one, a random step away from it, and
// makes it current. The previous column's values are rounded first, so
// sub-pixel parts never accumulate.
void ColumnStep(const Spread& spread, bool scrolling) {
  // An emptied list (a scroll wider than the cave) grows again from a
  // full-height column.
  const CaveColumn kFullHeight{0.0f, 239.0f};
  const CaveColumn* current = CurrentColumn() ? CurrentColumn() : &kFullHeight;
  float t = static_cast<float>(RoundToInt(current->top));
  float b = static_cast<float>(RoundToInt(current->bottom));
  float dt, db;
  for (;;) {
    dt = static_cast<float>(RandomNext(spread.range) - spread.offset) / spread.scale;
    if (scrolling)
      db = static_cast<float>(spread.offset - RandomNext(spread.range)) / spread.scale;
    else
      db = static_cast<float>(RandomNext(spread.range) - spread.offset) / spread.scale;
    // The previous column satisfies these, and so do some pairs of every
    // draw, so the loop ends. The stored top and bottom are rounded sums,
    // whose difference can come out at exactly 40 where the first test
    // passed by a hair; so the stored opening is tested too.
    if (((b + db) - t) - dt > kMinimumOpening && t + dt > 0.0f && b + db < kFloorLimit &&
        (b + db) - (t + dt) > kMinimumOpening)
      break;
  }
  ListAdd(&ColumnList);
  CaveColumn* column = CurrentColumn();
  column->top = t + dt;
  column->bottom = b + db;
}

int32_t RedAt(int32_t x, int32_t y) { return static_cast<int32_t>(ReadPoint(x, y) & 0xFF); }

// What the shading of one column needs, rounded once per column.
struct ColumnShade {
  int32_t top;         // round(top): rows above are ceiling rock
  int32_t bottom;      // round(bottom): rows below are floor rock
  int32_t brightness;  // of the open span, falling as the passage narrows
};

// Paints pixel (x, y), x >= 1, of a new column: a noisy blend of its three
// left neighbours (read back from the picture), tinted in the rock and grey
// in the open span.
void ShadeTexel(int32_t x, int32_t y, const ColumnShade& column) {
  int32_t a = y == 0 ? RandomNext(255) : RedAt(x - 1, y - 1);
  int32_t m = RedAt(x - 1, y);
  int32_t d = y == kFieldHeight - 1 ? RandomNext(255) : RedAt(x - 1, y + 1);
  int32_t e = RandomNext(255);
  int32_t w = RandomNext(10) + 1;
  int32_t base = ((a + m + d) * w + 3 * e) / (3 * w + 3);
  Colour pixel;
  if (y < column.top || y > column.bottom) {
    int32_t c = base * RockBrightness / 255;
    pixel = Rgb(c * RockTint.red / 255, c * RockTint.green / 255, c * RockTint.blue / 255);
  } else {
    int32_t c = base * column.brightness / 255;
    pixel = Rgb(c, c, c);
  }
  DrawPlot(x, y, pixel);
}

// Shades every row of picture column x from the current list column.
void ShadeColumn(int32_t x) {
  const CaveColumn& column = *CurrentColumn();
  ColumnShade shade{RoundToInt(column.top), RoundToInt(column.bottom),
                    OpenBrightness * RoundToInt(column.bottom - column.top) / kFieldHeight};
  for (int32_t y = 0; y < kFieldHeight; ++y) ShadeTexel(x, y, shade);
}

// Adds step() = -1, 0 or +1 to `channel`; an overflow hands the full channel
// over to it, the previous full one stepping down by one.
void Wander(int32_t& channel, int32_t& full) {
  channel += RandomNext(2) - 1;
  if (channel < 192) channel = 192;
  if (channel >= 255) {
    full -= 1;
    channel = 255;
  }
}

}  // namespace

void ChooseRockTint() {
  RockTint.red = RandomNext(63) + 192;
  RockTint.green = RandomNext(63) + 192;
  RockTint.blue = RandomNext(63) + 192;
  switch (RandomNext(2)) {
    case 0:
      RockTint.red = 255;
      break;
    case 1:
      RockTint.green = 255;
      break;
    default:
      RockTint.blue = 255;
      break;
  }
}

void GenerateCave() {
  if (SpriteCreate(kCaveSprite, kFieldWidth, kFieldHeight) == nullptr) FailWithError(4);
  DrawingStart(SpriteOutput(kCaveSprite));
  ListAdd(&ColumnList);
  CurrentColumn()->top = 0.0f;
  CurrentColumn()->bottom = 239.0f;
  // Column 0 is plain grey noise.
  int32_t c = 255;
  for (int32_t y = 0; y < kFieldHeight; ++y) {
    c = (((RandomNext(255) + c) >> 1) * 190) >> 8;
    DrawPlot(0, y, Rgb(c, c, c));
  }
  for (int32_t x = 1; x < kFieldWidth; ++x) {
    ColumnStep(kGenerateSpread, false);
    ShadeColumn(x);
  }
  DrawingStop();
}

void ScrollCave(int32_t count) {
  // The picture moves by one copy onto itself; the rightmost count columns
  // keep their old pixels until the new strip is drawn over them.
  SpriteTarget(kCaveSprite);
  SpriteDisplay(kCaveSprite, -count, 0);
  SpriteTarget(-1);
  DrawingStart(SpriteOutput(kCaveSprite));
  ListFirst(&ColumnList);
  for (int32_t i = 0; i < count; ++i) ListDelete(&ColumnList);
  ListLast(&ColumnList);
  for (int32_t i = 0; i < count; ++i) ColumnStep(kScrollSpread, true);
  for (int32_t i = 0; i < count - 1; ++i) ListPrevious(&ColumnList);
  for (int32_t j = 1; j <= count; ++j) {
    ShadeColumn(kFieldWidth - 1 - count + j);
    ListNext(&ColumnList);
  }
  DrawingStop();
}

void DriftRockTint() {
  Tint& t = RockTint;
  if (t.red == 255) {
    Wander(t.green, t.red);
    Wander(t.blue, t.red);
  }
  if (t.green == 255) {
    Wander(t.red, t.green);
    Wander(t.blue, t.green);
  }
  if (t.blue == 255) {
    Wander(t.red, t.blue);
    Wander(t.green, t.blue);
  }
}
