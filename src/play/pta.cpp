// The PTA president: at the left school she stops most events with a few
// pages of protest in a framed window over the frozen play screen.
#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "render/panels.h"

std::string_view PtaText[13][51][3];
int16_t PtaPages[13];
int16_t PtaPage = 0;
int32_t PtaTick = -1;

namespace {

constexpr uint32_t kWhite = RGB(255, 255, 255);
constexpr int32_t kPtaFramePeriod = 65;

// The scene runs for the latest event; anything outside the table has no
// pages, so a stray call ends on the first Space instead of reading past it.
int16_t SceneEvent() { return EventIndex >= 0 && EventIndex <= 12 ? EventIndex : 0; }

void SetPage(int16_t e, int16_t page, std::string_view l0, std::string_view l1,
             std::string_view l2) {
  PtaText[e][page][0] = l0;
  PtaText[e][page][1] = l1;
  PtaText[e][page][2] = l2;
}

void PrintLine(int32_t x, int32_t y, std::string_view text) {
  if (!text.empty()) PrintAt(Display[1], x, y, 10, false, kWhite, text);
}

}  // namespace

int16_t PtaNoticeX(int16_t e) {
  switch (e) {
    case 6:
    case 8:
      return 132;
    case 11:
      return 108;
    case 12:
      return 116;
    default:  // 4, 7, 9 and 10
      return 104;
  }
}

void LoadPtaLines() {
  for (auto& event : PtaText) {
    for (auto& page : event) {
      for (auto& line : page) line = {};
    }
  }
  for (int16_t& pages : PtaPages) pages = 0;

  for (int16_t e = 4; e <= 12; ++e) {
    SetPage(e, 1, "PTA会長が現われました", "なにか訴えたいことが", "ある模様です");
  }

  SetPage(4, 2, "人権侵害！人権侵害！", "学力テストは人権侵害！", "");
  SetPage(4, 3, "学力テストは差別よ！", "学力の低い子を", "苦しめるだけじゃないのっ！");
  SetPage(4, 4, "子供にストレスを", "与える教育、はんたーい！", "シュプレヒコール！");

  SetPage(6, 2, "人権侵害！人権侵害！", "体育祭は人権侵害！", "");
  SetPage(6, 3, "体育祭は差別の極み！", "運動の出来ない子を", "見せしめにするなー！");
  SetPage(6, 4, "子供にストレスを", "与える教育、はんたーい！", "シュプレヒコール！");

  for (int16_t e : {7, 9, 12}) {
    SetPage(e, 2, "シュプレヒコール！", "学校は学力テストを", "即刻中止せよっ！");
  }
  SetPage(8, 2, "シュプレヒコール！", "学校は演奏会を", "即刻中止せよっ！");
  SetPage(10, 2, "シュプレヒコール！", "学校はスポーツ大会を", "即刻中止せよっ！");
  SetPage(11, 2, "シュプレヒコール！", "学校はバレンタインデーを", "即刻中止せよっ！");

  PtaPages[4] = 5;
  PtaPages[6] = 5;
  for (int16_t e = 7; e <= 12; ++e) PtaPages[e] = 3;
  PtaPage = 0;
}

void DrawPtaWindow() {
  Surface& back = Display[1];
  DrawFilledBox(back, 32, 64, 286, 158, RGB(0, 0, 0));
  BlitPicture(back, 32, 64, 8, 8, Chip[0], 128, 64, SRCCOPY);
  BlitPicture(back, 280, 64, 8, 8, Chip[0], 136, 64, SRCCOPY);
  BlitPicture(back, 32, 152, 8, 8, Chip[0], 128, 72, SRCCOPY);
  BlitPicture(back, 280, 152, 8, 8, Chip[0], 136, 72, SRCCOPY);
  for (int32_t i = 5; i <= 34; ++i) {
    BlitPicture(back, 8 * i, 64, 8, 8, Chip[0], 128, 88, SRCCOPY);
    BlitPicture(back, 8 * i, 152, 8, 8, Chip[0], 128, 88, SRCCOPY);
  }
  for (int32_t i = 9; i <= 18; ++i) {
    BlitPicture(back, 32, 8 * i, 8, 8, Chip[0], 128, 80, SRCCOPY);
    BlitPicture(back, 280, 8 * i, 8, 8, Chip[0], 128, 80, SRCCOPY);
  }
}

void DrawPtaPage() {
  Surface& back = Display[1];
  const int16_t e = SceneEvent();
  const int16_t page = PtaPage >= 0 && PtaPage <= 50 ? PtaPage : 0;
  const auto& lines = PtaText[e][page];

  if (page == 1) {
    PrintLine(92, 84, lines[0]);
    PrintLine(100, 104, lines[1]);
    PrintLine(120, 124, lines[2]);
  } else if (page == PtaPages[e]) {
    // The notice: the event's name joined with "は", built without the heap.
    const std::string_view name = EventTable[e + 1].Name;
    constexpr std::string_view kTopic = "は";
    char text[128];
    std::size_t len = name.copy(text, sizeof text - kTopic.size());
    len += kTopic.copy(text + len, kTopic.size());
    PrintLine(PtaNoticeX(e), 94, std::string_view(text, len));
    PrintLine(112, 114, "中止になりました");
  } else {
    BlitPicture(back, 48, 84, 54, 57, Chip[2], 160, 160, SRCCOPY);
    PrintLine(112, 84, lines[0]);
    PrintLine(112, 104, lines[1]);
    PrintLine(112, 124, lines[2]);
    constexpr std::string_view kName = "タエコ・ムルグナ";
    PrintAt(back, 45, 137, 6, false, RGB(0, 0, 0), kName);
    PrintAt(back, 47, 137, 6, false, RGB(0, 0, 0), kName);
    PrintAt(back, 46, 138, 6, false, RGB(255, 128, 0), kName);
  }
}

void PtaScene() {
  for (;;) {
    FrameStart = PlatformClockMs();
    DoEvents();
    ++PtaTick;
    PollKeys();
    CopyTiles(2, 1, 2, 4, 17, 9);
    DrawPtaWindow();
    DrawPtaPage();
    CopyTiles(1, 0, 0, 0, 36, 24);

    bool over = false;
    // Keys count from the fourth frame, so a Space still held from play
    // cannot skip the first page.
    if (PtaTick > 2) {
      if (LastKey == 27) {
        GameMode = 27;
        return;
      }
      if (KeyCount[32] == 1 && LastKey == 32) {
        ++PtaPage;
        if (PtaPage > PtaPages[SceneEvent()]) {
          PtaPage = 0;
          PtaTick = -1;
          over = true;
        }
      }
    }
    if (over) {
      // The cancelled event's gate goes without rewards or mood change.
      GameMode = 1;
      Gates[0].Kind = 0;
      Gates[0].X = 0;
      Gates[0].Y = 0;
      return;
    }
    PaceFrame(kPtaFramePeriod);
  }
}
