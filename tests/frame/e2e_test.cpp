// Whole runs of the program, headless, driven by input scripts.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

struct GameRun {
  int Status = -1;
  std::string Err;
  std::vector<std::string> Trace;
};

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A fresh program folder with a copy of the shipped data.
fs::path FreshAppDir(const std::string& name) {
  fs::path dir = fs::path(::testing::TempDir()) / ("kurunoa_e2e_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(fs::path(KURUNOA_GAME_DIR) / "da", dir / "da", fs::copy_options::recursive);
  return dir;
}

GameRun RunGame(const fs::path& dir, const std::string& script, const std::string& extra) {
  const fs::path input = dir / "input.txt", trace = dir / "trace.jsonl", err = dir / "stderr.txt";
  std::ofstream(input) << script;
  const std::string cmd = std::string(KURUNOA_BIN) + " --headless --seed 5 --app-dir " +
                          dir.string() + " --input " + input.string() + " --trace " +
                          trace.string() + " " + extra + " 2>" + err.string() + " >/dev/null";
  GameRun r;
  const int raw = std::system(cmd.c_str());
  r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.Err = ReadFile(err);
  std::istringstream lines(ReadFile(trace));
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"ms\"") != std::string::npos) r.Trace.push_back(line);
  }
  return r;
}

long Field(const std::string& line, const std::string& key) {
  const std::string k = "\"" + key + "\": ";
  const std::size_t at = line.find(k);
  if (at == std::string::npos) return -99999;
  return std::stol(line.substr(at + k.size()));
}

TEST(EndToEnd, IntroTitleAndQuitThroughTheMenu) {
  const fs::path dir = FreshAppDir("menu");
  // Space skips the intro at poll 3; Down twice and Up, then Up to "終了する", Space.
  const GameRun r = RunGame(dir,
                            "0 -\n3 SPACE\n4 -\n8 DOWN\n9 -\n10 DOWN\n11 -\n12 UP\n13 -\n"
                            "14 UP\n15 -\n16 UP\n17 -\n20 SPACE\n",
                            "");
  ASSERT_EQ(r.Status, 0) << r.Err;
  ASSERT_EQ(r.Trace.size(), 21u);
  for (int p = 0; p <= 3; ++p) EXPECT_EQ(Field(r.Trace[p], "mode"), -1) << p;
  EXPECT_EQ(Field(r.Trace[1], "ms") - Field(r.Trace[0], "ms"), 66) << "intro frames";
  EXPECT_EQ(Field(r.Trace[4], "mode"), 0);
  EXPECT_EQ(Field(r.Trace[6], "ms") - Field(r.Trace[5], "ms"), 28) << "title frames";
  // The cursor moves on the poll after the press (keys are read after the frame).
  EXPECT_EQ(Field(r.Trace[9], "menu"), 2);
  EXPECT_EQ(Field(r.Trace[11], "menu"), 3);
  EXPECT_EQ(Field(r.Trace[13], "menu"), 2);
  EXPECT_EQ(Field(r.Trace[15], "menu"), 1);
  EXPECT_EQ(Field(r.Trace[17], "menu"), 4) << "Up from the first entry wraps to the last";
  EXPECT_EQ(Field(r.Trace[20], "key"), 32);
}

TEST(EndToEnd, EscapeQuitsFromTheTitleAndTheIntro) {
  for (const char* script : {"0 ESC\n", "0 SPACE\n1 -\n6 ESC\n"}) {
    const fs::path dir = FreshAppDir("escape");
    const GameRun r = RunGame(dir, script, "");
    EXPECT_EQ(r.Status, 0) << script << r.Err;
    ASSERT_FALSE(r.Trace.empty());
    EXPECT_EQ(Field(r.Trace.back(), "key"), 27);
  }
}

TEST(EndToEnd, SpaceOnASchoolStartsTheYear) {
  const fs::path dir = FreshAppDir("year");
  const GameRun r = RunGame(dir, "0 SPACE\n1 -\n3 DOWN\n4 -\n6 SPACE\n7 -\n", "--max-polls 12");
  EXPECT_EQ(r.Status, 3) << r.Err;
  ASSERT_EQ(r.Trace.size(), 13u);
  const std::string& first = r.Trace[7];
  EXPECT_EQ(Field(first, "mode"), 1);
  EXPECT_EQ(Field(first, "menu"), 2);
  EXPECT_EQ(Field(first, "grad"), 1);
  EXPECT_EQ(Field(first, "count"), 1);
  EXPECT_EQ(Field(first, "bgm"), 1);
  // The closing wipe's four pauses lie between the two polls.
  EXPECT_GE(Field(r.Trace[7], "ms") - Field(r.Trace[6], "ms"), 4 * 201);
}

