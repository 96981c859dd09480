// The browser build opens no audio device of its own: the music keeps time by
// the clock, as with the desktop's silent driver.
#include "platform/audio.h"

bool SdlAudioOpen(AudioCallback, AudioFormat* format, std::string* message) {
  *format = AudioFormat{};
  message->clear();
  return false;
}

void SdlAudioStart() {}
void SdlAudioLock() {}
void SdlAudioUnlock() {}
void SdlAudioClose() {}
