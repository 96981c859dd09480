// The browser's window: the page's canvas, its keyboard and its clock, behind
// the same calls as the SDL2 window (sdl_window.h). Waits yield to the
// browser through Asyncify, so the game's blocking frame loops stay as they are.
#include <emscripten.h>

#include <algorithm>
#include <cstring>

#include "platform/sdl_window.h"

namespace {

bool gKeys[256] = {};
double gStartMs = 0;
// The picture as the canvas wants it: RGBA bytes, kept for the whole run.
uint32_t gRgba[512 * 368];

}  // namespace

// clang-format off
EM_JS(void, WebShowCanvas, (), {
  if (Module.kurunoaShow) Module.kurunoaShow();
});
EM_JS(void, WebDrawCanvas, (const void* rgba, int w, int h), {
  if (Module.kurunoaDraw) Module.kurunoaDraw(HEAPU8.subarray(rgba, rgba + w * h * 4), w, h);
});
EM_JS(void, WebShowMessage, (const char* title, const char* message), {
  if (Module.kurunoaMessage) Module.kurunoaMessage(UTF8ToString(title), UTF8ToString(message));
});
// clang-format on

// Called by the page on keydown, keyup and when it loses focus (vk -1).
extern "C" EMSCRIPTEN_KEEPALIVE void WebKey(int vk, int down) {
  if (vk < 0) {
    std::memset(gKeys, 0, sizeof gKeys);
  } else if (vk < 256) {
    gKeys[vk] = down != 0;
  }
}

bool SdlInit(const PlatformOptions&, std::string*) {
  gStartMs = emscripten_get_now();
  return true;
}

void SdlShutdown() {}

void SdlShowWindow() { WebShowCanvas(); }

// Events reach the page while the game sleeps; there is no close request.
bool SdlPumpEvents() { return true; }

void SdlPresent(const Surface& screen) {
  const int32_t w = std::min<int32_t>(screen.Width, 512);
  const int32_t h = std::min<int32_t>(screen.Height, 368);
  for (int32_t y = 0; y < h; ++y) {
    const uint32_t* src = &screen.Pixels[static_cast<std::size_t>(y) * screen.Width];
    uint32_t* dst = &gRgba[y * w];
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = src[x];
      dst[x] = 0xFF000000u | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
    }
  }
  WebDrawCanvas(gRgba, w, h);
}

bool SdlKeyDown(int32_t vk) { return vk >= 0 && vk < 256 && gKeys[vk]; }

int32_t SdlClockMs() { return static_cast<int32_t>(emscripten_get_now() - gStartMs); }

void SdlSleepUntilMs(int32_t ms) {
  const int32_t wait = ms - SdlClockMs();
  emscripten_sleep(wait > 0 ? static_cast<unsigned>(wait) : 0);
}

void SdlMessageBox(const std::string& title, const std::string& message) {
  WebShowMessage(title.c_str(), message.c_str());
}

// The page shows the controls beside the picture and has no volume keys of
// its own, so the window's help and volume hooks have nothing to do here.
void SdlSetHelpQuery(HelpScreen (*)()) {}
void SdlSetVolumeHandler(void (*)(int32_t, int32_t, bool)) {}
