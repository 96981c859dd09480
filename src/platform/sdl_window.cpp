// The player's window: SDL2 video, keyboard and clock. The 512 x 368
// picture is scaled once at present time: by the largest whole number that
// fits, or ("fit") to the largest aspect-correct size, smoothly filtered.
// The window also pauses the game (the frame clock and the audio device
// stand still) and shows the desktop conveniences over the picture.
#include "platform/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/audio.h"
#include "platform/desk.h"
#include "platform/settings.h"

namespace {

SDL_Window* gWindow = nullptr;
SDL_Renderer* gRenderer = nullptr;
SDL_Texture* gTexture = nullptr;
const Surface* gLastScreen = nullptr;
int32_t gScale = 1;
bool gSmooth = false;
constexpr int32_t kW = 512, kH = 368;

// The settings as saved, and where; changes made in the window go there.
Settings gSaved;
std::string gSettingsFile;
void (*gVolumeHandler)(int32_t, int32_t, bool) = nullptr;
HelpScreen (*gHelpQuery)() = nullptr;

// Milliseconds spent paused: the frame clock leaves them out.
int64_t gPausedMs = 0;
// Keys held when the game resumed count only once released.
bool gMasked[SDL_NUM_SCANCODES] = {};
// Extra keys for the play keys: Extra counts as Vk.
struct Binding {
  int32_t Extra = 0, Vk = 0;
};
Binding gBindings[7];
int32_t gBindingCount = 0;
// The cursor hides in fullscreen and after a while without motion.
constexpr Uint32 kCursorIdleMs = 2000;
Uint32 gLastMotion = 0;
bool gCursorShown = true;

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
enum PadInput { kPadA, kPadStart, kPadBack, kPadLeft, kPadUp, kPadRight, kPadDown, kPadInputs };
// Inputs held when the game resumed count only once released, like keys.
bool gPadMasked[kPadInputs] = {};

int PadInputForVk(int32_t vk) {
  switch (vk) {
    case 32:
      return kPadA;
    case 13:
      return kPadStart;
    case 27:
      return kPadBack;
    case 37:
      return kPadLeft;
    case 38:
      return kPadUp;
    case 39:
      return kPadRight;
    case 40:
      return kPadDown;
    default:
      return -1;
  }
}

bool AnyPadHolds(int input) {
  for (SDL_GameController* p : gPads) {
    if (!p) continue;
    auto button = [p](SDL_GameControllerButton b) {
      return SDL_GameControllerGetButton(p, b) != 0;
    };
    const Sint16 x = SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_LEFTX);
    const Sint16 y = SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_LEFTY);
    bool held = false;
    switch (input) {
      case kPadA:
        held = button(SDL_CONTROLLER_BUTTON_A);
        break;
      case kPadStart:
        held = button(SDL_CONTROLLER_BUTTON_START);
        break;
      case kPadBack:
        held = button(SDL_CONTROLLER_BUTTON_BACK);
        break;
      case kPadLeft:
        held = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || x < -kStickThreshold;
        break;
      case kPadUp:
        held = button(SDL_CONTROLLER_BUTTON_DPAD_UP) || y < -kStickThreshold;
        break;
      case kPadRight:
        held = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || x > kStickThreshold;
        break;
      case kPadDown:
        held = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || y > kStickThreshold;
        break;
      default:
        break;
    }
    if (held) return true;
  }
  return false;
}

bool PadHolds(int32_t vk) {
  const int input = PadInputForVk(vk);
  return input >= 0 && !gPadMasked[input] && AnyPadHolds(input);
}

void MaskHeldPadInputs() {
  for (int i = 0; i < kPadInputs; ++i) gPadMasked[i] = AnyPadHolds(i);
}

