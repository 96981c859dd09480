// Pause, help and the volume display, drawn over a copy of the picture.
#include "platform/desk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t kW = 512, kH = 368;
constexpr int32_t kVolumeShownMs = 2000;
constexpr int32_t kHintShownMs = 5000;
const char* const kFont = "ＭＳ Ｐゴシック";

enum class Pause { None, Plain, Help };
Pause gPause = Pause::None;
int32_t gMusic = kVolumeSteps, gEffects = kVolumeSteps;
bool gMute = false;
// The volume display: which line changed last, and until when it shows.
enum class Shown { Music, Effects, Mute };
Shown gShown = Shown::Music;
int32_t gVolumeUntil = 0;
bool gVolumeShowing = false;
// The title's F1 hint shows for the first seconds the title is up.
bool gHintStarted = false;
int32_t gHintUntil = 0;

Surface gOverlay;
uint32_t gDrawn = ~0u;  // the overlay signature presented last

bool Before(int32_t now, int32_t until) { return until - now > 0; }

bool VolumeVisible(int32_t now) { return gVolumeShowing && Before(now, gVolumeUntil); }

bool HintVisible(HelpScreen help, int32_t now) {
  return help == HelpScreen::Title && gHintStarted && Before(now, gHintUntil);
}

void StartHint(HelpScreen help, int32_t now) {
  if (help != HelpScreen::Title || gHintStarted) return;
  gHintStarted = true;
  gHintUntil = now + kHintShownMs;
}

// What the overlays look like at now, as one number.
uint32_t Signature(HelpScreen help, int32_t now) {
  uint32_t s = static_cast<uint32_t>(gPause);
  s = s * 8 + static_cast<uint32_t>(help);
  s = s * 2 + (HintVisible(help, now) ? 1 : 0);
  s = s * 2 + (VolumeVisible(now) ? 1 : 0);
  s = s * 4 + static_cast<uint32_t>(gShown);
  s = s * 16 + static_cast<uint32_t>(gMusic);
  s = s * 16 + static_cast<uint32_t>(gEffects);
  return s * 2 + (gMute ? 1 : 0);
}

void Dim(Surface& s) {
  for (uint32_t& p : s.Pixels) p = (p >> 2) & 0x3F3F3F;
}

// A line of Japanese with its English beneath, in a smaller, greyer type.
struct Line {
  const char* Keys;
  const char* Japanese;
  const char* English;
};

const Line kIntro[] = {
    {"スペース  Space", "とばす", "skip the opening"},
    {"エスケープ  Escape", "終わる", "quit"},
};
const Line kTitle[] = {
    {"↑ ↓", "選ぶ", "choose"},
    {"スペース  Space", "決める", "confirm"},
    {"エスケープ  Escape", "終わる", "quit"},
};
const Line kPlay[] = {
    {"← ↑ → ↓", "歩く", "walk"},
    {"スペース  Space", "投げる", "throw"},
    {"端でスペース", "押し続けると休む", "hold Space at a verge to rest"},
    {"エンター  Enter", "予定表を見る", "show the whole schedule"},
    {"エスケープ  Escape", "終わる", "quit"},
};
const Line kPta[] = {
    {"スペース  Space", "次のページ", "turn the page"},
    {"エスケープ  Escape", "終わる", "quit"},
};
const Line kNameEntry[] = {
    {"A I U E O", "あ い う え お", "the vowels"},
    {"K S T N H M Y R W", "か さ た な は ま や ら わ の行",
     "a row; press again for its next kana"},
    {"G Z D B P", "が ざ だ ば ぱ の行", "the voiced rows"},
    {"X", "小さい字", "small kana"},
    {"↑ ↓", "字を一つずつ変える", "step through every syllable"},
    {"← →", "動く   Delete 消す", "move   Delete clears"},
    {"スペース  Space", "決める", "confirm the name"},
};
const Line kRecords[] = {
    {"スペース  Space", "タイトルへ", "back to the title"},
    {"エスケープ  Escape", "終わる", "quit"},
};

struct Page {
  const char* Title;
  const Line* Lines;
  int32_t Count;
};

template <std::size_t N>
constexpr Page PageOf(const char* title, const Line (&lines)[N]) {
  return {title, lines, static_cast<int32_t>(N)};
}

