#include <SDL.h>
#include <dlfcn.h>

#include "platform/audio.h"

namespace {

SDL_AudioDeviceID Device = 0;
AudioCallback Callback = nullptr;
bool Running = false;

void Pull(void*, Uint8* stream, int len) {
  Callback(reinterpret_cast<float*>(stream), len / static_cast<int>(2 * sizeof(float)));
}

// Without a sound card the ALSA library prints several lines of its own
// while SDL looks for a device; our one line says it all.
extern "C" void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
  void* lib = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
  if (lib == nullptr) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  auto set = reinterpret_cast<int (*)(Handler)>(dlsym(lib, "snd_lib_error_set_handler"));
  if (set != nullptr) set(QuietAlsa);
  // Kept loaded: SDL opens the same library and the handler must stay.
}

// The dummy driver sleeps a whole number of milliseconds per buffer of a
// power-of-two size: 1024 frames keep its time within 1 %.
bool OpenDevice(bool dummy, AudioFormat* format) {
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = dummy ? 1024 : 512;
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
  SilenceAlsa();
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
  Running = true;
  if (Device != 0) SDL_PauseAudioDevice(Device, 0);
}

void SdlAudioPause(bool paused) {
  if (Device != 0 && Running) SDL_PauseAudioDevice(Device, paused ? 1 : 0);
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
  Running = false;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
