// The music and effects shipped in da/, as the generators wrote them.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "sound/midi.h"
#include "sound/wav.h"

namespace {

std::string Shipped(const std::string& name) {
  return std::string(KURUNOA_SOURCE_DIR) + "/da/" + name;
}

struct TrackCase {
  const char* File;
  int64_t StartMs;   // where the game starts the track
  int64_t JumpMs;    // where it jumps back from
  int64_t TargetMs;  // and to
};

const TrackCase kTracks[] = {{"bg1.mid", 2400, 271200, 2450}, {"bg2.mid", 1600, 81600, 4560}};

MidiSong Load(const char* file) {
  MidiSong s;
  std::string error;
  EXPECT_TRUE(ReadMidiFile(Shipped(file), &s, &error)) << error;
  return s;
}

// The bar line at the time, or -1 when the time falls inside a bar.
int64_t BarLineAt(const MidiSong& s, int64_t ms) {
  const uint32_t bar = 4u * static_cast<uint32_t>(s.Division);
  for (uint32_t tick = 0; tick <= s.LengthTicks; tick += bar) {
    if (MidiTickTimeUs(s, tick) == ms * 1000) return tick;
  }
  return -1;
}

// Notes sounding across a tick (on before it, off after it).
int NotesHeldAcross(const MidiSong& s, uint32_t tick) {
  std::map<int, uint32_t> on;  // channel * 128 + key -> tick of the note-on
  int held = 0;
  for (const MidiEvent& e : s.Events) {
    const int kind = e.Status & 0xF0;
    const int id = (e.Status & 0x0F) * 128 + e.Data1;
    if (kind == 0x90 && e.Data2 > 0) {
      on[id] = e.Tick;
    } else if (kind == 0x80 || kind == 0x90) {
      auto it = on.find(id);
      if (it != on.end() && it->second < tick && e.Tick > tick) ++held;
      if (it != on.end()) on.erase(it);
    }
  }
  return held;
}

TEST(ShippedMusic, GeneralMidiWithMelodyHarmonyBassAndDrums) {
  for (const TrackCase& c : kTracks) {
    const MidiSong s = Load(c.File);
    EXPECT_EQ(s.Format, 1) << c.File;
    std::set<int> noteChannels;
    std::map<int, uint32_t> firstNote, program;
    for (const MidiEvent& e : s.Events) {
      const int ch = e.Status & 0x0F;
      if ((e.Status & 0xF0) == 0x90) {
        noteChannels.insert(ch);
        firstNote.emplace(ch, e.Tick);
      }
      if ((e.Status & 0xF0) == 0xC0) program.emplace(ch, e.Tick);
    }
    EXPECT_TRUE(noteChannels.count(9)) << c.File << ": drums on channel 10";
    EXPECT_GE(noteChannels.size(), 5u) << c.File;
    for (int ch : noteChannels) {
      ASSERT_TRUE(program.count(ch)) << c.File << " channel " << ch;
      EXPECT_LE(program[ch], firstNote[ch]) << c.File << " channel " << ch;
    }
    for (const MidiTimeSignature& t : s.TimeSignatures) {
      EXPECT_EQ(t.Numerator, 4) << c.File;
      EXPECT_EQ(t.DenominatorPower, 2) << c.File;
    }
    EXPECT_GT(s.LengthUs, c.JumpMs * 1000) << c.File << " must run past its jump point";
  }
}

TEST(ShippedMusic, JumpPointAndTargetFallOnBarLines) {
  for (const TrackCase& c : kTracks) {
    const MidiSong s = Load(c.File);
    EXPECT_GE(BarLineAt(s, c.JumpMs), 0) << c.File << " at " << c.JumpMs;
    EXPECT_GE(BarLineAt(s, c.TargetMs), 0) << c.File << " at " << c.TargetMs;
  }
  // High spirits is the faster of the two.
  const MidiSong day = Load("bg1.mid"), spirits = Load("bg2.mid");
  EXPECT_LT(spirits.Tempos.back().UsPerQuarter, day.Tempos.back().UsPerQuarter);
}

TEST(ShippedMusic, WhatFollowsTheJumpPointIsWhatFollowsTheTarget) {
  for (const TrackCase& c : kTracks) {
    const MidiSong s = Load(c.File);
    const int64_t jump = BarLineAt(s, c.JumpMs), target = BarLineAt(s, c.TargetMs);
    ASSERT_GE(jump, 0);
    ASSERT_GE(target, 0);
    // Two bars after each, event for event, at the same tempo.
    const uint32_t span = 8u * static_cast<uint32_t>(s.Division);
    auto window = [&](int64_t from) {
      std::vector<MidiEvent> w;
      for (const MidiEvent& e : s.Events) {
        if (e.Tick >= from && e.Tick < from + span) w.push_back(e);
      }
      return w;
    };
    const std::vector<MidiEvent> after = window(jump), again = window(target);
    ASSERT_FALSE(after.empty()) << c.File;
    ASSERT_EQ(after.size(), again.size()) << c.File;
    for (std::size_t i = 0; i < after.size(); ++i) {
      EXPECT_EQ(after[i].Tick - jump, again[i].Tick - target) << c.File << " " << i;
      EXPECT_EQ(after[i].TimeUs - c.JumpMs * 1000, again[i].TimeUs - c.TargetMs * 1000)
          << c.File << " " << i;
      EXPECT_EQ(after[i].Status, again[i].Status) << c.File << " " << i;
      EXPECT_EQ(after[i].Data1, again[i].Data1) << c.File << " " << i;
      EXPECT_EQ(after[i].Data2, again[i].Data2) << c.File << " " << i;
    }
    // The synth is set up the same at both places.
    MidiChannelState atJump[16], atTarget[16];
    MidiChase(s, MidiFirstEventAt(s, c.JumpMs * 1000), atJump);
    MidiChase(s, MidiFirstEventAt(s, c.TargetMs * 1000), atTarget);
    for (int ch = 0; ch < 16; ++ch) {
      EXPECT_EQ(atJump[ch].Program, atTarget[ch].Program) << c.File << " " << ch;
      for (int cc = 0; cc < 128; ++cc) {
        EXPECT_EQ(atJump[ch].Controller[cc], atTarget[ch].Controller[cc]) << c.File << " " << cc;
      }
    }
    // A seek cuts notes: none may be sounding at the jump, the target or the start.
    for (int64_t ms : {c.JumpMs, c.TargetMs}) {
      EXPECT_EQ(NotesHeldAcross(s, static_cast<uint32_t>(BarLineAt(s, ms))), 0) << c.File << ms;
    }
  }
}

TEST(ShippedMusic, NothingHeldOverTheStartOfTheTrack) {
  for (const TrackCase& c : kTracks) {
    const MidiSong s = Load(c.File);
    uint32_t tick = 0;
    while (MidiTickTimeUs(s, tick + 1) <= c.StartMs * 1000) ++tick;
    EXPECT_EQ(NotesHeldAcross(s, tick), 0) << c.File;
  }
}

TEST(ShippedEffects, SixteenBitShortAndAudible) {
  std::vector<std::vector<float>> all;
  for (int n : {0, 1, 3, 4, 5, 6, 7, 8}) {
    const std::string file = "se" + std::to_string(n) + ".wav";
    WavSound w;
    std::string error;
    ASSERT_TRUE(ReadWavFile(Shipped(file), &w, &error)) << error;
    EXPECT_EQ(w.BitsPerSample, 16) << file;
    const double seconds = static_cast<double>(w.Samples.size()) / w.Rate;
    EXPECT_GE(seconds, 0.05) << file;
    EXPECT_LE(seconds, 3.0) << file;
    double peak = 0, sum = 0;
    for (float v : w.Samples) {
      peak = std::max(peak, static_cast<double>(std::fabs(v)));
      sum += v * v;
    }
    const double rmsDb = 20 * std::log10(std::sqrt(sum / w.Samples.size()));
    EXPECT_GT(rmsDb, -30.0) << file << " is too quiet";
    EXPECT_LT(peak, 0.99) << file << " clips";
    for (const auto& other : all) EXPECT_NE(other, w.Samples) << file << " repeats an effect";
    all.push_back(w.Samples);
  }
}

}  // namespace
