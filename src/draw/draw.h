// Drawing primitives: rectangle blits with the two-pass sprite convention,
// text and number printing, lines and boxes, and the blinds wipe.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

// Copies the w x h rectangle at (sx, sy) of src to (x, y) of dst.
void BlitPicture(Surface& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& src,
                 int32_t sx, int32_t sy, int32_t rop);
// Copies a rectangle in 16-pixel tiles (col2, row2 exclusive) between Display surfaces.
void CopyTiles(int16_t src, int16_t dst, int16_t col1, int16_t row1, int16_t col2, int16_t row2);
// A masked sprite: the mask with SRCPAINT, then the picture with SRCAND.
void DrawSprite(Surface& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& sheet,
                int32_t maskX, int32_t maskY, int32_t picX, int32_t picY);

// Lines and boxes in the surface's line width; boxes include both corners.
void DrawLine(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void DrawBox(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void DrawFilledBox(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// Setting a surface's background colour clears it.
void SetBackColour(Surface& s, uint32_t colour);
void SetFontName(Surface& s, std::string_view name);
void SetLineWidth(Surface& s, int32_t width);

// Text. A number prints as a blank (or "-"), its digits and a trailing blank.
void PrintAt(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
             std::string_view text);
void PrintAt(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
             int32_t value);
void PrintShadow(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
                 std::string_view text);
void PrintShadow(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
                 int32_t value);
void PrintNumberCentred(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
                        int32_t value);
void PrintTextCentred(Surface& s, int32_t x, int32_t y, int32_t size, bool bold, uint32_t colour,
                      std::string_view text);

// Formats a number as printed: " 12 ", "-3 ". Returns the length written
// into buf (at least 16 bytes).
int32_t FormatPrintedNumber(int32_t value, char* buf);
// Formats a number joined into text: "12", "-3".
int32_t FormatPlainNumber(int32_t value, char* buf);

// The venetian-blind transition: 0 closes to black, 1 opens Display(1).
void BlindsWipe(int16_t mode);
// One pass (0..3) of the wipe, without its pause.
void BlindsWipePass(int16_t mode, int32_t pass);
