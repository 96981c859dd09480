// The program in a real window on an Xvfb display: its size at two scales,
// keys sent by xdotool, and screenshots compared with headless ones.
#include <SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "frame/frame.h"
#include "platform/desk.h"
#include "platform/platform.h"
#include "register/register.h"

namespace fs = std::filesystem;

// Some tests open the game's window in this process; the desktop libraries
// (D-Bus, X11, the GL driver) keep allocations to the end of the process, so
// in the sanitizer build this program does not look for leaks. The headless
// runs of every other test still do.
extern "C" const char* __lsan_default_options() { return "detect_leaks=0"; }

namespace {

std::string Capture(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  return out;
}

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

class Window : public ::testing::Test {
 public:
  void SetUp() override {
    if (!Have("Xvfb") || !Have("xdotool") || !Have("import")) {
      GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    }
    // Xvfb picks a free display itself and writes its number to the pipe:
    // other test runs on the machine may hold any fixed number.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    xvfb_ = fork();
    if (xvfb_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    char number[16] = {};
    ssize_t got = 0;
    for (ssize_t n; got < 15 && (n = read(fds[0], number + got, 15 - got)) > 0;) {
      got += n;
      if (std::strchr(number, '\n')) break;
    }
    close(fds[0]);
    if (got <= 0) GTEST_SKIP() << "Xvfb could not start";
    display_ = ":" + std::to_string(std::atoi(number));
    setenv("DISPLAY", display_.c_str(), 1);
    // The desktop libraries (D-Bus, X11, the GL driver) keep allocations to
    // the end of the process; in the sanitizer build only the headless runs
    // look for leaks.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 0);
    ready_ = std::system("xdotool getdisplaygeometry >/dev/null 2>&1") == 0;
    if (!ready_) GTEST_SKIP() << "Xvfb could not start on " << display_;
    dir_ = fs::path(::testing::TempDir()) / ("kurunoa_window_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::copy(fs::path(KURUNOA_GAME_DIR) / "da", dir_ / "da", fs::copy_options::recursive);
    // Never the real user's settings or register.
    setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
  }
  void TearDown() override {
    if (game_ > 0) {
      kill(game_, SIGKILL);
      waitpid(game_, nullptr, 0);
    }
    if (xvfb_ > 0) {
      kill(xvfb_, SIGTERM);
      waitpid(xvfb_, nullptr, 0);
    }
  }

  void Start(const std::string& extra) {
    game_ = fork();
    if (game_ == 0) {
      const std::string cmd = std::string(KURUNOA_BIN) + " --seed 9 --app-dir " + dir_.string() +
                              " " + extra + " >/dev/null 2>&1";
      execl("/bin/sh", "sh", "-c", ("exec " + cmd).c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  // Escape until the program ends: on a busy machine a tap can fall between
  // two of the game's polls, and a passing focus change pauses the game
  // (the first key then only resumes it).
  int Quit(const std::string& window) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      Key(window, "Escape");
      int status = 0;
      for (int i = 0; i < 20; ++i) {
        if (waitpid(game_, &status, WNOHANG) == game_) {
          game_ = -1;
          return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    }
    return Wait();
  }
  int Wait() {
    int status = 0;
    for (int i = 0; i < 100; ++i) {
      if (waitpid(game_, &status, WNOHANG) == game_) {
        game_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return -2;
  }
  // Waits up to ms for the condition, checking every 50 ms.
  template <typename F>
  bool WaitFor(F condition, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
  }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static std::uintmax_t SizeOf(const fs::path& p) {
    std::error_code ec;
    const std::uintmax_t n = fs::file_size(p, ec);
    return ec ? 0 : n;
  }
  // The id of the game's window, without the line's end.
  std::string FindWindow() {
    std::string id =
        Capture("xdotool search --sync --onlyvisible --name '^Kurunoa$' 2>/dev/null | head -1");
    while (!id.empty() && id.back() == '\n') id.pop_back();
    return id;
  }
  // Holds a key across several frames, as a person would.
  void Key(const std::string& window, const std::string& key) {
    std::system(
        ("xdotool windowfocus --sync " + window + " keydown " + key + " sleep 0.15 keyup " + key)
            .c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }

  std::string display_;
  pid_t xvfb_ = -1, game_ = -1;
  bool ready_ = false;
  fs::path dir_;
};

TEST_F(Window, OpensTitledKurunoaAtIntegerScales) {
  for (int scale : {1, 2}) {
    Start("--scale " + std::to_string(scale));
    std::string id = FindWindow();
    ASSERT_FALSE(id.empty()) << "no window titled Kurunoa";
    const std::string geometry = Capture("xdotool getwindowgeometry " + id);
    const std::string want = std::to_string(512 * scale) + "x" + std::to_string(368 * scale);
    EXPECT_NE(geometry.find("Geometry: " + want), std::string::npos) << geometry;
    EXPECT_EQ(Quit(id), 0) << "Escape quits with status 0";
  }
}

// A display that goes away (the session ends, the X server dies) ends the
// program through the X library's exit; the music threads must not turn
// that into an abort.
TEST_F(Window, LosingTheDisplayEndsWithAStatusNotASignal) {
  Start("--scale 1");
  std::string id = FindWindow();
  ASSERT_FALSE(id.empty()) << "no window titled Kurunoa";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  kill(xvfb_, SIGKILL);
  waitpid(xvfb_, nullptr, 0);
  xvfb_ = -1;
  EXPECT_GE(Wait(), 0) << "killed by a signal, or still running";
}

// Pixel comparison of a window capture with a headless screenshot, outside
// the rectangles that animate.
int64_t Differences(const std::string& a, const std::string& b,
                    std::initializer_list<std::array<int, 4>> ignore) {
  Surface x, y;
  std::string error;
  if (!SurfaceLoadPngFile(x, a, &error) || !SurfaceLoadPngFile(y, b, &error)) return -1;
  if (x.Width != y.Width || x.Height != y.Height) return -2;
  int64_t diff = 0;
  for (int32_t py = 0; py < x.Height; ++py) {
    for (int32_t px = 0; px < x.Width; ++px) {
      bool skip = false;
      for (const auto& r : ignore) {
        skip = skip || (px >= r[0] && px < r[0] + r[2] && py >= r[1] && py < r[1] + r[3]);
      }
      if (!skip && x.Pixels[py * x.Width + px] != y.Pixels[py * x.Width + px]) ++diff;
    }
  }
  return diff;
}

TEST_F(Window, KeysFromTheDesktopDriveTheMenuAndScreensMatchHeadlessOnes) {
  // Headless twins of the title (poll 5) and the records screen (poll 20).
  const std::string title = (dir_ / "title_headless.png").string();
  const std::string records = (dir_ / "records_headless.png").string();
  std::ofstream(dir_ / "script.txt") << "0 SPACE\n1 -\n6 DOWN\n7 -\n8 DOWN\n9 -\n10 SPACE\n11 -\n";
  const std::string headless = std::string(KURUNOA_BIN) + " --headless --seed 9 --app-dir " +
                               dir_.string() + " --input " + (dir_ / "script.txt").string() +
                               " --max-polls 21 --screenshot 5:" + title +
                               " --screenshot 20:" + records + " >/dev/null 2>&1";
  ASSERT_EQ(WEXITSTATUS(std::system(headless.c_str())), 3);

  Start("--scale 1");
  std::string id = FindWindow();
  ASSERT_FALSE(id.empty());
  Key(id, "space");  // skip the intro
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const std::string titleShot = (dir_ / "title_window.png").string();
  std::system(("import -window " + id + " " + titleShot).c_str());
  // The F1 hint in the corner is the window's, not the game's.
  EXPECT_EQ(Differences(titleShot, title, {{380, 336, 132, 32}}), 0) << "title screen";

  Key(id, "Down");
  Key(id, "Down");
  Key(id, "space");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const std::string recordsShot = (dir_ / "records_window.png").string();
  std::system(("import -window " + id + " " + recordsShot).c_str());
  // The twinkling stars animate; everything else is static.
  EXPECT_EQ(Differences(recordsShot, records,
                        {{168, 24, 16, 16},
                         {328, 24, 16, 16},
                         {32, 32, 16, 16},
                         {464, 32, 16, 16},
                         {32, 320, 16, 16},
                         {464, 320, 16, 16},
                         {224, 320, 16, 16},
                         {408, 320, 16, 16}}),
            0)
      << "records screen";
  EXPECT_EQ(Quit(id), 0);
}

// The window given up to another (here the root window) pauses the game: the
// trace stops, and the clock and the calendar carry on from where they stood.
// The key that resumes never reaches the game: Escape resumes, not quits.
TEST_F(Window, FocusElsewherePausesTheClockAndTheResumingKeyIsNotPassedOn) {
  const fs::path trace = dir_ / "trace.jsonl";
  Start("--scale 1 --trace " + trace.string());
  std::string id = FindWindow();
  ASSERT_FALSE(id.empty());
  Key(id, "space");  // skip the intro
  ASSERT_TRUE(WaitFor([&] { return Slurp(trace).find("\"mode\": 0") != std::string::npos; }, 8000));
  Key(id, "space");  // the first school
  ASSERT_TRUE(WaitFor([&] { return Slurp(trace).find("\"mode\": 1") != std::string::npos; }, 8000));
  std::string root = Capture("xwininfo -root | sed -n 's/.*Window id: \\(0x[0-9a-f]*\\).*/\\1/p'");
  while (!root.empty() && root.back() == '\n') root.pop_back();
  ASSERT_FALSE(root.empty());
  std::system(("xdotool windowfocus " + root).c_str());
  // Paused: the trace stays the same size for 1.5 s.
  std::uintmax_t size = SizeOf(trace);
  int still = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::uintmax_t now = SizeOf(trace);
        still = now == size ? still + 50 : 0;
        size = now;
        return still >= 1500;
      },
      8000))
      << "the game kept running without the focus";
  const auto pausedFrom = std::chrono::steady_clock::now();
  Key(id, "Escape");
  EXPECT_TRUE(WaitFor([&] { return SizeOf(trace) > size; }, 5000)) << "did not resume";
  const auto pausedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - pausedFrom)
                            .count();
  // Some play after the pause, however soon the focus went away.
  const auto playCount = [&] {
    const std::string all = Slurp(trace);
    int n = 0;
    for (std::size_t at = 0; (at = all.find("\"mode\": 1,", at)) != std::string::npos; ++at) ++n;
    return n;
  };
  const int before = playCount();
  EXPECT_TRUE(WaitFor([&] { return playCount() > before + 25; }, 5000)) << "did not play on";
  ASSERT_EQ(Quit(id), 0);

  // Through the pause, no step of the clock or the calendar is larger than
  // play makes by itself.
  const std::regex line(
      "\"ms\": (-?[0-9]+), \"mode\": (-?[0-9]+), \"key\": [0-9]+, \"day\": ([0-9]+)");
  std::istringstream in(Slurp(trace));
  std::string text;
  int lastMs = -1, lastDay = -1, playLines = 0, largestStep = 0, largestDayStep = 0;
  while (std::getline(in, text)) {
    std::smatch m;
    if (!std::regex_search(text, m, line) || m[2] != "1") continue;
    const int ms = std::stoi(m[1]), day = std::stoi(m[3]);
    if (lastMs >= 0) {
      largestStep = std::max(largestStep, ms - lastMs);
      largestDayStep = std::max(largestDayStep, day - lastDay);
    }
    lastMs = ms;
    lastDay = day;
    ++playLines;
  }
  EXPECT_GT(playLines, 20);
  EXPECT_LT(largestStep, 300) << "the clock ran on while paused " << (1500 + pausedMs) << " ms";
  EXPECT_LE(largestDayStep, 1);
}

// The overlays are the window's: --screenshot pictures, taken while the
// title's F1 hint and the volume display show, are the game's alone.
TEST_F(Window, OverlaysAreAbsentFromScreenshots) {
  const std::string headlessShot = (dir_ / "title_headless.png").string();
  std::ofstream(dir_ / "script.txt") << "0 SPACE\n1 -\n";
  ASSERT_EQ(
      WEXITSTATUS(std::system((std::string(KURUNOA_BIN) + " --headless --seed 9 --app-dir " +
                               dir_.string() + " --input " + (dir_ / "script.txt").string() +
                               " --max-polls 6 --screenshot 5:" + headlessShot + " >/dev/null 2>&1")
                                  .c_str())),
      3);
  // Shots at many polls: those taken on the title must match the headless one.
  std::string shots;
  for (int poll = 20; poll <= 400; poll += 20) {
    shots += " --screenshot " + std::to_string(poll) + ":" +
             (dir_ / ("w" + std::to_string(poll) + ".png")).string();
  }
  Start("--scale 1" + shots);
  std::string id = FindWindow();
  ASSERT_FALSE(id.empty());
  Key(id, "space");  // skip the intro
  Key(id, "F6");     // the volume display
  // The window's picture, once it differs from the game's by more than n pixels.
  const std::string windowShot = (dir_ / "window.png").string();
  auto shows = [&](int64_t n) {
    return WaitFor(
        [&] {
          std::system(("import -window " + id + " " + windowShot).c_str());
          return Differences(windowShot, headlessShot, {}) > n;
        },
        5000);
  };
  EXPECT_TRUE(shows(100)) << "no overlay in the window";
  Key(id, "F1");  // the help, then any key resumes
  EXPECT_TRUE(shows(100000)) << "no help over the dimmed picture";
  Key(id, "Right");
  EXPECT_TRUE(WaitFor([&] { return fs::exists(dir_ / "w400.png"); }, 15000));
  EXPECT_EQ(Quit(id), 0);
  int onTitle = 0;
  for (int poll = 20; poll <= 400; poll += 20) {
    const std::string shot = (dir_ / ("w" + std::to_string(poll) + ".png")).string();
    if (Differences(shot, headlessShot, {}) == 0) ++onTitle;
  }
  EXPECT_GT(onTitle, 5) << "screenshots of the title differ from the game's picture";
}

// Settings changed in the window are saved and read by the next start; a
// command-line option is used for its run only.
TEST_F(Window, SettingsSurviveASecondStart) {
  const fs::path ini = dir_ / "config" / "kurunoa" / "settings.ini";
  Start("--scale 1");
  std::string id = FindWindow();
  ASSERT_FALSE(id.empty());
  Key(id, "F5");
  Key(id, "F5");
  Key(id, "F11");
  ASSERT_TRUE(
      WaitFor([&] { return Slurp(ini).find("fullscreen = yes") != std::string::npos; }, 5000));
  ASSERT_EQ(Quit(id), 0);
  EXPECT_NE(Slurp(ini).find("music = 8\n"), std::string::npos) << Slurp(ini);

  Start("");
  id = FindWindow();
  ASSERT_FALSE(id.empty());
  // Each key changes what this start read: 8 becomes 7, fullscreen turns off.
  Key(id, "F5");
  Key(id, "F11");
  EXPECT_TRUE(WaitFor(
      [&] {
        const std::string now = Slurp(ini);
        return now.find("music = 7\n") != std::string::npos &&
               now.find("fullscreen = no\n") != std::string::npos;
      },
      5000))
      << Slurp(ini);
  ASSERT_EQ(Quit(id), 0);

  // --scale for one run is not saved, and a bad line is reported, once.
  std::ofstream(ini, std::ios::app) << "scale = huge\n";
  const std::string out = (dir_ / "stderr.txt").string();
  const pid_t game = fork();
  if (game == 0) {
    const std::string cmd = std::string(KURUNOA_BIN) + " --seed 9 --app-dir " + dir_.string() +
                            " --scale 1 --max-polls 5 2>" + out;
    execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  game_ = game;
  EXPECT_EQ(Wait(), 3);
  const std::string err = Slurp(out);
  EXPECT_NE(err.find("\"scale = huge\" is not understood; scale stays at its default, 0"),
            std::string::npos)
      << err;
  EXPECT_NE(Slurp(ini).find("scale = huge"), std::string::npos) << "rewritten without a change";
}

// A window the player made smaller opens at that size the next time.
TEST_F(Window, AResizedWindowOpensAtItsSizeNextTime) {
  const fs::path ini = dir_ / "config" / "kurunoa" / "settings.ini";
  Start("");
  std::string id = FindWindow();
  ASSERT_FALSE(id.empty());
  EXPECT_NE(Capture("xdotool getwindowgeometry " + id).find("Geometry: 1024x736"),
            std::string::npos);
  std::system(("xdotool windowsize --sync " + id + " 600 400").c_str());
  EXPECT_TRUE(WaitFor([&] { return Slurp(ini).find("scale = 1\n") != std::string::npos; }, 5000))
      << Slurp(ini);
  ASSERT_EQ(Quit(id), 0);

  Start("");
  id = FindWindow();
  ASSERT_FALSE(id.empty());
  const std::string geometry = Capture("xdotool getwindowgeometry " + id);
  EXPECT_NE(geometry.find("Geometry: 512x368"), std::string::npos) << geometry;
  ASSERT_EQ(Quit(id), 0);
}

// When a replay has played out in a window, the keyboard has the game.
TEST_F(Window, TheKeyboardTakesOverWhenAReplayEnds) {
  const fs::path rec = dir_ / "short.rec", trace = dir_ / "trace.jsonl";
  std::ofstream(rec) << "# seed 9\n0 SPACE\n1 -\n";
  Start("--scale 1 --replay " + rec.string() + " --trace " + trace.string());
  std::string id = FindWindow();
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(WaitFor([&] { return Slurp(trace).find("\"mode\": 0") != std::string::npos; }, 8000));
  EXPECT_EQ(Quit(id), 0) << "Escape did not reach the game after the replay";
}

// The game's own window in this process, showing a plain white picture.
class OwnWindow {
 public:
  explicit OwnWindow(bool smooth) {
    PlatformOptions po;
    po.Scale = 1;
    po.Smooth = smooth;
    std::string error;
    up_ = PlatformInit(po, &error);
    if (!up_) std::fprintf(stderr, "%s\n", error.c_str());
    SurfaceResize(screen_, 512, 384, 0xFFFFFF);
    screen_.Dirty = true;
    PlatformSetScreen(&screen_);
    PlatformShowWindow();
    PlatformPresentIfDirty();
  }
  ~OwnWindow() {
    PlatformSetScreen(nullptr);
    PlatformShutdown();
  }
  bool Up() const { return up_; }

 private:
  bool up_ = false;
  Surface screen_;
};

// With a German layout the key labelled Z, where others have Y, gives Z's
// code (the name entry's Z group); the arrows keep their positions.
TEST_F(Window, LettersFollowTheLayoutArrowsTheirPosition) {
  if (!Have("setxkbmap")) GTEST_SKIP() << "setxkbmap is not installed";
  ASSERT_EQ(std::system("setxkbmap de"), 0);
  OwnWindow window(false);
  ASSERT_TRUE(window.Up());
  std::string id = FindWindow();
  ASSERT_FALSE(id.empty());
  struct Case {
    const char* Key;
    int32_t Vk, NotVk;
  };
  for (const Case& c : {Case{"z", 'Z', 'Y'}, Case{"y", 'Y', 'Z'}, Case{"a", 'A', 'Q'},
                        Case{"Up", 38, 40}, Case{"space", 32, 13}}) {
    SCOPED_TRACE(c.Key);
    std::system(("xdotool windowfocus --sync " + id + " keydown " + c.Key).c_str());
    EXPECT_TRUE(WaitFor(
        [&] {
          PlatformPumpEvents();
          return PlatformKeyDown(c.Vk);
        },
        3000));
    EXPECT_FALSE(PlatformKeyDown(c.NotVk));
    std::system(("xdotool keyup " + std::string(c.Key)).c_str());
    EXPECT_TRUE(WaitFor(
        [&] {
          PlatformPumpEvents();
          return !PlatformKeyDown(c.Vk);
        },
        3000));
  }
  // The name entry, through the game's own key poll: the key labelled Z
  // starts the Z group (ざ), the key labelled Y the Y group (や).
  CurGrad = 1;
  CurRank = 1;
  NameCursor = 0;
  for (const auto& [key, first] : {std::pair{"z", 52}, std::pair{"y", 36}}) {
    SCOPED_TRACE(key);
    GradSyllables[1][0] = 0;
    std::system(("xdotool windowfocus --sync " + id + " keydown " + key).c_str());
    const auto entered = [&] {
      PlatformPumpEvents();
      PollKeys();
      NameEntryKeys();
      return GradSyllables[1][0] != 0;
    };
    EXPECT_TRUE(WaitFor(entered, 3000));
    EXPECT_EQ(GradSyllables[1][0], first);
    std::system(("xdotool keyup " + std::string(key)).c_str());
    EXPECT_TRUE(WaitFor(
        [&] {
          PlatformPumpEvents();
          PollKeys();
          return LastKey == 0;
        },
        3000));
  }
}

// A resized window shows the picture at the largest whole-number scale,
// centred on black; "fit" fills the window at the picture's proportions.
// Each in its own test: one window per process.
void ExpectPictureInResizedWindow(Window& t, bool smooth, int w, int h) {
  OwnWindow window(smooth);
  ASSERT_TRUE(window.Up());
  std::string id = t.FindWindow();
  ASSERT_FALSE(id.empty());
  std::system(
      ("xdotool windowmove --sync " + id + " 0 0 windowsize --sync " + id + " 1100 800").c_str());
  const std::string shot = (t.dir_ / "resized.png").string();
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  // The picture's white rectangle, once the window shows it at its new size.
  const bool shown = t.WaitFor(
      [&] {
        PlatformPumpEvents();
        std::system(("import -window " + id + " " + shot).c_str());
        Surface s;
        std::string error;
        if (!SurfaceLoadPngFile(s, shot, &error) || s.Width != 1100 || s.Height != 800) {
          return false;
        }
        x0 = s.Width, y0 = s.Height, x1 = -1, y1 = -1;
        for (int32_t y = 0; y < s.Height; ++y) {
          for (int32_t x = 0; x < s.Width; ++x) {
            if ((s.Pixels[y * s.Width + x] & 0x808080) != 0x808080) continue;
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
          }
        }
        return std::abs(x1 - x0 + 1 - w) <= 1;
      },
      5000);
  EXPECT_TRUE(shown) << "picture " << x1 - x0 + 1 << "x" << y1 - y0 + 1;
  EXPECT_NEAR(y1 - y0 + 1, h, 1);
  EXPECT_NEAR(x0, (1100 - w) / 2, 1) << "centred";
  EXPECT_NEAR(y0, (800 - h) / 2, 1) << "centred";
}

TEST_F(Window, AResizedWindowKeepsWholeNumberScaling) {
  ExpectPictureInResizedWindow(*this, false, 1024, 736);
}

TEST_F(Window, AResizedWindowFitsThePictureWithSmooth) {
  ExpectPictureInResizedWindow(*this, true, 1100, 791);
}

// A controller alone can resume a paused game, and the button that resumes
// reaches the game only once it has been released. (A virtual controller
// stands in for a real one.)
TEST_F(Window, AControllerButtonResumesAndIsNotPassedOn) {
  OwnWindow window(false);
  ASSERT_TRUE(window.Up());
  const int index =
      SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* stick = SDL_JoystickOpen(index);
  ASSERT_NE(stick, nullptr) << SDL_GetError();
  const auto setA = [&](bool down) {
    SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_A, down ? 1 : 0);
    PlatformPumpEvents();
  };
  ASSERT_TRUE(WaitFor(
      [&] {
        setA(true);
        return PlatformKeyDown(32);
      },
      3000))
      << "the controller's A never showed as Space";
  setA(false);
  EXPECT_FALSE(PlatformKeyDown(32));

  DeskKeyPressed(DeskKey::Pause, 0);
  ASSERT_TRUE(DeskPaused());
  // Should the button not resume, a key does, after a while.
  std::atomic<bool> resumed{false};
  std::thread rescue([&resumed] {
    for (int i = 0; i < 60 && !resumed; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (resumed) return;
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = SDL_SCANCODE_X;
    SDL_PushEvent(&e);
  });
  const auto from = std::chrono::steady_clock::now();
  setA(true);
  const auto waited = std::chrono::steady_clock::now() - from;
  resumed = true;
  rescue.join();
  EXPECT_LT(waited, std::chrono::seconds(2)) << "the button did not resume the game";
  EXPECT_FALSE(DeskPaused());
  EXPECT_FALSE(PlatformKeyDown(32)) << "the resuming button reached the game";
  setA(false);
  setA(true);
  EXPECT_TRUE(PlatformKeyDown(32));
  setA(false);
  SDL_JoystickClose(stick);
  SDL_JoystickDetachVirtual(index);
}

}  // namespace
