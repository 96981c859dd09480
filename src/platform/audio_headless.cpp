// The headless backend has no audio device: the music keeps time by the
// virtual clock instead, and nothing is rendered.
#include "platform/audio.h"
#include "platform/platform.h"

namespace {
bool UsingSdl = false;
}

bool AudioOpen(AudioCallback callback, AudioFormat* format, std::string* message) {
  *format = AudioFormat{};
  if (PlatformHeadless()) {
    message->clear();
    return false;
  }
  UsingSdl = SdlAudioOpen(callback, format, message);
  return UsingSdl;
}

void AudioStart() {
  if (UsingSdl) SdlAudioStart();
}

void AudioLock() {
  if (UsingSdl) SdlAudioLock();
}

void AudioUnlock() {
  if (UsingSdl) SdlAudioUnlock();
}

void AudioClose() {
  if (UsingSdl) SdlAudioClose();
  UsingSdl = false;
}
