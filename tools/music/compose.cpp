// Composes the game's two music tracks and writes them as Standard MIDI
// Files (format 1, General MIDI):
//   bg1.mid  the school-day theme, D major, 4/4. A one-bar lead-in of 2450 ms,
//            then a 125-bar loop body of 2150 ms bars from 2450 to 271200 ms,
//            then its first two bars again and a closing chord.
//   bg2.mid  high spirits, F major, 4/4. A silent bar of 1600 ms, a two-bar
//            opening (a swell and a climbing run, no tune) to 4560 ms, a
//            48-bar loop body of 1605 ms bars to 81600 ms, then its first
//            two bars again and a closing chord.
// The game jumps from the end of each loop body back to its start, so what
// follows the jump point is what follows the target, note for note as
// performed, and no note starts near either.
//
// The score is written below in a small note language, in C major; each song
// is transposed as a whole when it is written, and played by a seeded
// performance pass (timing, loudness, expression, pedal). Everything is
// deterministic.
//
// Usage: compose OUTDIR
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kQuarter = 480;
constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kBar = 4 * kQuarter;

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "compose: %s\n", message.c_str());
  std::exit(1);
}

// ---- The song being built -----------------------------------------------------

struct Note {
  uint32_t Tick, Len;
  uint8_t Channel, Key, Velocity;
};

struct Control {
  uint32_t Tick;
  uint8_t Status, Data1, Data2;  // status carries the channel
};

struct Song {
  std::vector<Note> Notes;
  std::vector<Control> Controls;
  std::vector<std::pair<uint32_t, uint32_t>> Tempos;  // tick, microseconds per quarter
  uint32_t EndTick = 0;
  int Transpose = 0;
  const char* Name = "";
};

void AddNote(Song& s, uint32_t tick, uint32_t len, int channel, int key, int velocity) {
  if (key < 0 || key > 127 || len == 0) Fail("note out of range");
  velocity = std::clamp(velocity, 1, 127);
  s.Notes.push_back({tick, len, static_cast<uint8_t>(channel), static_cast<uint8_t>(key),
                     static_cast<uint8_t>(velocity)});
}

void SetUpChannel(Song& s, int channel, int program, int volume, int pan, int reverb, int chorus) {
  const uint8_t cc = static_cast<uint8_t>(0xB0 | channel);
  s.Controls.push_back({0, static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(program), 0});
  s.Controls.push_back({0, cc, 7, static_cast<uint8_t>(volume)});
  s.Controls.push_back({0, cc, 10, static_cast<uint8_t>(pan)});
  s.Controls.push_back({0, cc, 91, static_cast<uint8_t>(reverb)});
  s.Controls.push_back({0, cc, 93, static_cast<uint8_t>(chorus)});
}

// A small deterministic spread of loudness, the same wherever a bar recurs.
int Humanise(uint32_t placeInSection, int channel, int key) {
  uint32_t h = placeInSection * 2654435761u ^ static_cast<uint32_t>(channel * 40503 + key * 97);
  h ^= h >> 15;
  h *= 2246822519u;
  h ^= h >> 13;
  return static_cast<int>(h % 9) - 4;
}

// ---- Notes and chords as text ---------------------------------------------------

// A melody: bars separated by '|', notes as PITCH:LENGTH, e.g. "E5:4 G5:8 r:8".
// Lengths: 1 2 4 8 16, '.' dotted; a note without a length keeps the last.
struct MelodyNote {
  int Key;  // -1 rest
  uint32_t Len;
};

int PitchOf(const std::string& t) {
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  if (t.empty() || t[0] < 'A' || t[0] > 'G') Fail("bad pitch " + t);
  int pc = kSteps[t[0] - 'A'];
  std::size_t i = 1;
  if (i < t.size() && t[i] == '#') pc++, i++;
  if (i < t.size() && t[i] == 'b') pc--, i++;
  if (i >= t.size() || t[i] < '0' || t[i] > '9') Fail("bad octave " + t);
  return 12 * (t[i] - '0' + 1) + pc;
}

std::vector<std::vector<MelodyNote>> ParseMelody(const char* text) {
  std::vector<std::vector<MelodyNote>> bars(1);
  uint32_t len = kQuarter;
  std::string token;
  auto flush = [&]() {
    if (token.empty()) return;
    std::string pitch = token;
    const std::size_t colon = token.find(':');
    if (colon != std::string::npos) {
      pitch = token.substr(0, colon);
      std::string d = token.substr(colon + 1);
      const bool dotted = !d.empty() && d.back() == '.';
      if (dotted) d.pop_back();
      const int div = std::atoi(d.c_str());
      if (div != 1 && div != 2 && div != 4 && div != 8 && div != 16) Fail("bad length " + token);
      len = kBar / static_cast<uint32_t>(div);
      if (dotted) len = len * 3 / 2;
    }
    bars.back().push_back({pitch == "r" ? -1 : PitchOf(pitch), len});
    token.clear();
  };
  for (const char* p = text;; ++p) {
    if (*p == '\0' || *p == ' ' || *p == '|') flush();
    if (*p == '\0') break;
    if (*p == '|') bars.emplace_back();
    if (*p != ' ' && *p != '|') token.push_back(*p);
  }
  for (std::size_t b = 0; b < bars.size(); ++b) {
    uint32_t sum = 0;
    for (const MelodyNote& n : bars[b]) sum += n.Len;
    if (sum != kBar) Fail("bar " + std::to_string(b + 1) + " of \"" + text + "\" is not 4/4");
  }
  return bars;
}

struct Chord {
  uint32_t Start, Len;     // within the bar
  int Root;                // pitch class
  int Bass;                // pitch class of the bass note
  std::vector<int> Tones;  // pitch classes, root first
};

// Chords per bar separated by '|'; two in a bar share it. "C", "Am", "G7",
// "Dm7", "Cmaj7", "A7", "G/B".
Chord ParseChord(const std::string& t) {
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};
  Chord c{};
  std::string name = t;
  std::string bass;
  if (const std::size_t slash = t.find('/'); slash != std::string::npos) {
    name = t.substr(0, slash);
    bass = t.substr(slash + 1);
  }
  auto pcOf = [&](const std::string& n, std::size_t* used) {
    int pc = kSteps[n[0] - 'A'];
    *used = 1;
    if (n.size() > 1 && n[1] == '#') pc++, (*used)++;
    if (n.size() > 1 && n[1] == 'b') pc--, (*used)++;
    return (pc + 12) % 12;
  };
  std::size_t used = 0;
  c.Root = pcOf(name, &used);
  const std::string quality = name.substr(used);
  std::vector<int> intervals;
  if (quality.empty()) {
    intervals = {0, 4, 7};
  } else if (quality == "m") {
    intervals = {0, 3, 7};
  } else if (quality == "7") {
    intervals = {0, 4, 7, 10};
  } else if (quality == "m7") {
    intervals = {0, 3, 7, 10};
  } else if (quality == "maj7") {
    intervals = {0, 4, 7, 11};
  } else {
    Fail("bad chord " + t);
  }
  for (int i : intervals) c.Tones.push_back((c.Root + i) % 12);
  c.Bass = bass.empty() ? c.Root : pcOf(bass, &used);
  return c;
}

