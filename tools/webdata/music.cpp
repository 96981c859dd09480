// Renders a music track of the game folder through our own player and
// FluidSynth, from the start to a little past its loop end, as raw 16-bit
// stereo at 48 kHz (for the browser build's compressed copy).
// Usage: webmusic GAME_DIR TRACK OUT_RAW
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "sound/sound.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: webmusic GAME_DIR TRACK OUT_RAW\n");
    return 2;
  }
  const int track = std::atoi(argv[2]);
  if (track < 1 || track > 2) return 2;
  constexpr int32_t kRate = 48000;
  SoundInitOffline(kRate, "");
  if (!SoundSynthReady()) {
    std::fprintf(stderr, "webmusic: no SoundFont\n");
    return 1;
  }
  std::string reply;
  const std::string path = std::string(argv[1]) + "/da/" + BgmFiles[track];
  if (MciCommand("open " + path + " alias bgm", reply) != "0" ||
      MciCommand("play bgm", reply) != "0") {
    std::fprintf(stderr, "webmusic: %s cannot be played\n", path.c_str());
    return 1;
  }
  // Past the loop end by two seconds: the game seeks back a frame after it.
  const int64_t frames = (static_cast<int64_t>(BgmEnd[track]) + 2000) * kRate / 1000;
  std::vector<float> block(2 * 1024);
  std::vector<int16_t> pcm(block.size());
  std::ofstream out(argv[3], std::ios::binary);
  for (int64_t done = 0; done < frames; done += 1024) {
    SoundRenderOffline(block.data(), 1024);
    for (std::size_t i = 0; i < block.size(); ++i) {
      pcm[i] = static_cast<int16_t>(std::lround(std::clamp(block[i], -1.0f, 1.0f) * 32767.0f));
    }
    out.write(reinterpret_cast<const char*>(pcm.data()),
              static_cast<std::streamsize>(pcm.size() * sizeof(int16_t)));
  }
  SoundShutdown();
  return out ? 0 : 1;
}
