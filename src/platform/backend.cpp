// The backend switch: the SDL2 window for players, or the headless twin
// (virtual clock, scripted keys, no devices) for tests and tools.
#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "platform/sdl_window.h"

namespace {

bool gHeadless = true;
bool gSdlUp = false;
Surface* gScreen = nullptr;
void (*gCloseHandler)() = nullptr;
int32_t gVirtualClock = 0;

std::vector<KeyChange> gScript;
bool gScripted = false;
std::size_t gScriptNext = 0;
bool gScriptKeys[256] = {};

}  // namespace

bool PlatformInit(const PlatformOptions& options, std::string* error) {
  gHeadless = options.Headless;
  if (gHeadless) return true;
  gSdlUp = SdlInit(options, error);
  return gSdlUp;
}

bool PlatformHeadless() { return gHeadless; }

void PlatformShowWindow() {
  if (gSdlUp) SdlShowWindow();
}

void PlatformShutdown() {
  if (gSdlUp) SdlShutdown();
  gSdlUp = false;
}

void PlatformSetScreen(Surface* screen) { gScreen = screen; }

void PlatformSetCloseHandler(void (*handler)()) { gCloseHandler = handler; }

void PlatformPresentIfDirty() {
  if (!gScreen || !gScreen->Dirty) return;
  gScreen->Dirty = false;
  if (!gSdlUp) return;
  // Static screens (title, records) copy the same picture every frame; the
  // window is only redrawn when the picture changed.
  static std::vector<uint32_t> shown;
  if (shown == gScreen->Pixels) return;
  shown = gScreen->Pixels;
  SdlPresent(*gScreen);
}

void PlatformPumpEvents() {
  if (!gSdlUp) return;
  PlatformPresentIfDirty();
  if (!SdlPumpEvents() && gCloseHandler) gCloseHandler();
}

int32_t PlatformClockMs() { return gSdlUp ? SdlClockMs() : gVirtualClock; }

int32_t PlatformTickMs() { return PlatformClockMs(); }

void PlatformWaitClock(int32_t target, bool pumpEvents) {
  if (!gSdlUp) {
    if (target - gVirtualClock > 0) gVirtualClock = target;
    return;
  }
  // Sleep through most of the wait, let the window handle its events about
  // 2 ms before the deadline, then sleep to the deadline itself: the frame
  // starts on time without spinning, and a close request is still handled.
  if (target - SdlClockMs() > 2) SdlSleepUntilMs(target - 2);
  if (pumpEvents) PlatformPumpEvents();
  while (target - SdlClockMs() > 0) SdlSleepUntilMs(target);
}

void PlatformSetKeyScript(std::vector<KeyChange> script) {
  gScript = std::move(script);
  gScripted = true;
  gScriptNext = 0;
  std::fill(std::begin(gScriptKeys), std::end(gScriptKeys), false);
}

void PlatformBeginPoll(int64_t pollNumber) {
  if (!gScripted) return;
  // In a window, the keyboard takes over once the script has played out.
  if (gSdlUp && gScriptNext >= gScript.size() &&
      (gScript.empty() || pollNumber > gScript.back().Poll)) {
    gScripted = false;
    std::fprintf(stderr,
                 "kurunoa: the recording has ended; the keyboard plays on (Escape quits)\n");
    return;
  }
  while (gScriptNext < gScript.size() && gScript[gScriptNext].Poll <= pollNumber) {
    std::fill(std::begin(gScriptKeys), std::end(gScriptKeys), false);
    for (int32_t vk : gScript[gScriptNext].Keys) gScriptKeys[vk & 255] = true;
    ++gScriptNext;
  }
}

bool PlatformKeyDown(int32_t vk) {
  if (vk < 0 || vk > 255) return false;
  if (gScripted) return gScriptKeys[vk];
  return gSdlUp && SdlKeyDown(vk);
}

void PlatformSetHelpQuery(HelpScreen (*query)()) {
  if (gSdlUp) SdlSetHelpQuery(query);
}

void PlatformSetVolumeHandler(void (*handler)(int32_t music, int32_t effects, bool mute)) {
  if (gSdlUp) SdlSetVolumeHandler(handler);
}

void PlatformMessageBox(const std::string& title, const std::string& message) {
  if (gSdlUp) SdlMessageBox(title, message);
}
