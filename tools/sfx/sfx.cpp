// Synthesizes the game's sound effects as 16-bit mono wave files:
//   se0 collected reward   a bright rising bell arpeggio
//   se1 throw              a whoosh of swept noise
//   se3 pick-up, gate      a ding
//   se4 failed gate        a low descending buzz
//   se5 reward landing     a thud with a wooden knock on top
//   se6 mirror or cake     a sparkle of little chimes
//   se7 thumbtacks         a sharp prick and an "ouch"
//   se8 cat hit            a startled yowl
// Every effect carries most of its energy between 300 Hz and 4 kHz, where
// laptop speakers play and the music leaves room, so each cuts through the
// music at the level the engine mixes it.
// Deterministic: the same files on every run.
//
// Usage: sfx OUTDIR
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sound/wav.h"

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Sound = std::vector<float>;

Sound Silence(double seconds) { return Sound(static_cast<std::size_t>(seconds * kRate), 0.0f); }

double TimeOf(std::size_t i) { return static_cast<double>(i) / kRate; }

// A fixed noise source.
struct Noise {
  uint32_t State = 0x9E3779B9u;
  double Next() {
    State ^= State << 13;
    State ^= State >> 17;
    State ^= State << 5;
    return State / 2147483648.0 - 1.0;
  }
};

// A state-variable filter that stays stable while its frequency moves.
struct Filter {
  double Ic1 = 0, Ic2 = 0;
  // Returns low, band and high pass of the input.
  void Run(double in, double freq, double q, double* low, double* band, double* high) {
    const double g = std::tan(kPi * std::min(freq, 0.45 * kRate) / kRate);
    const double k = 1.0 / q;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = in - Ic2;
    const double v1 = a1 * Ic1 + a2 * v3;
    const double v2 = Ic2 + a2 * Ic1 + a3 * v3;
    Ic1 = 2 * v1 - Ic1;
    Ic2 = 2 * v2 - Ic2;
    *low = v2;
    *band = v1;
    *high = in - k * v1 - v2;
  }
  double Band(double in, double freq, double q) {
    double l, b, h;
    Run(in, freq, q, &l, &b, &h);
    return b;
  }
  double Low(double in, double freq, double q) {
    double l, b, h;
    Run(in, freq, q, &l, &b, &h);
    return l;
  }
  double High(double in, double freq, double q) {
    double l, b, h;
    Run(in, freq, q, &l, &b, &h);
    return h;
  }
};

// A band-limited sawtooth from its harmonics.
double Saw(double phase, double freq) {
  double v = 0;
  for (int k = 1; k * freq < 9000.0 && k <= 40; ++k) v += std::sin(k * phase) / k;
  return v * 0.6;
}

// Adds a struck bell: partials as (ratio, level, decay seconds).
struct Partial {
  double Ratio, Level, Decay;
};

void AddBell(Sound& s, double start, double freq, double level, const std::vector<Partial>& parts) {
  const std::size_t from = static_cast<std::size_t>(start * kRate);
  for (std::size_t i = from; i < s.size(); ++i) {
    const double t = TimeOf(i - from);
    const double attack = std::min(1.0, t / 0.002);
    double v = 0;
    for (const Partial& p : parts) {
      v += p.Level * std::exp(-t / p.Decay) * std::sin(2 * kPi * freq * p.Ratio * t);
    }
    s[i] += static_cast<float>(level * attack * v);
  }
}

// Scales to the peak and smooths both ends so nothing clicks.
void Finish(Sound& s, double peak) {
  float max = 0;
  for (float v : s) max = std::max(max, std::fabs(v));
  if (max > 0) {
    for (float& v : s) v = static_cast<float>(v * peak / max);
  }
  const std::size_t fadeIn = kRate / 1000;
  const std::size_t fadeOut = std::min<std::size_t>(s.size() / 4, kRate / 50);
  for (std::size_t i = 0; i < fadeIn && i < s.size(); ++i) {
    s[i] *= static_cast<float>(i) / fadeIn;
  }
  for (std::size_t i = 0; i < fadeOut; ++i) {
    s[s.size() - 1 - i] *= static_cast<float>(i) / fadeOut;
  }
}

// ---- The effects ----------------------------------------------------------------

Sound Reward() {
  Sound s = Silence(0.75);
  const std::vector<Partial> bell = {{1, 1, 0.22}, {2, 0.35, 0.12}, {3, 0.12, 0.07}};
  const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};  // C E G C
  for (int i = 0; i < 4; ++i) {
    AddBell(s, 0.065 * i, notes[i], i == 3 ? 1.0 : 0.8,
            i == 3 ? std::vector<Partial>{{1, 1, 0.3}, {2, 0.3, 0.15}, {3, 0.1, 0.08}} : bell);
  }
  Finish(s, 0.82);
  return s;
}

Sound Throw() {
  Sound s = Silence(0.30);
  Noise noise;
  Filter f;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = TimeOf(i) / 0.30;
    // Sweeps up past the ear and falls away.
    const double freq = 500 + 2600 * std::sin(kPi * std::min(1.0, t * 1.3));
    const double env = std::pow(std::sin(kPi * t), 0.8);
    // Gently saturated: a fuller rush at the same peak.
    s[i] = static_cast<float>(std::tanh(2.5 * env * f.Band(noise.Next(), freq, 1.8)));
  }
  Finish(s, 0.74);
  return s;
}

Sound Ding() {
  Sound s = Silence(0.9);
  AddBell(s, 0, 1760.0, 1.0, {{1, 1, 0.35}, {2.76, 0.28, 0.12}, {5.4, 0.1, 0.05}, {2, 0.15, 0.2}});
  Finish(s, 0.78);
  return s;
}

