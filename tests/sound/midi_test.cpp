// The MIDI reader, its timeline and the seek chase.
#include "sound/midi.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fixtures.h"

namespace {

MidiSong Parse(const Bytes& file) {
  MidiSong song;
  std::string error;
  EXPECT_TRUE(ParseMidi(file.data(), file.size(), &song, &error)) << error;
  return song;
}

std::vector<int64_t> Times(const MidiSong& s) {
  std::vector<int64_t> t;
  for (const MidiEvent& e : s.Events) t.push_back(e.TimeUs);
  return t;
}

TEST(MidiReader, TempoChangesMoveTheTimeline) {
  // 96 ticks a quarter: a quarter at 120 bpm, then quarters at 240 bpm.
  const MidiSong s =
      Parse(Smf(0, 96, {Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500000 us
                               0x00, 0x90, 0x3C, 0x64,                    //
                               0x60, 0x80, 0x3C, 0x00,                    // tick 96
                               0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90,  // 250000 us
                               0x60, 0x90, 0x3E, 0x64,                    // tick 192
                               0x81, 0x40, 0x80, 0x3E, 0x00,              // tick 384
                               0x00, 0xFF, 0x2F, 0x00})}));
  EXPECT_EQ(Times(s), (std::vector<int64_t>{0, 500000, 750000, 1250000}));
  EXPECT_EQ(s.LengthUs, 1250000);
  EXPECT_EQ(s.LengthTicks, 384u);
  ASSERT_EQ(s.Tempos.size(), 2u);
  EXPECT_EQ(MidiTickTimeUs(s, 144), 625000) << "between events, by the second tempo";
}

TEST(MidiReader, RunningStatus) {
  const MidiSong s = Parse(Smf(0, 96, {Track({0x00, 0x90, 0x3C, 0x64,  //
                                              0x10, 0x3E, 0x64,        // note on, running
                                              0x10, 0x3C, 0x00,        // velocity 0, running
                                              0x00, 0xC1, 0x05,  // program change: one data byte
                                              0x10, 0x07,        // running program change
                                              0x00, 0xFF, 0x01, 0x01, 'x',  // a text event
                                              0x10, 0x09,                   // runs on past it
                                              0x00, 0xFF, 0x2F, 0x00})}));
  ASSERT_EQ(s.Events.size(), 6u);
  const uint8_t want[][4] = {{0x90, 0x3C, 0x64, 0}, {0x90, 0x3E, 0x64, 16}, {0x90, 0x3C, 0, 32},
                             {0xC1, 0x05, 0, 32},   {0xC1, 0x07, 0, 48},    {0xC1, 0x09, 0, 64}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(s.Events[i].Status, want[i][0]) << i;
    EXPECT_EQ(s.Events[i].Data1, want[i][1]) << i;
    EXPECT_EQ(s.Events[i].Data2, want[i][2]) << i;
    EXPECT_EQ(s.Events[i].Tick, want[i][3]) << i;
  }
}

TEST(MidiReader, FormatOneMergesTracksUnderOneTempoMap) {
  // One second a quarter from the conductor track; a tempo change in the
  // third track also times the second.
  const MidiSong s =
      Parse(Smf(1, 96,
                {Track({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00}),
                 Track({0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}),
                 Track({0x30, 0x91, 0x40, 0x64, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x30,
                        0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00})}));
  ASSERT_EQ(s.Events.size(), 4u);
  EXPECT_EQ(s.TrackCount, 3);
  EXPECT_EQ(Times(s), (std::vector<int64_t>{0, 500000, 750000, 750000}));
  // At one tick the earlier track comes first.
  EXPECT_EQ(s.Events[2].Status, 0x80);
  EXPECT_EQ(s.Events[3].Status, 0x81);
}

TEST(MidiReader, SmpteTimeAndSkippedChunks) {
  // 25 frames of 40 ticks: a millisecond a tick. An unknown chunk is skipped.
  Bytes file = Smf(0, 0xE728, {});
  file[11] = 1;  // one track
  file.insert(file.end(), {'X', 'y', 'z', 'w', 0, 0, 0, 2, 0xAA, 0xBB});
  const Bytes t = Track({0x83, 0x74, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00});  // tick 500
  file.insert(file.end(), t.begin(), t.end());
  const MidiSong s = Parse(file);
  ASSERT_EQ(s.Events.size(), 1u);
  EXPECT_EQ(s.Events[0].TimeUs, 500000);
}

