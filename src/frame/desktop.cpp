#include "frame/desktop.h"

#include "frame/frame.h"
#include "frame/session.h"
#include "platform/settings.h"
#include "sound/sound.h"

namespace {

HelpScreen HelpForMode() {
  switch (GameMode) {
    case -1:
      return HelpScreen::Intro;
    case 1:
      return HelpScreen::Play;
    case 2:
      return HelpScreen::NameEntry;
    case 3:
      return HelpScreen::Records;
    case 6:
      return HelpScreen::Pta;
    default:
      return HelpScreen::Title;
  }
}

// Levels are heard roughly evenly spaced when the gain goes with the square.
float Gain(int32_t level) {
  const float g = static_cast<float>(level) / 10.0f;
  return g * g;
}

void ApplyVolume(int32_t music, int32_t effects, bool mute) {
  SoundSetVolume(Gain(music), Gain(effects), mute);
}

}  // namespace

PlatformOptions DesktopOptions() {
  PlatformOptions po;
  po.Headless = Options.Headless;
  if (!po.Headless) {
    po.SettingsFile = SettingsPath();
    po.Saved = SettingsLoad(po.SettingsFile);
  }
  po.Run = po.Saved;
  po.Scale = Options.Scale > 0 ? Options.Scale : po.Saved.Scale;
  po.Smooth = Options.Smooth || po.Saved.Smooth;
  po.Fullscreen = Options.Fullscreen || po.Saved.Fullscreen;
  return po;
}

void DesktopConnect() {
  PlatformSetHelpQuery(HelpForMode);
  PlatformSetVolumeHandler(ApplyVolume);
}
