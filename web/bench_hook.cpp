// Measurements for `make bench` in the browser: the work of every play frame
// (from the end of one wait to the start of the next, as the desktop's year
// benchmark measures it) and the time of the first title frame since the
// page's navigation. The page reads them at the end of a run.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "frame/frame.h"

namespace {

// Never destroyed: the page reads the figures after the program has exited.
std::vector<double>& gWorkMs = *new std::vector<double>;
double gWaitEnded = 0;
bool gLastWaitInPlay = false;
bool gTitleSeen = false;

// clang-format off
EM_JS(void, WebFirstTitle, (), {
  Module.kurunoaFirstTitleMs = performance.now();
});
// clang-format on

void OnWait(bool begin) {
  const double now = emscripten_get_now();
  if (!begin) {
    gWaitEnded = now;
    return;
  }
  if (GameMode == 0 && !gTitleSeen) {
    gTitleSeen = true;
    WebFirstTitle();
  }
  const bool inPlay = GameMode == 1;
  if (inPlay && gLastWaitInPlay && gWorkMs.size() < gWorkMs.capacity()) {
    gWorkMs.push_back(now - gWaitEnded);
  }
  gLastWaitInPlay = inPlay;
}

const bool kInstalled = [] {
  gWorkMs.reserve(20000);
  FrameWaitHook = OnWait;
  return true;
}();

}  // namespace

// {frames, mean, p99} of the play frames so far, written to out[0..2].
extern "C" EMSCRIPTEN_KEEPALIVE void WebBenchFigures(double* out) {
  std::vector<double> sorted = gWorkMs;
  std::sort(sorted.begin(), sorted.end());
  double total = 0;
  for (double ms : sorted) total += ms;
  const std::size_t n = sorted.size();
  out[0] = static_cast<double>(n);
  out[1] = n ? total / static_cast<double>(n) : 0;
  out[2] = n ? sorted[std::min(n - 1, (n * 99) / 100)] : 0;
}
