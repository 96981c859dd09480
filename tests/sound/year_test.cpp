// A headless run of the program: the music and effect lines of the trace.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

struct GameRun {
  int Status = -1;
  std::string Err;
  std::vector<std::string> Lines;
};

GameRun RunGame(const std::string& name, const std::string& script, const std::string& extra = "") {
  const fs::path dir = FreshDir("sound_year_" + name);
  fs::copy(fs::path(KURUNOA_GAME_DIR) / "da", dir / "da", fs::copy_options::recursive);
  const fs::path input = dir / "input.txt", trace = dir / "trace.jsonl", err = dir / "err.txt";
  std::ofstream(input) << script;
  const std::string cmd = std::string(KURUNOA_BIN) + " --headless --seed 7 --app-dir " +
                          dir.string() + " --input " + input.string() + " --trace " +
                          trace.string() + " " + extra + " 2>" + err.string() + " >/dev/null";
  GameRun r;
  const int raw = std::system(cmd.c_str());
  r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream e(err);
  std::stringstream ss;
  ss << e.rdbuf();
  r.Err = ss.str();
  std::ifstream t(trace);
  for (std::string line; std::getline(t, line);) r.Lines.push_back(line);
  r.Lines.insert(r.Lines.begin(), dir.string());  // the program folder, for the paths
  return r;
}

// The music and effect lines, in order.
std::vector<std::string> SoundLines(const GameRun& r) {
  std::vector<std::string> out;
  for (std::size_t i = 1; i < r.Lines.size(); ++i) {
    const std::string& l = r.Lines[i];
    if (l.find("\"music\"") != std::string::npos || l.find("\"effect\"") != std::string::npos) {
      out.push_back(l);
    }
  }
  return out;
}

TEST(SoundInAYear, MusicStartsWithTheYearAndStopsAtQuit) {
  // Space skips the intro, Space on the first entry starts the year, Escape quits.
  const GameRun r = RunGame("start", "0 SPACE\n1 -\n4 SPACE\n5 -\n30 ESC\n");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "") << "headless has no device and says nothing about it";
  const std::string dir = r.Lines[0];
  const std::vector<std::string> want = {
      "{\"poll\": 4, \"music\": \"open " + dir + "/da/bg1.mid alias bgm\"}",
      "{\"poll\": 4, \"music\": \"seek bgm to  2400\"}",
      "{\"poll\": 4, \"music\": \"play bgm\"}",
      "{\"poll\": 30, \"music\": \"stop bgm\"}",
      "{\"poll\": 30, \"music\": \"close bgm\"}",
  };
  EXPECT_EQ(SoundLines(r), want);
}

TEST(SoundInAYear, NoMusicBeforeAYearStarts) {
  const GameRun r = RunGame("title", "0 SPACE\n1 -\n10 ESC\n");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::vector<std::string> want = {"{\"poll\": 10, \"music\": \"stop bgm\"}",
                                         "{\"poll\": 10, \"music\": \"close bgm\"}"};
  EXPECT_EQ(SoundLines(r), want) << "quitting always silences, open or not";
}

// ---- A whole year ------------------------------------------------------------

long Field(const std::string& line, const std::string& key) {
  const std::string k = "\"" + key + "\": ";
  const std::size_t at = line.find(k);
  return at == std::string::npos ? -99999 : std::stol(line.substr(at + k.size()));
}

std::string Text(const std::string& line, const std::string& key) {
  const std::string k = "\"" + key + "\": \"";
  const std::size_t at = line.find(k);
  if (at == std::string::npos) return "";
  return line.substr(at + k.size(), line.rfind('"') - at - k.size());
}

struct Poll {
  long Ms = 0, Mode = 0, Key = 0;
};

struct Sound {
  long Poll;
  std::string Music;  // empty for an effect
  long Effect = -1;
};

// A year at the front school with busy random keys, then the walk to the
// graduation gate, as a player would.
std::string YearScript() {
  std::ostringstream out;
  long poll = 0;
  auto hold = [&](const char* keys, long frames) {
    out << poll << ' ' << keys << '\n';
    poll += frames;
  };
  hold("SPACE", 2);  // the intro
  hold("-", 2);
  hold("SPACE", 1);  // the title's first entry, let go before play begins
  hold("-", 1);
  std::mt19937 rng(11);
  const char* keys[] = {"LEFT", "RIGHT", "SPACE", "-", "LEFT,SPACE", "RIGHT,SPACE", "UP", "DOWN"};
  std::uniform_int_distribution<int> pick(0, 7), length(1, 30);
  while (poll < 11185) hold(keys[pick(rng)], length(rng));
  hold("-", 10);
  for (int attempt = 0; attempt < 3; ++attempt) {
    hold("-", 200);
    hold("LEFT", 80);
    hold("RIGHT", 24);
    hold("UP", 80);
  }
  hold("-", 10);
  return out.str();
}

struct YearCounts {
  int Switches = 0, Resumes = 0, Jumps = 0, Throws = 0, LandingFrames = 0;
};

