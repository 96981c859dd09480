#include <gtest/gtest.h>

#include "frame/frame.h"

namespace {

class Keys : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHeadlessSession(KURUNOA_SOURCE_DIR, 1);
    std::fill(std::begin(KeyCount), std::end(KeyCount), int16_t{0});
    PollNumber = 0;
  }
  void Script(std::vector<KeyChange> s) {
    PlatformSetKeyScript(std::move(s));
    PollNumber = 0;
  }
};

TEST_F(Keys, NoKeyHeldClearsEverything) {
  Script({{0, {}}});
  KeyCount[32] = 7;
  PollKeys();
  EXPECT_EQ(LastKey, 0);
  for (int code = 1; code <= 128; ++code) EXPECT_EQ(KeyCount[code], 0) << code;
}

TEST_F(Keys, LowestCodeWins) {
  struct Case {
    std::vector<int32_t> Held;
    int16_t Last;
  } cases[] = {
      {{37, 32}, 32},                    // Space and Left: Space
      {{32, 16}, 16},                    // Shift hides Space
      {{13, 32}, 13},                    // Enter over Space
      {{40, 38, 65}, 38}, {{2, 27}, 2},  // a mouse button hides Escape
  };
  for (const Case& c : cases) {
    Script({{0, c.Held}});
    PollKeys();
    EXPECT_EQ(LastKey, c.Last);
    for (int32_t k : c.Held) {
      if (k != c.Last) {
        EXPECT_EQ(KeyCount[k], 0) << k;
      }
    }
  }
}

TEST_F(Keys, CountsConsecutivePollsAndRestartsAfterARelease) {
  Script({{0, {32}}, {5, {}}, {6, {32}}});
  const int16_t expected[] = {1, 2, 3, 4, 5, 0, 1};
  for (int16_t e : expected) {
    PollKeys();
    EXPECT_EQ(KeyCount[32], e);
  }
}

TEST_F(Keys, HeldKeyRestartsWhenALowerKeyIsReleased) {
  Script({{0, {37}}, {2, {37, 32}}, {4, {37}}});
  const int16_t left[] = {1, 2, 0, 0, 1, 2};
  for (int16_t e : left) {
    PollKeys();
    EXPECT_EQ(KeyCount[37], e);
  }
}

TEST_F(Keys, CountStopsAt32767) {
  Script({{0, {38}}});
  KeyCount[38] = 32766;
  PollKeys();
  EXPECT_EQ(KeyCount[38], 32767);
  PollKeys();
  EXPECT_EQ(KeyCount[38], 32767);
}

TEST(Pacing, AFrameLastsItsPeriodPlusOneOnTheVirtualClock) {
  InitHeadlessSession(KURUNOA_SOURCE_DIR, 1);
  for (int32_t period : {27, 65}) {
    FrameStart = PlatformClockMs();
    PaceFrame(period);
    EXPECT_EQ(PlatformClockMs() - FrameStart, period + 1);
  }
}

TEST(Pacing, AnOverlongFrameIsFollowedAtOnce) {
  InitHeadlessSession(KURUNOA_SOURCE_DIR, 1);
  const int32_t now = PlatformClockMs();
  for (int32_t worked : {27, 40}) {
    FrameStart = now - worked;
    PaceFrame(27);
    EXPECT_EQ(PlatformClockMs(), now) << "no wait after " << worked << " ms of work";
  }
  FrameStart = now - 26;
  PaceFrame(27);
  EXPECT_EQ(PlatformClockMs(), now + 2) << "a 1 ms wait returns after 2 ms";
}

TEST(Pacing, DelayTicksWaitsMoreThanItsArgument) {
  InitHeadlessSession(KURUNOA_SOURCE_DIR, 1);
  const int32_t t0 = PlatformTickMs();
  DelayTicks(200);
  EXPECT_EQ(PlatformTickMs() - t0, 201);
}

TEST(KeyScript, ParsesNamesCodesAndComments) {
  std::vector<KeyChange> s;
  std::string error;
  ASSERT_TRUE(
      ParseKeyScript("# intro\n0 -\n3 SPACE\n10 LEFT,UP  # both\n\n12 65,Z,9\n", &s, &error))
      << error;
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].Keys.size(), 0u);
  EXPECT_EQ(s[1].Keys, std::vector<int32_t>{32});
  EXPECT_EQ(s[2].Keys, (std::vector<int32_t>{37, 38}));
  EXPECT_EQ(s[3].Keys, (std::vector<int32_t>{65, 90, 57}));
}

TEST(KeyScript, MalformedLinesNameTheirLineNumber) {
  struct Case {
    const char* Text;
    const char* Error;
  } cases[] = {
      {"0 -\nx SPACE\n", "line 2: "}, {"0 -\n\n5 JUMP\n", "line 3: "}, {"4\n", "line 1: "},
      {"5 SPACE\n2 -\n", "line 2: "}, {"0 SPACE,\n", "line 1: "},      {"0 999\n", "line 1: "},
  };
  for (const Case& c : cases) {
    std::vector<KeyChange> s;
    std::string error;
    EXPECT_FALSE(ParseKeyScript(c.Text, &s, &error)) << c.Text;
    EXPECT_EQ(error.rfind(c.Error, 0), 0u) << error;
  }
}

}  // namespace
