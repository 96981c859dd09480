// The music and effects shipped in da/, as the generators wrote them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// The notes of a song as played: on, off, channel, key, velocity.
struct Played {
  uint32_t Tick, OffTick;
  int64_t TimeUs;
  int Channel, Key, Velocity;
};

std::vector<Played> NotesOf(const MidiSong& s, int* unmatchedOffs = nullptr,
                            int* hanging = nullptr) {
  std::vector<Played> out;
  std::map<int, std::size_t> open;  // channel * 128 + key -> index in out
  int offs = 0;
  for (const MidiEvent& e : s.Events) {
    const int kind = e.Status & 0xF0, ch = e.Status & 0x0F, id = ch * 128 + e.Data1;
    if (kind == 0x90 && e.Data2 > 0) {
      if (open.count(id)) out[open[id]].OffTick = e.Tick;  // struck again: the old one ends
      open[id] = out.size();
      out.push_back({e.Tick, 0, e.TimeUs, ch, e.Data1, e.Data2});
    } else if (kind == 0x80 || kind == 0x90) {
      auto it = open.find(id);
      if (it == open.end()) {
        ++offs;
        continue;
      }
      out[it->second].OffTick = e.Tick;
      open.erase(it);
    }
  }
  if (unmatchedOffs) *unmatchedOffs = offs;
  if (hanging) *hanging = static_cast<int>(open.size());
  return out;
}

TEST(ShippedMusic, EveryNoteEndsAndEveryEndHasItsNote) {
  for (const TrackCase& c : kTracks) {
    int offs = -1, hanging = -1;
    const std::vector<Played> notes = NotesOf(Load(c.File), &offs, &hanging);
    EXPECT_GT(notes.size(), 500u) << c.File;
    EXPECT_EQ(offs, 0) << c.File << ": note-offs without a note";
    EXPECT_EQ(hanging, 0) << c.File << ": notes never released";
    int restruck = 0;  // a key struck again while it still sounds
    std::map<int, uint32_t> lastOff;
    for (const Played& n : notes) {
      auto it = lastOff.find(n.Channel * 128 + n.Key);
      if (it != lastOff.end() && it->second > n.Tick) ++restruck;
      lastOff[n.Channel * 128 + n.Key] = n.OffTick;
    }
    EXPECT_EQ(restruck, 0) << c.File;
  }
}

// Recurring sections are played again, not copied: no eight bars of the
// file (every note's place, key, loudness and length) recur anywhere.
TEST(ShippedMusic, NoEightBarsAreAnExactCopy) {
  for (const TrackCase& c : kTracks) {
    const MidiSong s = Load(c.File);
    const uint32_t bar = 4u * static_cast<uint32_t>(s.Division), span = 8 * bar;
    const std::vector<Played> notes = NotesOf(s);
    std::map<std::vector<std::array<uint32_t, 5>>, uint32_t> seen;
    int copies = 0;
    for (uint32_t from = 0; from + span <= s.LengthTicks; from += bar) {
      std::vector<std::array<uint32_t, 5>> window;
      for (const Played& n : notes)
        if (n.Tick >= from && n.Tick < from + span)
          window.push_back({n.Tick - from, static_cast<uint32_t>(n.Channel),
                            static_cast<uint32_t>(n.Key), static_cast<uint32_t>(n.Velocity),
                            n.OffTick - n.Tick});
      if (window.empty()) continue;
      std::sort(window.begin(), window.end());
      auto [it, fresh] = seen.emplace(window, from / bar);
      if (!fresh) {
        ++copies;
        ADD_FAILURE() << c.File << ": bars from " << from / bar << " copy bars from " << it->second;
      }
    }
    std::printf("%s: %d exact eight-bar copies\n", c.File, copies);
  }
}

// A player, not a sequencer: most notes leave the sixteenth-note grid, the
// held voices swell (expression) and the piano is pedalled.
TEST(ShippedMusic, PlayedWithTimingExpressionAndPedal) {
  for (const TrackCase& c : kTracks) {
    const MidiSong s = Load(c.File);
    int off = 0, all = 0, expression = 0, pedal = 0;
    for (const Played& n : NotesOf(s))
      if (n.Channel != 9) off += n.Tick % (s.Division / 4) != 0, ++all;
    for (const MidiEvent& e : s.Events) {
      if ((e.Status & 0xF0) != 0xB0) continue;
      expression += e.Data1 == 11;
      pedal += e.Data1 == 64 && e.Data2 >= 64;
    }
    EXPECT_GT(off, all / 2) << c.File;
    EXPECT_GT(expression, 100) << c.File;
    EXPECT_GE(pedal, 16) << c.File;
  }
}

// Track 2's trumpet sings above the chords: a note at or below the highest
// chord note sounding under it (brass, piano) is buried.
TEST(ShippedMusic, TheTrumpetStandsAboveTheChords) {
  const std::vector<Played> notes = NotesOf(Load("bg2.mid"));
  int buried = 0, accompanied = 0;
  for (const Played& m : notes) {
    if (m.Channel != 0) continue;
    int top = -1;
    for (const Played& a : notes)
      if ((a.Channel == 1 || a.Channel == 2) && a.Tick <= m.Tick && a.OffTick > m.Tick)
        top = std::max(top, a.Key);
    if (top < 0) continue;
    ++accompanied;
    buried += m.Key <= top;
  }
  ASSERT_GT(accompanied, 100);
  std::printf("bg2.mid: %d of %d trumpet notes (%.1f %%) inside the chords under them\n", buried,
              accompanied, 100.0 * buried / accompanied);
  EXPECT_LE(buried * 20, accompanied) << "at most 5 %";
}

// The game notices the jump point up to a frame late: a note struck just
// before it is cut at once, and one struck just after it is heard and then
// struck again at the target. So 40 ms either side of the jump point, and
// after the target, no note starts.
TEST(ShippedMusic, NothingStartsInTheFortyMillisecondsAroundTheJump) {
  for (const TrackCase& c : kTracks) {
    const std::vector<Played> notes = NotesOf(Load(c.File));
    int before = 0, after = 0, atTarget = 0;
    const int64_t jump = c.JumpMs * 1000, target = c.TargetMs * 1000;
    for (const Played& n : notes) {
      before += n.TimeUs >= jump - 40000 && n.TimeUs < jump;
      after += n.TimeUs >= jump && n.TimeUs < jump + 40000;
      atTarget += n.TimeUs >= target && n.TimeUs < target + 40000;
    }
    std::printf(
        "%s: note starts in the 40 ms before the jump %d, after it %d, after the target %d\n",
        c.File, before, after, atTarget);
    EXPECT_EQ(before, 0) << c.File;
    EXPECT_EQ(after, 0) << c.File;
    EXPECT_EQ(atTarget, 0) << c.File;
  }
}

TEST(ShippedMusic, TheGeneratorRebuildsBothFilesByteForByte) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("compose_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  ASSERT_EQ(std::system((std::string(COMPOSE_BIN) + " " + dir.string()).c_str()), 0);
  for (const TrackCase& c : kTracks) {
    auto bytes = [](const std::filesystem::path& p) {
      std::ifstream f(p, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(f), {});
    };
    const std::string made = bytes(dir / c.File);
    EXPECT_FALSE(made.empty()) << c.File;
    EXPECT_TRUE(made == bytes(Shipped(c.File))) << "da/" << c.File << " is stale: run make assets";
  }
  std::filesystem::remove_all(dir);
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