TEST(EndToEnd, MaxPollsEndsWithStatusThree) {
  const fs::path dir = FreshAppDir("maxpolls");
  const GameRun r = RunGame(dir, "0 -\n", "--max-polls 9");
  EXPECT_EQ(r.Status, 3);
  EXPECT_EQ(r.Trace.size(), 10u);
}

TEST(EndToEnd, ScreenshotsAreTheVisibleScreen) {
  const fs::path dir = FreshAppDir("shot");
  const std::string shot = (dir / "title.png").string();
  const GameRun r = RunGame(dir, "0 SPACE\n1 -\n", "--max-polls 6 --screenshot 5:" + shot);
  EXPECT_EQ(r.Status, 3) << r.Err;
  Surface s;
  std::string error;
  ASSERT_TRUE(SurfaceLoadPngFile(s, shot, &error)) << error;
  EXPECT_EQ(s.Width, 512);
  EXPECT_EQ(s.Height, 368);
  EXPECT_EQ(s.Pixels[5 * 512 + 5], RGB(0, 73, 146)) << "the title's top band";
}

TEST(EndToEnd, BadInputStopsWithAClearMessage) {
  struct Case {
    const char* What;
    std::string Script, Extra;
    int Status;
    std::string Message;
    bool RemoveDa3;
    std::string Da3;
  } cases[] = {
      {"unknown option", "0 -\n", "--bogus", 2, "unknown option --bogus", false, ""},
      {"scale out of range", "0 -\n", "--scale 9", 2, "--scale", false, ""},
      {"malformed script", "0 -\n1 HOP\n", "", 2, "line 2", false, ""},
      {"missing da3", "0 -\n", "", 1, "da3.txt: file not found", true, ""},
      {"short da3", "0 -\n", "", 1, "da3.txt: input past end of file", false, "Font\nあ,い\n"},
  };
  for (const Case& c : cases) {
    const fs::path dir = FreshAppDir("bad");
    if (c.RemoveDa3) fs::remove(dir / "da" / "da3.txt");
    if (!c.Da3.empty()) std::ofstream(dir / "da" / "da3.txt") << c.Da3;
    const GameRun r = RunGame(dir, c.Script, c.Extra);
    EXPECT_EQ(r.Status, c.Status) << c.What;
    EXPECT_NE(r.Err.find(c.Message), std::string::npos) << c.What << ": " << r.Err;
    if (c.Status == 1) {
      EXPECT_TRUE(r.Trace.empty()) << "stops before any screen";
    }
  }
}

// Key scripts and data files that are not what they should be stop with a
// message or count as missing; nothing waits on a FIFO.
TEST(EndToEnd, ScriptsAndDataFilesOfTheWrongKindNeverHang) {
  enum Make { kFolder, kFifo, kText };
  struct Case {
    const char* What;
    std::string Option;  // --input or --replay with PATH, or a data file to replace
    Make Kind;
    std::string Text;
    int Status;
    std::string Message;
  } cases[] = {
      {"input is a folder", "--input", kFolder, "", 2, "not a regular file"},
      {"replay is a FIFO", "--replay", kFifo, "", 2, "not a regular file"},
      {"seed not a number", "--replay", kText, "# seed 12x\n0 -\n", 2, "line 1"},
      {"empty seed", "--replay", kText, "0 -\n# seed\n", 2, "line 2"},
      {"seed past 64 bits", "--replay", kText, "# seed 99999999999999999999\n", 2, "line 1"},
      {"a good seed", "--replay", kText, "# seed 7\n0 -\n", 3, ""},
      {"da3 is a FIFO", "da3.txt", kFifo, "", 1, "da3.txt: file not found"},
      {"da1 is a FIFO", "da1.txt", kFifo, "", 3, "not a regular file"},
      {"da2 is a FIFO", "da2.txt", kFifo, "", 3, "not a regular file"},
      {"da1 is a folder", "da1.txt", kFolder, "", 3, "not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const fs::path dir = FreshAppDir("kinds");
    const bool script = c.Option.rfind("--", 0) == 0;
    const fs::path path = script ? dir / "script" : dir / "da" / c.Option;
    fs::remove(path);
    if (c.Kind == kFolder) fs::create_directories(path);
    if (c.Kind == kFifo) ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
    if (c.Kind == kText) std::ofstream(path) << c.Text;
    const fs::path err = dir / "stderr.txt";
    const std::string cmd = "timeout 20 " + std::string(KURUNOA_BIN) +
                            " --headless --max-polls 20 --app-dir " + dir.string() +
                            (script ? " " + c.Option + " " + path.string() : "") + " 2>" +
                            err.string() + " >/dev/null";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), c.Status) << "124 means it hung";
    EXPECT_NE(ReadFile(err).find(c.Message), std::string::npos) << ReadFile(err);
  }
}

