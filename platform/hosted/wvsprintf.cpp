// wvsprintfA: the window manager's own small formatter.
//
// Conversions: %d %i %u %x %X %c %s %%, with the flags '-' and '0', a width,
// a precision, and the size prefixes 'l' and 'h'; no floating point, as on
// Windows. The sizes change nothing: numbers are 32-bit either way, and 'h'
// marks narrow characters and strings, which all are here. A precision of 0
// limits no string, as in the real formatter (Wine's, which tests/wine holds
// this one against). The output is limited to 1024 bytes including the
// terminating zero, as documented for the real function; longer output is cut
// there.
#include <cstdint>
#include <cstring>

#include "platform/hosted/internal.h"

namespace {

constexpr int kLimit = 1024;

struct Output {
  char* out;
  int length;
  void Put(char c) {
    if (length < kLimit - 1) out[length++] = c;
  }
};

void PutPadded(Output& output, const char* text, int length, int width, bool left, char pad) {
  if (!left)
    for (int i = length; i < width; ++i) output.Put(pad);
  for (int i = 0; i < length; ++i) output.Put(text[i]);
  if (left)
    for (int i = length; i < width; ++i) output.Put(' ');
}

}  // namespace

int WINAPI wvsprintfA(LPSTR out, LPCSTR format, va_list arguments) {
  if (out == nullptr) return -1;
  Output output{out, 0};
  if (format == nullptr) {
    out[0] = 0;
    return 0;
  }
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      output.Put(*p);
      continue;
    }
    ++p;
    bool left = false, zero = false;
    for (;; ++p) {
      if (*p == '-')
        left = true;
      else if (*p == '0')
        zero = true;
      else
        break;
    }
    int width = 0;
    while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
    int precision = -1;
    if (*p == '.') {
      ++p;
      precision = 0;
      while (*p >= '0' && *p <= '9') precision = precision * 10 + (*p++ - '0');
    }
    if (*p == 'l' || *p == 'h') ++p;
    if (width > kLimit) width = kLimit;
    char buffer[40];
    switch (*p) {
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X': {
        // Arguments are 32-bit on Windows for both int and long.
        uint32_t raw = va_arg(arguments, uint32_t);
        bool negative = (*p == 'd' || *p == 'i') && static_cast<int32_t>(raw) < 0;
        uint32_t magnitude = negative ? 0u - raw : raw;
        unsigned base = (*p == 'x' || *p == 'X') ? 16 : 10;
        const char* digits = *p == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
        char reversed[16];
        int n = 0;
        do {
          reversed[n++] = digits[magnitude % base];
          magnitude /= base;
        } while (magnitude);
        int length = 0;
        if (negative) buffer[length++] = '-';
        for (int i = n; i < precision && length < 30; ++i) buffer[length++] = '0';
        while (n) buffer[length++] = reversed[--n];
        if (zero && !left && negative) {
          output.Put('-');
          PutPadded(output, buffer + 1, length - 1, width - 1, false, '0');
        } else {
          PutPadded(output, buffer, length, width, left, zero && !left ? '0' : ' ');
        }
        break;
      }
      case 'c': {
        char c = static_cast<char>(va_arg(arguments, int));
        PutPadded(output, &c, 1, width, left, ' ');
        break;
      }
      case 's': {
        const char* text = va_arg(arguments, const char*);
        if (text == nullptr) text = "(null)";
        int length = static_cast<int>(strnlen(text, kLimit));
        if (precision > 0 && precision < length) length = precision;
        PutPadded(output, text, length, width, left, ' ');
        break;
      }
      case '%':
        output.Put('%');
        break;
      case 0:
        --p;  // a lone '%' at the end
        break;
      default:
        output.Put(*p);
        break;
    }
  }
  out[output.length] = 0;
  return output.length;
}
