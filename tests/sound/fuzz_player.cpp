// The MIDI timeline and the player over any file: parse, then seek, play and
// render with no synth at places the input chooses. Positions must stay on
// the song and the event cursor must only move forward between seeks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sound/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first eight bytes choose the seeks and the block sizes; the rest is the file.
  if (size < 8) return 0;
  const uint8_t* plan = data;
  MidiSong song;
  std::string error;
  if (!ParseMidi(data + 8, size - 8, &song, &error)) return 0;
  for (std::size_t i = 1; i < song.Events.size(); ++i) {
    if (song.Events[i].TimeUs < song.Events[i - 1].TimeUs) std::abort();
  }
  if (song.LengthUs < 0 || song.LengthUs > kMidiMaxTimeUs) std::abort();
  MusicVoice v;
  v.Rate = 48000;
  MusicSetSong(v, &song);
  static float out[2 * 1024];
  const int64_t endFrames = MusicFrameOf(v, song.LengthUs);
  for (int step = 0; step < 8; ++step) {
    // A seek to a fraction of the song, or to a raw position far past it.
    const uint8_t b = plan[step];
    const int64_t at = b & 0x80 ? static_cast<int64_t>(b) << 34 : song.LengthUs / 127 * (b & 0x7F);
    MusicSeek(v, at);
    MusicPlay(v);
    std::size_t last = v.Next;
    const int32_t block = 1 + (b * 37) % 1024;
    for (int r = 0; r < 8; ++r) {
      MusicRender(v, nullptr, out, block);
      if (v.Next < last || v.Next > song.Events.size()) std::abort();
      if (v.PosFrames < 0 || v.PosFrames > endFrames) std::abort();
      last = v.Next;
    }
    if (MusicPositionMs(v) < 0) std::abort();
    if (step == 5) MusicStop(v);
  }
  return 0;
}
