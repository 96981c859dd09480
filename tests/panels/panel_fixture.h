// Shared set-up for the panel tests: a headless session with the year's
// tables reset, a plain back buffer, and sheets that can be swapped for
// small fixtures whose cells have colours of their own.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "frame/frame.h"
#include "platform/platform.h"
#include "play/play.h"

inline constexpr uint32_t kBackground = RGB(1, 2, 3);

inline uint32_t PixelAt(const Surface& s, int32_t x, int32_t y) {
  return s.Pixels[static_cast<std::size_t>(y) * s.Width + x];
}

// Counts pixels of exactly one colour in the rectangle x1..x2, y1..y2.
inline int32_t CountColour(const Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           uint32_t colour) {
  int32_t n = 0;
  for (int32_t y = y1; y <= y2; ++y) {
    for (int32_t x = x1; x <= x2; ++x) n += PixelAt(s, x, y) == colour;
  }
  return n;
}

// A sprite cell on a fixture sheet: a white mask and a picture of one colour.
inline void PaintCell(Surface& sheet, int32_t maskX, int32_t maskY, int32_t picX, int32_t picY,
                      int32_t w, int32_t h, uint32_t colour) {
  SurfaceFillBox(sheet, maskX, maskY, maskX + w - 1, maskY + h - 1, RGB(255, 255, 255));
  SurfaceFillBox(sheet, picX, picY, picX + w - 1, picY + h - 1, colour);
}

class PanelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool started = false;
    if (!started) {
      InitHeadlessSession(std::string(KURUNOA_GAME_DIR) + "/", 1);
      started = true;
    }
  }

  void SetUp() override {
    for (int i = 0; i < 4; ++i) savedChip_[i] = Chip[i];
    ResetYear();
    LoadPtaLines();
    SurfaceClear(Display[1], kBackground);
  }

  void TearDown() override {
    for (int i = 0; i < 4; ++i) Chip[i] = savedChip_[i];
  }

  // Replaces a sheet by a black one of the same size (masks off, pictures
  // black) for the test to paint its cells on; restored after the test.
  Surface& FixtureSheet(int i) {
    SurfaceClear(Chip[i], RGB(0, 0, 0));
    return Chip[i];
  }

 private:
  Surface savedChip_[4];
};
