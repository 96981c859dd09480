// Frame pacing, the event pump and the once-per-frame keyboard poll.
#include "frame/frame.h"
#include "frame/session.h"

int32_t FramePeriod = 27;
int32_t FrameStart = 0;
int32_t FrameEnd = 0;
int32_t FrameElapsed = 0;
int32_t FrameWait = 0;

int16_t LastKey = 0;
int16_t KeyCount[1001];
int64_t PollNumber = 0;

void (*FrameWaitHook)(bool begin) = nullptr;

void DoEvents() { PlatformPumpEvents(); }

void PollKeys() {
  const int64_t poll = PollNumber;
  PlatformBeginPoll(poll);
  SessionPollEntered(poll);
  // The lowest code held wins; only one key registers per frame.
  LastKey = 0;
  for (int16_t code = 0; code <= 128; ++code) {
    if (PlatformKeyDown(code)) {
      LastKey = code;
      if (KeyCount[code] < 32767) ++KeyCount[code];
      break;
    }
  }
  for (int16_t code = 0; code <= 128; ++code) {
    if (code != LastKey) KeyCount[code] = 0;
  }
  ++PollNumber;
  SessionPollDone(poll);
}

void WaitMs(int32_t& ms) {
  const int32_t t0 = PlatformClockMs();
  PlatformPumpEvents();
  // Returns once more than ms milliseconds have passed.
  PlatformWaitClock(t0 + ms + 1, true);
}

void DelayTicks(int32_t ms) {
  // No events are processed, but the screen written so far is shown first.
  PlatformPresentIfDirty();
  const int32_t t0 = PlatformTickMs();
  PlatformWaitClock(t0 + ms + 1, false);
}

void PaceFrame(int32_t period) {
  FrameEnd = PlatformClockMs();
  FrameElapsed = FrameEnd - FrameStart;
  FrameWait = period - FrameElapsed;
  if (FrameWaitHook) FrameWaitHook(true);
  if (FrameElapsed < period) WaitMs(FrameWait);
  if (FrameWaitHook) FrameWaitHook(false);
}

namespace {
uint64_t gRandomState = 0x9E3779B97F4A7C15ull;
}

void SeedRandom(uint64_t seed) { gRandomState = seed ^ 0x9E3779B97F4A7C15ull; }

double Rnd() {
  // splitmix64: small, fast and the same on every platform.
  uint64_t z = (gRandomState += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

int32_t R(int32_t n) { return static_cast<int32_t>(static_cast<double>(n) * Rnd()); }
