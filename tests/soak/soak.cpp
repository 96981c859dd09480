// Fifty seeded school years in one headless run, with random keys in play.
// After every year end it checks that the register files parse, hold at most
// 999 records, best first, and that the program's memory stays flat.
//
//   soak PROGRAM DA_FOLDER [YEARS] [--no-memory-check]
// The sanitizers' own bookkeeping grows a little with every year, so the
// sanitizer build's run leaves the memory check to the plain build's run.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Play frames from the first poll of a year to the first after-calendar frame.
constexpr int kCalendarFrames = 11185;

struct Script {
  std::ostringstream Out;
  int64_t Poll = 0;
  void Hold(const char* keys, int frames) {
    Out << Poll << ' ' << keys << '\n';
    Poll += frames;
  }
};

// One year at the front school: random play, three tries at walking to the
// graduation gate, then a name that is valid whatever the rank.
void AddYear(Script& s, std::mt19937& rng) {
  s.Hold("SPACE", 2);  // the title's first entry
  s.Hold("-", 1);      // the first play poll is the one after the press
  const int64_t yearStart = s.Poll - 2;
  const char* keys[] = {"LEFT", "RIGHT", "UP", "DOWN", "SPACE", "ENTER", "-", "-", "LEFT,SPACE"};
  std::uniform_int_distribution<int> pick(0, 8), length(1, 40);
  while (s.Poll < yearStart + kCalendarFrames - 440) s.Hold(keys[pick(rng)], length(rng));
  // Rest on the left verge as the calendar runs out, for stamina to walk on.
  s.Hold("LEFT", static_cast<int>(yearStart + kCalendarFrames - 360 - s.Poll));
  s.Hold("SPACE", 360);
  s.Hold("-", 1);
  // From the verge: twelve steps right (x 112) and up to the gate. Two more
  // tries from wherever the student stands, after any faint is over. No
  // Space from here on: on the year-end screen it would confirm the name.
  s.Hold("RIGHT", 24);
  s.Hold("UP", 80);
  for (int attempt = 0; attempt < 2; ++attempt) {
    s.Hold("-", 200);
    s.Hold("LEFT", 80);
    s.Hold("RIGHT", 24);
    s.Hold("UP", 80);
  }
  for (int k = 0; k < 8; ++k) {
    s.Hold("A", 2);
    s.Hold("-", 2);
    s.Hold("RIGHT", 2);
    s.Hold("-", 2);
  }
  s.Hold("-", 40);
  s.Hold("SPACE", 2);
  s.Hold("-", 12);
}

bool ReadNumbers(const fs::path& p, std::vector<long long>* out) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream ss(text);
  for (long long v; ss >> v;) out->push_back(v);
  return true;
}

std::string CheckRegister(const fs::path& da) {
  std::vector<long long> d1, d2;
  if (!ReadNumbers(da / "da1.txt", &d1) || d1.size() != 9) return "da1.txt does not parse";
  if (!ReadNumbers(da / "da2.txt", &d2)) return "da2.txt does not parse";
  const long long count = d1[0];
  if (count < 1 || count > 999) return "count " + std::to_string(count) + " out of range";
  if (static_cast<long long>(d2.size()) != count * 12)
    return "da2.txt holds the wrong number of values";
  long long previous = INT64_MAX;
  for (long long i = 0; i < count; ++i) {
    const long long total = d2[i * 12 + 9] + d2[i * 12 + 10] + d2[i * 12 + 11];
    if (total > previous) return "record " + std::to_string(i + 1) + " is out of rank order";
    previous = total;
  }
  return "";
}

long RssKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: soak PROGRAM DA_FOLDER [YEARS] [--no-memory-check]\n");
    return 2;
  }
  const int years = argc > 3 ? std::atoi(argv[3]) : 50;
  const bool memoryCheck = !(argc > 4 && std::strcmp(argv[4], "--no-memory-check") == 0);
  const fs::path dir = fs::temp_directory_path() / ("kurunoa_soak_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(argv[2], dir / "da", fs::copy_options::recursive);
  fs::remove(dir / "da" / "da1.txt");
  fs::remove(dir / "da" / "da2.txt");

  Script script;
  std::mt19937 rng(42);
  script.Hold("SPACE", 2);  // skip the intro
  script.Hold("-", 4);
  for (int y = 0; y < years; ++y) AddYear(script, rng);
  script.Hold("ESC", 5);
  std::ofstream(dir / "keys.txt") << script.Out.str();

  const fs::path fifo = dir / "trace.fifo";
  mkfifo(fifo.c_str(), 0600);
  // The sanitizer's quarantine would hide whether the game itself holds memory.
  setenv("ASAN_OPTIONS", "quarantine_size_mb=1:detect_leaks=1", 0);
  const pid_t pid = fork();
  if (pid == 0) {
    execl(argv[1], argv[1], "--headless", "--seed", "1234", "--app-dir", dir.c_str(), "--input",
          (dir / "keys.txt").c_str(), "--trace", fifo.c_str(), "--record",
          (dir / "run.rec").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  FILE* trace = std::fopen(fifo.c_str(), "r");
  int done = 0, previousMode = -1;
  long firstRss = -1, maxRss = 0;
  std::string failure;
  char line[4096];
  while (trace && std::fgets(line, sizeof line, trace)) {
    const char* m = std::strstr(line, "\"mode\": ");
    if (!m) continue;
    const int mode = std::atoi(m + 8);
    if (previousMode == 2 && mode == 0) {
      ++done;
      const std::string problem = CheckRegister(dir / "da");
      const long rss = RssKb(pid);
      if (done == 3) firstRss = rss;  // after the first years have warmed every cache
      if (done >= 3) maxRss = std::max(maxRss, rss);
      std::printf("soak: year %d register ok=%s rss_kb=%ld\n", done, problem.empty() ? "yes" : "no",
                  rss);
      std::fflush(stdout);
      if (!problem.empty() && failure.empty())
        failure = "year " + std::to_string(done) + ": " + problem;
    }
    previousMode = mode;
  }
  if (trace) std::fclose(trace);
  int status = 0;
  waitpid(pid, &status, 0);
  const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (exitCode != 0 && failure.empty())
    failure = "the program exited with " + std::to_string(exitCode);
  if (done != years && failure.empty()) {
    failure = std::to_string(done) + " of " + std::to_string(years) + " years completed";
  }
  const long growth = firstRss >= 0 ? maxRss - firstRss : 0;
  if (memoryCheck && growth >= 1024 && failure.empty())
    failure = "memory grew by " + std::to_string(growth) + " KB";
  std::printf("soak: %d years, rss growth %ld KB: %s\n", done, growth,
              failure.empty() ? "passed" : failure.c_str());
  if (failure.empty() || std::getenv("SOAK_CLEAN"))
    fs::remove_all(dir);
  else
    std::printf("soak: run folder kept in %s\n", dir.c_str());
  return failure.empty() ? 0 : 1;
}