TEST(EndToEnd, HelpAndVersion) {
  const std::string bin = KURUNOA_BIN;
  EXPECT_EQ(std::system((bin + " --help | grep -q -- --headless").c_str()), 0);
  EXPECT_EQ(std::system((bin + " --version | grep -q '^kurunoa '").c_str()), 0);
}

}  // namespace

namespace {

TEST(EndToEnd, RecordsEntryOpensTheRecordsScreenAndSpaceReturns) {
  const fs::path dir = FreshAppDir("records");
  const GameRun r = RunGame(dir, "0 SPACE\n1 -\n3 DOWN\n4 -\n5 DOWN\n6 -\n7 SPACE\n8 -\n12 SPACE\n",
                            "--max-polls 16");
  EXPECT_EQ(r.Status, 3) << r.Err;
  ASSERT_EQ(r.Trace.size(), 17u);
  EXPECT_EQ(Field(r.Trace[8], "mode"), 3);
  EXPECT_EQ(Field(r.Trace[12], "mode"), 3) << "the poll that sees Space is still on the screen";
  EXPECT_EQ(Field(r.Trace[13], "mode"), 0);
  EXPECT_EQ(Field(r.Trace[13], "menu"), 3) << "the cursor stays on the records entry";
}

TEST(EndToEnd, ARecordedRunReplaysToTheSameTrace) {
  const fs::path dir = FreshAppDir("replay");
  const std::string rec = (dir / "run.rec").string();
  // A year started at the left school with some walking and throwing.
  const GameRun first = RunGame(dir,
                                "0 SPACE\n1 -\n3 DOWN\n4 -\n6 SPACE\n7 -\n20 LEFT\n40 RIGHT,SPACE\n"
                                "60 SPACE\n61 -\n90 UP\n",
                                "--max-polls 300 --record " + rec);
  ASSERT_EQ(first.Status, 3) << first.Err;
  const std::string recording = ReadFile(rec);
  EXPECT_EQ(recording.rfind("# seed 5\n", 0), 0u) << recording;
  const fs::path trace2 = dir / "replayed.jsonl";
  const std::string cmd = std::string(KURUNOA_BIN) + " --headless --app-dir " + dir.string() +
                          " --replay " + rec + " --trace " + trace2.string() +
                          " --max-polls 300 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 3);
  std::istringstream lines(ReadFile(trace2));
  std::vector<std::string> second;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"ms\"") != std::string::npos) second.push_back(line);
  }
  EXPECT_EQ(second, first.Trace);
}

// A recording cut off inside its last line plays what came before, with a
// warning; damage anywhere else still rejects the file.
TEST(EndToEnd, ATruncatedLastLineOfARecordingIsLeftOut) {
  const fs::path dir = FreshAppDir("truncated");
  struct Case {
    const char* Recording;
    int Status;
    bool Warned;
  };
  for (const Case& c : {Case{"# seed 5\n0 SPACE\n1 -\n3 DO", 3, true},
                        Case{"# seed 5\n0 SPACE\n1 -\n3 DOWN", 3, false},
                        Case{"# seed 5\n0 SPA\n1 -\n3 DOWN\n", 2, false}}) {
    SCOPED_TRACE(c.Recording);
    const fs::path rec = dir / "cut.rec", err = dir / "err.txt";
    std::ofstream(rec, std::ios::binary) << c.Recording;
    const std::string cmd = std::string(KURUNOA_BIN) + " --headless --app-dir " + dir.string() +
                            " --replay " + rec.string() + " --max-polls 10 2>" + err.string();
    EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), c.Status);
    EXPECT_EQ(ReadFile(err).find("the last line is incomplete") != std::string::npos, c.Warned)
        << ReadFile(err);
  }
}

