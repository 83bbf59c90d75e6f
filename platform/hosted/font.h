// The hosted GDI's built-in bitmap font, the one font every device context
// draws text with (SYSTEM_FONT): a fixed cell of 8 x 16 pixels per character
// with a 5 x 9 glyph in it.
#pragma once

#include <cstdint>

namespace hosted {

constexpr int32_t kFontCellWidth = 8;
constexpr int32_t kFontCellHeight = 16;
constexpr int32_t kGlyphLeft = 1;  // glyph column 0 within the cell
constexpr int32_t kGlyphTop = 4;   // glyph row 0 within the cell
constexpr int32_t kGlyphWidth = 5;
constexpr int32_t kGlyphRows = 9;  // 7 above the baseline, 2 for descenders

// The kGlyphRows rows of the glyph of byte `c`, one byte per row, bit 4 the
// leftmost column. Bytes outside printable ASCII (32 ... 126) get an empty box.
const uint8_t* Glyph(unsigned char c);

}  // namespace hosted
