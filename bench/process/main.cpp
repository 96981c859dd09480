// Measures the program from outside, as a player's machine sees it:
//   bench: startup_ms=X                    start to the first title frame, headless, median of 5
//   bench: pacing cpu_pct=X jitter_p99_ms=X  10 s of play in a real window under Xvfb
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Child {
  int Status = -1;
  double WallMs = 0;
  double CpuMs = 0;
};

Child RunAndWait(const std::vector<std::string>& args, const char* display) {
  Child c;
  std::fflush(nullptr);  // nothing buffered may be written twice
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (display) setenv("DISPLAY", display, 1);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  c.WallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  c.CpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
            (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
  c.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return c;
}

fs::path Scratch(const fs::path& game) {
  fs::path dir = fs::temp_directory_path() / ("kurunoa_bench_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(game / "da", dir / "da", fs::copy_options::recursive);
  return dir;
}

double StartupMs(const fs::path& game, const fs::path& dir) {
  // Space skips the intro at the first poll; the run ends at the title's first poll,
  // right after its first frame has been presented.
  std::ofstream(dir / "startup.txt") << "0 SPACE\n";
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    const Child c =
        RunAndWait({(game / "kurunoa").string(), "--headless", "--seed", "1", "--app-dir",
                    dir.string(), "--input", (dir / "startup.txt").string(), "--max-polls", "1"},
                   nullptr);
    if (c.Status != 3) return -1;
    times.push_back(c.WallMs);
  }
  std::sort(times.begin(), times.end());
  return times[2];
}

bool Pacing(const fs::path& game, const fs::path& dir, double* cpuPct, double* jitterP99) {
  const std::string display = ":" + std::to_string(190 + getpid() % 9);
  std::fflush(nullptr);
  const pid_t xvfb = fork();
  if (xvfb == 0) {
    freopen("/dev/null", "w", stderr);
    execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  std::fflush(nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  // Intro skipped, a year started, then 10 s of walking and throwing.
  std::ostringstream script;
  script << "0 SPACE\n1 -\n4 SPACE\n5 -\n";
  for (int p = 20; p < 380; p += 40) script << p << " LEFT\n" << p + 20 << " RIGHT,SPACE\n";
  std::ofstream(dir / "pacing.txt") << script.str();
  const fs::path trace = dir / "pacing.jsonl";
  const Child c = RunAndWait(
      {(game / "kurunoa").string(), "--seed", "1", "--scale", "1", "--app-dir", dir.string(),
       "--input", (dir / "pacing.txt").string(), "--trace", trace.string(), "--max-polls", "380"},
      display.c_str());
  kill(xvfb, SIGTERM);
  waitpid(xvfb, nullptr, 0);
  if (c.Status != 3) return false;
  // Frame starts of play: the polls' clock values in mode 1.
  std::ifstream in(trace);
  std::vector<long> ms;
  for (std::string line; std::getline(in, line);) {
    if (line.find("\"mode\": 1,") == std::string::npos) continue;
    const std::size_t at = line.find("\"ms\": ");
    ms.push_back(std::stol(line.substr(at + 6)));
  }
  if (ms.size() < 100) return false;
  std::vector<double> jitter;
  for (std::size_t i = 2; i < ms.size(); ++i) jitter.push_back(std::fabs(ms[i] - ms[i - 1] - 28.0));
  std::sort(jitter.begin(), jitter.end());
  *jitterP99 = jitter[jitter.size() * 99 / 100];
  *cpuPct = 100.0 * c.CpuMs / c.WallMs;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path game = ".";
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--game") game = argv[i + 1];
  }
  const fs::path dir = Scratch(game);
  std::printf("bench: startup_ms=%.1f\n", StartupMs(game, dir));
  double cpu = 0, jitter = 0;
  if (std::system("command -v Xvfb >/dev/null 2>&1") == 0 && Pacing(game, dir, &cpu, &jitter)) {
    std::printf("bench: pacing cpu_pct=%.1f jitter_p99_ms=%.1f\n", cpu, jitter);
  } else {
    std::printf("bench: pacing skipped (no Xvfb display)\n");
  }
  fs::remove_all(dir);
  return 0;
}
