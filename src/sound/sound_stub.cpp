// Placeholder until the music and effects land: silent.
#include "sound/sound.h"

int16_t BgmTrack = 0;
int32_t BgmLoop[3] = {0, 2400, 1600};
std::string BgmPos;
const char* const BgmFiles[3] = {"", "bg1.mid", "bg2.mid"};
const int32_t BgmEnd[3] = {0, 271200, 81600};
const int32_t BgmRestart[3] = {0, 2450, 4560};

std::string MciCommand(std::string_view, std::string& reply) {
  reply.clear();
  return "0";
}
void BgmOpen(int16_t) {}
void BgmPlay() {}
void BgmStop() {}
void BgmClose() {}
void BgmUpdate() {}
void SwitchBgm(int16_t) {}
void PlayEffect(int16_t) {}
void StopEffects() {}
void SoundInit(const std::string&) {}
void SoundShutdown() {}
