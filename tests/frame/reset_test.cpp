#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "frame/frame.h"
#include "play/play.h"

namespace {

class Reset : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHeadlessSession(KURUNOA_SOURCE_DIR, 1);
    ResetYear();
  }
};

TEST_F(Reset, SheetsHaveTheirCataloguedSizes) {
  struct Case {
    const Surface& Sheet;
    int32_t W, H;
  } cases[] = {{Chip[0], 288, 288},
               {Chip[1], 288, 288},
               {Chip[2], 288, 288},
               {Chip[3], 288, 256},
               {LogoChip, 96, 128}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.Sheet.Width, c.W);
    EXPECT_EQ(c.Sheet.Height, c.H);
  }
}

TEST_F(Reset, MoodBandsChangeAtTheirEdges) {
  struct Case {
    int Mood;
    const char* Name;
    const char* Reading;
    int16_t X;
  } cases[] = {
      {0, "人格崩壊", "じんかくほうかい", 373},  {10, "人格崩壊", "じんかくほうかい", 373},
      {11, "自暴自棄", "じぼうじき", 389},       {40, "鬱", "うつ", 401},
      {95, "落ち込み気味", "おちこみぎみ", 380}, {105, "平静", "へいせい", 390},
      {106, "得意げ", "とくいげ", 393},          {190, "最高潮", "さいこうちょう", 381},
      {191, "自己陶酔", "じことうすい", 385},    {999, "自己陶酔", "じことうすい", 385},
      {1000, "自己陶酔", "じことうすい", 385},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MoodName[c.Mood], c.Name) << c.Mood;
    EXPECT_EQ(MoodReading[c.Mood], c.Reading) << c.Mood;
    EXPECT_EQ(MoodReadingX[c.Mood], c.X) << c.Mood;
  }
}

TEST_F(Reset, EventTableHoldsTheCalendar) {
  struct Case {
    int Entry;
    const char* Name;
    int16_t Day, Kind, GateX, GateY, IconX, IconY, LabelX, LabelY;
  } cases[] = {
      {2, "写生会", 50, 3, 128, 160, 64, 112, 160, 131},
      {3, "一学期中間テスト", 110, 1, 128, 32, 64, 96, 160, 153},
      {4, "夏季スポーツ大会", 160, 2, 128, 96, 80, 96, 160, 175},
      {12, "バレンタインデー", 630, 4, 128, 224, 80, 112, 213, 197},
      {13, "学年末テスト", 680, 1, 128, 32, 64, 96, 213, 219},
      {14, "卒業式", 710, 5, 192, 32, 0, 0, 213, 241},
  };
  for (const Case& c : cases) {
    const EventRecord& e = EventTable[c.Entry];
    EXPECT_EQ(e.Name, c.Name);
    EXPECT_EQ(e.Day, c.Day) << c.Entry;
    EXPECT_EQ(e.Kind, c.Kind) << c.Entry;
    EXPECT_EQ(e.GateSrcX, c.GateX) << c.Entry;
    EXPECT_EQ(e.GateSrcY, c.GateY) << c.Entry;
    EXPECT_EQ(e.IconSrcX, c.IconX) << c.Entry;
    EXPECT_EQ(e.IconSrcY, c.IconY) << c.Entry;
    EXPECT_EQ(e.LabelSrcX, c.LabelX) << c.Entry;
    EXPECT_EQ(e.LabelSrcY, c.LabelY) << c.Entry;
  }
  for (int empty : {0, 1, 15, 16}) {
    EXPECT_TRUE(EventTable[empty].Name.empty());
    EXPECT_EQ(EventTable[empty].Day, 0);
    EXPECT_EQ(EventTable[empty].Kind, 0);
  }
}

