// The browser build opens no audio device of its own: the page plays the
// music rendered at build time and the shipped effects (page.js), following
// the player's commands, and its audio clock gives the music position. Until
// the page's audio runs (after the first key press), and in headless runs,
// the music keeps time by the clock, as with the desktop's silent driver.
#include <emscripten.h>

#include "platform/audio.h"

// clang-format off
EM_JS(void, WebMusicCommand, (const char* text, int length), {
  if (Module.kurunoaAudio) Module.kurunoaAudio.command(UTF8ToString(text, length));
});
EM_JS(double, WebMusicPosition, (), {
  return Module.kurunoaAudio ? Module.kurunoaAudio.position() : -1;
});
EM_JS(void, WebEffect, (int n), {
  if (Module.kurunoaAudio) Module.kurunoaAudio.effect(n);
});
// clang-format on

bool SdlAudioOpen(AudioCallback, AudioFormat* format, std::string* message) {
  *format = AudioFormat{};
  message->clear();
  return false;
}

void SdlAudioStart() {}
void SdlAudioLock() {}
void SdlAudioUnlock() {}
void SdlAudioClose() {}

void AudioMusicCommand(std::string_view command) {
  WebMusicCommand(command.data(), static_cast<int>(command.size()));
}

bool AudioMusicPositionMs(int64_t* ms) {
  const double at = WebMusicPosition();
  if (at < 0) return false;
  *ms = static_cast<int64_t>(at);
  return true;
}

void AudioEffectStart(int32_t n) { WebEffect(n); }