std::vector<std::vector<Chord>> ParseChords(const char* text) {
  std::vector<std::vector<std::string>> names(1);
  std::string token;
  for (const char* p = text;; ++p) {
    if (*p == '\0' || *p == ' ' || *p == '|') {
      if (!token.empty()) names.back().push_back(token);
      token.clear();
    }
    if (*p == '\0') break;
    if (*p == '|') names.emplace_back();
    if (*p != ' ' && *p != '|') token.push_back(*p);
  }
  std::vector<std::vector<Chord>> bars;
  for (const auto& bar : names) {
    if (bar.empty() || bar.size() > 2) Fail(std::string("bad chord bar in ") + text);
    std::vector<Chord> chords;
    const uint32_t len = kBar / static_cast<uint32_t>(bar.size());
    for (std::size_t i = 0; i < bar.size(); ++i) {
      Chord c = ParseChord(bar[i]);
      c.Start = static_cast<uint32_t>(i) * len;
      c.Len = len;
      chords.push_back(c);
    }
    bars.push_back(chords);
  }
  return bars;
}

const Chord& ChordAt(const std::vector<Chord>& bar, uint32_t inBar) {
  for (const Chord& c : bar) {
    if (inBar >= c.Start && inBar < c.Start + c.Len) return c;
  }
  return bar.back();
}

// The pitch class placed in [low, low + 12).
int Place(int pc, int low) { return low + ((pc - low) % 12 + 12) % 12; }

// A scale step up or down in C major; notes off the scale move by thirds.
int DiatonicShift(int key, int steps) {
  static const int kScale[] = {0, 2, 4, 5, 7, 9, 11};
  const int pc = key % 12;
  const int* at = std::find(std::begin(kScale), std::end(kScale), pc);
  if (at == std::end(kScale)) return key + (steps < 0 ? -3 : 3);
  int degree = static_cast<int>(at - kScale) + steps;
  int octave = key / 12;
  while (degree < 0) degree += 7, octave--;
  while (degree >= 7) degree -= 7, octave++;
  return 12 * octave + kScale[degree];
}

// ---- Parts ----------------------------------------------------------------------

// A theme heard before is decorated a little differently each time: where a
// quarter note leaps a third to the next, some of them (chosen by where the
// section falls in the song) pass through the step between as two eighths.
std::vector<std::vector<MelodyNote>> Ornament(std::vector<std::vector<MelodyNote>> bars,
                                              uint32_t start) {
  for (std::size_t b = 0; b < bars.size(); ++b) {
    std::vector<MelodyNote> out;
    const std::vector<MelodyNote>& bar = bars[b];
    for (std::size_t i = 0; i < bar.size(); ++i) {
      const MelodyNote& n = bar[i];
      const int leap =
          i + 1 < bar.size() && bar[i + 1].Key >= 0 && n.Key >= 0 ? bar[i + 1].Key - n.Key : 0;
      uint32_t h = (start + static_cast<uint32_t>(b * 16 + i)) * 2654435761u;
      h ^= h >> 15;
      const int step = n.Key >= 0 ? DiatonicShift(n.Key, leap > 0 ? 1 : -1) : -1;
      if (n.Len == kQuarter && std::abs(leap) >= 3 && std::abs(leap) <= 4 &&
          std::abs(step - n.Key) <= 2 && h % 5 < 2) {
        out.push_back({n.Key, kQuarter / 2});
        out.push_back({step, kQuarter / 2});
      } else {
        out.push_back(n);
      }
    }
    bars[b] = out;
  }
  return bars;
}

struct MelodyVoice {
  int Channel;
  int Shift;  // semitones
  int Velocity;
  int Thirds;  // 0, or -2 for a harmony a diatonic third below
  double Gate;
};

void PlayMelody(Song& s, uint32_t start, const std::vector<std::vector<MelodyNote>>& bars,
                const MelodyVoice& v, std::size_t firstBar = 0, std::size_t barCount = 999) {
  for (std::size_t b = firstBar; b < bars.size() && b < firstBar + barCount; ++b) {
    uint32_t at = start + static_cast<uint32_t>(b - firstBar) * kBar;
    uint32_t inSection = static_cast<uint32_t>(b) * kBar;
    for (const MelodyNote& n : bars[b]) {
      if (n.Key >= 0) {
        int key = v.Thirds != 0 ? DiatonicShift(n.Key, v.Thirds) : n.Key;
        key += v.Shift;
        const uint32_t len = std::max<uint32_t>(30, static_cast<uint32_t>(n.Len * v.Gate));
        // The first beat of the bar a little stronger.
        const int accent = (at % kBar == 0) ? 6 : 0;
        AddNote(s, at, len, v.Channel, key,
                v.Velocity + accent + Humanise(inSection, v.Channel, key));
      }
      at += n.Len;
      inSection += n.Len;
    }
  }
}

// A rhythm: hits as (start, length, velocity offset) within a bar.
struct Hit {
  uint32_t Start, Len;
  int Velocity;
};

enum class Comp { Quarters, Pop, Arpeggio, Offbeat, Stabs, Pads, Riff, None };
enum class BassStyle { Half, Walk, Whole, Drive, Octaves };

// A bar's pattern: the fourth bar of a phrase turns round into the next;
// the others pick among the style's variants by where they fall in the song,
// so a recurring section is not accompanied bar for bar alike.
const std::vector<Hit>& PickVariant(const std::vector<std::vector<Hit>>& variants, uint32_t bar,
                                    std::size_t inSection) {
  if (inSection % 4 == 3) return variants.back();
  uint32_t h = (bar / kBar + 7) * 2654435761u;
  h ^= h >> 13;
  return variants[h % (variants.size() - 1)];
}