TEST(MidiReader, DamagedTracksKeepWhatCameBefore) {
  struct Case {
    const char* What;
    Bytes File;
    std::size_t Events;
  };
  Bytes cut = Smf(0, 96, {Track({0x00, 0x90, 0x3C, 0x64, 0x10, 0x80, 0x3C, 0x00})});
  cut[21] = 0x40;  // the chunk claims more bytes than the file has
  const Case cases[] = {
      {"chunk longer than the file", cut, 2},
      {"message cut short", Smf(0, 96, {Track({0x00, 0x90, 0x3C, 0x64, 0x10, 0x90, 0x3E})}), 1},
      {"data byte with no status", Smf(0, 96, {Track({0x00, 0x3C, 0x64})}), 0},
      {"variable length of five bytes",
       Smf(0, 96, {Track({0x00, 0x90, 0x3C, 0x64, 0x81, 0x81, 0x81, 0x81, 0x01, 0x3E, 0x64})}), 1},
      {"system message in a file", Smf(0, 96, {Track({0x00, 0x90, 0x3C, 0x64, 0x00, 0xF8})}), 1},
  };
  for (const Case& c : cases) {
    MidiSong s;
    std::string error;
    ASSERT_TRUE(ParseMidi(c.File.data(), c.File.size(), &s, &error)) << c.What << ": " << error;
    EXPECT_EQ(s.Events.size(), c.Events) << c.What;
  }
}

TEST(MidiReader, UnusableFilesFail) {
  Bytes shortHeader = Smf(0, 96, {Track({0x00, 0xFF, 0x2F, 0x00})});
  shortHeader[7] = 4;
  const Bytes noTracks = Smf(0, 96, {});
  const struct {
    const char* What;
    Bytes File;
    const char* Error;
  } cases[] = {
      {"a wave file",
       {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0},
       "not a MIDI file"},
      {"empty", {}, "not a MIDI file"},
      {"header too short", shortHeader, "bad MIDI header"},
      {"format 3", Smf(3, 96, {Track({0x00, 0xFF, 0x2F, 0x00})}), "unknown MIDI format 3"},
      {"no ticks", Smf(0, 0, {Track({0x00, 0xFF, 0x2F, 0x00})}), "bad MIDI time division"},
      {"no tracks", noTracks, "no tracks in MIDI file"},
  };
  for (const auto& c : cases) {
    MidiSong s;
    std::string error;
    EXPECT_FALSE(ParseMidi(c.File.data(), c.File.size(), &s, &error)) << c.What;
    EXPECT_EQ(error, c.Error) << c.What;
  }
  MidiSong s;
  std::string error;
  EXPECT_FALSE(ReadMidiFile("/nonexistent/bg1.mid", &s, &error));
  EXPECT_EQ(error, "cannot open /nonexistent/bg1.mid");
}

TEST(MidiTimeline, FirstEventAtATime) {
  MidiSong s;
  for (int64_t t : {0, 500000, 500000, 750000}) s.Events.push_back({t, 0, 0x90, 60, 100});
  const struct {
    int64_t Time;
    std::size_t Index;
  } cases[] = {{0, 0}, {1, 1}, {500000, 1}, {500001, 3}, {750000, 3}, {900000, 4}};
  for (const auto& c : cases) EXPECT_EQ(MidiFirstEventAt(s, c.Time), c.Index) << c.Time;
}

// ---- Seek chase ---------------------------------------------------------------

MidiSong ChaseSong() {
  MidiSong s;
  auto add = [&](int64_t ms, uint8_t status, uint8_t d1, uint8_t d2) {
    s.Events.push_back({ms * 1000, 0, status, d1, d2});
  };
  add(0, 0xC0, 10, 0);   // program
  add(0, 0xB0, 7, 80);   // volume
  add(0, 0xB0, 101, 0);  // pitch bend range: select the parameter...
  add(0, 0xB0, 100, 0);
  add(0, 0xB0, 6, 12);  // ...then enter it
  add(50, 0x90, 60, 100);
  add(100, 0xE0, 0x00, 0x50);  // pitch bend
  add(150, 0xB2, 1, 90);       // modulation on channel 3
  add(200, 0xB0, 64, 127);     // sustain
  add(300, 0xB0, 121, 0);      // reset controllers: sustain and bend are gone
  add(320, 0xD2, 33, 0);       // channel pressure
  add(350, 0xC0, 11, 0);       // a later program wins
  add(400, 0xB1, 11, 50);      // after the seek point
  return s;
}

