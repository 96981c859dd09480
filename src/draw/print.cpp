// Text and numbers printed onto surfaces, plain, shadowed or centred.
#include <cmath>

#include "draw/draw.h"

int32_t FormatPlainNumber(int32_t value, char* buf) {
  char digits[12];
  int32_t n = 0;
  int64_t v = value;
  const bool negative = v < 0;
  if (negative) v = -v;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0);
  int32_t len = 0;
  if (negative) buf[len++] = '-';
  while (n > 0) buf[len++] = digits[--n];
  buf[len] = '\0';
  return len;
}

int32_t FormatPrintedNumber(int32_t value, char* buf) {
  // A blank stands where a minus sign would, and one blank follows.
  int32_t len = 0;
  if (value >= 0) buf[len++] = ' ';
  len += FormatPlainNumber(value, buf + len);
  buf[len++] = ' ';
  buf[len] = '\0';
  return len;
}

void PrintAt(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
             std::string_view text) {
  SurfaceText(s, x, y, size, bold, colour, text);
}

void PrintAt(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
             int32_t value) {
  char buf[16];
  const int32_t len = FormatPrintedNumber(value, buf);
  SurfaceText(s, x, y, size, bold, colour, std::string_view(buf, len));
}

void PrintShadow(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
                 std::string_view text) {
  PrintAt(s, x - 1, y - 1, size, bold, 0, text);
  PrintAt(s, x, y, size, bold, colour, text);
}

void PrintShadow(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
                 int32_t value) {
  PrintAt(s, x - 1, y - 1, size, bold, 0, value);
  PrintAt(s, x, y, size, bold, colour, value);
}

void PrintNumberCentred(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
                        int32_t value) {
  int32_t digits = 1;
  int64_t power = 10;
  for (int i = 1; i <= 7; ++i, power *= 10) {
    if (value >= power) {
      ++digits;
    } else {
      break;
    }
  }
  const int32_t w = size / 3;
  PrintAt(s, static_cast<int16_t>(x - w * digits), y, size, bold, colour, value);
}

namespace {

int32_t CountCharacters(std::string_view text) {
  int32_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

}  // namespace

void PrintTextCentred(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
                      std::string_view text) {
  const int32_t n = CountCharacters(text);
  // size·2/3 rounded to one decimal, then to a whole number, both half to even.
  const double tenth = std::nearbyint(size * 2.0 / 3.0 * 10.0) / 10.0;
  const int32_t w = static_cast<int32_t>(std::nearbyint(tenth));
  PrintAt(s, static_cast<int16_t>(x - w * n), y, size, bold, colour, text);
}