Page PageFor(HelpScreen help) {
  switch (help) {
    case HelpScreen::Intro:
      return PageOf("オープニング  Opening", kIntro);
    case HelpScreen::Title:
      return PageOf("タイトル  Title", kTitle);
    case HelpScreen::Play:
      return PageOf("学校生活  Play", kPlay);
    case HelpScreen::Pta:
      return PageOf("PTA会長  The PTA president", kPta);
    case HelpScreen::NameEntry:
      return PageOf("名前  The graduate's name", kNameEntry);
    case HelpScreen::Records:
      return PageOf("卒業生名簿  Records", kRecords);
  }
  return PageOf("", kIntro);
}

constexpr uint32_t kWhite = 0xFFFFFF, kGrey = 0xB0B0B0, kGold = 0xFFD860;

void DrawHelp(Surface& s, HelpScreen help) {
  const Page page = PageFor(help);
  SurfaceText(s, 24, 14, 12, true, kGold, page.Title);
  int32_t y = 44;
  for (int32_t i = 0; i < page.Count; ++i) {
    const Line& l = page.Lines[i];
    SurfaceText(s, 24, y, 9, true, kWhite, l.Keys);
    SurfaceText(s, 200, y, 9, false, kWhite, l.Japanese);
    SurfaceText(s, 200, y + 13, 8, false, kGrey, l.English);
    y += 30;
  }
  y = 270;
  SurfaceLine(s, 24, y - 6, kW - 24, y - 6, kGrey);
  SurfaceText(s, 24, y, 8, false, kWhite,
              "F1 ヘルプ Help    Pause 一時停止 Pause    F11 全画面 Fullscreen");
  SurfaceText(s, 24, y + 18, 8, false, kWhite,
              "F5 F6 音楽 Music − +    F7 F8 効果音 Effects − +    F9 消音 Mute");
  SurfaceText(s, 24, y + 46, 9, true, kGold, "キーを押すと続きます");
  SurfaceText(s, 24, y + 62, 8, false, kGrey, "Press a key to continue");
}

void DrawPaused(Surface& s) {
  const char* jp = "一時停止中";
  const char* en = "Paused: press a key to continue   (F1 help)";
  SurfaceFillBox(s, 110, 138, 401, 207, 0x000000);
  SurfaceBox(s, 110, 138, 401, 207, kGrey);
  SurfaceText(s, (kW - SurfaceTextWidth(s, 16, true, jp)) / 2, 150, 16, true, kGold, jp);
  SurfaceText(s, (kW - SurfaceTextWidth(s, 9, false, en)) / 2, 186, 9, false, kWhite, en);
}

void DrawVolume(Surface& s) {
  const char* label = gShown == Shown::Effects ? "効果音  Effects" : "音楽  Music";
  const int32_t level = gShown == Shown::Effects ? gEffects : gMusic;
  SurfaceFillBox(s, 136, 8, 375, 37, 0x000000);
  SurfaceBox(s, 136, 8, 375, 37, kGrey);
  if (gMute) {
    SurfaceText(s, 148, 14, 10, true, kGold, "消音  Mute (F9)");
    return;
  }
  SurfaceText(s, 148, 14, 10, true, kWhite, label);
  for (int32_t i = 0; i < kVolumeSteps; ++i) {
    const int32_t x = 262 + i * 11;
    if (i < level) {
      SurfaceFillBox(s, x, 16, x + 8, 29, kGold);
    } else {
      SurfaceBox(s, x, 16, x + 8, 29, kGrey);
    }
  }
}

void DrawHint(Surface& s) {
  const char* hint = "F1  ヘルプ Help";
  const int32_t w = SurfaceTextWidth(s, 8, false, hint);
  SurfaceFillBox(s, kW - w - 18, kH - 26, kW - 6, kH - 7, 0x000000);
  SurfaceText(s, kW - w - 12, kH - 23, 8, false, kWhite, hint);
}

}  // namespace

bool DeskReservedVk(int32_t vk) {
  return vk == kVkFullscreen || DeskKeyForVk(vk) != DeskKey::Other;
}

