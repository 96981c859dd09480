// The records screen in a whole headless run of the program, from a
// register on disk to the screen and back to the title.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

long Field(const std::string& line, const std::string& key) {
  const std::string k = "\"" + key + "\": ";
  const size_t at = line.find(k);
  if (at == std::string::npos) return -99999;
  return std::stol(line.substr(at + k.size()));
}

// The table's background colour at row y.
uint32_t Band(int32_t y) { return RGB(0, 73 - y / 16, 146 - 2 * (y / 16)); }

bool OffBackground(const Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  for (int32_t y = y1; y <= y2; ++y) {
    for (int32_t x = x1; x <= x2; ++x) {
      if (s.Pixels[y * s.Width + x] != Band(y)) return true;
    }
  }
  return false;
}

TEST(RecordsEndToEnd, ShowsTheRegisterOnDiskAndReturnsToTheTitle) {
  const fs::path dir = fs::path(::testing::TempDir()) / "kurunoa_register_e2e";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(fs::path(KURUNOA_GAME_DIR) / "da", dir / "da", fs::copy_options::recursive);
  // Three graduates, the last with a total of 0: two rows, a count of 3.
  const std::string da1 = " 3 \r\n 6 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n";
  std::string da2;
  for (int v : {1, 1, 2, 0, 0, 0, 0, 0, 0, 600, 500, 400,  // あい, front, 150.0
                2, 6, 0, 0, 0, 0, 0, 0, 0, 400, 400, 400,  // か, left, 120.0
                1, 3, 0, 0, 0, 0, 0, 0, 0, 0,   0,   0}) {
    da2 += " " + std::to_string(v) + " \r\n";
  }
  std::ofstream(dir / "da" / "da1.txt", std::ios::binary) << da1;
  std::ofstream(dir / "da" / "da2.txt", std::ios::binary) << da2;

  // Space skips the intro, Down Down Space opens the records, Space goes
  // back to the title and Escape quits there.
  const fs::path input = dir / "input.txt", trace = dir / "trace.jsonl", shot = dir / "records.png";
  std::ofstream(input) << "0 SPACE\n1 -\n3 DOWN\n4 -\n5 DOWN\n6 -\n7 SPACE\n8 -\n"
                          "20 SPACE\n21 -\n26 ESC\n";
  const std::string cmd = std::string(KURUNOA_BIN) + " --headless --seed 5 --app-dir " +
                          dir.string() + " --input " + input.string() + " --trace " +
                          trace.string() + " --screenshot 15:" + shot.string() +
                          " --max-polls 60 2>" + (dir / "stderr.txt").string() + " >/dev/null";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  ASSERT_EQ(WEXITSTATUS(raw), 0) << ReadFile(dir / "stderr.txt");

  std::vector<std::string> polls;
  std::istringstream lines(ReadFile(trace));
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"mode\"") != std::string::npos) polls.push_back(line);
  }
  ASSERT_GT(polls.size(), 21u);
  int first = -1, last = -1;
  for (int p = 0; p < static_cast<int>(polls.size()); ++p) {
    if (Field(polls[p], "mode") != 3) continue;
    if (first < 0) first = p;
    last = p;
  }
  ASSERT_GE(first, 8);
  EXPECT_LE(first, 9);
  EXPECT_EQ(last, 20) << "Space at poll 20 leaves the records";
  EXPECT_EQ(Field(polls[15], "count"), 3);
  EXPECT_EQ(Field(polls[21], "mode"), 0);
  EXPECT_EQ(Field(polls.back(), "key"), 27);

  Surface screen;
  std::string error;
  ASSERT_TRUE(SurfaceLoadPngFile(screen, shot.string(), &error)) << error;
  ASSERT_GE(screen.Height, 336);
  for (int32_t p = 1; p <= 10; ++p) {
    const int32_t y = 18 * p + 72;
    EXPECT_EQ(OffBackground(screen, 84, y, 470, y + 14), p <= 2) << "row " << p;
  }
  EXPECT_TRUE(OffBackground(screen, 362, 320, 371, 335)) << "the units digit";
  EXPECT_FALSE(OffBackground(screen, 332, 320, 361, 335)) << "no further digits";

  // Nothing on the screen wrote the register.
  EXPECT_EQ(ReadFile(dir / "da" / "da1.txt"), da1);
  EXPECT_EQ(ReadFile(dir / "da" / "da2.txt"), da2);
  fs::remove_all(dir);
}

}  // namespace

