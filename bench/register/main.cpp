// SortGraduates runs every play frame over the whole register: time it over
// 1000 records given in the worst order (ascending totals), best of 50 runs.
//   bench: register sort_ms=X
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "register/register.h"

int main() {
  double best = 1e9;
  for (int run = 0; run < 50; ++run) {
    GraduateCount = 1000;
    for (int i = 1; i <= 1000; ++i) {
      GradScore[i][4] = i;  // ascending: every pair is out of order
      RankOrder[i] = static_cast<int16_t>(i);
    }
    CurGrad = 1000;
    const auto start = std::chrono::steady_clock::now();
    SortGraduates();
    const auto end = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    if (RankOrder[1] != 1000 || CurRank != 1) {
      std::fprintf(stderr, "bench: register sort gave the wrong order\n");
      return 1;
    }
  }
  std::printf("bench: register sort_ms=%.3f\n", best);
  return 0;
}