// At every pump, so that a release between two polls is not missed.
void UnmaskReleasedPadInputs() {
  for (int i = 0; i < kPadInputs; ++i) {
    if (gPadMasked[i] && !AnyPadHolds(i)) gPadMasked[i] = false;
  }
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
  // Letters follow the layout: the key that types a letter gives its code.
  // A layout without that letter keeps the key in its usual position.
  for (int l = 0; l < 26; ++l) {
    const SDL_Scancode byLayout = SDL_GetScancodeFromKey(static_cast<SDL_Keycode>(SDLK_a + l));
    set(65 + l, byLayout != SDL_SCANCODE_UNKNOWN ? byLayout
                                                 : static_cast<SDL_Scancode>(SDL_SCANCODE_A + l));
  }
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

int32_t RealMs() { return static_cast<int32_t>(SDL_GetTicks()); }

HelpScreen CurrentHelp() { return gHelpQuery ? gHelpQuery() : HelpScreen::Title; }

void SaveSettings() {
  if (!gSettingsFile.empty()) SettingsSave(gSettingsFile, gSaved);
}

void VolumeChanged() {
  gSaved.Music = DeskMusic();
  gSaved.Effects = DeskEffects();
  gSaved.Mute = DeskMute();
  if (gVolumeHandler) gVolumeHandler(DeskMusic(), DeskEffects(), DeskMute());
  SaveSettings();
}

bool Fullscreen() { return (SDL_GetWindowFlags(gWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; }

void UpdateCursor() {
  const bool show = !Fullscreen() && SDL_GetTicks() - gLastMotion < kCursorIdleMs;
  if (show != gCursorShown) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  gCursorShown = show;
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
  const bool full = !Fullscreen();
  SDL_SetWindowFullscreen(gWindow, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  gSaved.Fullscreen = full;
  SaveSettings();
  UpdateCursor();
  if (gLastScreen) SdlPresent(*gLastScreen);
}

int32_t VkForScancode(SDL_Scancode sc) {
  for (int32_t vk = 0; vk < 256; ++vk) {
    if (gKeys[vk].A == sc || gKeys[vk].B == sc) return vk;
  }
  return 0;
}

// The player resized the window: the next start opens at the whole-number
// scale this size holds. (Full screen and the program's own sizing leave the
// setting alone.)
void RememberWindowSize(int32_t w, int32_t h) {
  if (SDL_GetWindowFlags(gWindow) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP)) return;
  const int32_t scale = std::min(w / kW, h / kH);
  if (scale < 1 || scale == gScale) return;
  gScale = scale;
  gSaved.Scale = scale;
  SaveSettings();
}

// On resuming: the keys and controller inputs held now (and the key that
// resumed) reach the game only once released.
void MaskHeldInputs(SDL_Scancode pressed) {
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) gMasked[sc] = state[sc] != 0;
  if (pressed != SDL_SCANCODE_UNKNOWN) gMasked[pressed] = true;
  MaskHeldPadInputs();
}

// One event; false when it asks to close.
bool HandleEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      return false;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          return false;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
          DeskFocusLost();
          break;
        case SDL_WINDOWEVENT_RESIZED:
          RememberWindowSize(e.window.data1, e.window.data2);
          if (gLastScreen) SdlPresent(*gLastScreen);
          break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          if (gLastScreen) SdlPresent(*gLastScreen);
          break;
        default:
          break;
      }
      break;
    case SDL_KEYMAPCHANGED:
      BuildKeyMap();
      break;
    case SDL_MOUSEMOTION:
      gLastMotion = SDL_GetTicks();
      UpdateCursor();
      break;
    case SDL_CONTROLLERDEVICEADDED:
      OpenPad(e.cdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      ClosePad(e.cdevice.which);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
      // A controller player resumes with any button; what is held then
      // reaches the game only once released.
      if (DeskPaused()) {
        DeskKeyPressed(DeskKey::Other, RealMs());
        if (!DeskPaused()) MaskHeldInputs(SDL_SCANCODE_UNKNOWN);
      }
      break;
    case SDL_KEYUP:
      gMasked[e.key.keysym.scancode] = false;
      break;
    case SDL_KEYDOWN: {
      if (e.key.repeat) break;
      const SDL_Scancode sc = e.key.keysym.scancode;
      if (sc == SDL_SCANCODE_F11 || (sc == SDL_SCANCODE_RETURN && (e.key.keysym.mod & KMOD_ALT))) {
        ToggleFullscreen();
        break;
      }
      const bool modifier = sc == SDL_SCANCODE_LSHIFT || sc == SDL_SCANCODE_RSHIFT ||
                            sc == SDL_SCANCODE_LCTRL || sc == SDL_SCANCODE_RCTRL ||
                            sc == SDL_SCANCODE_LALT || sc == SDL_SCANCODE_RALT ||
                            sc == SDL_SCANCODE_LGUI || sc == SDL_SCANCODE_RGUI;
      const DeskKey key = DeskKeyForVk(VkForScancode(sc));
      // While the game runs, only the desktop's own keys concern us; while
      // it is paused, any other key resumes it.
      if (key == DeskKey::Other && (!DeskPaused() || modifier)) break;
      const bool wasPaused = DeskPaused();
      if (DeskKeyPressed(key, RealMs())) VolumeChanged();
      if (wasPaused && !DeskPaused()) MaskHeldInputs(sc);
      break;
    }
    default:
      break;
  }
  return true;
}