TEST(MidiChaseState, KeepsTheLastOfEachUpToTheSeekPoint) {
  const MidiSong s = ChaseSong();
  MidiChannelState st[16];
  MidiChase(s, MidiFirstEventAt(s, 400000), st);
  EXPECT_EQ(st[0].Program, 11);
  EXPECT_EQ(st[0].Controller[7], 80);
  EXPECT_EQ(st[0].Controller[6], 12);
  EXPECT_EQ(st[0].Controller[64], -1) << "reset by controller 121";
  EXPECT_EQ(st[0].PitchBend, -1) << "reset by controller 121";
  EXPECT_EQ(st[2].Controller[1], 90);
  EXPECT_EQ(st[2].Pressure, 33);
  EXPECT_EQ(st[1].Controller[11], -1) << "at the seek point, not before it";
  EXPECT_EQ(st[5].Program, -1);

  MidiChase(s, MidiFirstEventAt(s, 250000), st);
  EXPECT_EQ(st[0].Program, 10);
  EXPECT_EQ(st[0].Controller[64], 127);
  EXPECT_EQ(st[0].PitchBend, 0x50 << 7);
}

TEST(MidiChaseState, MessagesSilenceResetAndRestoreInOrder) {
  const MidiSong s = ChaseSong();
  MidiChannelState st[16];
  MidiChase(s, MidiFirstEventAt(s, 250000), st);
  MidiEvent out[kMidiChaseMax];
  const int n = MidiChaseMessages(st, out);
  ASSERT_LE(n, kMidiChaseMax);
  // The last message of a kind: what the synth is left with.
  auto find = [&](uint8_t status, int d1) {
    for (int i = n - 1; i >= 0; --i) {
      if (out[i].Status == status && (d1 < 0 || out[i].Data1 == d1)) return i;
    }
    return -1;
  };
  // Every channel starts with all notes off and a reset.
  for (int c = 0; c < 16; ++c) {
    const int off = find(static_cast<uint8_t>(0xB0 | c), 123);
    ASSERT_GE(off, 0) << c;
    EXPECT_EQ(out[off + 2].Data1, 121) << c;
  }
  // Chased values, and what a fresh channel has for the ones never set.
  struct Want {
    uint8_t Status;
    int D1, D2;
  };
  const Want wants[] = {{0xB0, 7, 80}, {0xB0, 64, 127}, {0xB0, 10, 64},
                        {0xB0, 0, 0},  {0xC0, 10, 0},   {0xE0, 0, 0x50},
                        {0xC5, 0, 0},  {0xE5, 0, 64},   {0xB5, 7, 100}};
  for (const Want& w : wants) {
    const int i = find(w.Status, w.D1);
    ASSERT_GE(i, 0) << std::hex << int(w.Status) << " " << w.D1;
    EXPECT_EQ(out[i].Data2, w.D2) << std::hex << int(w.Status) << " " << w.D1;
  }
  EXPECT_LT(find(0xB0, 101), find(0xB0, 6)) << "parameter chosen before its data";
  EXPECT_LT(find(0xB0, 100), find(0xB0, 6));
  EXPECT_LT(find(0xB0, 0), find(0xC0, -1)) << "bank before program";
  const int note = find(0x90, 60);
  ASSERT_GE(note, 0) << "the note held across the point is struck again";
  EXPECT_EQ(out[note].Data2, 100) << "at its own velocity";
  EXPECT_GT(note, find(0xC0, -1)) << "with its program and controllers set first";
}

