// The PTA scene: its pages and texts per event, the key guard of the first
// frames, the pace, what the window shows on each kind of page, and the
// cancelled gate.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "draw/draw.h"
#include "panel_fixture.h"
#include "render/panels.h"

namespace {

constexpr int32_t kSpace = 32;
constexpr int32_t kEscape = 27;

TEST_F(PanelTest, PtaPagesPerEvent) {
  const int16_t pages[13] = {0, 0, 0, 0, 5, 0, 5, 3, 3, 3, 3, 3, 3};
  for (int16_t e = 0; e <= 12; ++e) {
    SCOPED_TRACE(e);
    EXPECT_EQ(PtaPages[e], pages[e]);
    // Page 1, the president's arrival, is there for every event from 4 on.
    EXPECT_EQ(PtaText[e][1][0], e >= 4 ? "PTA会長が現われました" : "");
    // The notice page and everything after it carry no text.
    for (int16_t page = pages[e] > 1 ? pages[e] : 2; page <= 50; ++page) {
      for (int line = 0; line < 3; ++line) EXPECT_EQ(PtaText[e][page][line], "") << page;
    }
  }
  EXPECT_EQ(PtaPage, 0);
}

TEST_F(PanelTest, PtaSlogansPerEvent) {
  const struct {
    int16_t Event, Page;
    std::string_view Lines[3];
  } cases[] = {
      {4, 1, {"PTA会長が現われました", "なにか訴えたいことが", "ある模様です"}},
      {12, 1, {"PTA会長が現われました", "なにか訴えたいことが", "ある模様です"}},
      {4, 2, {"人権侵害！人権侵害！", "学力テストは人権侵害！", ""}},
      {4, 3, {"学力テストは差別よ！", "学力の低い子を", "苦しめるだけじゃないのっ！"}},
      {4, 4, {"子供にストレスを", "与える教育、はんたーい！", "シュプレヒコール！"}},
      {6, 2, {"人権侵害！人権侵害！", "体育祭は人権侵害！", ""}},
      {6, 3, {"体育祭は差別の極み！", "運動の出来ない子を", "見せしめにするなー！"}},
      {6, 4, {"子供にストレスを", "与える教育、はんたーい！", "シュプレヒコール！"}},
      {7, 2, {"シュプレヒコール！", "学校は学力テストを", "即刻中止せよっ！"}},
      {8, 2, {"シュプレヒコール！", "学校は演奏会を", "即刻中止せよっ！"}},
      {9, 2, {"シュプレヒコール！", "学校は学力テストを", "即刻中止せよっ！"}},
      {10, 2, {"シュプレヒコール！", "学校はスポーツ大会を", "即刻中止せよっ！"}},
      {11, 2, {"シュプレヒコール！", "学校はバレンタインデーを", "即刻中止せよっ！"}},
      {12, 2, {"シュプレヒコール！", "学校は学力テストを", "即刻中止せよっ！"}},
  };
  for (const auto& c : cases) {
    for (int line = 0; line < 3; ++line) {
      EXPECT_EQ(PtaText[c.Event][c.Page][line], c.Lines[line])
          << "event " << c.Event << " page " << c.Page << " line " << line;
    }
  }
}

TEST_F(PanelTest, PtaNoticeStartsWhereTheEventNameFits) {
  const int16_t x[13] = {0, 0, 0, 0, 104, 0, 132, 104, 132, 104, 104, 108, 116};
  for (int16_t e : {4, 6, 7, 8, 9, 10, 11, 12}) EXPECT_EQ(PtaNoticeX(e), x[e]) << e;
}

// Runs the scene for an event with keys by poll offset from its first
// frame. An Escape at offset 60 stops a scene that would not end.
struct SceneRun {
  int16_t Mode;
  int16_t Page;
  int64_t Polls;
  int32_t Ms;
};

class PtaSceneTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    SurfaceClear(Display[2], RGB(9, 9, 9));
  }

  SceneRun Run(int16_t event, std::vector<std::pair<int64_t, std::vector<int32_t>>> keys) {
    EventIndex = event;
    PtaPage = 1;
    PtaTick = -1;  // a scene quit with Escape leaves it running
    GameMode = 6;
    Gates[0] = {128, 32, 128, 260, 1};
    Gates[1] = {128, 96, 128, 100, 2};
    const int64_t first = PollNumber;
    std::vector<KeyChange> script;
    bool startsHeld = false;
    for (auto& [offset, held] : keys) {
      script.push_back({first + offset, held});
      startsHeld |= offset == 0 && !held.empty();
    }
    if (!startsHeld) script.insert(script.begin(), KeyChange{first, {}});
    script.push_back({first + 60, {kEscape}});
    PlatformSetKeyScript(script);
    const int32_t t0 = PlatformClockMs();
    PtaScene();
    return {GameMode, PtaPage, PollNumber - first, PlatformClockMs() - t0};
  }
};

