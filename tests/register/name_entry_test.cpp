// The year-end name entry: the letter groups, the arrows, Delete and the
// confirmation with Space.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "frame/frame.h"
#include "register/register.h"

namespace {

using Name = std::array<int16_t, 8>;

constexpr int16_t kSpace = 32, kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46;

class NameEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearRegister();
    std::fill(KeyCount, KeyCount + 1001, int16_t{0});
    GraduateCount = 1;
    CurGrad = 1;
    CurRank = 1;
    NameCursor = 0;
    YearEndTick = 100;
    GameMode = 2;
  }

  // One frame in which the key is newly pressed.
  void Press(int16_t key) {
    LastKey = key;
    KeyCount[key] = 1;
    NameEntryKeys();
    KeyCount[key] = 0;
  }
  void SetName(const Name& name) { std::copy(name.begin(), name.end(), GradSyllables[1]); }
  Name GetName() { return std::to_array(GradSyllables[1]); }
};

TEST_F(NameEntry, LetterKeysStepThroughTheirGroups) {
  struct Case {
    char Key;
    std::vector<int16_t> Presses;  // the value after each press, from empty
  };
  const Case cases[] = {
      {'A', {1, 1}},
      {'I', {2, 2}},
      {'U', {3, 3}},
      {'E', {4, 4}},
      {'O', {5, 5}},
      {'K', {6, 7, 8, 9, 10, 6}},
      {'S', {11, 12, 13, 14, 15, 11}},
      {'T', {16, 17, 18, 19, 20, 16}},
      {'N', {21, 22, 23, 24, 25, 46, 21}},
      {'H', {26, 27, 28, 29, 30, 26}},
      {'M', {31, 32, 33, 34, 35, 31}},
      {'Y', {36, 37, 38, 36}},
      {'R', {39, 40, 41, 42, 43, 39}},
      {'W', {44, 45, 44}},
      {'G', {47, 48, 49, 50, 51, 47}},
      {'Z', {52, 53, 54, 55, 56, 52}},
      {'D', {57, 58, 59, 60, 61, 57}},
      {'B', {62, 63, 64, 65, 66, 62}},
      {'P', {67, 68, 69, 70, 71, 67}},
      {'X', {72, 73, 74, 75, 76, 77, 78, 79, 80, 72}},
  };
  // The letters work whatever the rank.
  for (int16_t rank : {1, 10, 11, 500}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(1, c.Key) + " at rank " + std::to_string(rank));
      CurRank = rank;
      SetName({});
      for (size_t i = 0; i < c.Presses.size(); ++i) {
        Press(c.Key);
        ASSERT_EQ(GradSyllables[1][0], c.Presses[i]) << "press " << i + 1;
      }
    }
  }
}

TEST_F(NameEntry, LetterOnAnotherGroupStartsItsOwn) {
  struct Case {
    int16_t From;
    char Key;
    int16_t To;
  };
  for (Case c : {Case{8, 'S', 11}, Case{46, 'K', 6}, Case{46, 'N', 21}, Case{81, 'X', 72},
                 Case{25, 'K', 6}, Case{45, 'N', 21}, Case{10, 'K', 6}, Case{90, 'A', 1}}) {
    SCOPED_TRACE(std::to_string(c.From) + " " + c.Key);
    SetName({c.From});
    Press(c.Key);
    EXPECT_EQ(GradSyllables[1][0], c.To);
  }
}

TEST_F(NameEntry, ArrowsAndDelete) {
  struct Case {
    int16_t Rank, From, Key, To;
  };
  const Case cases[] = {
      {1, 0, kUp, 81},
      {1, 81, kDown, 0},
      {1, 5, kUp, 4},
      {1, 5, kDown, 6},
      {10, 0, kUp, 81},
      {11, 0, kUp, 0},
      {11, 81, kDown, 81},
      {1, 37, kDelete, 0},
      {11, 37, kDelete, 0},
      // A name from a file may hold a syllable the keys never reach; Down
      // still stays inside the table.
      {1, 90, kDown, 0},
      {1, 90, kUp, 89},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "rank " << c.Rank << " from " << c.From << " key " << c.Key);
    CurRank = c.Rank;
    NameCursor = 2;
    SetName({9, 9, c.From, 9, 9, 9, 9, 9});
    Press(c.Key);
    EXPECT_EQ(GetName(), (Name{9, 9, c.To, 9, 9, 9, 9, 9}));
    EXPECT_EQ(NameCursor, 2);
  }
}

TEST_F(NameEntry, CursorWrapsAndStaysBelowTenth) {
  struct Case {
    int16_t Rank, From, Key, To;
  };
  for (Case c : {Case{1, 0, kLeft, 7}, Case{1, 7, kRight, 0}, Case{1, 3, kLeft, 2},
                 Case{10, 3, kRight, 4}, Case{11, 0, kLeft, 0}, Case{11, 0, kRight, 0}}) {
    SCOPED_TRACE(testing::Message() << "rank " << c.Rank << " from " << c.From);
    CurRank = c.Rank;
    NameCursor = c.From;
    Press(c.Key);
    EXPECT_EQ(NameCursor, c.To);
  }
  // The letters edit the position under the cursor only.
  CurRank = 1;
  NameCursor = 3;
  SetName({1, 2, 3, 4, 5, 6, 7, 8});
  Press('K');
  EXPECT_EQ(GetName(), (Name{1, 2, 3, 6, 5, 6, 7, 8}));
}

TEST_F(NameEntry, OnlyNewPressesOfEntryKeysCount) {
  SetName({1});
  LastKey = 'K';
  KeyCount['K'] = 2;  // held since the last frame
  NameEntryKeys();
  EXPECT_EQ(GradSyllables[1][0], 1);

  for (int16_t key : {13, 27, 67, 70, 74, 76, 81, 86, 48, 112}) {  // also C F J L Q V 0 F1
    SCOPED_TRACE(key);
    Press(key);
    EXPECT_EQ(GetName(), (Name{1}));
    EXPECT_EQ(GameMode, 2);
  }
}

TEST_F(NameEntry, SpaceConfirmsAValidNameAfterTheGuard) {
  struct Case {
    const char* What;
    Name Syllables;
    int32_t Tick;
    int16_t Rank;
    bool Confirms;
  };
  const Case cases[] = {
      {"one syllable", {1}, 30, 1, true},
      {"full name", {1, 2, 3, 4, 5, 6, 7, 81}, 16000, 1, true},
      {"inside the guard", {1}, 29, 1, false},
      {"first frame", {1}, 0, 1, false},
      {"all empty", {}, 100, 1, false},
      {"gap at the front", {0, 5}, 100, 1, false},
      {"gap inside", {1, 0, 5}, 100, 1, false},
      {"gap before the last", {1, 2, 3, 4, 5, 6, 0, 8}, 100, 1, false},
      {"below tenth", {7, 7}, 100, 11, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    GameMode = 2;
    SetName(c.Syllables);
    YearEndTick = c.Tick;
    CurRank = c.Rank;
    Press(kSpace);
    EXPECT_EQ(GameMode, c.Confirms ? 0 : 2);
    EXPECT_EQ(NameIsValid(c.Syllables.data()), c.Confirms || c.Tick < 30);
  }

  // Below tenth an empty name becomes valid only through a letter key.
  GameMode = 2;
  CurRank = 11;
  SetName({});
  for (int16_t key : {kUp, kDown, kRight, kSpace}) Press(key);
  EXPECT_EQ(GameMode, 2);
  Press('A');
  Press(kSpace);
  EXPECT_EQ(GameMode, 0);
}

}  // namespace