void PlayComp(Song& s, uint32_t start, const std::vector<std::vector<Chord>>& chords, Comp style,
              int channel, int low, int velocity, std::size_t firstBar = 0,
              std::size_t barCount = 999) {
  static const std::vector<std::vector<Hit>> kQuarters = {
      {{0, 420, 8}, {480, 300, -6}, {960, 420, 4}, {1440, 300, -6}},
      {{0, 900, 8}, {960, 420, 4}, {1440, 300, -6}},
      {{0, 420, 8}, {480, 300, -6}, {960, 420, 4}, {1440, 200, -2}, {1680, 200, 2}}};
  static const std::vector<std::vector<Hit>> kPop = {
      {{0, 440, 8}, {720, 200, 0}, {960, 440, 4}, {1440, 200, -4}, {1680, 200, 0}},
      {{0, 660, 8}, {720, 200, 0}, {1200, 200, 2}, {1440, 440, -2}},
      {{0, 440, 8}, {480, 200, -4}, {720, 200, 0}, {960, 440, 4}, {1680, 200, 2}},
      {{0, 440, 8}, {720, 200, 2}, {1200, 200, 0}, {1680, 220, 6}}};
  static const std::vector<std::vector<Hit>> kOffbeat = {
      {{240, 150, 2}, {720, 150, 0}, {1200, 150, 2}, {1680, 150, 0}},
      {{240, 150, 2}, {720, 150, 0}, {960, 100, -6}, {1200, 150, 2}, {1680, 150, 0}},
      {{240, 150, 2}, {720, 150, 0}, {1200, 150, 2}, {1440, 100, -4}, {1680, 150, 4}}};
  static const std::vector<std::vector<Hit>> kStabs = {
      {{0, 200, 10}, {720, 140, 0}, {1680, 140, 4}},
      {{0, 200, 10}, {720, 140, 0}, {1200, 140, 2}},
      {{0, 200, 10}, {480, 140, -2}, {1680, 140, 4}},
      {{0, 200, 10}, {720, 140, 0}, {1200, 120, 0}, {1440, 120, 2}, {1680, 140, 6}}};
  static const std::vector<std::vector<Hit>> kRiff = {
      {{0, 200, 10}, {360, 100, 0}, {720, 200, 4}, {1200, 120, 0}, {1440, 200, 6}},
      {{0, 200, 10}, {360, 100, 0}, {720, 200, 4}, {1440, 200, 6}},
      {{0, 200, 10}, {360, 100, 0}, {720, 200, 4}, {1200, 120, 0}, {1440, 120, 4}, {1680, 120, 6}}};
  for (std::size_t b = firstBar; b < chords.size() && b < firstBar + barCount; ++b) {
    const uint32_t bar = start + static_cast<uint32_t>(b - firstBar) * kBar;
    const uint32_t inSection = static_cast<uint32_t>(b) * kBar;
    const std::vector<Hit>* hits = nullptr;
    switch (style) {
      case Comp::Quarters:
        hits = &PickVariant(kQuarters, bar, b);
        break;
      case Comp::Pop:
        hits = &PickVariant(kPop, bar, b);
        break;
      case Comp::Offbeat:
        hits = &PickVariant(kOffbeat, bar, b);
        break;
      case Comp::Stabs:
        hits = &PickVariant(kStabs, bar, b);
        break;
      case Comp::Riff:
        hits = &PickVariant(kRiff, bar, b);
        break;
      case Comp::None:
        return;
      case Comp::Pads:
        for (const Chord& c : chords[b]) {
          for (int pc : c.Tones) {
            const int key = Place(pc, low);
            AddNote(s, bar + c.Start, c.Len - 30, channel, key,
                    velocity + Humanise(inSection + c.Start, channel, key));
          }
          const int root = Place(c.Root, low - 12);
          AddNote(s, bar + c.Start, c.Len - 30, channel, root, velocity - 8);
        }
        continue;
      case Comp::Arpeggio: {
        static const int kOrder[] = {0, 1, 2, 3, 4, 3, 2, 1};
        for (int i = 0; i < 8; ++i) {
          const uint32_t t = static_cast<uint32_t>(i) * 240;
          const Chord& c = ChordAt(chords[b], t);
          std::vector<int> keys;
          for (int pc : c.Tones) keys.push_back(Place(pc, low));
          std::sort(keys.begin(), keys.end());
          keys.push_back(keys[0] + 12);
          keys.push_back(keys[1] + 12);
          const int key = keys[kOrder[i] % keys.size()];
          AddNote(s, bar + t, 230, channel, key,
                  velocity + (i % 2 == 0 ? 4 : -4) + Humanise(inSection + t, channel, key));
        }
        continue;
      }
    }
    for (const Hit& h : *hits) {
      const Chord& c = ChordAt(chords[b], h.Start);
      for (int pc : c.Tones) {
        const int key = Place(pc, low);
        AddNote(s, bar + h.Start, h.Len, channel, key,
                velocity + h.Velocity + Humanise(inSection + h.Start, channel, key));
      }
    }
  }
}

void PlayBass(Song& s, uint32_t start, const std::vector<std::vector<Chord>>& chords,
              const std::vector<Chord>& nextBar, BassStyle style, int channel, int low,
              int velocity, std::size_t firstBar = 0, std::size_t barCount = 999) {
  for (std::size_t b = firstBar; b < chords.size() && b < firstBar + barCount; ++b) {
    const uint32_t bar = start + static_cast<uint32_t>(b - firstBar) * kBar;
    const uint32_t inSection = static_cast<uint32_t>(b) * kBar;
    const std::vector<Chord>& next = b + 1 < chords.size() ? chords[b + 1] : nextBar;
    auto note = [&](uint32_t t, uint32_t len, int key, int accent) {
      AddNote(s, bar + t, len, channel, key,
              velocity + accent + Humanise(inSection + t, channel, key));
    };
    auto root = [&](uint32_t t) { return Place(ChordAt(chords[b], t).Bass, low); };
    auto fifth = [&](uint32_t t) {
      const Chord& c = ChordAt(chords[b], t);
      return Place(c.Tones[2], Place(c.Bass, low));
    };
    switch (style) {
      case BassStyle::Whole:
        for (const Chord& c : chords[b]) note(c.Start, c.Len - 40, Place(c.Bass, low), 4);
        break;
      case BassStyle::Half:
        note(0, 900, root(0), 6);
        note(960, 900, chords[b].size() > 1 ? root(960) : fifth(960), 0);
        break;
      case BassStyle::Walk: {
        // A chromatic step into the next bar's root.
        const int target = Place(next.front().Bass, low);
        const int approach = target - 1 >= low ? target - 1 : target + 1;
        note(0, 640, root(0), 8);
        note(720, 220, root(720), -4);
        note(960, 440, chords[b].size() > 1 ? root(960) : fifth(960), 2);
        note(1440, 220, root(1440), -2);
        note(1680, 220, approach, -4);
        break;
      }
      case BassStyle::Drive:
        for (int i = 0; i < 8; ++i) {
          const uint32_t t = static_cast<uint32_t>(i) * 240;
          const int key = (i == 3 || i == 7) ? root(t) + 12 : (i == 6 ? fifth(t) : root(t));
          note(t, 200, key, i % 2 == 0 ? 6 : -2);
        }
        break;
      case BassStyle::Octaves:
        for (int i = 0; i < 8; ++i) {
          const uint32_t t = static_cast<uint32_t>(i) * 240;
          note(t, 180, root(t) + (i % 2 == 1 ? 12 : 0), i % 2 == 0 ? 6 : -4);
        }
        break;
    }
  }
}

// Drums on channel 10 as sixteen steps a bar: X accent, x normal, o soft.
struct DrumLine {
  int Key;
  const char* Steps;
};

void PlayDrums(Song& s, uint32_t bar, const std::vector<DrumLine>& lines, int velocity,
               uint32_t inSection) {
  for (const DrumLine& line : lines) {
    if (std::strlen(line.Steps) != 16) Fail(std::string("drum line ") + line.Steps);
    for (int i = 0; i < 16; ++i) {
      const char c = line.Steps[i];
      if (c == '.') continue;
      const int v = c == 'X' ? velocity + 18 : c == 'x' ? velocity : velocity - 25;
      const uint32_t t = static_cast<uint32_t>(i) * 120;
      AddNote(s, bar + t, 100, 9, line.Key, v + Humanise(inSection + t, 9, line.Key));
    }
  }
}

constexpr int kKick = 36, kStick = 37, kSnare = 38, kClap = 39, kClosedHat = 42, kOpenHat = 46,
              kCrash = 49, kRide = 51, kTambourine = 54, kHighTom = 50, kMidTom = 47, kLowTom = 45,
              kFloorTom = 43;

// ---- The performance ------------------------------------------------------------
//
// The score above is on the sixteenth-note grid; a player is not. A seeded
// pass moves every note a little in time, length and loudness by where it
// falls in the song (so a recurring section is never played the same way
// twice), shapes each four-bar phrase, and adds the controllers a player
// moves: expression swells on the held voices, the sustain pedal on the
// piano.

// A fixed hash of a note's place: uniform in [0, 1).
double Chance(uint64_t seed, uint32_t tick, int channel, int key, int salt) {
  uint64_t z = seed ^ (static_cast<uint64_t>(tick) << 20) ^ (static_cast<uint64_t>(channel) << 12) ^
               (static_cast<uint64_t>(key) << 4) ^ static_cast<uint64_t>(salt);
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) / 9007199254740992.0;
}

// Roughly bell-shaped in [-1, 1].
double Spread(uint64_t seed, uint32_t tick, int channel, int key, int salt) {
  return Chance(seed, tick, channel, key, salt) + Chance(seed, tick, channel, key, salt + 1) - 1;
}

