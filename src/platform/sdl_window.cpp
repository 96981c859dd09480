// The player's window: SDL2 video, keyboard and clock. The 512 x 368
// picture is scaled once at present time, by an integer factor.
#include "platform/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

SDL_Window* gWindow = nullptr;
SDL_Renderer* gRenderer = nullptr;
SDL_Texture* gTexture = nullptr;
const Surface* gLastScreen = nullptr;
int32_t gScale = 1;
constexpr int32_t kW = 512, kH = 368;

// Windows virtual-key code -> SDL scancodes (up to two per code).
struct KeyMap {
  SDL_Scancode A = SDL_SCANCODE_UNKNOWN, B = SDL_SCANCODE_UNKNOWN;
};
KeyMap gKeys[256];

// Game controllers, opened as they are plugged in.
constexpr int kMaxPads = 4;
SDL_GameController* gPads[kMaxPads] = {};
constexpr Sint16 kStickThreshold = 16000;

void OpenPad(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  for (SDL_GameController*& p : gPads) {
    if (!p) {
      p = SDL_GameControllerOpen(deviceIndex);
      return;
    }
  }
}

void ClosePad(SDL_JoystickID id) {
  for (SDL_GameController*& p : gPads) {
    if (p && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(p)) == id) {
      SDL_GameControllerClose(p);
      p = nullptr;
    }
  }
}

// The d-pad and left stick act as the arrows, A as Space, Start as Enter,
// Back as Escape.
bool PadHolds(int32_t vk) {
  for (SDL_GameController* p : gPads) {
    if (!p) continue;
    auto button = [p](SDL_GameControllerButton b) {
      return SDL_GameControllerGetButton(p, b) != 0;
    };
    const Sint16 x = SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_LEFTX);
    const Sint16 y = SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_LEFTY);
    bool held = false;
    switch (vk) {
      case 32:
        held = button(SDL_CONTROLLER_BUTTON_A);
        break;
      case 13:
        held = button(SDL_CONTROLLER_BUTTON_START);
        break;
      case 27:
        held = button(SDL_CONTROLLER_BUTTON_BACK);
        break;
      case 37:
        held = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || x < -kStickThreshold;
        break;
      case 38:
        held = button(SDL_CONTROLLER_BUTTON_DPAD_UP) || y < -kStickThreshold;
        break;
      case 39:
        held = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || x > kStickThreshold;
        break;
      case 40:
        held = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || y > kStickThreshold;
        break;
      default:
        break;
    }
    if (held) return true;
  }
  return false;
}

void BuildKeyMap() {
  auto set = [](int vk, SDL_Scancode a, SDL_Scancode b = SDL_SCANCODE_UNKNOWN) {
    gKeys[vk].A = a;
    gKeys[vk].B = b;
  };
  set(8, SDL_SCANCODE_BACKSPACE);
  set(9, SDL_SCANCODE_TAB);
  set(13, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER);
  set(16, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT);
  set(17, SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL);
  set(18, SDL_SCANCODE_LALT, SDL_SCANCODE_RALT);
  set(19, SDL_SCANCODE_PAUSE);
  set(20, SDL_SCANCODE_CAPSLOCK);
  set(27, SDL_SCANCODE_ESCAPE);
  set(32, SDL_SCANCODE_SPACE);
  set(33, SDL_SCANCODE_PAGEUP);
  set(34, SDL_SCANCODE_PAGEDOWN);
  set(35, SDL_SCANCODE_END);
  set(36, SDL_SCANCODE_HOME);
  set(37, SDL_SCANCODE_LEFT);
  set(38, SDL_SCANCODE_UP);
  set(39, SDL_SCANCODE_RIGHT);
  set(40, SDL_SCANCODE_DOWN);
  set(45, SDL_SCANCODE_INSERT);
  set(46, SDL_SCANCODE_DELETE);
  set(48, SDL_SCANCODE_0);
  for (int d = 1; d <= 9; ++d) set(48 + d, static_cast<SDL_Scancode>(SDL_SCANCODE_1 + d - 1));
  for (int l = 0; l < 26; ++l) set(65 + l, static_cast<SDL_Scancode>(SDL_SCANCODE_A + l));
  set(96, SDL_SCANCODE_KP_0);
  for (int d = 1; d <= 9; ++d) set(96 + d, static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + d - 1));
  set(106, SDL_SCANCODE_KP_MULTIPLY);
  set(107, SDL_SCANCODE_KP_PLUS);
  set(109, SDL_SCANCODE_KP_MINUS);
  set(110, SDL_SCANCODE_KP_PERIOD);
  set(111, SDL_SCANCODE_KP_DIVIDE);
  for (int f = 0; f < 12; ++f) set(112 + f, static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + f));
}

int32_t LargestScaleThatFits() {
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
  int32_t scale = 1;
  // Leave room for the window's decorations.
  while (scale < 6 && kW * (scale + 1) <= usable.w - 16 && kH * (scale + 1) <= usable.h - 48) {
    ++scale;
  }
  return scale;
}

void SetIcon() {
  std::size_t size = 0;
  const unsigned char* data = EmbeddedAsset("icon.png", &size);
  if (!data) return;
  Surface icon;
  std::string error;
  if (!SurfaceLoadPng(icon, data, size, &error)) return;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(icon.Pixels.data(), icon.Width, icon.Height,
                                                      32, icon.Width * 4, SDL_PIXELFORMAT_RGB888);
  if (!s) return;
  SDL_SetWindowIcon(gWindow, s);
  SDL_FreeSurface(s);
}

