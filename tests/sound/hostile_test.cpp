// Sound files and start-up conditions that used to hang, eat memory or hold
// the quit: FIFOs and folders in a file's place, an absurdly long effect, a
// SoundFont still loading when the game quits.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "fixtures.h"
#include "frame/frame.h"
#include "sound/sound.h"
#include "sound/wav.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kRate = 44100;

// Runs body in a child process with its stderr in a file; false when it did
// not end within the seconds (it is killed then).
bool RunChild(const fs::path& errFile, int seconds, const std::function<void()>& body,
              int* status) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 2);
    body();
    _exit(0);
  }
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int raw = 0;
  while (waitpid(pid, &raw, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      kill(pid, SIGKILL);
      waitpid(pid, &raw, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return true;
}

std::string Slurp(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(HostileSoundFiles, NotRegularFilesCountAsMissingWithoutBlocking) {
  const fs::path src = fs::path(KURUNOA_SOURCE_DIR) / "da";
  const fs::path dir = FreshDir("sound_not_regular");
  fs::create_directories(dir / "da");
  for (const char* f :
       {"bg2.mid", "se1.wav", "se4.wav", "se5.wav", "se6.wav", "se7.wav", "se8.wav"}) {
    fs::copy_file(src / f, dir / "da" / f);
  }
  // A FIFO nobody writes to, a folder, a device: each would block or fail oddly.
  ASSERT_EQ(mkfifo((dir / "da" / "bg1.mid").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((dir / "da" / "se0.wav").c_str(), 0644), 0);
  fs::create_directories(dir / "da" / "se3.wav");
  fs::create_symlink("/dev/zero", dir / "soundfont.sf2");
  ASSERT_EQ(mkfifo((dir / "fifo.sf2").c_str(), 0644), 0);
  for (const char* font : {"soundfont.sf2", "fifo.sf2"}) {
    const fs::path err = dir / "err.txt";
    int status = -1;
    const bool ended = RunChild(
        err, 20,
        [&] {
          InitHeadlessSession(dir.string(), 1);
          SoundInitOffline(kRate, (dir / font).string());
          BgmTrack = 1;
          BgmOpen(1);  // the FIFO again, as a year starts
          BgmPlay();
          PlayEffect(0);
          float out[2 * 512];
          SoundRenderOffline(out, 512);
          SoundShutdown();
        },
        &status);
    ASSERT_TRUE(ended) << font << ": blocked";
    EXPECT_EQ(status, 0) << font;
    const std::string text = Slurp(err);
    for (const std::string& name :
         std::vector<std::string>{"da/bg1.mid", "da/se0.wav", "da/se3.wav", font}) {
      std::size_t count = 0;
      for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1))
        ++count;
      EXPECT_EQ(count, 1u) << font << ": one line names " << name << "\n" << text;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
  }
}

TEST(HostileSoundFiles, AnEffectLongerThanTenSecondsIsCutBeforeItIsDecoded) {
  // 4 MB of 8-bit samples at 1000 Hz: over an hour, 700 MB once resampled.
  const Bytes file = Wav(1, 1, 1000, 8, Bytes(4u << 20, 200));
  WavSound w;
  std::string error;
  ASSERT_TRUE(ParseWav(file.data(), file.size(), &w, &error)) << error;
  EXPECT_TRUE(w.Cut);
  EXPECT_EQ(w.Samples.size(), 10000u);
  const Bytes short_ = Wav(1, 1, 1000, 8, Bytes(10000, 200));
  ASSERT_TRUE(ParseWav(short_.data(), short_.size(), &w, &error)) << error;
  EXPECT_FALSE(w.Cut) << "exactly ten seconds is whole";

  const fs::path dir = FreshDir("sound_long_effect");
  WriteBytes(dir / "da" / "se0.wav", file);
  testing::internal::CaptureStderr();
  InitHeadlessSession(dir.string(), 1);
  SoundInitOffline(kRate, "");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("se0.wav is longer than 10 s; effect 0 is cut there"), std::string::npos)
      << err;
  PlayEffect(0);
  std::vector<float> out(2 * 512);
  int32_t lastSound = -1;
  for (int32_t done = 0; done < 11 * kRate; done += 512) {
    SoundRenderOffline(out.data(), 512);
    for (int32_t i = 0; i < 512; ++i) {
      if (std::fabs(out[2 * i]) > 1e-4f) lastSound = done + i;
    }
  }
  EXPECT_GT(lastSound, 10 * kRate - 600);
  EXPECT_LT(lastSound, 10 * kRate) << "nothing after ten seconds";
  SoundShutdown();
}

// The SoundFont loads on a thread of its own; quitting in the meantime ends
// at once instead of waiting for it.
TEST(QuitWhileTheSoundFontLoads, ShutdownDoesNotWaitForTheLoader) {
  const fs::path dir = FreshDir("sound_quit_loading");
  int status = -1;
  const bool ended = RunChild(
      dir / "err.txt", 20,
      [&] {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        PlatformOptions po;
        std::string error;
        if (!PlatformInit(po, &error)) _exit(100);
        AppDir = std::string(KURUNOA_SOURCE_DIR) + "/";
        SynthLoadHook = [] { std::this_thread::sleep_for(std::chrono::seconds(3)); };
        SoundInit("");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto start = std::chrono::steady_clock::now();
        SoundShutdown();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::fprintf(stderr, "shutdown_ms=%.1f\n", ms);
        _exit(ms < 200 ? 0 : 1);
      },
      &status);
  ASSERT_TRUE(ended);
  EXPECT_EQ(status, 0) << Slurp(dir / "err.txt");
}

}  // namespace
