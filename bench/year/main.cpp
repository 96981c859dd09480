// Plays one seeded school year headless with a fixed key script and prints
// the work time per play frame (everything but the wait), the frame rate
// that work would allow, and the heap allocations made during play frames.
//
//   bench: year frames=N mean_ms=X p99_ms=X max_ms=X fps=X allocs_per_frame=X
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "frame/frame.h"
#include "play/play.h"

// Every heap allocation of the process goes through these, operator new
// included, so C libraries (the font renderer) are counted too.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t n, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void __libc_free(void* p);
}

namespace {
unsigned long long gAllocations = 0;
}

extern "C" {
void* malloc(std::size_t size) {
  ++gAllocations;
  return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
  ++gAllocations;
  return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
  ++gAllocations;
  return __libc_realloc(p, size);
}
void free(void* p) { __libc_free(p); }
}

namespace {

using Clock = std::chrono::steady_clock;

std::vector<double> gWorkMs;  // reserved before play: the hook never allocates
Clock::time_point gWaitEnded;
unsigned long long gAllocationsAtWaitEnd = 0;
unsigned long long gPlayAllocations = 0;
bool gLastWaitInPlay = false;
bool gReported = false;

void Report() {
  if (gReported || gWorkMs.empty()) return;
  gReported = true;
  std::vector<double> sorted = gWorkMs;
  std::sort(sorted.begin(), sorted.end());
  double total = 0;
  for (double ms : sorted) total += ms;
  const std::size_t n = sorted.size();
  const double mean = total / static_cast<double>(n);
  const double p99 = sorted[std::min(n - 1, (n * 99) / 100)];
  std::printf(
      "bench: year frames=%zu mean_ms=%.4f p99_ms=%.4f max_ms=%.4f fps=%.0f "
      "allocs_per_frame=%.4f\n",
      n, mean, p99, sorted.back(), 1000.0 / mean,
      static_cast<double>(gPlayAllocations) / static_cast<double>(n));
  std::fflush(stdout);
}

// A play frame's work runs from the end of one wait to the start of the
// next. The first frame of the year also holds the year's set-up after the
// title's last wait, so only frames whose previous wait was in play count.
void OnWait(bool begin) {
  if (!begin) {
    gAllocationsAtWaitEnd = gAllocations;
    gWaitEnded = Clock::now();
    return;
  }
  const bool inPlay = GameMode == 1;
  if (inPlay && gLastWaitInPlay) {
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - gWaitEnded).count();
    if (gWorkMs.size() < gWorkMs.capacity()) gWorkMs.push_back(ms);
    const unsigned long long allocations = gAllocations - gAllocationsAtWaitEnd;
    gPlayAllocations += allocations;
    if (allocations != 0 && std::getenv("BENCH_YEAR_VERBOSE")) {
      std::fprintf(stderr, "frame %zu day %d: %llu allocations\n", gWorkMs.size(), Day,
                   allocations);
    }
  } else if (!inPlay && !gWorkMs.empty()) {
    Report();  // the year is over
  }
  gLastWaitInPlay = inPlay;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  // --game DIR: the game folder whose da/ the year is played with.
  fs::path game = KURUNOA_GAME_DIR;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string_view(argv[i]) == "--game") game = argv[i + 1];
  }
  char pattern[] = "/tmp/kurunoa-bench-XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("bench_year: mkdtemp");
    return 1;
  }
  const fs::path dir = pattern;
  fs::copy(game / "da", dir / "da", fs::copy_options::recursive);
  // Skip the intro, start a year at the front school and walk up all year;
  // after the year end confirm the name and quit from the title.
  std::ofstream(dir / "input.txt") << "0 SPACE\n1 -\n3 SPACE\n4 -\n10 UP\n"
                                      "11400 -\n11410 SPACE\n11412 -\n11420 ESC\n";
  const std::string appDir = dir.string();
  const std::string input = (dir / "input.txt").string();
  std::vector<std::string> args = {"kurunoa", "--headless", "--seed", "20240401",    "--app-dir",
                                   appDir,    "--input",    input,    "--max-polls", "13000"};
  std::vector<char*> mainArgv;
  for (std::string& a : args) mainArgv.push_back(a.data());
  mainArgv.push_back(nullptr);

  gWorkMs.reserve(20000);
  FrameWaitHook = OnWait;
  const int status = Main(static_cast<int>(args.size()), mainArgv.data());
  FrameWaitHook = nullptr;
  Report();
  fs::remove_all(dir);
  if (!gReported) {
    std::fprintf(stderr, "bench_year: no play frames were measured\n");
    return 1;
  }
  return status;
}