struct Player {
  int Channel;
  int TimingTicks;  // how far a note may move either way
  int LateTicks;    // a habit of playing behind the beat
  int VelocitySpread;
  int PhraseSwell;  // velocity added at the height of a phrase
};

struct Performance {
  uint64_t Seed;
  std::vector<Player> Players;
  uint32_t LoopStart, LoopEnd;  // the jump target's and the jump point's ticks
  uint32_t Clean;               // ticks around both kept free of note starts
  std::vector<uint32_t> Cuts;   // bar lines no note may sound across
};

void Perform(Song& s, const Performance& p) {
  for (Note& n : s.Notes) {
    const Player* who = nullptr;
    for (const Player& pl : p.Players)
      if (pl.Channel == n.Channel) who = &pl;
    if (who == nullptr || n.Tick == 0) continue;
    const double t = Spread(p.Seed, n.Tick, n.Channel, n.Key, 0);
    const int move = static_cast<int>(std::lround(who->TimingTicks * t)) + who->LateTicks;
    // Where in its four-bar phrase the note falls: phrases rise to their
    // third bar and settle.
    const double phase =
        static_cast<double>((n.Tick - std::min(n.Tick, p.LoopStart)) % (4 * kBar)) / (4 * kBar);
    const double arch = std::sin(kPi * std::min(1.0, phase * 1.25));
    const int vel =
        n.Velocity + static_cast<int>(std::lround(who->VelocitySpread *
                                                      Spread(p.Seed, n.Tick, n.Channel, n.Key, 2) +
                                                  who->PhraseSwell * arch));
    const double stretch = 1 + 0.08 * Spread(p.Seed, n.Tick, n.Channel, n.Key, 4);
    n.Tick = static_cast<uint32_t>(std::max<int64_t>(1, static_cast<int64_t>(n.Tick) + move));
    n.Len = std::max<uint32_t>(30, static_cast<uint32_t>(n.Len * stretch));
    n.Velocity = static_cast<uint8_t>(std::clamp(vel, 1, 127));
  }
  // The jump: nothing starts within Clean ticks either side of the jump
  // point, nor after the target (which is what follows the jump point).
  for (Note& n : s.Notes) {
    for (uint32_t at : {p.LoopStart, p.LoopEnd}) {
      if (n.Tick >= at && n.Tick < at + p.Clean) {
        const uint32_t end = n.Tick + n.Len;
        n.Tick = at + p.Clean;
        n.Len = std::max<uint32_t>(30, end > n.Tick ? end - n.Tick : 0);
      } else if (n.Tick + p.Clean > at && n.Tick < at) {
        n.Tick = at - p.Clean;
      }
    }
  }
  // Nothing sounds across the places the player seeks to or from.
  for (Note& n : s.Notes)
    for (uint32_t at : p.Cuts)
      if (n.Tick < at && n.Tick + n.Len > at) n.Len = std::max<uint32_t>(1, at - n.Tick - 1);
}

// Expression (CC 11) on a channel from `from` to `to`: a swell over each
// four-bar phrase, back to `base` at every phrase's end.
void Swell(Song& s, int channel, uint32_t from, uint32_t to, int base, int depth) {
  const uint8_t cc = static_cast<uint8_t>(0xB0 | channel);
  for (uint32_t phrase = from; phrase < to; phrase += 4 * kBar) {
    int last = -1;
    for (uint32_t t = 0; t < 4 * kBar && phrase + t < to; t += 120) {
      const double x = static_cast<double>(t) / (4 * kBar);
      const double rise = std::sin(kPi * x);
      const int v = std::clamp(base + static_cast<int>(std::lround(depth * rise * rise)), 0, 127);
      if (v != last) s.Controls.push_back({phrase + t, cc, 11, static_cast<uint8_t>(v)});
      last = v;
    }
  }
}

// The sustain pedal (CC 64) on the piano: caught just after each chord
// (every half bar), lifted just before the next, so it never rings across
// a bar line.
void Pedal(Song& s, int channel, uint32_t from, uint32_t to) {
  const uint8_t cc = static_cast<uint8_t>(0xB0 | channel);
  for (uint32_t t = from; t < to; t += kBar / 2) {
    s.Controls.push_back({t + 30, cc, 64, 127});
    s.Controls.push_back({t + kBar / 2 - 16, cc, 64, 0});
  }
}

// What follows the jump point is what follows the target: the performed
// notes and controllers of [target, target + span) are copied after the
// jump point, replacing what the score had there.
template <typename Event>
void RepeatEvents(std::vector<Event>& events, uint32_t target, uint32_t jump, uint32_t span) {
  std::vector<Event> out;
  for (const Event& e : events)
    if (e.Tick < jump || e.Tick >= jump + span) out.push_back(e);
  for (const Event& e : events)
    if (e.Tick >= target && e.Tick < target + span) {
      Event c = e;
      c.Tick = e.Tick - target + jump;
      out.push_back(c);
    }
  events = out;
}

void RepeatAfterJump(Song& s, uint32_t target, uint32_t jump, uint32_t span) {
  RepeatEvents(s.Notes, target, jump, span);
  RepeatEvents(s.Controls, target, jump, span);
}

// ---- Writing ------------------------------------------------------------------

void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t bytes[5];
  int n = 0;
  bytes[n++] = v & 0x7F;
  while ((v >>= 7) != 0) bytes[n++] = static_cast<uint8_t>(0x80 | (v & 0x7F));
  while (n > 0) out.push_back(bytes[--n]);
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct Raw {
  uint32_t Tick;
  int Order;  // at one tick: controls, then note-offs, then note-ons
  std::vector<uint8_t> Bytes;
};

void PutTrack(std::vector<uint8_t>& file, std::vector<Raw> events, uint32_t endTick) {
  std::stable_sort(events.begin(), events.end(), [](const Raw& a, const Raw& b) {
    return a.Tick != b.Tick ? a.Tick < b.Tick : a.Order < b.Order;
  });
  std::vector<uint8_t> body;
  uint32_t last = 0;
  uint8_t running = 0;
  for (const Raw& e : events) {
    PutVarLen(body, e.Tick - last);
    last = e.Tick;
    const uint8_t status = e.Bytes[0];
    // Running status for channel messages; meta events end it.
    std::size_t from = 0;
    if (status < 0xF0) {
      if (status == running) from = 1;
      running = status;
    } else {
      running = 0;
    }
    body.insert(body.end(), e.Bytes.begin() + static_cast<long>(from), e.Bytes.end());
  }
  PutVarLen(body, endTick - last);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  PutBigEndian(file, static_cast<uint32_t>(body.size()), 4);
  file.insert(file.end(), body.begin(), body.end());
}

Raw Meta(uint32_t tick, uint8_t type, const std::vector<uint8_t>& data) {
  Raw r{tick, 0, {0xFF, type}};
  PutVarLen(r.Bytes, static_cast<uint32_t>(data.size()));
  r.Bytes.insert(r.Bytes.end(), data.begin(), data.end());
  return r;
}

Raw TrackName(const std::string& name) {
  return Meta(0, 0x03, std::vector<uint8_t>(name.begin(), name.end()));
}