DeskKey DeskKeyForVk(int32_t vk) {
  switch (vk) {
    case kVkHelp:
      return DeskKey::Help;
    case kVkPause:
      return DeskKey::Pause;
    case kVkMusicDown:
      return DeskKey::MusicDown;
    case kVkMusicUp:
      return DeskKey::MusicUp;
    case kVkEffectsDown:
      return DeskKey::EffectsDown;
    case kVkEffectsUp:
      return DeskKey::EffectsUp;
    case kVkMute:
      return DeskKey::Mute;
    default:
      return DeskKey::Other;
  }
}

void DeskReset(int32_t music, int32_t effects, bool mute) {
  gPause = Pause::None;
  gMusic = std::clamp(music, 0, kVolumeSteps);
  gEffects = std::clamp(effects, 0, kVolumeSteps);
  gMute = mute;
  gVolumeShowing = false;
  gHintStarted = false;
  gDrawn = ~0u;
}

bool DeskKeyPressed(DeskKey key, int32_t nowMs) {
  auto step = [&](int32_t& level, int32_t by, Shown shown) {
    level = std::clamp(level + by, 0, kVolumeSteps);
    gShown = shown;
    // A volume key is a wish to hear: it lifts the mute.
    gMute = false;
    gVolumeShowing = true;
    gVolumeUntil = nowMs + kVolumeShownMs;
    return true;
  };
  switch (key) {
    case DeskKey::MusicDown:
      return step(gMusic, -1, Shown::Music);
    case DeskKey::MusicUp:
      return step(gMusic, 1, Shown::Music);
    case DeskKey::EffectsDown:
      return step(gEffects, -1, Shown::Effects);
    case DeskKey::EffectsUp:
      return step(gEffects, 1, Shown::Effects);
    case DeskKey::Mute:
      gMute = !gMute;
      gShown = Shown::Mute;
      gVolumeShowing = true;
      gVolumeUntil = nowMs + kVolumeShownMs;
      return true;
    case DeskKey::Help:
      // F1 opens the help, or closes it again.
      gPause = gPause == Pause::Help ? Pause::None : Pause::Help;
      return false;
    case DeskKey::Pause:
      gPause = gPause == Pause::None ? Pause::Plain : Pause::None;
      return false;
    case DeskKey::Other:
      gPause = Pause::None;
      return false;
  }
  return false;
}

void DeskFocusLost() {
  if (gPause == Pause::None) gPause = Pause::Plain;
}

bool DeskPaused() { return gPause != Pause::None; }
bool DeskHelpShown() { return gPause == Pause::Help; }
int32_t DeskMusic() { return gMusic; }
int32_t DeskEffects() { return gEffects; }
bool DeskMute() { return gMute; }

const Surface& DeskCompose(const Surface& screen, HelpScreen help, int32_t nowMs) {
  StartHint(help, nowMs);
  gDrawn = Signature(help, nowMs);
  const bool volume = VolumeVisible(nowMs);
  const bool hint = HintVisible(help, nowMs) && gPause == Pause::None;
  if (gPause == Pause::None && !volume && !hint) return screen;
  if (gOverlay.Width != kW) {
    SurfaceResize(gOverlay, kW, kH, 0);
    gOverlay.FontName = kFont;
  }
  const int32_t rows = std::min(kH, screen.Height);
  const int32_t cols = std::min(kW, screen.Width);
  for (int32_t y = 0; y < rows; ++y) {
    std::memcpy(&gOverlay.Pixels[y * kW], &screen.Pixels[y * screen.Width],
                sizeof(uint32_t) * cols);
  }
  if (gPause != Pause::None) Dim(gOverlay);
  if (gPause == Pause::Help) DrawHelp(gOverlay, help);
  if (gPause == Pause::Plain) DrawPaused(gOverlay);
  if (volume) DrawVolume(gOverlay);
  if (hint) DrawHint(gOverlay);
  return gOverlay;
}

bool DeskNeedsRedraw(HelpScreen help, int32_t nowMs) {
  StartHint(help, nowMs);
  return Signature(help, nowMs) != gDrawn;
}

int32_t DeskNextChangeMs(HelpScreen help, int32_t nowMs) {
  int32_t next = -1;
  auto consider = [&](bool visible, int32_t until) {
    if (!visible) return;
    const int32_t left = std::max(until - nowMs, 0);
    next = next < 0 ? left : std::min(next, left);
  };
  consider(VolumeVisible(nowMs), gVolumeUntil);
  consider(HintVisible(help, nowMs), gHintUntil);
  return next;
}
