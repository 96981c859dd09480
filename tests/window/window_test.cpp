// The program in a real window on an Xvfb display: its size at two scales,
// keys sent by xdotool, and screenshots compared with headless ones.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace fs = std::filesystem;

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
 protected:
  void SetUp() override {
    if (!Have("Xvfb") || !Have("xdotool") || !Have("import")) {
      GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    }
    display_ = ":" + std::to_string(140 + getpid() % 50);
    xvfb_ = fork();
    if (xvfb_ == 0) {
      execlp("Xvfb", "Xvfb", display_.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    setenv("DISPLAY", display_.c_str(), 1);
    // The desktop libraries (D-Bus, X11, the GL driver) keep allocations to
    // the end of the process; in the sanitizer build only the headless runs
    // look for leaks.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 0);
    for (int i = 0; i < 50; ++i) {
      if (std::system("xdpyinfo >/dev/null 2>&1") == 0 ||
          std::system("xdotool getdisplaygeometry >/dev/null 2>&1") == 0) {
        ready_ = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!ready_) GTEST_SKIP() << "Xvfb could not start on " << display_;
    dir_ = fs::path(::testing::TempDir()) / ("kurunoa_window_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::copy(fs::path(KURUNOA_GAME_DIR) / "da", dir_ / "da", fs::copy_options::recursive);
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
  std::string FindWindow() {
    return Capture("xdotool search --sync --onlyvisible --name '^Kurunoa$' 2>/dev/null | head -1");
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
    while (!id.empty() && (id.back() == '\n')) id.pop_back();
    ASSERT_FALSE(id.empty()) << "no window titled Kurunoa";
    const std::string geometry = Capture("xdotool getwindowgeometry " + id);
    const std::string want = std::to_string(512 * scale) + "x" + std::to_string(368 * scale);
    EXPECT_NE(geometry.find("Geometry: " + want), std::string::npos) << geometry;
    Key(id, "Escape");
    EXPECT_EQ(Wait(), 0) << "Escape quits with status 0";
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
  while (!id.empty() && id.back() == '\n') id.pop_back();
  ASSERT_FALSE(id.empty());
  Key(id, "space");  // skip the intro
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const std::string titleShot = (dir_ / "title_window.png").string();
  std::system(("import -window " + id + " " + titleShot).c_str());
  EXPECT_EQ(Differences(titleShot, title, {}), 0) << "title screen";

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
  Key(id, "Escape");
  EXPECT_EQ(Wait(), 0);
}

}  // namespace