void WriteSong(Song s, const std::string& path, const std::vector<std::string>& names) {
  // A key struck twice at once is one note, the louder; a repeated key ends
  // before it is struck again, or its note-off would cut the new note short.
  std::stable_sort(s.Notes.begin(), s.Notes.end(), [](const Note& a, const Note& b) {
    return a.Channel != b.Channel ? a.Channel < b.Channel
           : a.Key != b.Key       ? a.Key < b.Key
                                  : a.Tick < b.Tick;
  });
  std::vector<Note> notes;
  for (const Note& n : s.Notes) {
    Note* last = notes.empty() ? nullptr : &notes.back();
    if (last && last->Channel == n.Channel && last->Key == n.Key && last->Tick == n.Tick) {
      last->Velocity = std::max(last->Velocity, n.Velocity);
      last->Len = std::max(last->Len, n.Len);
      continue;
    }
    if (last && last->Channel == n.Channel && last->Key == n.Key &&
        last->Tick + last->Len >= n.Tick)
      last->Len = n.Tick - last->Tick - 1 > 0 ? n.Tick - last->Tick - 1 : 1;
    notes.push_back(n);
  }
  s.Notes = notes;
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
  PutBigEndian(file, 6, 4);
  PutBigEndian(file, 1, 2);
  std::vector<int> channels;
  for (const Note& n : s.Notes) {
    if (std::find(channels.begin(), channels.end(), n.Channel) == channels.end())
      channels.push_back(n.Channel);
  }
  std::sort(channels.begin(), channels.end());
  PutBigEndian(file, static_cast<uint32_t>(1 + channels.size()), 2);
  PutBigEndian(file, kQuarter, 2);

  std::vector<Raw> conductor = {TrackName(s.Name), Meta(0, 0x58, {4, 2, 24, 8})};
  for (const auto& [tick, us] : s.Tempos) {
    conductor.push_back(Meta(
        tick, 0x51,
        {static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)}));
  }
  PutTrack(file, conductor, s.EndTick);

  for (int ch : channels) {
    std::vector<Raw> events = {TrackName(ch < static_cast<int>(names.size()) ? names[ch] : "")};
    for (const Control& c : s.Controls) {
      if ((c.Status & 0x0F) != ch) continue;
      Raw r{c.Tick, 0, {c.Status, c.Data1}};
      if ((c.Status & 0xE0) != 0xC0) r.Bytes.push_back(c.Data2);
      events.push_back(r);
    }
    for (const Note& n : s.Notes) {
      if (n.Channel != ch) continue;
      const int key = ch == 9 ? n.Key : n.Key + s.Transpose;
      if (key < 0 || key > 127) Fail("transposed note out of range");
      const uint8_t status = static_cast<uint8_t>(0x90 | ch);
      // Note-off as a note-on of velocity 0, so running status carries it.
      events.push_back({n.Tick, 2, {status, static_cast<uint8_t>(key), n.Velocity}});
      events.push_back({n.Tick + n.Len, 1, {status, static_cast<uint8_t>(key), 0}});
    }
    PutTrack(file, events, s.EndTick);
  }

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) Fail("cannot write " + path);
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  if (std::fclose(f) != 0 || !ok) Fail("cannot write " + path);
}

// ---- Track 1: the school day ----------------------------------------------------

