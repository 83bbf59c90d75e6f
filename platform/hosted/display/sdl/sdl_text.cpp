// Text for SDL: the Windows ANSI code page as UTF-8.
#include <cstdint>
#include <string>

#include "platform/hosted/display/sdl/sdl_display.h"

namespace sdl {
namespace {

// Code points of the bytes 0x80-0x9F in code page 1252; 0 where it has none.
// clang-format off
constexpr uint16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
// clang-format on

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::string Utf8FromAnsi(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char* p = text; *p; ++p) {
    auto byte = static_cast<unsigned char>(*p);
    uint32_t codePoint = byte;
    if (byte >= 0x80 && byte < 0xA0) {
      uint16_t mapped = kWindows1252[byte - 0x80];
      codePoint = mapped ? mapped : 0xFFFD;
    }
    AppendUtf8(out, codePoint);
  }
  return out;
}

}  // namespace sdl