TEST_F(PtaSceneTest, EachSpacePressTurnsAPageUntilTheNoticeEndsTheScene) {
  for (int16_t e : {4, 5, 6, 7, 8, 11, 12}) {
    SCOPED_TRACE(e);
    // Presses from the fourth frame on, three frames apart.
    std::vector<std::pair<int64_t, std::vector<int32_t>>> keys;
    const int presses = PtaPages[e] ? PtaPages[e] : 1;
    for (int i = 0; i < presses; ++i) {
      keys.push_back({3 + 3 * i, {kSpace}});
      keys.push_back({4 + 3 * i, {}});
    }
    const SceneRun run = Run(e, keys);
    EXPECT_EQ(run.Mode, 1);
    EXPECT_EQ(run.Page, 0);
    EXPECT_EQ(PtaTick, -1);
    EXPECT_EQ(run.Polls, 3 + 3 * (presses - 1) + 1);
    // The touched gate goes; nothing else on the field changes.
    EXPECT_EQ(Gates[0].Kind, 0);
    EXPECT_EQ(Gates[0].X, 0);
    EXPECT_EQ(Gates[0].Y, 0);
    EXPECT_EQ(Gates[1].Kind, 2);
    EXPECT_EQ(Gates[1].Y, 100);
    // A frame lasts 65 ms (plus the wait's last millisecond) in the scene.
    EXPECT_GE(run.Ms, 65 * (run.Polls - 1));
    EXPECT_LE(run.Ms, 68 * run.Polls);
  }
}