TEST_F(Reset, TablesAndStartValues) {
  EXPECT_EQ(FramePeriod, 27);
  EXPECT_EQ(GameMode, -1);
  EXPECT_EQ(PlayerX, 112);
  EXPECT_EQ(PlayerY, 288);
  EXPECT_EQ(KindArt[5].PickupSrcX, 256);
  EXPECT_EQ(KindArt[6].RewardSrcX, 32);
  EXPECT_EQ(PickupInsetY[2], 10);
  EXPECT_EQ(DirDX[0], -8);
  EXPECT_EQ(DirDY[3], 8);
  EXPECT_EQ(Teachers[2].X, 144);
  EXPECT_EQ(Teachers[0].Rate, 15);
  EXPECT_EQ(Shots[7].SrcY, 192);
  EXPECT_EQ(CatY, -32);
  EXPECT_EQ(TableRow[1][0], 88);
  EXPECT_EQ(TableRow[1][4], 222);
  EXPECT_EQ(TableRow[1][6], 90);
  EXPECT_EQ(TableRow[10][11], 252);
  EXPECT_EQ(DigitSrcX[7], 70);
  EXPECT_EQ(DigitSrcY[7], 240);
  EXPECT_EQ(NameFont, "ＭＳ Ｐゴシック");
  EXPECT_EQ(Syllable[1], "あ");
  EXPECT_EQ(Syllable[46], "ん");
  EXPECT_EQ(Syllable[81], "ー");
  EXPECT_TRUE(Syllable[0].empty());
}

TEST_F(Reset, ASecondResetEqualsTheFirst) {
  auto snapshot = [] {
    std::string s;
    for (int m = 0; m <= 1000; ++m) s += std::string(MoodName[m]) + std::to_string(MoodReadingX[m]);
    for (const EventRecord& e : EventTable) {
      s += std::string(e.Name) + std::to_string(e.Day) + std::to_string(e.GateSrcY) +
           std::to_string(e.IconSrcX) + std::to_string(e.LabelSrcY);
    }
    for (const TeacherRecord& t : Teachers) s += std::to_string(t.X) + std::to_string(t.Rate);
    for (int r = 1; r <= 10; ++r) s += std::to_string(TableRow[r][6]);
    for (int i = 1; i <= 81; ++i) s += Syllable[i];
    return s;
  };
  const std::string first = snapshot();
  Teachers[1].X = 200;
  EventTable[3].Day = 1;
  ResetYear();
  EXPECT_EQ(snapshot(), first);
}

struct SyllableCase {
  const char* What;
  std::string Text;
  bool Ok;
  std::string Font, First, Last, Cause;
};

std::string Syllables(int n) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += "s" + std::to_string(i) + (i % 5 ? "," : "\n");
  return s;
}

TEST(SyllableFile, ReadsTheFontNameAndEightyOneFields) {
  const SyllableCase cases[] = {
      {"quoted font with blanks", "\"ＭＳ　Ｐゴシック\"\n" + Syllables(81), true,
       "ＭＳ　Ｐゴシック", "s1", "s81", ""},
      {"unquoted font, leading blanks", "   Font A  ,  " + Syllables(81), true, "Font A", "s1",
       "s81", ""},
      {"CR LF line ends", "F\r\n" + Syllables(40) + "\r\n" + Syllables(81).substr(0), true, "F",
       "s1", "s41", ""},
      {"anything after field 82 is ignored", "F\n" + Syllables(81) + "extra,more\n", true, "F",
       "s1", "s81", ""},
      {"quoted comma stays in the field", "\"a,b\"," + Syllables(81), true, "a,b", "s1", "s81", ""},
      {"too short", "F\n" + Syllables(80), false, "", "", "", "input past end of file"},
      {"empty", "", false, "", "", "", "input past end of file"},
  };
  const std::string path = ::testing::TempDir() + "/da3_case.txt";
  for (const SyllableCase& c : cases) {
    {
      std::ofstream out(path, std::ios::binary);
      out << c.Text;
    }
    std::string font, cause, syl[82];
    EXPECT_EQ(ReadSyllableFile(path, &font, syl, &cause), c.Ok) << c.What;
    if (c.Ok) {
      EXPECT_EQ(font, c.Font) << c.What;
      EXPECT_EQ(syl[1], c.First) << c.What;
      EXPECT_EQ(syl[81], c.Last) << c.What;
    } else {
      EXPECT_EQ(cause, c.Cause) << c.What;
    }
  }
  std::string font, cause, syl[82];
  EXPECT_FALSE(ReadSyllableFile(::testing::TempDir() + "/missing/da3.txt", &font, syl, &cause));
  EXPECT_EQ(cause, "file not found");
}

}  // namespace
