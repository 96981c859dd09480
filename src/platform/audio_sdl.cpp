#include <SDL.h>

#include "platform/audio.h"

namespace {

SDL_AudioDeviceID Device = 0;
AudioCallback Callback = nullptr;

void Pull(void*, Uint8* stream, int len) {
  Callback(reinterpret_cast<float*>(stream), len / static_cast<int>(2 * sizeof(float)));
}

// The dummy driver sleeps a whole number of milliseconds per buffer, so a
// buffer of exactly 20 ms keeps its time true.
bool OpenDevice(bool dummy, AudioFormat* format) {
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = dummy ? 882 : 512;
  want.callback = Pull;
  SDL_AudioSpec have{};
  Device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (Device == 0) return false;
  format->Rate = have.freq;
  format->Frames = have.samples;
  format->Dummy = dummy;
  return true;
}

}  // namespace

bool SdlAudioOpen(AudioCallback callback, AudioFormat* format, std::string* message) {
  Callback = callback;
  message->clear();
  std::string reason;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    if (OpenDevice(false, format)) return true;
    reason = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  } else {
    reason = SDL_GetError();
  }
  SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    if (OpenDevice(true, format)) {
      *message = "no audio device (" + reason + "); playing silently";
      return true;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  *message = "no audio device (" + reason + ")";
  return false;
}

void SdlAudioStart() {
  if (Device != 0) SDL_PauseAudioDevice(Device, 0);
}

void SdlAudioLock() {
  if (Device != 0) SDL_LockAudioDevice(Device);
}

void SdlAudioUnlock() {
  if (Device != 0) SDL_UnlockAudioDevice(Device);
}

void SdlAudioClose() {
  if (Device == 0) return;
  SDL_CloseAudioDevice(Device);
  Device = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