void ToggleFullscreen() {
  const bool full = (SDL_GetWindowFlags(gWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  SDL_SetWindowFullscreen(gWindow, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (gLastScreen) SdlPresent(*gLastScreen);
}

}  // namespace

bool SdlInit(const PlatformOptions& options, std::string* error) {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    *error = std::string("no display available (") + SDL_GetError() +
             "); run with --headless to play without a window";
    return false;
  }
  // Without a display SDL falls back to drivers that show nothing; a player
  // is better told to use --headless than left with an invisible game.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) &&
      !SDL_getenv("SDL_VIDEODRIVER")) {
    *error = "no display available; run with --headless to play without a window";
    SDL_Quit();
    return false;
  }
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "kurunoa: game controllers unavailable: %s\n", SDL_GetError());
  }
  BuildKeyMap();
  gScale = options.Scale > 0 ? options.Scale : LargestScaleThatFits();
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, options.Smooth ? "linear" : "nearest");
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (options.Fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  gWindow = SDL_CreateWindow("Kurunoa", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kW * gScale,
                             kH * gScale, flags);
  if (!gWindow) {
    *error = std::string("the window could not be opened (") + SDL_GetError() +
             "); run with --headless to play without a window";
    SDL_Quit();
    return false;
  }
  gRenderer = SDL_CreateRenderer(gWindow, -1, 0);
  if (!gRenderer) gRenderer = SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_SOFTWARE);
  if (!gRenderer) {
    *error = std::string("no renderer for the window: ") + SDL_GetError();
    SDL_DestroyWindow(gWindow);
    SDL_Quit();
    return false;
  }
  SDL_RenderSetLogicalSize(gRenderer, kW, kH);
  SDL_RenderSetIntegerScale(gRenderer, SDL_TRUE);
  gTexture =
      SDL_CreateTexture(gRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kW, kH);
  SetIcon();
  return true;
}

void SdlShutdown() {
  for (SDL_GameController*& p : gPads) {
    if (p) SDL_GameControllerClose(p);
    p = nullptr;
  }
  if (gTexture) SDL_DestroyTexture(gTexture);
  if (gRenderer) SDL_DestroyRenderer(gRenderer);
  if (gWindow) SDL_DestroyWindow(gWindow);
  gTexture = nullptr;
  gRenderer = nullptr;
  gWindow = nullptr;
  SDL_Quit();
}

void SdlShowWindow() {
  SDL_ShowWindow(gWindow);
  SDL_RaiseWindow(gWindow);
}

bool SdlPumpEvents() {
  SDL_Event e;
  bool open = true;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:
        open = false;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) open = false;
        if ((e.window.event == SDL_WINDOWEVENT_EXPOSED ||
             e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) &&
            gLastScreen) {
          SdlPresent(*gLastScreen);
        }
        break;
      case SDL_CONTROLLERDEVICEADDED:
        OpenPad(e.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
        ClosePad(e.cdevice.which);
        break;
      case SDL_KEYDOWN:
        if (!e.key.repeat &&
            (e.key.keysym.scancode == SDL_SCANCODE_F11 ||
             (e.key.keysym.scancode == SDL_SCANCODE_RETURN && (e.key.keysym.mod & KMOD_ALT)))) {
          ToggleFullscreen();
        }
        break;
      default:
        break;
    }
  }
  return open;
}

void SdlPresent(const Surface& screen) {
  gLastScreen = &screen;
  if (!gTexture) return;
  SDL_UpdateTexture(gTexture, nullptr, screen.Pixels.data(), screen.Width * 4);
  SDL_SetRenderDrawColor(gRenderer, 0, 0, 0, 255);
  SDL_RenderClear(gRenderer);
  SDL_Rect src{0, 0, kW, kH};
  SDL_RenderCopy(gRenderer, gTexture, &src, nullptr);
  SDL_RenderPresent(gRenderer);
}

bool SdlKeyDown(int32_t vk) {
  if (vk == 1 || vk == 2 || vk == 4) {
    // Mouse buttons count only over our own window.
    if (SDL_GetMouseFocus() != gWindow) return false;
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    const Uint32 mask = vk == 1 ? SDL_BUTTON_LMASK : vk == 2 ? SDL_BUTTON_RMASK : SDL_BUTTON_MMASK;
    return (buttons & mask) != 0;
  }
  if (PadHolds(vk)) return true;
  const KeyMap& k = gKeys[vk & 255];
  if (k.A == SDL_SCANCODE_UNKNOWN) return false;
  // SDL keeps the state of our own window only: presses elsewhere never show.
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  return state[k.A] || (k.B != SDL_SCANCODE_UNKNOWN && state[k.B]);
}

// The frame clock: whole milliseconds since start-up on the monotonic
// clock, so a wait can sleep to the exact instant its millisecond begins.
const std::chrono::steady_clock::time_point gEpoch = std::chrono::steady_clock::now();

int32_t SdlClockMs() {
  return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - gEpoch)
                                  .count());
}

void SdlSleepUntilMs(int32_t ms) {
  std::this_thread::sleep_until(gEpoch + std::chrono::milliseconds(ms));
}

void SdlMessageBox(const std::string& title, const std::string& message) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), gWindow);
}
