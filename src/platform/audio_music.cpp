// The desktop plays music and effects through the audio callback: nothing is
// handed to the backend (the browser build has its own, in web_audio.cpp).
#include "platform/audio.h"

void AudioMusicCommand(std::string_view) {}
bool AudioMusicPositionMs(int64_t*) { return false; }
void AudioEffectStart(int32_t) {}
