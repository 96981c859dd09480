// The month label's month by calendar step, and the schedule: line places,
// colours by kind and grey-out, and the twinkling marker at the next event.
#include "draw/draw.h"
#include "panel_fixture.h"
#include "render/panels.h"
#include "render/render.h"

namespace {

constexpr uint32_t kGrey = RGB(69, 69, 69);
constexpr uint32_t kTest = RGB(136, 196, 255);
constexpr uint32_t kSports = RGB(0, 206, 206);
constexpr uint32_t kArt = RGB(255, 128, 64);
constexpr uint32_t kValentine = RGB(255, 128, 128);

TEST_F(PanelTest, MonthOfDayAtTheMonthEdges) {
  const struct {
    int16_t Day;
    int16_t Month;
  } cases[] = {{0, 3},   {1, 4},    {14, 4},   {60, 4},   {61, 5},  {120, 5},
               {121, 6}, {480, 11}, {481, 12}, {540, 12}, {541, 1}, {600, 1},
               {601, 2}, {660, 2},  {661, 3},  {714, 3},  {720, 3}};
  for (const auto& c : cases) EXPECT_EQ(MonthOfDay(c.Day), c.Month) << "day " << c.Day;
}

TEST_F(PanelTest, ScheduleLinesRunUpWithAGapForEachVacation) {
  const struct {
    int16_t N, X, Y;
  } cases[] = {{1, 350, 320}, {4, 356, 260},  {5, 358, 220},
               {9, 366, 140}, {10, 368, 100}, {12, 372, 60}};
  for (const auto& c : cases) {
    EXPECT_EQ(ScheduleLineX(c.N), c.X) << c.N;
    EXPECT_EQ(ScheduleLineY(c.N), c.Y) << c.N;
  }
}

TEST_F(PanelTest, ScheduleColoursByKindAndGreysOutReachedEvents) {
  // Kinds of events 1..12 in calendar order.
  const uint32_t byKind[13] = {0,     kArt, kTest, kSports, kTest,      kArt, kSports,
                               kTest, kArt, kTest, kSports, kValentine, kTest};
  for (int16_t index : {0, 3, 12, 13}) {
    for (int16_t n = 1; n <= 12; ++n) {
      EXPECT_EQ(ScheduleColour(n, index), n <= index ? kGrey : byKind[n])
          << "event " << n << " at index " << index;
    }
  }
}

// Fixture marker frames: each a 16 x 16 block of its own colour.
const uint32_t kMarkerColours[4] = {RGB(250, 0, 250), RGB(250, 0, 200), RGB(250, 0, 150),
                                    RGB(250, 0, 100)};

class ScheduleTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    Surface& sheet = FixtureSheet(0);
    for (int32_t f = 0; f < 4; ++f) {
      const SpriteCell c = MarkerCell(4 * f);
      PaintCell(sheet, c.MaskX, c.MaskY, c.PicX, c.PicY, 16, 16, kMarkerColours[f]);
    }
  }

  int32_t MarkerPixels() const {
    int32_t n = 0;
    for (uint32_t colour : kMarkerColours) n += CountColour(Display[1], 320, 16, 495, 351, colour);
    return n;
  }
};

TEST_F(ScheduleTest, MarkerTwinklesThroughItsFourFrames) {
  EXPECT_EQ(MarkerCell(0).MaskX, 64);
  EXPECT_EQ(MarkerCell(4).PicX, 144);
  EXPECT_EQ(MarkerCell(8).MaskY, 144);
  EXPECT_EQ(MarkerCell(15).PicY, 144);
  for (int32_t tick = 0; tick < 16; ++tick) {
    SurfaceClear(Display[1], kBackground);
    PlayTick = tick;
    DrawSchedule();
    EXPECT_EQ(PixelAt(Display[1], 338, 327), kMarkerColours[tick / 4]) << "tick " << tick;
  }
}

TEST_F(ScheduleTest, NamesAndMarkerByEventIndex) {
  const struct {
    int16_t Index;
    int32_t MarkerX, MarkerY;  // 0: no marker
  } cases[] = {{0, 330, 319}, {3, 336, 259}, {12, 0, 0}, {13, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Index);
    SurfaceClear(Display[1], kBackground);
    EventIndex = c.Index;
    PlayTick = 0;
    DrawSchedule();

    for (int16_t n = 1; n <= 12; ++n) {
      // Each name's band of rows holds its own colour and no other line's.
      const int32_t x = ScheduleLineX(n), y = ScheduleLineY(n);
      const uint32_t colour = ScheduleColour(n, c.Index);
      EXPECT_GT(CountColour(Display[1], x, y, x + 150, y + 16, colour), 0) << "event " << n;
      for (uint32_t other : {kGrey, kTest, kSports, kArt, kValentine}) {
        if (other != colour) {
          EXPECT_EQ(CountColour(Display[1], x, y, x + 150, y + 16, other), 0) << "event " << n;
        }
      }
    }

    if (c.MarkerX == 0) {
      EXPECT_EQ(MarkerPixels(), 0);
    } else {
      EXPECT_EQ(MarkerPixels(), 16 * 16);
      EXPECT_EQ(PixelAt(Display[1], c.MarkerX, c.MarkerY), kMarkerColours[0]);
      EXPECT_EQ(PixelAt(Display[1], c.MarkerX + 15, c.MarkerY + 15), kMarkerColours[0]);
    }
  }
}

TEST_F(ScheduleTest, PanelCoversBothPanelsAndTheDivider) {
  SurfaceFillBox(Chip[0], 32, 64, 47, 79, RGB(90, 90, 0));  // the vertical band tile
  DrawSchedule();
  // The gradient over the divider row and the two panels; the frame band
  // tile over the junctions; the white outline around it all.
  EXPECT_EQ(PixelAt(Display[1], 480, 168), RGB(0, 70 - 20, 120 - 40));
  EXPECT_EQ(PixelAt(Display[1], 480, 340), RGB(0, 70 - 42, 120 - 84));
  EXPECT_EQ(PixelAt(Display[1], 304, 160), RGB(90, 90, 0));
  EXPECT_EQ(PixelAt(Display[1], 310, 175), RGB(90, 90, 0));
  EXPECT_EQ(PixelAt(Display[1], 500, 170), RGB(90, 90, 0));
  EXPECT_EQ(PixelAt(Display[1], 320, 200), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(Display[1], 496, 200), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(Display[1], 400, 352), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(Display[1], 400, 353), kBackground);
  EXPECT_EQ(Display[1].LineWidth, 1);
}

TEST_F(PanelTest, CalendarDisplaysRestoreTheWideGothicFont) {
  for (void (*draw)() : {DrawMonth, DrawSchedule}) {
    SetFontName(Display[1], kGothicFontName);
    Day = 100;
    draw();
    EXPECT_EQ(Display[1].FontName, kGothicWideFontName);
  }
}

}  // namespace
