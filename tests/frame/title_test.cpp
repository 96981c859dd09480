#include "title/title.h"

#include <gtest/gtest.h>

#include "frame/frame.h"
#include "register/register.h"
#include "sound/sound.h"

namespace {

class Title : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHeadlessSession(KURUNOA_SOURCE_DIR, 7);
    ResetYear();
    GameMode = 0;
  }
  void Press(int16_t key, int16_t count = 1) {
    LastKey = key;
    KeyCount[key] = count;
    TitleKeys();
  }
};

TEST_F(Title, CursorWrapsAndMovesOncePerPress) {
  struct Case {
    int16_t From, Key, Count, To;
  } cases[] = {
      {1, 38, 1, 4}, {4, 40, 1, 1}, {2, 38, 1, 1},
      {2, 40, 1, 3}, {2, 38, 2, 2},  // held: no second move
      {2, 37, 1, 2},                 // other keys do nothing
  };
  for (const Case& c : cases) {
    MenuChoice = c.From;
    Press(c.Key, c.Count);
    EXPECT_EQ(MenuChoice, c.To) << c.From << " key " << c.Key;
    EXPECT_EQ(GameMode, 0);
  }
}

TEST_F(Title, SpaceActsOnTheEntryOnlyWhenNewlyPressed) {
  MenuChoice = 3;
  Press(32, 2);
  EXPECT_EQ(GameMode, 0) << "a Space held from the previous screen";
  Press(32, 1);
  EXPECT_EQ(GameMode, 3);
  GameMode = 0;
  MenuChoice = 4;
  Press(32, 1);
  EXPECT_EQ(GameMode, 27);
  GameMode = 0;
  MenuChoice = 2;
  Press(27, 5);
  EXPECT_EQ(GameMode, 27) << "Escape quits at once, held or not";
}

TEST_F(Title, ANewYearOpensTheNextRegisterRecord) {
  GraduateCount = 999;
  LastName[0] = 12;
  LastName[1] = 3;
  MenuChoice = 2;
  const int32_t before = PlatformClockMs();
  Press(32, 1);
  EXPECT_EQ(GameMode, 1);
  EXPECT_EQ(GraduateCount, 1000);
  EXPECT_EQ(CurGrad, 1000);
  EXPECT_EQ(RankOrder[1000], 1000);
  EXPECT_EQ(GradSchool[1000], 2);
  EXPECT_EQ(GradSyllables[1000][0], 12);
  EXPECT_EQ(GradSyllables[1000][1], 3);
  EXPECT_EQ(BgmTrack, 1);
  EXPECT_EQ(PlatformClockMs() - before, 4 * 201) << "the closing wipe's four pauses";
  EXPECT_EQ(Display[2].BackColour, RGB(0, 36, 72));
}

class Intro : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHeadlessSession(KURUNOA_SOURCE_DIR, 11);
    ResetYear();
    std::fill(std::begin(LogoRowShown), std::end(LogoRowShown), uint8_t{0});
    LogoRowCount = 0;
    SurfaceClear(LogoChip, 0);  // a black logo shows which rows were drawn
    SurfaceClear(Display[1], RGB(255, 255, 255));
    PollNumber = 0;
  }
  int32_t BlackRows() const {
    int32_t rows = 0;
    for (int32_t r = 0; r < 128; ++r) rows += Display[0].Pixels[(120 + r) * 512 + 250] == 0;
    return rows;
  }
};

TEST_F(Intro, SpaceInTheFirstFrameShowsEightRowsThenTheTitle) {
  PlatformSetKeyScript({{0, {32}}});
  LogoScreen();
  EXPECT_EQ(GameMode, 0);
  EXPECT_EQ(PollNumber, 1);
  EXPECT_EQ(LogoRowCount, 8);
  EXPECT_EQ(BlackRows(), 8);
}

TEST_F(Intro, TheLogoIsCompleteAfterSixteenFrames) {
  PlatformSetKeyScript({{14, {32}}});
  LogoScreen();
  EXPECT_EQ(LogoRowCount, 120);
  SetUp();
  PlatformSetKeyScript({{15, {32}}});
  LogoScreen();
  EXPECT_EQ(LogoRowCount, 128);
  EXPECT_EQ(BlackRows(), 128);
}

TEST_F(Intro, EndsByItselfInFrameFiftyAtSixtyFiveMsAFrame) {
  PlatformSetKeyScript({{0, {16, 32}}});  // Shift hides Space
  const int32_t start = PlatformClockMs();
  LogoScreen();
  EXPECT_EQ(GameMode, 0);
  EXPECT_EQ(PollNumber, 51);
  EXPECT_EQ(PlatformClockMs() - start, 50 * 66);
}

TEST_F(Intro, EscapeQuits) {
  PlatformSetKeyScript({{3, {27}}});
  LogoScreen();
  EXPECT_EQ(GameMode, 27);
  EXPECT_EQ(PollNumber, 4);
}

}  // namespace
