// A headless run of the program: the music and effect lines of the trace.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

struct GameRun {
  int Status = -1;
  std::string Err;
  std::vector<std::string> Lines;
};

GameRun RunGame(const std::string& name, const std::string& script) {
  const fs::path dir = FreshDir("sound_year_" + name);
  fs::copy(fs::path(KURUNOA_GAME_DIR) / "da", dir / "da", fs::copy_options::recursive);
  const fs::path input = dir / "input.txt", trace = dir / "trace.jsonl", err = dir / "err.txt";
  std::ofstream(input) << script;
  const std::string cmd = std::string(KURUNOA_BIN) + " --headless --seed 7 --app-dir " +
                          dir.string() + " --input " + input.string() + " --trace " +
                          trace.string() + " 2>" + err.string() + " >/dev/null";
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

}  // namespace
