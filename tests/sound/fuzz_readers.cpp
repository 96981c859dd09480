// The MIDI and wave readers take files from disk: any bytes must be safe.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sound/midi.h"
#include "sound/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MidiSong song;
  std::string error;
  if (ParseMidi(data, size, &song, &error)) {
    MidiChannelState state[16];
    MidiChase(song, song.Events.size() / 2, state);
    static MidiEvent out[kMidiChaseMax];
    MidiChaseMessages(state, out);
    MidiTickTimeUs(song, song.LengthTicks);
  }
  WavSound wav;
  if (ParseWav(data, size, &wav, &error)) ResampleLinear(wav.Samples, wav.Rate, 48000);
  return 0;
}
