// The audio output: an SDL2 device whose callback pulls interleaved stereo
// floats, or, in the headless backend, no device at all. Only the audio_*
// files of the platform include SDL audio.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Runs on the audio thread with the device lock held.
using AudioCallback = void (*)(float* stereo, int32_t frames);

struct AudioFormat {
  int32_t Rate = 0;    // frames per second the device actually runs at
  int32_t Frames = 0;  // frames per callback
  bool Dummy = false;  // no real device: SDL's dummy driver keeps time
};

// Opens the device, paused. When the default driver gives no device, SDL's
// dummy driver stands in so that the callback still keeps time; *message
// then says so in one line. False (with the reason, empty when headless)
// when there is no device at all.
bool AudioOpen(AudioCallback callback, AudioFormat* format, std::string* message);
void AudioStart();
// Guards what the game shares with the callback. No-ops without a device.
void AudioLock();
void AudioUnlock();
void AudioClose();

// The two backends behind the calls above.
bool SdlAudioOpen(AudioCallback callback, AudioFormat* format, std::string* message);
void SdlAudioStart();
void SdlAudioLock();
void SdlAudioUnlock();
void SdlAudioClose();
// Holds the device still while the window is paused (the music's position
// with it); a device not yet started stays stopped.
void SdlAudioPause(bool paused);

// Music and effects played by the backend itself (the browser, with music
// rendered ahead of time). The music commands are passed on as the game sends
// them; while the backend's audio runs, its clock gives the music position.
// The desktop plays everything through the callback, and these do nothing.
void AudioMusicCommand(std::string_view command);
bool AudioMusicPositionMs(int64_t* ms);
// Starts effect n, cutting off the one playing; negative: stops it.
void AudioEffectStart(int32_t n);