namespace day {

constexpr int kFlute = 0, kClarinet = 1, kPiano = 2, kStrings = 3, kBass = 4, kGlock = 5;

const char* const kThemeA =
    "E5:4 G5:8 C6:8 B5:4 G5:4 | A5:8 G5:8 F5:8 E5:8 D5:2 | C5:4 E5:8 A5:8 G5:4 E5:4 |"
    "G5:4. F5:8 E5:2 | F5:4 A5:8 C6:8 D6:4 C6:4 | B5:8 A5:8 G5:8 E5:8 G5:2 |"
    "A5:4 F5:4 D6:4. C6:8 | B5:4 G5:4 D5:4 r:4";
const char* const kChordsA = "C | G/B | Am | Em | F | C | Dm7 | G7";

const char* const kThemeA2 =
    "E5:4 G5:8 C6:8 B5:4 G5:4 | A5:8 G5:8 F5:8 E5:8 D5:2 | C5:4 E5:8 A5:8 G5:4 E5:4 |"
    "G5:4. A5:8 B5:2 | C6:4 A5:8 C6:8 F6:4 E6:4 | D6:8 C6:8 B5:8 A5:8 B5:4 D6:4 |"
    "C6:2 r:8 G5:8 A5:8 B5:8 | C6:2 r:2";
const char* const kChordsA2 = "C | G/B | Am | Em | F | G | C | C";

const char* const kThemeB =
    "A5:4. B5:8 C6:4 A5:4 | G5:4. E5:8 B4:2 | A5:4. G5:8 F5:4 A5:4 | G5:2. r:4 |"
    "F5:4. G5:8 A5:4 D6:4 | C6:8 B5:8 G5:4 E5:4 G5:4 | A5:8 B5:8 C6:8 D6:8 E6:4 C6:4 |"
    "D6:2 B5:4 G5:4";
const char* const kChordsB = "Am | Em | F | C | Dm | Em | F | G7";

const char* const kThemeC =
    "C5:4 A4:8 C5:8 F5:2 | D5:4 B4:8 D5:8 G5:2 | E5:4 G5:8 F5:8 E5:4 D5:4 |"
    "C5:4. B4:8 A4:2 | F5:4 E5:8 D5:8 C5:4 D5:4 | B4:4 D5:4 G5:4 F5:4 |"
    "E5:2 G5:4 E5:4 | E5:4 D5:4 C5:4 Bb4:4";
const char* const kChordsC = "F | G | Em | Am | Dm7 | G7 | Cmaj7 | C7";

const char* const kThemeC2 =
    "C5:4 A4:8 C5:8 F5:2 | D5:4 B4:8 D5:8 G5:2 | E5:4 G5:8 F5:8 E5:4 B4:4 |"
    "C#5:4. D5:8 E5:2 | F5:4 A5:8 G5:8 F5:4 E5:4 | D5:4 F5:4 B5:4 G5:4 |"
    "E5:8 D5:8 C5:4 G5:2 | C5:2. r:4";
const char* const kChordsC2 = "F | G | Em | A7 | Dm7 | G7 | C | C";

const char* const kThemeD =
    "E5:1 | F5:2 A5:2 | G5:1 | D5:2 G5:2 | A5:2 C6:2 | A5:2 F5:2 | D6:2 C6:4 A5:4 |"
    "B5:2 A5:4 G5:4";
const char* const kChordsD = "Am | F | C | G | Am | F | Dm | G7";

const char* const kThemeTag =
    "A5:4 C6:4 F6:4 C6:4 | B5:4 D6:4 G6:4 D6:4 | E6:4. D6:8 C6:4 G5:4 |"
    "A5:4 C#6:4 E6:4 G6:4 | F6:4 D6:4 B5:4 G5:4";
const char* const kChordsTag = "F | G | C | A7 | Dm7 G7";

enum class Drums { Light, Full, Ride };

struct Section {
  const char* Theme;
  const char* Chords;
  int Lead;       // kFlute or kClarinet
  bool Glock;     // glockenspiel an octave above the lead
  bool GlockArp;  // glockenspiel arpeggios instead
  bool Strings;
  Drums Beat;
  Comp Piano;
  BassStyle Bass;
  int Level;  // loudness offset
};

// The loop body: fifteen eight-bar sections and a five-bar tag, 125 bars.
const Section kForm[] = {
    {kThemeA, kChordsA, kFlute, false, false, false, Drums::Light, Comp::Quarters, BassStyle::Half,
     -6},
    {kThemeA2, kChordsA2, kFlute, false, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, -2},
    {kThemeB, kChordsB, kFlute, true, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, 0},
    {kThemeA2, kChordsA2, kFlute, true, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, 0},
    {kThemeC, kChordsC, kClarinet, false, false, true, Drums::Light, Comp::Arpeggio,
     BassStyle::Half, -4},
    {kThemeC2, kChordsC2, kClarinet, true, false, true, Drums::Full, Comp::Pop, BassStyle::Walk,
     -2},
    {kThemeB, kChordsB, kFlute, false, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, 0},
    {kThemeA2, kChordsA2, kFlute, true, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, 2},
    {kThemeD, kChordsD, kFlute, false, false, true, Drums::Ride, Comp::Arpeggio, BassStyle::Whole,
     -8},
    {kThemeD, kChordsD, kFlute, false, true, true, Drums::Light, Comp::Arpeggio, BassStyle::Half,
     -5},
    {kThemeA, kChordsA, kFlute, false, false, false, Drums::Full, Comp::Pop, BassStyle::Walk, -2},
    {kThemeA2, kChordsA2, kFlute, true, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, 0},
    {kThemeC, kChordsC, kClarinet, false, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, -2},
    {kThemeB, kChordsB, kFlute, true, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, 0},
    {kThemeA2, kChordsA2, kFlute, true, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, 2},
    {kThemeTag, kChordsTag, kFlute, true, false, true, Drums::Full, Comp::Pop, BassStyle::Walk, 3},
};

void PlayBeat(Song& s, uint32_t bar, Drums beat, bool fill, int level, uint32_t inSection) {
  const int v = 84 + level;
  if (fill) {
    PlayDrums(s, bar,
              {{kKick, "x.......x......."},
               {kSnare, "....x.....o.xoXx"},
               {kHighTom, "............x..."},
               {kMidTom, ".............x.."},
               {kLowTom, "..............x."},
               {kClosedHat, "x.x.x.x.x.x....."}},
              v, inSection);
    return;
  }
  switch (beat) {
    case Drums::Light:
      PlayDrums(s, bar,
                {{kKick, "x.......x......."},
                 {kStick, "....x.......x..."},
                 {kClosedHat, "x.o.x.o.x.o.x.o."}},
                v - 8, inSection);
      break;
    case Drums::Full:
      PlayDrums(s, bar,
                {{kKick, "x.....x.x......."},
                 {kSnare, "....x.......x..."},
                 {kClosedHat, "X.x.x.x.X.x.x.x."}},
                v, inSection);
      break;
    case Drums::Ride:
      PlayDrums(s, bar, {{kKick, "x..............."}, {kRide, "x...o...x...o..."}}, v - 14,
                inSection);
      break;
  }
}

// One section's bars [first, first + count) at tick start. The bar after the
// section (for the bass's approach note) is next.
void PlaySection(Song& s, uint32_t start, const Section& sec, const std::vector<Chord>& next,
                 bool fillAtEnd, bool heardBefore, std::size_t first, std::size_t count) {
  const auto written = ParseMelody(sec.Theme);
  const auto theme = heardBefore ? Ornament(written, start) : written;
  const auto chords = ParseChords(sec.Chords);
  if (theme.size() != chords.size()) Fail(std::string("theme and chords differ: ") + sec.Theme);
  const int lv = sec.Level;
  PlayMelody(s, start, theme, {sec.Lead, 0, (sec.Lead == kFlute ? 92 : 88) + lv, 0, 0.92}, first,
             count);
  if (sec.Glock) PlayMelody(s, start, theme, {kGlock, 12, 58 + lv, 0, 0.5}, first, count);
  if (sec.GlockArp) PlayComp(s, start, chords, Comp::Arpeggio, kGlock, 76, 50 + lv, first, count);
  PlayComp(s, start, chords, sec.Piano, kPiano, 58, 62 + lv, first, count);
  if (sec.Strings) PlayComp(s, start, chords, Comp::Pads, kStrings, 60, 58 + lv, first, count);
  PlayBass(s, start, chords, next, sec.Bass, kBass, 33, 86 + lv, first, count);
  for (std::size_t b = first; b < chords.size() && b < first + count; ++b) {
    const uint32_t bar = start + static_cast<uint32_t>(b - first) * kBar;
    const uint32_t inSection = static_cast<uint32_t>(b) * kBar;
    if (b == 0) AddNote(s, bar, 200, 9, kCrash, 80 + lv);
    const bool fill = fillAtEnd && b + 1 == chords.size();
    PlayBeat(s, bar, sec.Beat, fill, lv, inSection);
    // The drummer marks the end of a four-bar phrase with a soft pick-up.
    if (b % 4 == 3 && !fill) PlayDrums(s, bar, {{kSnare, "............o.oo"}}, 78 + lv, inSection);
  }
}

Song Compose() {
  Song s;
  s.Name = "School Day";
  s.Transpose = 2;  // D major
  // The lead-in bar runs at 612.5 ms a beat, so the loop body starts on a
  // bar line at 2450 ms; its bars are 2150 ms.
  s.Tempos = {{0, 612500}, {kBar, 537500}};
  SetUpChannel(s, kFlute, 73, 104, 64, 48, 0);
  SetUpChannel(s, kClarinet, 71, 100, 52, 48, 0);
  SetUpChannel(s, kPiano, 0, 84, 44, 40, 0);
  SetUpChannel(s, kStrings, 48, 72, 84, 60, 30);
  SetUpChannel(s, kBass, 32, 100, 64, 24, 0);
  SetUpChannel(s, kGlock, 9, 70, 92, 56, 0);
  SetUpChannel(s, 9, 0, 96, 64, 36, 0);

  // The lead-in: a soft dominant chord and a glockenspiel climb, over well
  // before the year's music begins at 2400 ms.
  for (int key : {55, 59, 62, 65}) AddNote(s, 0, 1400, kStrings, key, 46);
  const int climb[] = {67, 71, 74, 77, 79, 83};
  for (int i = 0; i < 6; ++i) AddNote(s, static_cast<uint32_t>(i) * 240, 200, kGlock, climb[i], 54);

  const std::size_t n = std::size(kForm);
  uint32_t at = kBar;
  for (std::size_t i = 0; i < n; ++i) {
    const Section& next = kForm[(i + 1) % n];
    const auto nextChords = ParseChords(next.Chords);
    const bool fill = next.Beat == Drums::Full || i + 1 == n;
    bool heard = false;
    for (std::size_t j = 0; j < i; ++j) heard = heard || kForm[j].Theme == kForm[i].Theme;
    PlaySection(s, at, kForm[i], nextChords.front(), fill, heard, 0, 999);
    at += static_cast<uint32_t>(ParseChords(kForm[i].Chords).size()) * kBar;
  }
  if (at != kBar + 125 * kBar) Fail("the school-day loop is not 125 bars");
  const uint32_t jump = at;
  // Past the jump point the loop's first two bars once more (as performed),
  // then, a beat later so that those bars ring out whole, an end.
  at += 2 * kBar + kQuarter;
  for (int key : {60, 64, 67, 72}) AddNote(s, at, kBar - 60, kStrings, key, 66);
  for (int key : {60, 64, 67}) AddNote(s, at, kBar - 60, kPiano, key, 70);
  AddNote(s, at, kBar - 60, kFlute, 72, 84);
  AddNote(s, at, kBar - 60, kBass, 36, 90);
  AddNote(s, at, 200, 9, kCrash, 84);
  AddNote(s, at, 100, 9, kKick, 90);
  s.EndTick = at + kBar + kQuarter;

  // The held voices breathe with the phrases; the piano is pedalled.
  for (int ch : {kFlute, kClarinet, kStrings}) {
    s.Controls.push_back({0, static_cast<uint8_t>(0xB0 | ch), 11, 108});
    Swell(s, ch, kBar, jump, 108, 19);
    s.Controls.push_back({jump - 10, static_cast<uint8_t>(0xB0 | ch), 11, 108});
  }
  s.Controls.push_back({0, static_cast<uint8_t>(0xB0 | kPiano), 64, 0});
  Pedal(s, kPiano, kBar, jump);
  // 48 ticks are 54 ms at the loop's tempo. The track starts at 2400 ms,
  // tick 1880 of the lead-in bar.
  Perform(s, {0x5C4001DA7ull,
              {{kFlute, 10, 4, 6, 6},
               {kClarinet, 10, 4, 6, 6},
               {kPiano, 8, 2, 7, 4},
               {kStrings, 12, 6, 4, 4},
               {kBass, 6, 1, 5, 2},
               {kGlock, 6, 0, 6, 3},
               {9, 5, 0, 7, 2}},
              kBar,
              jump,
              48,
              {1880, kBar, jump}});
  RepeatAfterJump(s, kBar, jump, 2 * kBar);
  return s;
}

}  // namespace day