// Holds the game still until a key resumes it; the overlays are shown
// meanwhile. False when the player closed the window.
bool RunPaused() {
  const auto from = std::chrono::steady_clock::now();
  SdlAudioPause(true);
  bool open = true;
  while (open && DeskPaused()) {
    if (gLastScreen && DeskNeedsRedraw(CurrentHelp(), RealMs())) SdlPresent(*gLastScreen);
    const int32_t next = DeskNextChangeMs(CurrentHelp(), RealMs());
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, next < 0 ? 1000 : next + 1)) open = HandleEvent(e);
  }
  gPausedMs +=
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - from)
          .count();
  SdlAudioPause(false);
  if (gLastScreen) SdlPresent(*gLastScreen);
  return open;
}

// The largest window of whole-number scale the usable area takes; a scale
// asked for beyond it is brought down, with one line.
int32_t ClampScale(int32_t wanted) {
  const int32_t fits = LargestScaleThatFits();
  if (wanted <= fits) return wanted;
  std::fprintf(stderr, "kurunoa: scale %d does not fit the screen; using %d\n", wanted, fits);
  return fits;
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
  gBindingCount = 0;
  for (int i = 0; i < 7; ++i) {
    const int32_t extra = options.Run.Bind[i];
    if (extra > 0 && extra < 256) gBindings[gBindingCount++] = {extra, kBindingVks[i]};
  }
  gSaved = options.Saved;
  gSettingsFile = options.SettingsFile;
  DeskReset(options.Run.Music, options.Run.Effects, options.Run.Mute);
  gScale = options.Scale > 0 ? ClampScale(options.Scale) : LargestScaleThatFits();
  gSmooth = options.Smooth;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, options.Smooth ? "linear" : "nearest");
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
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
  SDL_RenderSetIntegerScale(gRenderer, gSmooth ? SDL_FALSE : SDL_TRUE);
  SDL_SetWindowMinimumSize(gWindow, kW, kH);
  gLastMotion = SDL_GetTicks();
  UpdateCursor();
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
  while (open && SDL_PollEvent(&e)) open = HandleEvent(e);
  UnmaskReleasedPadInputs();
  if (open && DeskPaused()) open = RunPaused();
  if (gCursorShown) UpdateCursor();
  if (gLastScreen && DeskNeedsRedraw(CurrentHelp(), RealMs())) SdlPresent(*gLastScreen);
  return open;
}

void SdlSetHelpQuery(HelpScreen (*query)()) { gHelpQuery = query; }

void SdlSetVolumeHandler(void (*handler)(int32_t, int32_t, bool)) {
  gVolumeHandler = handler;
  if (handler) handler(DeskMusic(), DeskEffects(), DeskMute());
}

void SdlPresent(const Surface& screen) {
  gLastScreen = &screen;
  if (!gTexture) return;
  const Surface& picture = DeskCompose(screen, CurrentHelp(), RealMs());
  SDL_UpdateTexture(gTexture, nullptr, picture.Pixels.data(), picture.Width * 4);
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
  // The desktop's own keys never reach the game.
  if (DeskReservedVk(vk)) return false;
  if (PadHolds(vk)) return true;
  // SDL keeps the state of our own window only: presses elsewhere never show.
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  auto held = [state](int32_t code) {
    const KeyMap& k = gKeys[code & 255];
    auto one = [state](SDL_Scancode sc) {
      return sc != SDL_SCANCODE_UNKNOWN && state[sc] && !gMasked[sc];
    };
    return one(k.A) || one(k.B);
  };
  if (held(vk)) return true;
  for (int32_t i = 0; i < gBindingCount; ++i) {
    if (gBindings[i].Vk == vk && held(gBindings[i].Extra)) return true;
  }
  return false;
}

// The frame clock: whole milliseconds since start-up on the monotonic
// clock, so a wait can sleep to the exact instant its millisecond begins.
const std::chrono::steady_clock::time_point gEpoch = std::chrono::steady_clock::now();

// Time spent paused is left out.
int32_t SdlClockMs() {
  return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - gEpoch)
                                  .count() -
                              gPausedMs);
}

void SdlSleepUntilMs(int32_t ms) {
  std::this_thread::sleep_until(gEpoch + std::chrono::milliseconds(ms + gPausedMs));
}

void SdlMessageBox(const std::string& title, const std::string& message) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), gWindow);
}