Sound FailBuzz() {
  Sound s = Silence(0.7);
  Filter f;
  double p1 = 0, p2 = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = TimeOf(i);
    // Two falling steps, the second lower and longer.
    const double freq = t < 0.25 ? 233.0 - 40 * t : 174.0 * std::pow(0.5, (t - 0.25) / 0.9);
    p1 += 2 * kPi * freq / kRate;
    p2 += 2 * kPi * freq * 1.008 / kRate;
    const double wobble = 1.0 - 0.25 * (0.5 + 0.5 * std::sin(2 * kPi * 7 * t));
    double env = std::min(1.0, t / 0.01);
    if (t > 0.21 && t < 0.27) {
      env *= 1 - 0.7 * std::sin(kPi * (t - 0.21) / 0.06);  // the break between the steps
    }
    env *= t > 0.55 ? std::max(0.0, 1 - (t - 0.55) / 0.15) : 1.0;
    const double raw = Saw(p1, freq) + Saw(p2, freq * 1.008);
    s[i] = static_cast<float>(env * wobble * f.Low(raw, 2600, 0.8));
  }
  Finish(s, 0.82);
  return s;
}

Sound Thud() {
  Sound s = Silence(0.15);
  Noise noise;
  Filter f, clack;
  double phase = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = TimeOf(i);
    const double freq = 60 + 120 * std::exp(-t / 0.04);
    phase += 2 * kPi * freq / kRate;
    const double body = std::exp(-t / 0.05) * std::sin(phase) * 0.45;
    // A little felt on the first few milliseconds.
    const double knock = std::exp(-t / 0.006) * f.Low(noise.Next(), 900, 0.7) * 0.8;
    // The knock of the object on the ground: two woody partials and a
    // click, which small speakers carry where the thud itself is lost.
    const double wood = std::exp(-t / 0.04) *
                        (std::sin(2 * kPi * 740 * t) + 0.6 * std::sin(2 * kPi * 1870 * t)) * 1.5;
    const double click = std::exp(-t / 0.012) * clack.Band(noise.Next(), 2400, 1.2) * 3.0;
    // Rounded off rather than clipped, which keeps the knock dense.
    s[i] = static_cast<float>(std::tanh(body + knock + wood + click));
  }
  Finish(s, 0.64);
  return s;
}

Sound Sparkle() {
  Sound s = Silence(0.85);
  Noise noise;
  for (int i = 0; i < 16; ++i) {
    const double start = 0.035 * i + 0.012 * (noise.Next() + 1);
    const double freq = 1500 + 1100 * (noise.Next() + 1) + 40 * i;
    const double level = 0.9 - 0.03 * i;
    AddBell(s, start, freq, level, {{1, 1, 0.08 + 0.02 * (noise.Next() + 1)}, {2.0, 0.2, 0.03}});
  }
  Finish(s, 0.80);
  return s;
}

Sound Ouch() {
  Sound s = Silence(0.45);
  Noise noise;
  Filter prick, f1, f2;
  double phase = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = TimeOf(i);
    // The prick: a bright click.
    double v = std::exp(-t / 0.004) * prick.High(noise.Next(), 3000, 0.7) * 1.2;
    // "Ouch": a falling voice from "ah" to "oo".
    if (t > 0.02) {
      const double u = t - 0.02;
      const double freq = 320 + 420 * std::exp(-u / 0.12);
      phase += 2 * kPi * freq / kRate;
      const double voice = Saw(phase, freq);
      const double open = std::exp(-u / 0.18);
      const double env = std::min(1.0, u / 0.012) * std::max(0.0, 1 - u / 0.42);
      const double formants =
          f1.Band(voice, 400 + 450 * open, 5) * 1.0 + f2.Band(voice, 850 + 500 * open, 6) * 0.6;
      v += env * formants * 1.6;
    }
    s[i] = static_cast<float>(v);
  }
  Finish(s, 0.74);
  return s;
}

Sound Yowl() {
  Sound s = Silence(0.75);
  Noise noise;
  Filter f1, f2, f3, breath;
  double phase = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = TimeOf(i);
    // Up in alarm, a wavering hold, and down.
    double freq;
    if (t < 0.12) {
      freq = 480 + 520 * (t / 0.12);
    } else if (t < 0.42) {
      freq = 1000 + 40 * std::sin(2 * kPi * 9 * t);
    } else {
      freq = 1000 * std::pow(0.55, (t - 0.42) / 0.3);
    }
    phase += 2 * kPi * freq / kRate;
    const double voice = Saw(phase, freq) + 0.15 * breath.Band(noise.Next(), freq * 2, 1.5);
    // The mouth opens from "ee" to "ah" and closes to "ow".
    const double open = t < 0.2 ? t / 0.2 : std::max(0.0, 1 - (t - 0.2) / 0.55);
    const double fa = 350 + 550 * open;
    const double fb = 2100 - 800 * open;
    const double env = std::min(1.0, t / 0.02) * std::max(0.0, 1 - std::pow(t / 0.75, 3));
    const double v =
        f1.Band(voice, fa, 4) + 0.7 * f2.Band(voice, fb, 5) + 0.25 * f3.Band(voice, 3000, 6);
    s[i] = static_cast<float>(env * v);
  }
  Finish(s, 0.82);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sfx OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct Effect {
    int Number;
    Sound (*Make)();
  };
  const Effect effects[] = {{0, Reward}, {1, Throw},   {3, Ding}, {4, FailBuzz},
                            {5, Thud},   {6, Sparkle}, {7, Ouch}, {8, Yowl}};
  for (const Effect& e : effects) {
    const std::string path = dir + "/se" + std::to_string(e.Number) + ".wav";
    std::string error;
    if (!WriteWavFile(path, kRate, e.Make(), &error)) {
      std::fprintf(stderr, "sfx: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