// Checks one year's trace; the counts say what the year went through.
void CheckYear(const GameRun& r, YearCounts* out) {
  YearCounts& counts = *out;
  std::map<long, Poll> polls;
  std::vector<Sound> sounds;
  for (std::size_t i = 1; i < r.Lines.size(); ++i) {
    const std::string& l = r.Lines[i];
    const long poll = Field(l, "poll");
    if (l.find("\"music\"") != std::string::npos) {
      sounds.push_back({poll, Text(l, "music")});
    } else if (l.find("\"effect\"") != std::string::npos) {
      sounds.push_back({poll, "", Field(l, "effect")});
    } else {
      polls[poll] = {Field(l, "ms"), Field(l, "mode"), Field(l, "key")};
    }
  }
  ASSERT_GE(sounds.size(), 3u);
  const long yearStart = sounds[0].Poll;
  EXPECT_EQ(polls[yearStart + 1].Mode, 1) << "the year starts at the poll of the press";
  EXPECT_EQ(sounds[0].Music, "open " + r.Lines[0] + "/da/bg1.mid alias bgm");
  EXPECT_EQ(sounds[1].Music, "seek bgm to  2400");
  EXPECT_EQ(sounds[2].Music, "play bgm");

  // Replays the music by the clock: a command after the poll runs at that
  // poll's time; the loop jump comes from the loop check at the start of
  // the next frame, before its poll, so it runs at the next poll's time.
  std::map<long, int> landings;
  int& switches = counts.Switches;
  int& resumes = counts.Resumes;
  int& jumps = counts.Jumps;
  int& throws = counts.Throws;
  int16_t track = 0;
  bool open = false, playing = false;
  long pos = 0, since = 0, remembered = 2400;
  long lastOpen = -1, walkOutFrom = -1;
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    const Sound& s = sounds[i];
    const long now = polls[s.Poll].Ms;
    if (s.Music.empty()) {
      if (s.Effect == 5) landings[s.Poll]++;
      if (s.Effect == 1) {
        ++throws;
        EXPECT_EQ(polls[s.Poll].Key, 32) << "a throw needs Space, poll " << s.Poll;
        EXPECT_NE(polls[s.Poll - 1].Key, 32) << "newly pressed, poll " << s.Poll;
      }
      continue;
    }
    const bool afterOpen = i > 0 && sounds[i - 1].Music.rfind("open ", 0) == 0;
    if (s.Music.rfind("open ", 0) == 0) {
      ASSERT_FALSE(open) << "opened twice, poll " << s.Poll;
      track = s.Music.find("bg2.mid") != std::string::npos ? 2 : 1;
      open = true;
      pos = 0;
      if (lastOpen >= 0) {
        ++switches;
        ASSERT_GE(i, 2u);
        EXPECT_EQ(sounds[i - 2].Music, "stop bgm") << s.Poll;
        EXPECT_EQ(sounds[i - 1].Music, "close bgm") << s.Poll;
        EXPECT_EQ(sounds[i - 2].Poll, s.Poll);
        ASSERT_LT(i + 2, sounds.size());
        EXPECT_EQ(sounds[i + 2].Music, "play bgm") << s.Poll;
        EXPECT_EQ(sounds[i + 2].Poll, s.Poll);
      }
      lastOpen = s.Poll;
      walkOutFrom = -1;
    } else if (s.Music.rfind("seek bgm to  ", 0) == 0) {
      const long to = std::stol(s.Music.substr(13));
      if (afterOpen) {
        if (track == 2) {
          EXPECT_EQ(to, 1600) << "track 2 always from 1.6 s, poll " << s.Poll;
        }
        if (track == 1 && switches > 0) {
          ++resumes;
          EXPECT_EQ(to, remembered) << "track 1 resumes where it stopped, poll " << s.Poll;
        }
      } else {
        // The jump back: the position had just passed the end.
        const long at = pos + (polls[s.Poll + 1].Ms - since);
        const long end = track == 1 ? 271200 : 81600;
        EXPECT_GE(at, end) << "poll " << s.Poll;
        EXPECT_LT(at, end + 28) << "within a frame, poll " << s.Poll;
        EXPECT_EQ(to, track == 1 ? 2450 : 4560);
        ++jumps;
      }
      pos = to;
      playing = false;
    } else if (s.Music == "play bgm") {
      playing = open;
      since = afterOpen || (i >= 2 && sounds[i - 2].Music.rfind("open ", 0) == 0)
                  ? now
                  : polls[s.Poll + 1].Ms;
    } else if (s.Music == "stop bgm") {
      if (open && playing) pos += now - since;
      if (open && track == 1) remembered = pos;
      if (!open && track == 1) remembered = 0;  // a closed alias answers nothing
      playing = false;
      if (!open && walkOutFrom < 0) walkOutFrom = s.Poll;
    } else if (s.Music == "close bgm") {
      open = false;
    } else {
      ADD_FAILURE() << "unexpected command " << s.Music;
    }
  }
  for (const auto& [poll, n] : landings) EXPECT_EQ(n, 1) << "effect 5 once a frame, poll " << poll;
  counts.LandingFrames = static_cast<int>(landings.size());
  // After the walk-out every frame silences, up to the end of the year.
  EXPECT_GE(walkOutFrom, 0) << "the student walked out";
  long silenced = 0;
  for (const Sound& s : sounds)
    silenced += walkOutFrom >= 0 && s.Poll >= walkOutFrom && s.Music == "close bgm";
  EXPECT_GT(silenced, 10);
  EXPECT_FALSE(open);
}

TEST(SoundInAYear, MusicAndEffectsAtTheirMoments) {
  // Two seeded years that between them go through everything: rewards land,
  // the mood lifts the music into high spirits and back, and track 1 loops.
  int jumps = 0;
  for (const char* seed : {"5", "10"}) {
    SCOPED_TRACE(std::string("seed ") + seed);
    const GameRun r =
        RunGame("year", YearScript(), std::string("--seed ") + seed + " --max-polls 13200");
    ASSERT_EQ(r.Status, 3) << r.Err;
    YearCounts c;
    CheckYear(r, &c);
    EXPECT_GT(c.LandingFrames, 0) << "this year's rewards land";
    EXPECT_GT(c.Throws, 10);
    EXPECT_GT(c.Switches, 1) << "into high spirits and back";
    EXPECT_GT(c.Resumes, 0);
    jumps += c.Jumps;
  }
  EXPECT_GT(jumps, 0) << "a loop jump back";
}

}  // namespace