// Which notes sound across a seek point: a key held, or a key let go while
// the sustain pedal is down.
TEST(MidiChaseState, NotesSoundingAcrossTheSeekPoint) {
  struct Ev {
    int Ms;
    uint8_t Status, D1, D2;
  };
  const struct {
    const char* Name;
    std::vector<Ev> Events;
    int Sounding;  // velocity of key 60 on channel 1 at 500 ms, 0 for none
  } cases[] = {
      {"held", {{0, 0x91, 60, 90}}, 90},
      {"ended before", {{0, 0x91, 60, 90}, {400, 0x81, 60, 0}}, 0},
      {"ends after", {{0, 0x91, 60, 90}, {600, 0x81, 60, 0}}, 90},
      {"velocity 0 ends it", {{0, 0x91, 60, 90}, {400, 0x91, 60, 0}}, 0},
      {"let go under the pedal", {{0, 0xB1, 64, 127}, {10, 0x91, 60, 70}, {20, 0x81, 60, 0}}, 70},
      {"pedal up after",
       {{0, 0xB1, 64, 127}, {10, 0x91, 60, 70}, {20, 0x81, 60, 0}, {30, 0xB1, 64, 0}},
       0},
      {"pedal up, key still down", {{0, 0xB1, 64, 127}, {10, 0x91, 60, 70}, {30, 0xB1, 64, 0}}, 70},
      {"all notes off", {{0, 0x91, 60, 90}, {100, 0xB1, 123, 0}}, 0},
      {"reset lets the pedal go",
       {{0, 0xB1, 64, 127}, {10, 0x91, 60, 70}, {20, 0x81, 60, 0}, {30, 0xB1, 121, 0}},
       0},
      {"other channel", {{0, 0x92, 60, 90}}, 0},
  };
  for (const auto& c : cases) {
    MidiSong s;
    for (const Ev& e : c.Events) s.Events.push_back({e.Ms * 1000, 0, e.Status, e.D1, e.D2});
    MidiChannelState st[16];
    MidiChase(s, MidiFirstEventAt(s, 500000), st);
    EXPECT_EQ(st[1].Note[60], c.Sounding) << c.Name;
    MidiEvent out[kMidiChaseMax];
    const int n = MidiChaseMessages(st, out);
    int struck = 0;
    for (int i = 0; i < n; ++i) struck += out[i].Status == 0x91 && out[i].Data1 == 60;
    EXPECT_EQ(struck, c.Sounding > 0 ? 1 : 0) << c.Name;
  }
}

TEST(MidiChaseState, EveryNoteOfEveryChannelFitsTheBuffer) {
  MidiSong s;
  for (int c = 0; c < 16; ++c) {
    s.Events.push_back({0, 0, static_cast<uint8_t>(0xB0 | c), 64, 127});
    for (int k = 0; k < 128; ++k)
      s.Events.push_back({0, 0, static_cast<uint8_t>(0x90 | c), uint8_t(k), 1});
  }
  MidiChannelState st[16];
  MidiChase(s, s.Events.size(), st);
  static MidiEvent out[kMidiChaseMax];
  EXPECT_LE(MidiChaseMessages(st, out), kMidiChaseMax);
}

// The slowest tempo times the longest delta: times saturate instead of
// overflowing what the player computes from them.
TEST(MidiTimeline, ExtremeTempoAndDeltaSaturate) {
  const Bytes file = Smf(0, 1, {Track({0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF,  // slowest tempo
                                       0x8F, 0xFF, 0xFF, 0x7F, 0x90, 60,   100,   // 2^28 - 1 ticks
                                       0x8F, 0xFF, 0xFF, 0x7F, 0x80, 60,   0,     //
                                       0x00, 0xFF, 0x2F, 0x00})});
  MidiSong s;
  std::string error;
  ASSERT_TRUE(ParseMidi(file.data(), file.size(), &s, &error)) << error;
  ASSERT_EQ(s.Events.size(), 2u);
  EXPECT_EQ(s.Events[0].TimeUs, kMidiMaxTimeUs);
  EXPECT_EQ(s.LengthUs, kMidiMaxTimeUs);
  EXPECT_EQ(MidiTickTimeUs(s, UINT32_MAX), kMidiMaxTimeUs);
  // Frames at the highest rates a device gives stay exact.
  EXPECT_GT(kMidiMaxTimeUs * 768000 / 1000000, 0);
}

}  // namespace
