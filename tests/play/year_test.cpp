// A whole school year, from the title to the year end, played headless by
// the program itself from a key script and checked through its trace.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct TraceLine {
  long Poll, Ms, Mode, Day, Frame, Phase, X, Y, Mood, Stamina, MaxStamina, Event;
  long Ability[4];
};

long Field(const std::string& line, const char* key) {
  const std::string tag = std::string("\"") + key + "\": ";
  const std::size_t at = line.find(tag);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no " << key << " in " << line;
    return 0;
  }
  return std::strtol(line.c_str() + at + tag.size() + (line[at + tag.size()] == '[' ? 1 : 0),
                     nullptr, 10);
}

TraceLine Parse(const std::string& line) {
  TraceLine t{};
  t.Poll = Field(line, "poll");
  t.Ms = Field(line, "ms");
  t.Mode = Field(line, "mode");
  t.Day = Field(line, "day");
  t.Frame = Field(line, "frame");
  t.Phase = Field(line, "phase");
  t.X = Field(line, "x");
  t.Y = Field(line, "y");
  t.Mood = Field(line, "mood");
  t.Stamina = Field(line, "stamina");
  t.MaxStamina = Field(line, "maxStamina");
  t.Event = Field(line, "event");
  const std::size_t at = line.find("\"ability\": [");
  const char* p = line.c_str() + at + 12;
  for (long& a : t.Ability) {
    char* end = nullptr;
    a = std::strtol(p, &end, 10);
    p = end + 1;
  }
  return t;
}

class YearTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kurunoa-year-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::copy(fs::path(KURUNOA_GAME_DIR) / "da", dir_ / "da", fs::copy_options::recursive);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the program on a key script; returns its exit status.
  int Run(const std::string& script, long maxPolls) {
    std::ofstream(dir_ / "input.txt") << script;
    const std::string command = std::string(KURUNOA_BIN) + " --headless --seed 7 --app-dir " +
                                dir_.string() + " --input " + (dir_ / "input.txt").string() +
                                " --trace " + (dir_ / "trace.jsonl").string() + " --max-polls " +
                                std::to_string(maxPolls) + " > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream in(dir_ / "trace.jsonl");
    for (std::string line; std::getline(in, line);) {
      if (line.find("\"ms\"") != std::string::npos)
        trace_.push_back(Parse(line));  // state lines only
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path dir_;
  std::vector<TraceLine> trace_;
};

TEST_F(YearTest, TitleToYearEndWithTheStudentWalkingUpAllYear) {
  // Skip the intro, start at the front school, then hold Up to the end.
  const int status = Run("0 SPACE\n1 -\n3 SPACE\n4 -\n10 UP\n", 12000);
  EXPECT_EQ(status, 3) << "ended by the poll limit";
  ASSERT_GT(trace_.size(), 11500u);

  std::size_t first = 0;
  while (first < trace_.size() && trace_[first].Mode != 1) ++first;
  ASSERT_LT(first, trace_.size());
  EXPECT_EQ(trace_[first].Poll, 4) << "the year starts on the poll after Space";
  std::size_t last = first;
  while (last + 1 < trace_.size() && trace_[last + 1].Mode == 1) ++last;
  ASSERT_LT(last + 1, trace_.size()) << "the year ends";
  const long after = trace_[last + 1].Mode;
  EXPECT_TRUE(after == 2 || after == 0) << "then the year end: mode " << after;

  // The calendar: a day step every 16 frames from 14 to 714, 28 ms a frame.
  long outside = 0;
  long lastEvent = 0;
  for (std::size_t i = first; i <= last; ++i) {
    const TraceLine& t = trace_[i];
    const long n = static_cast<long>(i - first);
    ASSERT_EQ(t.Day, std::min(714L, 14 + (n + 15) / 16)) << "poll " << t.Poll;
    ASSERT_EQ(t.Frame, n % 256) << "poll " << t.Poll;
    if (i > first) {
      ASSERT_EQ(t.Ms - trace_[i - 1].Ms, 28) << "poll " << t.Poll;
    }
    if (n > 11185) {
      ASSERT_NE(t.Phase, 0) << "after the calendar, poll " << t.Poll;
    }
    ASSERT_GE(t.Event, lastEvent);
    lastEvent = t.Event;
    ASSERT_TRUE(t.Mood >= 0 && t.Mood <= 999) << "poll " << t.Poll;
    ASSERT_TRUE(t.Stamina >= 0 && t.Stamina <= t.MaxStamina) << "poll " << t.Poll;
    ASSERT_TRUE(t.MaxStamina >= 50 && t.MaxStamina <= 255) << "poll " << t.Poll;
    ASSERT_EQ(t.X % 8, 0);
    if (t.Y <= -32) ++outside;
  }
  EXPECT_EQ(lastEvent, 13);

  // The walk out: 2 pixels a frame, then 99 more frames outside before the
  // frame that ends the year.
  const TraceLine& end = trace_[last];
  EXPECT_EQ(end.Phase, 2);
  EXPECT_EQ(end.Day, 714);
  EXPECT_EQ(outside, 99);
  for (std::size_t i = last - 120; i <= last; ++i) {
    if (trace_[i].Phase == 2 && trace_[i - 1].Phase == 2 && trace_[i].Day == 714) {
      EXPECT_EQ(trace_[i].Y, trace_[i - 1].Y - 2) << "poll " << trace_[i].Poll;
    }
  }
  // The year changed the student.
  bool changed = false;
  for (int a = 0; a < 3; ++a) changed = changed || end.Ability[a] != trace_[first].Ability[a];
  EXPECT_TRUE(changed);
}

}  // namespace