// ---- Track 2: high spirits --------------------------------------------------------

namespace spirits {

constexpr int kTrumpet = 0, kBrass = 1, kPiano = 2, kBass = 3, kSax = 4;

const char* const kThemeA =
    "C4:8 C4:8 E4:8 G4:8 r:8 G4:8 A4:8 G4:8 | F4:4 A4:4 C5:4. A4:8 |"
    "B4:8 A4:8 G4:8 B4:8 D5:4 B4:4 | C5:2 r:8 G4:8 E4:8 G4:8 |"
    "A4:8 A4:8 C5:8 E5:8 r:8 E5:8 D5:8 C5:8 | D5:4 C5:4 A4:4. F4:8 |"
    "G4:8 A4:8 B4:8 C5:8 D5:4 E5:4 | F5:4. E5:8 D5:4 B4:4";
const char* const kChordsA = "C | F | G | C | Am | F | G | G7";

const char* const kThemeA2 =
    "C4:8 C4:8 E4:8 G4:8 r:8 G4:8 A4:8 G4:8 | F4:4 A4:4 C5:4. A4:8 |"
    "B4:8 A4:8 G4:8 B4:8 D5:4 B4:4 | C5:4. B4:8 A4:4 E4:4 |"
    "F4:8 A4:8 C5:8 F5:8 r:8 F5:8 E5:8 D5:8 | E5:4 D5:4 B4:4. G4:8 |"
    "C5:8 E5:8 G5:8 E5:8 C5:4 G4:4 | C5:2. r:4";
const char* const kChordsA2 = "C | F | G | Am | F | G | C | C";

const char* const kThemeB =
    "A4:4 A4:8 C5:8 r:4 A4:8 G4:8 | B4:4 B4:8 D5:8 r:4 B4:8 A4:8 |"
    "G4:4 G4:8 B4:8 E5:4 D5:8 B4:8 | C5:2 A4:4 r:4 |"
    "D5:4 D5:8 F5:8 r:4 D5:8 C5:8 | B4:4 B4:8 D5:8 G5:4 F5:8 D5:8 |"
    "F5:4. E5:8 D5:4 C5:4 | B4:4 A4:8 G4:8 F4:4 D4:4";
const char* const kChordsB = "F | G | Em | Am | Dm | G | Dm7 | G7";

const char* const kThemeC =
    "E5:4. E5:8 D5:4 C5:4 | C5:4. A4:8 C5:2 | G4:8 C5:8 E5:8 G5:8 E5:4 C5:4 | D5:2. r:4 |"
    "E5:4. E5:8 F5:4 E5:4 | D5:4. C5:8 A4:2 | B4:8 C5:8 D5:8 E5:8 F5:8 E5:8 D5:8 B4:8 |"
    "G5:2 r:2";
const char* const kChordsC = "Am | F | C | G | Am | F | G | G7";

const char* const kThemeTag =
    "r:1 | r:1 | r:1 | r:2 E4:8 G4:8 A4:8 C5:8 | D5:4 F5:4 E5:4 D5:4 | B4:4 D5:4 G5:4 F5:4 |"
    "E5:8 G5:8 E5:8 C5:8 G4:2 | r:1";
const char* const kChordsTag = "F | G | Em | Am | Dm7 | G7 | C | G7";

enum class Drums { Drive, Lighter, Shout, Break };

struct Section {
  const char* Theme;
  const char* Chords;
  bool Sax;  // alto sax a third below the trumpet
  Comp Brass;
  BassStyle Bass;
  Drums Beat;
  int Level;
};

// The loop body: six sections of eight bars, 48 bars.
const Section kForm[] = {
    {kThemeA, kChordsA, false, Comp::Stabs, BassStyle::Drive, Drums::Drive, -2},
    {kThemeA2, kChordsA2, true, Comp::Stabs, BassStyle::Drive, Drums::Drive, 0},
    {kThemeB, kChordsB, false, Comp::Pads, BassStyle::Walk, Drums::Lighter, -4},
    {kThemeA2, kChordsA2, true, Comp::Stabs, BassStyle::Drive, Drums::Drive, 0},
    {kThemeC, kChordsC, true, Comp::Stabs, BassStyle::Octaves, Drums::Shout, 3},
    {kThemeTag, kChordsTag, false, Comp::Riff, BassStyle::Octaves, Drums::Break, 2},
};

void PlayBeat(Song& s, uint32_t bar, Drums beat, bool fill, int level, uint32_t inSection) {
  const int v = 86 + level;
  if (fill) {
    PlayDrums(s, bar,
              {{kKick, "x...x...x...x..."},
               {kSnare, "....x.x.xoxoXxXx"},
               {kHighTom, "........x......."},
               {kMidTom, "..........x....."},
               {kFloorTom, "............x.x."},
               {kClosedHat, "x.x.x.x........."}},
              v, inSection);
    return;
  }
  switch (beat) {
    case Drums::Drive:
      PlayDrums(s, bar,
                {{kKick, "x...x...x...x..."},
                 {kSnare, "....X.......X..."},
                 {kClosedHat, "x...x...x...x..."},
                 {kOpenHat, "..o...o...o...o."},
                 {kTambourine, "o.o.o.o.o.o.o.o."}},
                v, inSection);
      break;
    case Drums::Lighter:
      PlayDrums(s, bar,
                {{kKick, "x.....x.x......."},
                 {kSnare, "....x.......x..."},
                 {kClosedHat, "x.x.x.x.x.x.x.x."}},
                v - 6, inSection);
      break;
    case Drums::Shout:
      PlayDrums(s, bar,
                {{kKick, "x...x...x...x..."},
                 {kSnare, "....X.......X..."},
                 {kClap, "....x.......x..."},
                 {kClosedHat, "x.x.x.x.x.x.x.x."},
                 {kOpenHat, "..............o."},
                 {kTambourine, "o.o.o.o.o.o.o.o."}},
                v + 2, inSection);
      break;
    case Drums::Break:
      PlayDrums(s, bar,
                {{kKick, "x..x..x...x....."},
                 {kSnare, "....X.......X..."},
                 {kClosedHat, "x.x.x.x.x.x.x.x."}},
                v, inSection);
      break;
  }
}

void PlaySection(Song& s, uint32_t start, const Section& sec, const std::vector<Chord>& next,
                 bool heardBefore, std::size_t first, std::size_t count) {
  const auto written = ParseMelody(sec.Theme);
  const auto theme = heardBefore ? Ornament(written, start) : written;
  const auto chords = ParseChords(sec.Chords);
  if (theme.size() != chords.size()) Fail(std::string("theme and chords differ: ") + sec.Theme);
  const int lv = sec.Level;
  PlayMelody(s, start, theme, {kTrumpet, 0, 96 + lv, 0, 0.86}, first, count);
  if (sec.Sax) PlayMelody(s, start, theme, {kSax, 0, 80 + lv, -2, 0.86}, first, count);
  // The chords stay under the trumpet, whose lowest note is middle C.
  PlayComp(s, start, chords, sec.Brass, kBrass, 48, (sec.Brass == Comp::Pads ? 62 : 84) + lv, first,
           count);
  PlayComp(s, start, chords, Comp::Offbeat, kPiano, 48, 72 + lv, first, count);
  PlayBass(s, start, chords, next, sec.Bass, kBass, 31, 92 + lv, first, count);
  for (std::size_t b = first; b < chords.size() && b < first + count; ++b) {
    const uint32_t bar = start + static_cast<uint32_t>(b - first) * kBar;
    const uint32_t inSection = static_cast<uint32_t>(b) * kBar;
    if (b == 0) AddNote(s, bar, 200, 9, kCrash, 90 + lv);
    const bool fill = b + 1 == chords.size();
    PlayBeat(s, bar, sec.Beat, fill, lv, inSection);
    // The drummer marks the end of a four-bar phrase with a pick-up.
    if (b % 4 == 3 && !fill)
      PlayDrums(s, bar, {{kSnare, "..............oo"}, {kMidTom, "...............o"}}, 84 + lv,
                inSection);
  }
}

Song Compose() {
  Song s;
  s.Name = "High Spirits";
  s.Transpose = 5;  // F major
  // A silent bar of 1600 ms (the track always starts 1.6 s in), a fanfare
  // of two bars at 370 ms a beat ending at 4560 ms, then 1605 ms bars.
  s.Tempos = {{0, 400000}, {kBar, 370000}, {3 * kBar, 401250}};
  SetUpChannel(s, kTrumpet, 56, 100, 60, 44, 0);
  SetUpChannel(s, kBrass, 61, 80, 80, 44, 0);
  SetUpChannel(s, kPiano, 1, 80, 40, 36, 0);
  SetUpChannel(s, kBass, 34, 102, 64, 20, 0);
  SetUpChannel(s, kSax, 65, 84, 70, 44, 0);
  SetUpChannel(s, 9, 0, 98, 64, 30, 0);

  // The opening, heard at every switch to this track: no tune to tire of,
  // only a lift into the song. A brass chord swells under a piano run that
  // climbs two octaves, the bass walks up, and a light snare pick-up leads
  // into the first bar.
  const int run[] = {43, 48, 52, 55, 60, 64, 67, 72, 47, 50,
                     53, 55, 59, 62, 65, 67, 71, 74, 77, 79};
  for (int i = 0; i < 14; ++i)
    AddNote(s, kBar + static_cast<uint32_t>(i) * 240, 220, kPiano, run[i], 62 + 2 * i);
  for (int i = 14; i < 20; ++i)
    AddNote(s, kBar + 14 * 240 + static_cast<uint32_t>(i - 14) * 80, 70, kPiano, run[i], 80 + i);
  for (int key : {48, 52, 55, 60}) AddNote(s, kBar, kBar - 40, kBrass, key, 78);
  for (int key : {47, 50, 53, 55}) AddNote(s, 2 * kBar, kBar - 200, kBrass, key, 76);
  const uint8_t brassCc = static_cast<uint8_t>(0xB0 | kBrass);
  for (int i = 0; i <= 16; ++i)
    s.Controls.push_back(
        {kBar + static_cast<uint32_t>(i) * 210, brassCc, 11, static_cast<uint8_t>(74 + 2 * i)});
  AddNote(s, kBar, kBar - 40, kBass, 36, 80);
  const int walk[] = {31, 33, 35, 38};
  for (int i = 0; i < 4; ++i)
    AddNote(s, 2 * kBar + static_cast<uint32_t>(i) * 480, 420, kBass, walk[i], 82 + 3 * i);
  for (int i = 0; i < 16; ++i)
    AddNote(s, kBar + static_cast<uint32_t>(i) * 240, 90, 9, kTambourine, i % 2 ? 44 : 56);
  const int pickup[] = {kSnare, kSnare, kMidTom, kSnare, kLowTom, kSnare, kSnare, kSnare};
  for (int i = 0; i < 8; ++i)
    AddNote(s, 2 * kBar + 960 + static_cast<uint32_t>(i) * 120, 90, 9, pickup[i], 56 + 5 * i);
  AddNote(s, kBar, 100, 9, kKick, 60);

  const std::size_t n = std::size(kForm);
  uint32_t at = 3 * kBar;
  for (std::size_t i = 0; i < n; ++i) {
    const auto nextChords = ParseChords(kForm[(i + 1) % n].Chords);
    bool heard = false;
    for (std::size_t j = 0; j < i; ++j) heard = heard || kForm[j].Theme == kForm[i].Theme;
    PlaySection(s, at, kForm[i], nextChords.front(), heard, 0, 999);
    at += static_cast<uint32_t>(ParseChords(kForm[i].Chords).size()) * kBar;
  }
  if (at != 3 * kBar + 48 * kBar) Fail("the high-spirits loop is not 48 bars");
  const uint32_t jump = at;
  at += 2 * kBar + kQuarter;
  for (int key : {60, 64, 67}) AddNote(s, at, kBar - 60, kBrass, key, 96);
  AddNote(s, at, kBar - 60, kTrumpet, 72, 100);
  AddNote(s, at, kBar - 60, kSax, 67, 84);
  AddNote(s, at, kBar - 60, kBass, 36, 96);
  AddNote(s, at, 200, 9, kCrash, 100);
  AddNote(s, at, 100, 9, kKick, 100);
  s.EndTick = at + kBar + kQuarter;

  // The horns breathe with the phrases; the piano is pedalled where the
  // brass holds chords (the third section).
  for (int ch : {kTrumpet, kSax, kBrass}) {
    s.Controls.push_back({0, static_cast<uint8_t>(0xB0 | ch), 11, 110});
    if (ch == kBrass)
      s.Controls.push_back({3 * kBar - 10, static_cast<uint8_t>(0xB0 | ch), 11, 110});
    Swell(s, ch, 3 * kBar, jump, 110, 17);
    s.Controls.push_back({jump - 10, static_cast<uint8_t>(0xB0 | ch), 11, 110});
  }
  s.Controls.push_back({0, static_cast<uint8_t>(0xB0 | kPiano), 64, 0});
  Pedal(s, kPiano, 3 * kBar + 16 * kBar, 3 * kBar + 24 * kBar);
  // 60 ticks are 50 ms at the loop's tempo.
  Perform(s, {0xB16'5917'175ull,
              {{kTrumpet, 8, 3, 6, 6},
               {kSax, 8, 4, 6, 5},
               {kBrass, 8, 2, 6, 4},
               {kPiano, 6, 1, 6, 3},
               {kBass, 5, 0, 5, 2},
               {9, 4, 0, 7, 2}},
              3 * kBar,
              jump,
              60,
              {kBar, 3 * kBar, jump}});
  RepeatAfterJump(s, 3 * kBar, jump, 2 * kBar);
  return s;
}

}  // namespace spirits

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: compose OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  WriteSong(day::Compose(), dir + "/bg1.mid",
            {"Flute", "Clarinet", "Piano", "Strings", "Bass", "Glockenspiel", "", "", "", "Drums"});
  WriteSong(spirits::Compose(), dir + "/bg2.mid",
            {"Trumpet", "Brass", "Piano", "Bass", "Alto Sax", "", "", "", "", "Drums"});
  return 0;
}