TEST_F(PtaSceneTest, KeysCountOnlyFromTheFourthFrameAndOnlyNewPresses) {
  const struct {
    const char* What;
    bool HeldFromPlay;
    std::vector<std::pair<int64_t, std::vector<int32_t>>> Keys;
    int16_t PageAtEscape;
    int64_t EscapeOffset;
  } cases[] = {
      {"space held from play", true, {{0, {kSpace}}, {8, {kEscape}}}, 1, 8},
      {"space pressed on the third frame", false, {{2, {kSpace}}, {8, {kEscape}}}, 1, 8},
      {"space pressed on the fourth frame", false, {{3, {kSpace}}, {4, {}}, {8, {kEscape}}}, 2, 8},
      {"space held turns one page", false, {{3, {kSpace}}, {8, {kEscape}}}, 2, 8},
      {"escape on the first frames",
       false,
       {{0, {kEscape}}, {3, {}}, {4, {kSpace}}, {5, {}}, {8, {kEscape}}},
       2,
       8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    ResetYear();
    if (c.HeldFromPlay) {
      LastKey = kSpace;
      KeyCount[kSpace] = 7;
    }
    const SceneRun run = Run(4, c.Keys);
    EXPECT_EQ(run.Mode, 27);
    EXPECT_EQ(run.Page, c.PageAtEscape);
    EXPECT_EQ(run.Polls, c.EscapeOffset + 1);
    EXPECT_EQ(Gates[0].Kind, 1);  // quitting leaves the gate
  }
}

// Fixture artwork: the window's frame tiles and the portrait in colours of
// their own.
constexpr uint32_t kCorner = RGB(10, 200, 10);
constexpr uint32_t kEdgeH = RGB(20, 200, 20);
constexpr uint32_t kEdgeV = RGB(30, 200, 30);
constexpr uint32_t kPortrait = RGB(200, 150, 100);

TEST_F(PtaSceneTest, WindowShowsThePortraitOnlyOnSloganPages) {
  Surface& tiles = FixtureSheet(0);
  SurfaceFillBox(tiles, 128, 64, 143, 79, kCorner);
  SurfaceFillBox(tiles, 128, 80, 135, 87, kEdgeV);
  SurfaceFillBox(tiles, 128, 88, 135, 95, kEdgeH);
  Surface& faces = FixtureSheet(2);
  SurfaceFillBox(faces, 160, 160, 213, 216, kPortrait);

  const struct {
    int16_t Event;
    int Presses;  // pages turned before Escape
    bool Portrait;
  } cases[] = {{4, 0, false}, {4, 1, true}, {4, 3, true},
               {4, 4, false}, {7, 1, true}, {7, 2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "event " << c.Event << " page " << c.Presses + 1);
    SurfaceClear(Display[1], kBackground);
    std::vector<std::pair<int64_t, std::vector<int32_t>>> keys;
    for (int i = 0; i < c.Presses; ++i) {
      keys.push_back({3 + 2 * i, {kSpace}});
      keys.push_back({4 + 2 * i, {}});
    }
    keys.push_back({3 + 2 * c.Presses, {}});
    keys.push_back({4 + 2 * c.Presses, {kEscape}});
    ASSERT_EQ(Run(c.Event, keys).Page, c.Presses + 1);

    const Surface& screen = Display[0];
    EXPECT_EQ(PixelAt(screen, 32, 64), kCorner);
    EXPECT_EQ(PixelAt(screen, 287, 159), kCorner);
    EXPECT_EQ(PixelAt(screen, 40, 64), kEdgeH);
    EXPECT_EQ(PixelAt(screen, 279, 159), kEdgeH);
    EXPECT_EQ(PixelAt(screen, 32, 72), kEdgeV);
    EXPECT_EQ(PixelAt(screen, 287, 151), kEdgeV);
    EXPECT_EQ(PixelAt(screen, 150, 148), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(screen, 60, 100), c.Portrait ? kPortrait : RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(screen, 101, 130), c.Portrait ? kPortrait : RGB(0, 0, 0));
    // Around the window the frozen play frame stays.
    EXPECT_EQ(PixelAt(screen, 31, 100), kBackground);
    EXPECT_EQ(PixelAt(screen, 288, 100), kBackground);
    EXPECT_EQ(PixelAt(screen, 150, 160), kBackground);
  }
}

TEST_F(PtaSceneTest, NoticeNamesTheCancelledEvent) {
  for (int16_t e : {4, 8, 11, 12}) {
    SCOPED_TRACE(e);
    std::vector<std::pair<int64_t, std::vector<int32_t>>> keys;
    for (int i = 0; i + 1 < PtaPages[e]; ++i) {
      keys.push_back({3 + 2 * i, {kSpace}});
      keys.push_back({4 + 2 * i, {}});
    }
    keys.push_back({4 + 2 * PtaPages[e], {kEscape}});
    ASSERT_EQ(Run(e, keys).Page, PtaPages[e]);

    Surface expected = Display[1];
    SurfaceFillBox(expected, 40, 72, 279, 151, RGB(0, 0, 0));
    SetFontName(expected, Display[1].FontName);
    PrintAt(expected, PtaNoticeX(e), 94, 10, false, RGB(255, 255, 255),
            std::string(EventTable[e + 1].Name) + "は");
    PrintAt(expected, 112, 114, 10, false, RGB(255, 255, 255), "中止になりました");
    int32_t lit = 0;
    for (int32_t y = 72; y < 152; ++y) {
      for (int32_t x = 40; x < 280; ++x) {
        ASSERT_EQ(PixelAt(Display[1], x, y), PixelAt(expected, x, y)) << x << "," << y;
        lit += PixelAt(expected, x, y) != 0;
      }
    }
    EXPECT_GT(lit, 0);
  }
}

}  // namespace