// Every change of the held keys is on disk when it happens, so a run that
// is killed leaves a recording to replay.
TEST(EndToEnd, ARecordingIsOnDiskBeforeTheRunEnds) {
  const fs::path dir = FreshAppDir("killed");
  const fs::path rec = dir / "run.rec", input = dir / "input.txt";
  std::ofstream(input) << "0 SPACE\n1 -\n4 DOWN\n5 -\n";
  const pid_t game = fork();
  if (game == 0) {
    execl(KURUNOA_BIN, KURUNOA_BIN, "--headless", "--seed", "5", "--app-dir", dir.c_str(),
          "--input", input.c_str(), "--record", rec.c_str(), "--max-polls", "100000000",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  bool written = false;
  for (int i = 0; i < 200 && !written; ++i) {
    written = ReadFile(rec).find("\n5 -\n") != std::string::npos;
    if (!written) usleep(25000);
  }
  kill(game, SIGKILL);
  waitpid(game, nullptr, 0);
  EXPECT_TRUE(written) << ReadFile(rec);
}

// Without --app-dir the register lives in the user's data folder; one found
// beside the program is copied there once; "portable" keeps it beside.
TEST(EndToEnd, TheRegisterLivesInTheUsersDataFolder) {
  const std::string da1 = " 3 \r\n 6 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n";
  std::string da2;
  for (int v : {1, 1, 2, 0,   0,   0,   0, 0, 0, 600, 500, 400, 2, 6, 0, 0, 0, 0,
                0, 0, 0, 400, 400, 400, 1, 3, 0, 0,   0,   0,   0, 0, 0, 0, 0, 0}) {
    da2 += " " + std::to_string(v) + " \r\n";
  }
  struct Case {
    const char* Name;
    bool Portable, UserHasOne;
    bool CopiedLine;
  };
  for (const Case& c :
       {Case{"first run", false, false, true}, Case{"later run", false, true, false},
        Case{"portable", true, false, false}}) {
    SCOPED_TRACE(c.Name);
    const fs::path dir = FreshAppDir("home"), prog = dir / "prog", data = dir / "data";
    fs::create_directories(prog);
    fs::copy(KURUNOA_BIN, prog / "kurunoa");
    fs::rename(dir / "da", prog / "da");
    std::ofstream(prog / "da" / "da1.txt", std::ios::binary) << da1;
    std::ofstream(prog / "da" / "da2.txt", std::ios::binary) << da2;
    if (c.Portable) std::ofstream(prog / "portable") << "";
    const fs::path userDa = data / "kurunoa" / "da";
    if (c.UserHasOne) {
      fs::create_directories(userDa);
      std::ofstream(userDa / "da1.txt", std::ios::binary) << da1;
      std::ofstream(userDa / "da2.txt", std::ios::binary) << da2;
    }
    const fs::path err = dir / "err.txt", trace = dir / "trace.jsonl";
    const std::string cmd = "XDG_DATA_HOME=" + data.string() + " " + (prog / "kurunoa").string() +
                            " --headless --seed 5 --max-polls 2 --trace " + trace.string() + " 2>" +
                            err.string();
    EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 3);
    EXPECT_EQ(ReadFile(err).find("was copied to") != std::string::npos, c.CopiedLine)
        << ReadFile(err);
    EXPECT_NE(ReadFile(trace).find("\"count\": 3"), std::string::npos) << "the register is read";
    if (c.Portable) {
      EXPECT_FALSE(fs::exists(data / "kurunoa"));
    } else {
      EXPECT_EQ(ReadFile(userDa / "da1.txt"), da1);
      EXPECT_EQ(ReadFile(userDa / "da2.txt"), da2);
    }
    EXPECT_EQ(ReadFile(prog / "da" / "da1.txt"), da1) << "the old register stays where it was";
  }
}

}  // namespace
