// The music commands, the loop jump and the track switches, timed by the
// headless clock (no device: the position moves with the virtual clock).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "fixtures.h"
#include "frame/frame.h"
#include "frame/session.h"
#include "sound/sound.h"

namespace fs = std::filesystem;

namespace {

int32_t Position() {
  std::string reply;
  MciCommand("status bgm position", reply);
  return reply.empty() ? -1 : std::stoi(reply);
}

void Advance(int32_t ms) { PlatformWaitClock(PlatformClockMs() + ms, false); }

void StartYear() {
  BgmTrack = 1;
  BgmOpen(1);
  BgmPlay();
}

std::vector<std::string> ReadLines(const fs::path& p) {
  std::ifstream in(p);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Bgm : public ::testing::Test {
 protected:
  void SetUp() override { Start(std::string(KURUNOA_SOURCE_DIR) + "/"); }
  void Start(const std::string& appDir) {
    SoundShutdown();
    InitHeadlessSession(appDir, 1);
    BgmTrack = 0;
    BgmLoop[1] = 2400;
    BgmLoop[2] = 1600;
    SoundInit("");
  }
  void TearDown() override {
    BgmStop();
    BgmClose();
    SoundShutdown();
    SessionClose();
    Options = SessionOptions{};
  }
  // Collects the trace lines written from now until Trace() is called.
  void StartTrace() {
    trace_ = FreshDir("bgm_trace") / "trace.jsonl";
    Options.TraceFile = trace_.string();
    std::string error;
    ASSERT_TRUE(SessionOpen(&error)) << error;
  }
  std::vector<std::string> Trace() {
    SessionClose();
    return ReadLines(trace_);
  }
  fs::path trace_;
};

TEST_F(Bgm, AYearStartsTrackOneAt2400AndThePositionFollowsTheClock) {
  StartTrace();
  StartYear();
  EXPECT_EQ(Position(), 2400);
  Advance(1000);
  EXPECT_EQ(Position(), 3400);
  const std::string poll = "{\"poll\": " + std::to_string(PollNumber - 1) + ", \"music\": ";
  const std::vector<std::string> want = {
      poll + "\"open " + std::string(KURUNOA_SOURCE_DIR) + "/da/bg1.mid alias bgm\"}",
      poll + "\"seek bgm to  2400\"}", poll + "\"play bgm\"}"};
  EXPECT_EQ(Trace(), want) << "time format and position queries are not traced";
}

TEST_F(Bgm, TheLoopJumpsBackWithinAFrameOfTheEnd) {
  const struct {
    int16_t Track;
    int32_t End, Restart;
    const char* Seek;
  } cases[] = {{1, 271200, 2450, "seek bgm to  2450"}, {2, 81600, 4560, "seek bgm to  4560"}};
  for (const auto& c : cases) {
    BgmClose();
    BgmTrack = c.Track;
    BgmLoop[c.Track] = c.End - 100;
    BgmOpen(c.Track);
    BgmPlay();
    StartTrace();
    Advance(90);
    BgmUpdate();
    EXPECT_EQ(std::stoi(BgmPos), c.End - 10) << c.Track;
    Advance(27);
    BgmUpdate();
    EXPECT_EQ(std::stoi(BgmPos), c.End + 17) << "the query that saw the end";
    EXPECT_EQ(Position(), c.Restart) << c.Track;
    Advance(27);
    EXPECT_EQ(Position(), c.Restart + 27) << "and plays on from there";
    const std::vector<std::string> lines = Trace();
    ASSERT_EQ(lines.size(), 2u) << c.Track;
    EXPECT_NE(lines[0].find(c.Seek), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("\"play bgm\""), std::string::npos) << lines[1];
  }
}

TEST_F(Bgm, TrackOneResumesWhereItStoppedAndTrackTwoAlwaysStartsAt1600) {
  StartYear();
  Advance(100000);
  SwitchBgm(2);
  EXPECT_EQ(BgmLoop[1], 102400) << "remembered when track 1 stopped";
  EXPECT_EQ(BgmTrack, 2);
  EXPECT_EQ(Position(), 1600);
  Advance(5000);
  EXPECT_EQ(Position(), 6600);
  SwitchBgm(1);
  EXPECT_EQ(Position(), 102400) << "about 100 s into track 1 again";
  EXPECT_EQ(BgmLoop[2], 1600);
  Advance(3000);
  SwitchBgm(2);
  EXPECT_EQ(Position(), 1600) << "track 2 never resumes";
  EXPECT_EQ(BgmLoop[1], 105400);
}

TEST_F(Bgm, AClosedAliasAnswersNothingAndStoppingItIsHarmless) {
  std::string reply = "stale";
  EXPECT_EQ(MciCommand("status bgm position", reply), "263");
  EXPECT_EQ(reply, "");
  BgmTrack = 1;
  BgmLoop[1] = 50000;
  BgmStop();
  EXPECT_EQ(BgmLoop[1], 0) << "an empty reply is position 0";
  BgmClose();
  BgmStop();
  // The walk-out silences the music on every frame; BgmUpdate then sees 0.
  for (int frame = 0; frame < 3; ++frame) {
    BgmUpdate();
    EXPECT_EQ(BgmPos, "");
  }
}

TEST_F(Bgm, CommandsAndTheirReturnCodes) {
  const std::string open = "open " + DataPath("da\\bg2.mid") + " alias bgm";
  const struct {
    std::string Command;
    const char* Code;
  } cases[] = {
      {"play bgm", "263"},
      {"seek bgm to  100", "263"},
      {"set bgm time format milliseconds", "263"},
      {open, "0"},
      {open, "265"},  // already open under the alias
      {"set bgm time format milliseconds", "0"},
      {"seek bgm to  100", "0"},
      {"seek bgm to nowhere", "282"},
      {"status bgm length", "261"},
      {"play bgm", "0"},
      {"play bgm from 5", "261"},
      {"rewind bgm", "261"},
      {"stop bgm", "0"},
      {"close bgm", "0"},
      {"close bgm", "263"},
      {"open  alias bgm", "275"},  // the empty path of a file that is not there
      {"open " + DataPath("da\\none.mid") + " alias bgm", "275"},
      {"open " + DataPath("da\\bg2.mid"), "261"},
  };
  for (const auto& c : cases) {
    std::string reply;
    testing::internal::CaptureStderr();
    EXPECT_EQ(MciCommand(c.Command, reply), c.Code) << c.Command;
    testing::internal::GetCapturedStderr();
  }
}

TEST_F(Bgm, ASongShorterThanItsJumpPointPlaysOnceThenStaysSilent) {
  const fs::path dir = FreshDir("bgm_short");
  // Three seconds: a quarter of one second a tick, 12 ticks.
  WriteBytes(dir / "da" / "bg1.mid",
             Smf(0, 1,
                 {Track({0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x00, 0x90, 0x3C, 0x64, 0x0C,
                         0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00})}));
  Start(dir.string());
  StartYear();
  StartTrace();
  for (int frame = 0; frame < 40; ++frame) {
    Advance(27);
    BgmUpdate();
  }
  EXPECT_EQ(std::stoi(BgmPos), 3000) << "held at the end of the song";
  EXPECT_TRUE(Trace().empty()) << "never jumps";
}

TEST_F(Bgm, FoldersWithBlanksOpenAndAMissingTrackIsSilentWithOneLine) {
  const fs::path dir = FreshDir("bgm blanks") / "my game";
  fs::create_directories(dir / "da");
  fs::copy_file(fs::path(KURUNOA_SOURCE_DIR) / "da" / "bg1.mid", dir / "da" / "bg1.mid");
  Start(dir.string());
  StartYear();
  Advance(500);
  EXPECT_EQ(Position(), 2900);
  testing::internal::CaptureStderr();
  SwitchBgm(2);
  EXPECT_EQ(Position(), -1) << "nothing open";
  Advance(500);
  BgmUpdate();
  SwitchBgm(1);
  EXPECT_EQ(Position(), 2900) << "track 1 resumes";
  SwitchBgm(2);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("bg2.mid"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(Bgm, EffectsAreTracedAndNameTheirFile) {
  StartTrace();
  PlayEffect(5);
  EXPECT_EQ(FilePath, DataPath("da\\se5.wav"));
  PlayEffect(0);
  StopEffects();
  const std::string poll = std::to_string(PollNumber - 1);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"{\"poll\": " + poll + ", \"effect\": 5}",
                                               "{\"poll\": " + poll + ", \"effect\": 0}"}));
}

}  // namespace