namespace {

// One year at the front school from the title, standing still through the
// calendar, then resting on the left verge and walking up to the graduation
// gate (three tries, in case of a faint), a name of eight "あ" and Escape
// at the title. Play frames from the first poll to the first after-calendar
// frame: 11185.
std::string YearScript() {
  std::ostringstream out;
  int64_t poll = 0;
  auto hold = [&](const char* keys, int64_t frames) {
    out << poll << ' ' << keys << '\n';
    poll += frames;
  };
  hold("SPACE", 2);  // skips the intro
  hold("-", 4);
  hold("SPACE", 2);  // the front school
  hold("-", 1);
  const int64_t yearStart = poll - 2;
  hold("-", yearStart + 11185 - 440 - poll);
  hold("LEFT", 80);
  hold("SPACE", 360);
  hold("-", 1);
  hold("RIGHT", 24);
  hold("UP", 80);
  for (int attempt = 0; attempt < 2; ++attempt) {
    hold("-", 200);
    hold("LEFT", 80);
    hold("RIGHT", 24);
    hold("UP", 80);
  }
  for (int k = 0; k < 8; ++k) {
    hold("A", 2);
    hold("-", 2);
    hold("RIGHT", 2);
    hold("-", 2);
  }
  hold("-", 40);
  hold("SPACE", 2);
  hold("-", 12);
  hold("ESC", 5);
  return out.str();
}

// A program folder of this run's own with the shipped data, no register
// yet, and the year's key script.
fs::path FreshYearFolder(const std::string& name) {
  const fs::path dir = fs::path(::testing::TempDir()) /
                       ("kurunoa_register_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(fs::path(KURUNOA_GAME_DIR) / "da", dir / "da", fs::copy_options::recursive);
  fs::remove(dir / "da" / "da1.txt");
  fs::remove(dir / "da" / "da2.txt");
  std::ofstream(dir / "year.txt") << YearScript();
  return dir;
}

int32_t CountIn(const fs::path& da1) {
  std::istringstream in(ReadFile(da1));
  int32_t count = -1;
  in >> count;
  return count;
}

// Two copies of the game play a year each at the same time on one register:
// each save finds the other's graduate and keeps it.
TEST(RegisterEndToEnd, TwoCopiesPlayingAtOnceKeepEveryGraduate) {
  const fs::path dir = FreshYearFolder("two_copies");
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    pid_t copies[2];
    for (int c = 0; c < 2; ++c) {
      copies[c] = fork();
      if (copies[c] == 0) {
        const std::string seed = std::to_string(round * 10 + c);
        const std::string err = (dir / ("stderr" + std::to_string(c) + ".txt")).string();
        freopen(err.c_str(), "w", stderr);
        execl(KURUNOA_BIN, KURUNOA_BIN, "--headless", "--seed", seed.c_str(), "--app-dir",
              dir.c_str(), "--input", (dir / "year.txt").c_str(), static_cast<char*>(nullptr));
        _exit(127);
      }
    }
    for (pid_t pid : copies) {
      int status = 0;
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
          << ReadFile(dir / "stderr0.txt") << ReadFile(dir / "stderr1.txt");
    }
    EXPECT_EQ(CountIn(dir / "da" / "da1.txt"), 2 * round);
    // Twelve lines a graduate.
    const std::string da2 = ReadFile(dir / "da" / "da2.txt");
    EXPECT_EQ(std::count(da2.begin(), da2.end(), '\n'), 24 * round);
  }
  fs::remove_all(dir);
}

}  // namespace

namespace {

// The real program killed by strace at every sync, rename and removal of its
// year-end save, then started again: the records screen and the files show
// last year's register or this year's, nothing in between.
TEST(RegisterEndToEnd, AKilledSaveRestartsWithTheOldOrTheNewRegister) {
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  const fs::path dir = FreshYearFolder("killed");
  // Skip the intro, open the records screen, quit there.
  std::ofstream(dir / "records.txt") << "0 SPACE\n1 -\n3 DOWN\n4 -\n5 DOWN\n6 -\n7 SPACE\n8 -\n"
                                        "14 ESC\n";
  const std::string bin = KURUNOA_BIN;
  auto playYear = [&](const std::string& prefix) {
    const std::string cmd = prefix + bin + " --headless --seed 77 --app-dir " + dir.string() +
                            " --input " + (dir / "year.txt").string() + " 2>/dev/null";
    return std::system(cmd.c_str());
  };
  // What a start shows on the records screen: the number of graduates.
  auto countAtStart = [&]() {
    const fs::path trace = dir / "trace.jsonl";
    const std::string cmd = bin + " --headless --seed 1 --app-dir " + dir.string() + " --input " +
                            (dir / "records.txt").string() + " --trace " + trace.string() +
                            " 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return -1L;
    std::istringstream lines(ReadFile(trace));
    long count = -1;
    for (std::string line; std::getline(lines, line);) {
      if (Field(line, "mode") == 3) count = Field(line, "count");
    }
    return count;
  };
  auto snapshot = [&]() {
    return ReadFile(dir / "da" / "da1.txt") + ReadFile(dir / "da" / "da2.txt");
  };

  ASSERT_EQ(playYear(""), 0);  // last year
  const fs::path saved = dir / "last_year";
  fs::copy(dir / "da", saved, fs::copy_options::recursive);
  const std::string oldFiles = snapshot();
  ASSERT_EQ(playYear(""), 0);  // this year, undisturbed
  const std::string newFiles = snapshot();
  ASSERT_NE(oldFiles, newFiles);

  int olds = 0, news = 0;
  for (const char* call : {"fsync", "rename", "unlink"}) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE(std::string(call) + " " + std::to_string(n));
      fs::remove_all(dir / "da");
      fs::copy(saved, dir / "da", fs::copy_options::recursive);
      const std::string strace = std::string("strace -f -qq -o /dev/null -e trace=") + call +
                                 " -e inject=" + call +
                                 ":signal=SIGKILL:when=" + std::to_string(n) + " ";
      const int raw = playYear(strace);
      const bool killed = WIFEXITED(raw) && WEXITSTATUS(raw) == 128 + SIGKILL;
      const long count = countAtStart();
      const std::string files = snapshot();
      if (count == 1 && files == oldFiles) {
        ++olds;
      } else if (count == 2 && files == newFiles) {
        ++news;
      } else {
        ADD_FAILURE() << "count " << count << ", files neither old nor new";
      }
      if (!killed) break;  // the save has fewer such calls
    }
  }
  std::printf("killed saves: old register after %d, new after %d\n", olds, news);
  EXPECT_GT(olds, 0);
  EXPECT_GT(news, 0);
  fs::remove_all(dir);
}

}  // namespace
