// The graduate register: ranking, scores, averages, the two files and the
// year-end save with its failure handling.
#include "register/register.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "play/play.h"
#include "register_fixture.h"

namespace {

// ---- Ranking and scores ----

TEST_F(Register, EqualTotalsAreNeverExchanged) {
  GraduateCount = 3;
  SetRecord(1, {1, {}, 5, 0, 0});
  SetRecord(2, {1, {}, 5, 0, 0});
  SetRecord(3, {1, {}, 9, 0, 0});
  SortGraduates();
  // The first pass swaps 3 to the front, which sends 1 behind 2.
  EXPECT_EQ(std::vector<int16_t>(RankOrder + 1, RankOrder + 4), (std::vector<int16_t>{3, 2, 1}));
}

TEST_F(Register, CurRankFollowsTheCurrentRecord) {
  struct Case {
    int16_t CurGrad, Expected;
  };
  // With no game started (record 0) the rank keeps its last value.
  for (Case c : {Case{1, 3}, Case{2, 2}, Case{3, 1}, Case{0, 7}}) {
    SCOPED_TRACE(c.CurGrad);
    ClearRegister();
    GraduateCount = 3;
    SetRecord(1, {1, {}, 5, 0, 0});
    SetRecord(2, {1, {}, 5, 0, 0});
    SetRecord(3, {1, {}, 9, 0, 0});
    CurGrad = c.CurGrad;
    CurRank = 7;
    SortGraduates();
    EXPECT_EQ(CurRank, c.Expected);
  }
}

// The plain exchange procedure, for comparison with the fast one.
void ReferenceSort(std::vector<int16_t>& order, const std::vector<int32_t>& total) {
  for (size_t a = 1; a + 1 < order.size(); ++a) {
    for (size_t b = a + 1; b < order.size(); ++b) {
      if (total[order[a]] < total[order[b]]) std::swap(order[a], order[b]);
    }
  }
}

TEST_F(Register, SortMatchesThePlainExchangeProcedure) {
  std::mt19937 rng(7);
  for (int32_t n : {0, 1, 2, 17, 1000}) {
    SCOPED_TRACE(n);
    ClearRegister();
    GraduateCount = n;
    std::vector<int32_t> total(1001, 0);
    std::vector<int16_t> order(n + 1, 0);
    for (int32_t i = 1; i <= n; ++i) {
      // Few distinct totals, so that ties decide most of the order.
      total[i] = static_cast<int32_t>(rng() % 12) * 100 - 300;
      GradScore[i][4] = total[i];
      order[i] = static_cast<int16_t>(i);
    }
    std::shuffle(order.begin() + 1, order.end(), rng);
    std::copy(order.begin(), order.end(), RankOrder);
    ReferenceSort(order, total);
    SortGraduates();
    EXPECT_EQ(std::vector<int16_t>(RankOrder, RankOrder + n + 1), order);
    if (n < 2) continue;
    // Already in order, then one total raised or lowered: the shapes of a
    // play frame, where the leading passes that exchange nothing are skipped.
    for (int32_t change : {0, 250, -250, 10000}) {
      SCOPED_TRACE(change);
      const int16_t moved = order[1 + static_cast<int32_t>(rng() % n)];
      total[moved] += change;
      GradScore[moved][4] = total[moved];
      std::copy(order.begin(), order.end(), RankOrder);
      ReferenceSort(order, total);
      SortGraduates();
      EXPECT_EQ(std::vector<int16_t>(RankOrder, RankOrder + n + 1), order);
    }
  }
}

TEST_F(Register, UpdateCurrentScoresCopiesTheAbilities) {
  struct Case {
    std::array<int16_t, 3> Abilities;
    int32_t Total, TotalInt, TotalFrac, StudyInt, StudyFrac;
  };
  const Case cases[] = {
      {{512, 488, 301}, 1301, 130, 1, 51, 2},
      // The sum of three 16-bit abilities is taken in 32 bits, not wrapped.
      {{32767, 32767, 32767}, 98301, 9830, 1, 3276, 7},
      // Display parts truncate toward zero and keep the sign.
      {{-15, 0, 3}, -12, -1, -2, -1, -5},
  };
  for (const Case& c : cases) {
    ClearRegister();
    GraduateCount = 1;
    CurGrad = 1;
    std::copy(c.Abilities.begin(), c.Abilities.end(), Ability + 1);
    UpdateCurrentScores();
    EXPECT_EQ(GradScore[1][1], c.Abilities[0]);
    EXPECT_EQ(GradScore[1][2], c.Abilities[1]);
    EXPECT_EQ(GradScore[1][3], c.Abilities[2]);
    EXPECT_EQ(GradScore[1][4], c.Total);
    EXPECT_EQ(GradScoreInt[1][4], c.TotalInt);
    EXPECT_EQ(GradScoreFrac[1][4], c.TotalFrac);
    EXPECT_EQ(GradScoreInt[1][1], c.StudyInt);
    EXPECT_EQ(GradScoreFrac[1][1], c.StudyFrac);
  }
  ClearRegister();
  Ability[1] = 100;
  UpdateCurrentScores();  // no record opened
  EXPECT_EQ(GradScore[0][1], 0);
}

TEST_F(Register, AveragesTruncateAndSumWithoutOverflow) {
  EXPECT_EQ(AverageScore(1), 0);  // empty register

  GraduateCount = 2;
  SetRecord(1, {1, {}, 500, 5, 0});
  SetRecord(2, {1, {}, 501, 0, 2});
  EXPECT_EQ(AverageScore(1), 500);  // 50.05 shown as 50.0
  EXPECT_EQ(AverageScore(2), 2);
  EXPECT_EQ(AverageScore(3), 1);
  // From the totals 505 and 503, not from the three averages (503).
  EXPECT_EQ(AverageScore(4), 504);

  // A record with total 0 still counts.
  GraduateCount = 3;
  SetRecord(3, {1, {}, 0, 0, 0});
  EXPECT_EQ(AverageScore(1), 333);

  GraduateCount = 999;
  for (int32_t i = 1; i <= 999; ++i) GradScore[i][4] = INT32_MAX;
  EXPECT_EQ(AverageScore(4), INT32_MAX);
}

// ---- Files ----

TEST_F(Register, SaveWritesEveryValueOnItsOwnLine) {
  GraduateCount = 2;
  SetRecord(1, {2, {7, 0, 0, 0, 0, 0, 0, 0}, 300, -15, 20});
  SetRecord(2, {1, {12, 3, 0, 0, 0, 0, 0, 0}, 400, 0, 1});
  RankOrder[1] = 2;
  RankOrder[2] = 1;
  LastName[0] = 12;
  LastName[1] = 3;
  SaveRegister();
  EXPECT_EQ(RegisterSaveError, "");
  EXPECT_EQ(ReadFile("da1.txt"),
            " 2 \r\n 12 \r\n 3 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n");
  // Best first, in RankOrder; a negative value has its sign and no blank.
  EXPECT_EQ(
      ReadFile("da2.txt"),
      " 1 \r\n 12 \r\n 3 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 400 \r\n 0 \r\n 1 \r\n"
      " 2 \r\n 7 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 300 \r\n-15 \r\n 20 \r\n");
  // No temporary is left behind; the lock file stays for the next save.
  EXPECT_EQ(FilesInDa(), (std::vector<std::string>{"da1.txt", "da2.txt", "register.lock"}));
}

TEST_F(Register, YearEndSaveRenumbersByRank) {
  const Record r500{1, {1, 2, 0, 0, 0, 0, 0, 0}, 200, 200, 100};
  const Record r900{2, {3, 0, 0, 0, 0, 0, 0, 0}, 300, 300, 300};
  const Record r700{1, {81, 81, 81, 81, 81, 81, 81, 81}, 700, -15, 15};
  GraduateCount = 3;
  SetRecord(1, r500);
  SetRecord(2, r900);
  SetRecord(3, r700);
  CurGrad = 3;
  std::copy(r700.Syllables.begin(), r700.Syllables.end(), LastName);
  RunYearEndSave();

  EXPECT_EQ(RegisterSaveError, "");
  EXPECT_EQ(ReadFile("da1.txt"), Lines({3, 81, 81, 81, 81, 81, 81, 81, 81}));
  EXPECT_EQ(ReadFile("da2.txt"), Group(r900) + Group(r700) + Group(r500));
  ExpectRecord(1, r900);
  ExpectRecord(2, r700);
  ExpectRecord(3, r500);
  EXPECT_EQ(GradScoreInt[2][2], -1);
  EXPECT_EQ(GradScoreFrac[2][2], -5);
  EXPECT_EQ(std::vector<int16_t>(RankOrder, RankOrder + 5), (std::vector<int16_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(GradName[1], "s3");
  EXPECT_EQ(GradName[2], "s81s81s81s81s81s81s81s81");
  EXPECT_EQ(GradName[3], "s1s2");
}

TEST_F(Register, FirstYearWithoutAnyFiles) {
  LoadRegister();
  BuildGraduateNames();
  EXPECT_EQ(GraduateCount, 0);
  EXPECT_EQ(Name(std::to_array(LastName)), Name{});

  OpenRecord(2);
  Ability[1] = 480;
  Ability[2] = 520;
  Ability[3] = 500;
  UpdateCurrentScores();
  SortGraduates();
  EXPECT_EQ(CurGrad, 1);
  EXPECT_EQ(CurRank, 1);
  EXPECT_EQ(Name(std::to_array(GradSyllables[1])), Name{});

  const Name entered{26, 39, 0, 0, 0, 0, 0, 0};
  std::copy(entered.begin(), entered.end(), GradSyllables[1]);
  std::copy(entered.begin(), entered.end(), LastName);
  RunYearEndSave();
  EXPECT_EQ(ReadFile("da1.txt"), Lines({1, 26, 39, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ReadFile("da2.txt"), Group({2, entered, 480, 520, 500}));
  EXPECT_EQ(GradName[1], "s26s39");
}

TEST_F(Register, YearEndKeepsTheBest999) {
  struct Case {
    const char* What;
    int32_t StudentStudy;
    bool StudentKept;
  };
  for (Case c : {Case{"student lowest", 1, false}, Case{"student best", 90000, true}}) {
    SCOPED_TRACE(c.What);
    ClearRegister();
    GraduateCount = 999;
    for (int32_t i = 1; i <= 999; ++i) SetRecord(i, {1, {1, 0, 0, 0, 0, 0, 0, 0}, 1000 + i, 0, 0});
    LastName[0] = 5;
    OpenRecord(2);
    EXPECT_EQ(CurGrad, 1000);
    SetRecord(1000, {2, {5, 0, 0, 0, 0, 0, 0, 0}, c.StudentStudy, 0, 0});
    const Name entered{44, 2, 0, 0, 0, 0, 0, 0};
    std::copy(entered.begin(), entered.end(), GradSyllables[1000]);
    std::copy(entered.begin(), entered.end(), LastName);
    RunYearEndSave();

    EXPECT_EQ(GraduateCount, 999);
    // The name entered is kept for the next student even when the
    // student's record is the one dropped.
    EXPECT_EQ(ReadFile("da1.txt"), Lines({999, 44, 2, 0, 0, 0, 0, 0, 0}));
    std::string da2 = ReadFile("da2.txt");
    EXPECT_EQ(std::count(da2.begin(), da2.end(), '\n'), 999 * 12);
    if (c.StudentKept) {
      ExpectRecord(1, {2, entered, c.StudentStudy, 0, 0});
      ExpectRecord(999, {1, {1, 0, 0, 0, 0, 0, 0, 0}, 1002, 0, 0});  // 1001 dropped
    } else {
      ExpectRecord(1, {1, {1, 0, 0, 0, 0, 0, 0, 0}, 1999, 0, 0});
      ExpectRecord(999, {1, {1, 0, 0, 0, 0, 0, 0, 0}, 1001, 0, 0});
    }
  }
}

TEST_F(Register, LoadAcceptsTheFreeFormat) {
  const Record r1{1, {12, 3, 0, 0, 0, 0, 0, 0}, 523, 488, -7};
  const Record r2{2, {81, 0, 0, 0, 0, 0, 0, 0}, 0, 1, 2};
  struct Case {
    const char* What;
    std::string Da1, Da2;
  };
  const Case cases[] = {
      {"as written", Lines({2, 4, 0, 0, 0, 0, 0, 0, 0}), Group(r1) + Group(r2)},
      {"commas on one line", "2,4,0,0,0,0,0,0,0",
       "1,12,3,0,0,0,0,0,0,523,488,-7,2,81,0,0,0,0,0,0,0,0,1,2\r\n"},
      {"blanks, tabs and bare line feeds", "  2\t4 0 0 0 0 0 0 0\n",
       "1 12 3 0 0 0 0 0 0\n523 488 -7\n\n\t2 81 0 0 0 0 0 0 0 0 , 1 , 2"},
      {"plus signs and leading zeros", "+2 004 0 0 0 0 0 0 0",
       "1 12 3 0 0 0 0 0 0 +523 0488 -0007 2 81 0 0 0 0 0 0 0 0 1 2"},
      {"anything after the groups", Lines({2, 4, 0, 0, 0, 0, 0, 0, 0}) + "junk",
       Group(r1) + Group(r2) + "junk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    ClearRegister();
    WriteFile("da1.txt", c.Da1);
    WriteFile("da2.txt", c.Da2);
    LoadRegister();
    EXPECT_EQ(GraduateCount, 2);
    EXPECT_EQ(LastName[0], 4);
    ExpectRecord(1, r1);
    ExpectRecord(2, r2);
    EXPECT_EQ(GradScoreInt[1][4], 100);
    EXPECT_EQ(GradScoreFrac[1][4], 4);
  }
}

TEST_F(Register, MissingOrShortFilesKeepWhatWasRead) {
  const Record r1{1, {12, 0, 0, 0, 0, 0, 0, 0}, 523, 488, 500};
  const std::string da1 = Lines({3, 6, 7, 0, 0, 0, 0, 0, 0});

  // Neither file: the empty register.
  LoadRegister();
  EXPECT_EQ(GraduateCount, 0);

  // Only da2.txt: nothing is read.
  WriteFile("da2.txt", Group(r1));
  LoadRegister();
  EXPECT_EQ(GraduateCount, 0);
  EXPECT_EQ(GradSchool[1], 0);

  // da2.txt shorter than the count: the groups present are read, the totals
  // are not computed, so no row shows.
  WriteFile("da1.txt", da1);
  LoadRegister();
  EXPECT_EQ(GraduateCount, 3);
  EXPECT_EQ(LastName[1], 7);
  EXPECT_EQ(GradSchool[1], 1);
  EXPECT_EQ(GradScore[1][3], 500);
  EXPECT_EQ(GradScore[1][4], 0);
  EXPECT_EQ(GradSchool[2], 0);

  // Only da1.txt.
  ClearRegister();
  fs::remove(dir_ / "da" / "da2.txt");
  LoadRegister();
  EXPECT_EQ(GraduateCount, 3);
  EXPECT_EQ(GradSchool[1], 0);
}

// Files the game never writes: whatever they hold, loading stays inside the
// tables and stops at the first value it cannot take.
TEST_F(Register, HostileFilesStopAtTheFirstBadValue) {
  auto record = [](int32_t i) { return Record{i % 2 + 1, {int16_t(i % 81 + 1)}, i, 2 * i, 3 * i}; };
  auto groups = [&](int32_t n) {
    std::string out;
    for (int32_t i = 1; i <= n; ++i) out += Group(record(i));
    return out;
  };
  const std::string name = " 9 8 7 6 5 4 3 2";
  struct Case {
    const char* What;
    std::string Da1, Da2;
    int32_t Count;
    int32_t LastNameRead;  // positions of LastName taken from da1
    int32_t SchoolsRead;   // leading records whose school was read
    bool TotalsComputed;
  };
  const Case cases[] = {
      {"count not a number", "x2" + name, groups(2), 0, 0, 0, false},
      {"negative count", "-2" + name, groups(2), 0, 0, 0, false},
      {"count beyond the capacity", "5000" + name, groups(1000), 999, 8, 999, true},
      {"count of 1000", "1000" + name, groups(1000), 999, 8, 999, true},
      {"count beyond 32 bits", "99999999999" + name, groups(2), 0, 0, 0, false},
      {"da1 ends early", "2 9 8 7", groups(2), 2, 3, 0, false},
      {"syllable past the table in da1", "2 9 8 101 6 5 4 3 2", groups(2), 2, 2, 0, false},
      {"empty field", "2,9,,7 6 5 4 3 2", groups(2), 2, 1, 0, false},
      {"da2 ends inside a group", "2" + name, groups(1) + " 1 \r\n 5 \r\n", 2, 8, 2, false},
      {"negative syllable in da2", "2" + name, groups(1) + "1 -1 0 0 0 0 0 0 0 1 1 1", 2, 8, 2,
       false},
      {"score beyond 32 bits", "2" + name, groups(1) + "1 0 0 0 0 0 0 0 0 2147483648 1 1", 2, 8, 2,
       false},
      {"letters in a score", "2" + name, groups(1) + "1 0 0 0 0 0 0 0 0 1e3 1 1", 2, 8, 2, false},
      {"binary garbage", std::string("2\0\xff", 3), groups(2), 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    ClearRegister();
    WriteFile("da1.txt", c.Da1);
    WriteFile("da2.txt", c.Da2);
    LoadRegister();
    EXPECT_EQ(GraduateCount, c.Count);
    for (int32_t k = 0; k < 8; ++k) EXPECT_EQ(LastName[k], k < c.LastNameRead ? 9 - k : 0) << k;
    for (int32_t i = 1; i <= c.SchoolsRead; ++i) ASSERT_EQ(GradSchool[i], record(i).School) << i;
    EXPECT_EQ(GradSchool[c.SchoolsRead + 1], 0);
    EXPECT_EQ(GradScore[1][4], c.TotalsComputed ? 6 : 0);
    if (c.TotalsComputed) ExpectRecord(c.SchoolsRead, record(c.SchoolsRead));
  }
}

TEST_F(Register, TotalsOfExtremeScoresSaturate) {
  WriteFile("da1.txt", "2 0 0 0 0 0 0 0 0");
  WriteFile("da2.txt",
            "-7 0 0 0 0 0 0 0 0 2147483647 2147483647 1 "
            "1 0 0 0 0 0 0 0 0 -2147483648 -2147483648 -2147483648");
  LoadRegister();
  EXPECT_EQ(GradSchool[1], -7);
  EXPECT_EQ(GradScore[1][4], INT32_MAX);
  EXPECT_EQ(GradScore[2][4], INT32_MIN);
  EXPECT_EQ(GradScoreInt[2][4], INT32_MIN / 10);
  EXPECT_EQ(GradScoreFrac[2][4], -8);
  // And they are written back as they were read.
  SaveRegister();
  EXPECT_NE(ReadFile("da2.txt").find("-2147483648 \r\n-2147483648 \r\n"), std::string::npos);
}

}  // namespace
