#include <gtest/gtest.h>

#include "draw/draw.h"
#include "frame/frame.h"

namespace {

uint32_t Row(const Surface& s, int32_t y) {
  return s.Pixels[static_cast<std::size_t>(y) * 512 + 100];
}

class Wipe : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHeadlessSession(KURUNOA_SOURCE_DIR, 1);
    SurfaceClear(Display[0], RGB(10, 10, 10));
    SurfaceClear(Display[1], RGB(200, 0, 0));
  }
};

TEST_F(Wipe, ClosingBlacksRowsUpTo368OnBothSurfaces) {
  const int32_t t0 = PlatformTickMs();
  BlindsWipe(0);
  EXPECT_EQ(PlatformTickMs() - t0, 804);
  for (int32_t y = 0; y <= 368; ++y) {
    ASSERT_EQ(Row(Display[0], y), 0u) << y;
    ASSERT_EQ(Row(Display[1], y), 0u) << y;
  }
  EXPECT_EQ(Row(Display[0], 369), RGB(200, 0, 0)) << "row 369 shows the back buffer";
  EXPECT_EQ(Row(Display[1], 369), RGB(200, 0, 0));
}

TEST_F(Wipe, EachPassTouchesEveryFourthRow) {
  for (int16_t mode : {0, 1}) {
    SetUp();
    for (int32_t pass = 0; pass <= 3; ++pass) {
      BlindsWipePass(mode, pass);
      const uint32_t fresh = mode == 0 ? 0u : RGB(200, 0, 0);
      for (int32_t y = 0; y <= 368; ++y) {
        const uint32_t want = y % 4 <= pass ? fresh : mode == 0 ? RGB(200, 0, 0) : RGB(10, 10, 10);
        // Closing shows the whole back buffer each pass; opening copies rows.
        ASSERT_EQ(Row(Display[0], y), want) << "mode " << mode << " pass " << pass << " row " << y;
      }
    }
  }
}

TEST_F(Wipe, OpeningNeverTouchesRowsBelow368) {
  BlindsWipe(1);
  for (int32_t y = 0; y <= 368; ++y) ASSERT_EQ(Row(Display[0], y), RGB(200, 0, 0)) << y;
  EXPECT_EQ(Row(Display[0], 369), RGB(10, 10, 10));
}

TEST_F(Wipe, OtherModesDoNothing) {
  const int32_t t0 = PlatformTickMs();
  BlindsWipe(2);
  EXPECT_EQ(PlatformTickMs(), t0);
  EXPECT_EQ(Row(Display[0], 0), RGB(10, 10, 10));
}

}  // namespace
