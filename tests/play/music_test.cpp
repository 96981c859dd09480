// When play switches between the two music tracks.
#include "play_fixture.h"
#include "sound/sound.h"

namespace {

class MusicTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    BgmTrack = 1;
    SwitchBgm(2);
    if (BgmTrack != 2) GTEST_SKIP() << "this build has no music to switch";
    BgmTrack = 1;
  }
};

TEST_F(MusicTest, HighSpiritsBringTrackTwoAndCalmBringsTrackOneBack) {
  enum What { kReward, kThumbtacks, kCat, kDrift, kFailedGate };
  struct Case {
    const char* Name;
    What Event;
    int16_t Track, MoodBefore, TrackAfter;
  };
  const Case cases[] = {
      {"reward at 146", kReward, 1, 146, 2},
      {"reward at 145", kReward, 1, 145, 1},
      {"thumbtacks", kThumbtacks, 1, 300, 1},
      {"cat at 61", kCat, 1, 61, 2},
      {"cat at 60", kCat, 1, 60, 1},
      {"drift to 160", kDrift, 2, 161, 1},
      {"drift to 161", kDrift, 2, 162, 2},
      {"drift never lifts", kDrift, 1, 300, 1},
      {"failed to 160", kFailedGate, 2, 180, 1},
      {"failed to 180", kFailedGate, 2, 200, 2},
  };
  for (const Case& c : cases) {
    ResetYear();
    SetStudent(500, 5);
    BgmTrack = c.Track;
    Mood = c.MoodBefore;
    PlayerX = 112;
    PlayerY = 200;
    switch (c.Event) {
      case kReward:
      case kThumbtacks:
        Rewards[0] = {112, 200, static_cast<int16_t>(c.Event == kReward ? 1 : 6), 0};
        Collide();
        break;
      case kCat:
        CatState = 1;
        CatAnim = 1;
        CatX = 100;
        CatY = 100;
        Shots[0] = {0, 192, 100, 100, 1};
        Collide();
        break;
      case kDrift:
        FrameCount = 32;
        DriftMood();
        break;
      case kFailedGate: {
        Ability[1] = 480;
        Gates[0] = {128, 32, 128, 100, 1};
        int16_t kind = 1;
        GateReward(kind);
        break;
      }
    }
    EXPECT_EQ(BgmTrack, c.TrackAfter) << c.Name;
  }
}

}  // namespace
