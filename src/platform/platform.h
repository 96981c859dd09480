// The thin layer between the game and the machine: our own pixel surfaces
// with blits, lines, boxes and text, and the window, keyboard, clocks and
// event pump with two backends (an SDL2 window for players, a headless one
// with a virtual clock and scripted keys for tests and tools).
// Nothing above this layer includes SDL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A 24-bit colour, 0x00RRGGBB.
constexpr uint32_t RGB(int r, int g, int b) {
  return (static_cast<uint32_t>(r & 255) << 16) | (static_cast<uint32_t>(g & 255) << 8) |
         static_cast<uint32_t>(b & 255);
}

// Raster operations (the standard ternary codes).
constexpr int32_t SRCCOPY = 0xCC0020;
constexpr int32_t SRCPAINT = 0xEE0086;
constexpr int32_t SRCAND = 0x8800C6;

// A picture surface: 24-bit pixels (kept one per 32-bit word, top byte 0)
// plus the drawing state that persists between calls, as on a picture box.
struct Surface {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Pixels;
  std::string FontName;            // used by SurfaceText
  int32_t LineWidth = 1;           // 1 or 2, used by lines and boxes
  uint32_t BackColour = 0xFFFFFF;  // what a clear fills with
  bool Dirty = false;              // set by every write; the screen is presented when dirty
};

void SurfaceResize(Surface& s, int32_t w, int32_t h, uint32_t fill);
void SurfaceClear(Surface& s, uint32_t colour);
// Rectangle copy with SRCCOPY, SRCPAINT or SRCAND, clipped to both surfaces;
// source pixels outside src leave the destination unchanged.
void SurfaceBlit(Surface& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& src,
                 int32_t sx, int32_t sy, int32_t rop);
// Lines include both end points; boxes include both corners. A pen of width
// 2 covers the coordinate and the one before it.
void SurfaceLine(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void SurfaceBox(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void SurfaceFillBox(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// UTF-8 text in s.FontName: top of the line at y, transparent background.
// Drawing and measuring stop once the pen is well past the right edge.
void SurfaceText(Surface& s, int32_t x, int32_t y, int32_t points, bool bold, uint32_t colour,
                 std::string_view utf8);
// The font file a font name resolves to (for diagnostics and tests).
std::string FontFileFor(std::string_view name);
// Width in pixels that SurfaceText would advance (up to a little more than
// the surface's width).
int32_t SurfaceTextWidth(const Surface& s, int32_t points, bool bold, std::string_view utf8);

// PNG files (24-bit RGB). Loading accepts any PNG that libpng can expand.
bool SurfaceLoadPng(Surface& s, const unsigned char* data, std::size_t size, std::string* error);
bool SurfaceLoadPngFile(Surface& s, const std::string& path, std::string* error);
// Writes the top-left w x h of s.
bool SurfaceSavePng(const Surface& s, int32_t w, int32_t h, const std::string& path,
                    std::string* error);

// Artwork compiled into the program (assets/*.png), by file name.
const unsigned char* EmbeddedAsset(const char* name, std::size_t* size);

// ---- Backend -------------------------------------------------------------

// What the player can set, kept in settings.ini between runs.
struct Settings {
  int32_t Scale = 0;  // 0 = largest that fits
  bool Fullscreen = false;
  bool Smooth = false;  // "fit": the largest aspect-correct size, smoothly filtered
  int32_t Music = 10;   // volume levels 0..10
  int32_t Effects = 10;
  bool Mute = false;
  // Extra keys for the play keys, by virtual-key code (0: none), in the
  // order of kBindingNames.
  int32_t Bind[7] = {};
};
constexpr const char* kBindingNames[7] = {"up",    "down",  "left",  "right",
                                          "space", "enter", "escape"};
constexpr int32_t kBindingVks[7] = {38, 40, 37, 39, 32, 13, 27};

struct PlatformOptions {
  bool Headless = false;
  int32_t Scale = 0;  // 0 = largest that fits
  bool Smooth = false;
  bool Fullscreen = false;
  // This run's volume and key bindings; the settings as saved, which the
  // window updates and writes to SettingsFile when the player changes one
  // (options given on the command line are never saved).
  Settings Run;
  Settings Saved;
  std::string SettingsFile;
};

// The screen whose controls the help shows.
enum class HelpScreen { Intro, Title, Play, Pta, NameEntry, Records };
// The game says which screen it shows; the window asks when it draws help.
void PlatformSetHelpQuery(HelpScreen (*query)());
// Called with the volume levels and mute at start-up and whenever the
// player changes them in the window (never in the headless backend).
void PlatformSetVolumeHandler(void (*handler)(int32_t music, int32_t effects, bool mute));

// Opens the backend (the window stays hidden until PlatformShowWindow).
bool PlatformInit(const PlatformOptions& options, std::string* error);
bool PlatformHeadless();
void PlatformShowWindow();
void PlatformShutdown();
// The surface shown in the window (its top 368 rows).
void PlatformSetScreen(Surface* screen);
// Processes pending window events once and presents the screen if written.
// A close request calls the close handler, which ends the process.
void PlatformPumpEvents();
void PlatformPresentIfDirty();
void PlatformSetCloseHandler(void (*handler)());
// Millisecond clocks: the frame clock and the tick counter. Headless, both
// are one virtual clock that moves only when the program waits.
int32_t PlatformClockMs();
int32_t PlatformTickMs();
// Waits until the frame clock reaches the value (headless: sets it). The SDL
// backend sleeps until about 2 ms before, then pumps events until it passes.
void PlatformWaitClock(int32_t target, bool pumpEvents);
// Keyboard by Windows virtual-key code. PlatformBeginPoll is called at the
// start of each keyboard poll with its number, so scripted keys change there.
void PlatformBeginPoll(int64_t pollNumber);
bool PlatformKeyDown(int32_t vk);
// Reports a fatal error: a message box when a display exists.
void PlatformMessageBox(const std::string& title, const std::string& message);

// The headless keyboard script: at poll P the held keys become Keys.
struct KeyChange {
  int64_t Poll = 0;
  std::vector<int32_t> Keys;
};
// Parses the --input format; on error returns false with "line N: ...".
bool ParseKeyScript(std::string_view text, std::vector<KeyChange>* out, std::string* error);
bool ParseKeyName(std::string_view name, int32_t* vk);
// The name ParseKeyName reads back for a code (buf holds at least 8 bytes).
const char* KeyNameOf(int32_t vk, char* buf);

void PlatformSetKeyScript(std::vector<KeyChange> script);
