// A headless session with a fresh year and a known student, for driving the
// rules of play one step at a time.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "render/render.h"
#include "title/title.h"

class PlayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool started = false;
    if (!started) {
      InitHeadlessSession(KURUNOA_GAME_DIR "/", 1);
      started = true;
    }
  }

  void SetUp() override {
    SeedRandom(12345);
    ResetYear();
    GameMode = 1;
    MenuChoice = 1;
    Day = 14;
    SetStudent(500, 5);
  }

  // Every ability at one level and talent; mood calm, stamina full.
  static void SetStudent(int16_t ability, int16_t talent) {
    for (int i = 1; i <= 4; ++i) {
      Ability[i] = ability;
      Talent[i] = talent;
    }
    Mood = 100;
    Stamina = 50;
    MaxStamina = 50;
  }

  // Pretends the key was found in this many consecutive polls.
  static void Hold(int16_t key, int16_t frames) {
    for (int16_t& c : KeyCount) c = 0;
    LastKey = key;
    KeyCount[key] = frames;
  }

  // Scripted keys for the next PollKeys calls: held from now on.
  static void HoldFromNextPoll(std::initializer_list<int32_t> keys) {
    std::vector<KeyChange> script(1);
    script[0].Poll = PollNumber;
    script[0].Keys = keys;
    PlatformSetKeyScript(script);
  }

  // The state the title leaves behind when a year starts.
  static void StartYearScreen() {
    SetBackColour(Display[2], RGB(0, 36, 72));
    DrawField();
  }

  static int LiveRewards() {
    int n = 0;
    for (const RewardRecord& r : Rewards) n += r.Kind != 0 ? 1 : 0;
    return n;
  }
};
