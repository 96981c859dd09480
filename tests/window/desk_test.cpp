// The settings reader and writer, and the overlays' state and drawing, without a window.
#include "platform/desk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/settings.h"

namespace {

struct ReaderCase {
  const char* Text;
  Settings Want;
  int Problems;
};

Settings With(void (*edit)(Settings&)) {
  Settings s;
  edit(s);
  return s;
}

TEST(SettingsReader, ReadsEachSettingAndKeepsDefaultsForBadLines) {
  const ReaderCase cases[] = {
      {"", Settings{}, 0},
      {"# only a comment\n\n; and another\n", Settings{}, 0},
      {"scale = 3\nfullscreen = yes\nfilter = fit\nmusic = 4\neffects = 0\nmute = on\n",
       With([](Settings& s) {
         s.Scale = 3;
         s.Fullscreen = true;
         s.Smooth = true;
         s.Music = 4;
         s.Effects = 0;
         s.Mute = true;
       }),
       0},
      {"  SCALE=2  \r\nFullScreen = True\r\n", With([](Settings& s) {
         s.Scale = 2;
         s.Fullscreen = true;
       }),
       0},
      {"key.up = w\nkey.space = ENTER\nkey.escape = q\n", With([](Settings& s) {
         s.Bind[0] = 'W';
         s.Bind[4] = 13;
         s.Bind[6] = 'Q';
       }),
       0},
      {"key.up = none\n", Settings{}, 0},
      // Out of range, not a number, not a choice: the default stays.
      {"scale = 7\nmusic = 11\neffects = -1\nmute = maybe\nfilter = blurry\n", Settings{}, 5},
      {"music = 5\nmusic = loud\n", With([](Settings& s) { s.Music = 5; }), 1},
      {"volume = 3\nkey.jump = A\nkey.up = F99\nno equals sign\n", Settings{}, 4},
  };
  for (const ReaderCase& c : cases) {
    Settings s;
    std::vector<std::string> problems;
    SettingsParse(c.Text, &s, &problems);
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(s.Scale, c.Want.Scale);
    EXPECT_EQ(s.Fullscreen, c.Want.Fullscreen);
    EXPECT_EQ(s.Smooth, c.Want.Smooth);
    EXPECT_EQ(s.Music, c.Want.Music);
    EXPECT_EQ(s.Effects, c.Want.Effects);
    EXPECT_EQ(s.Mute, c.Want.Mute);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(s.Bind[i], c.Want.Bind[i]) << kBindingNames[i];
    EXPECT_EQ(static_cast<int>(problems.size()), c.Problems);
  }
}

TEST(SettingsReader, AProblemNamesTheLineAndTheDefault) {
  Settings s;
  std::vector<std::string> problems;
  SettingsParse("scale = 2\nmusic = loud\n", &s, &problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0],
            "settings.ini line 2: \"music = loud\" is not understood; music stays at its "
            "default, 10");
}

TEST(SettingsWriter, WhatIsWrittenReadsBackTheSame) {
  Settings s;
  s.Scale = 4;
  s.Smooth = true;
  s.Music = 3;
  s.Mute = true;
  s.Bind[2] = 'A';
  s.Bind[5] = 32;
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / "kurunoa_settings_test" / "deep";
  std::filesystem::remove_all(dir.parent_path());
  const std::string path = (dir / "settings.ini").string();
  ASSERT_TRUE(SettingsSave(path, s));
  const Settings back = SettingsLoad(path);
  EXPECT_EQ(SettingsFormat(back), SettingsFormat(s));
  EXPECT_EQ(back.Bind[2], 'A');
  EXPECT_EQ(back.Bind[5], 32);
  std::filesystem::remove_all(dir.parent_path());
}

TEST(SettingsPath, FollowsXdgConfigHomeElseHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string keep = oldXdg ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(SettingsPath(), "/tmp/cfg/kurunoa/settings.ini");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(SettingsPath(), "/home/someone/.config/kurunoa/settings.ini");
  if (oldXdg) setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
}

TEST(Desk, HelpAndPauseKeysPauseAndAnyKeyResumes) {
  DeskReset(10, 10, false);
  EXPECT_FALSE(DeskPaused());
  DeskKeyPressed(DeskKey::Help, 0);
  EXPECT_TRUE(DeskPaused());
  EXPECT_TRUE(DeskHelpShown());
  DeskKeyPressed(DeskKey::MusicDown, 0);  // volume keys work while paused
  EXPECT_TRUE(DeskPaused());
  DeskKeyPressed(DeskKey::Other, 0);
  EXPECT_FALSE(DeskPaused());
  DeskKeyPressed(DeskKey::Pause, 0);
  EXPECT_TRUE(DeskPaused());
  EXPECT_FALSE(DeskHelpShown());
  DeskKeyPressed(DeskKey::Pause, 0);
  EXPECT_FALSE(DeskPaused());
  DeskFocusLost();
  EXPECT_TRUE(DeskPaused());
  DeskKeyPressed(DeskKey::Help, 0);  // from a plain pause to the help
  EXPECT_TRUE(DeskHelpShown());
  DeskKeyPressed(DeskKey::Help, 0);
  EXPECT_FALSE(DeskPaused());
}

TEST(Desk, VolumeStaysWithinItsStepsAndAVolumeKeyLiftsTheMute) {
  DeskReset(9, 1, false);
  EXPECT_TRUE(DeskKeyPressed(DeskKey::MusicUp, 0));
  EXPECT_TRUE(DeskKeyPressed(DeskKey::MusicUp, 0));
  EXPECT_EQ(DeskMusic(), 10);
  DeskKeyPressed(DeskKey::EffectsDown, 0);
  DeskKeyPressed(DeskKey::EffectsDown, 0);
  EXPECT_EQ(DeskEffects(), 0);
  DeskKeyPressed(DeskKey::Mute, 0);
  EXPECT_TRUE(DeskMute());
  DeskKeyPressed(DeskKey::EffectsUp, 0);
  EXPECT_FALSE(DeskMute());
  EXPECT_EQ(DeskEffects(), 1);
  EXPECT_FALSE(DeskKeyPressed(DeskKey::Help, 0)) << "not a volume change";
}

TEST(Desk, OverlaysDrawOnACopyAndGoAwayByThemselves) {
  Surface screen;
  SurfaceResize(screen, 512, 384, 0x336699);
  const std::vector<uint32_t> before = screen.Pixels;
  DeskReset(5, 5, false);
  // Nothing to show: the screen itself.
  EXPECT_EQ(&DeskCompose(screen, HelpScreen::Play, 0), &screen);
  EXPECT_FALSE(DeskNeedsRedraw(HelpScreen::Play, 0));
  EXPECT_EQ(DeskNextChangeMs(HelpScreen::Play, 0), -1);

  DeskKeyPressed(DeskKey::MusicUp, 1000);
  EXPECT_TRUE(DeskNeedsRedraw(HelpScreen::Play, 1000));
  const Surface& withVolume = DeskCompose(screen, HelpScreen::Play, 1000);
  EXPECT_NE(&withVolume, &screen);
  EXPECT_EQ(withVolume.Height, 368);
  EXPECT_NE(withVolume.Pixels[20 * 512 + 270], 0x336699u) << "the volume bar";
  EXPECT_EQ(withVolume.Pixels[200 * 512 + 10], 0x336699u) << "the rest is the picture";
  EXPECT_EQ(DeskNextChangeMs(HelpScreen::Play, 1500), 1500);
  EXPECT_TRUE(DeskNeedsRedraw(HelpScreen::Play, 3000)) << "the display went away";
  EXPECT_EQ(&DeskCompose(screen, HelpScreen::Play, 3000), &screen);

  DeskKeyPressed(DeskKey::Help, 3000);
  const Surface& help = DeskCompose(screen, HelpScreen::NameEntry, 3000);
  EXPECT_EQ(help.Pixels[360 * 512 + 500], (0x336699u >> 2) & 0x3F3F3F) << "dimmed";
  EXPECT_EQ(screen.Pixels, before) << "the game's surface is never drawn on";
}

TEST(Desk, TheTitleHintShowsForTheFirstSecondsOnly) {
  Surface screen;
  SurfaceResize(screen, 512, 384, 0x000080);
  DeskReset(10, 10, false);
  EXPECT_EQ(&DeskCompose(screen, HelpScreen::Intro, 0), &screen);
  EXPECT_NE(&DeskCompose(screen, HelpScreen::Title, 100), &screen);
  EXPECT_GT(DeskNextChangeMs(HelpScreen::Title, 100), 4000);
  EXPECT_EQ(&DeskCompose(screen, HelpScreen::Title, 5200), &screen);
  // The title again later in the same run: no hint.
  EXPECT_EQ(&DeskCompose(screen, HelpScreen::Title, 60000), &screen);
}

TEST(Desk, TheDesktopKeysAreKeptFromTheGame) {
  for (int32_t vk : {112, 19, 116, 117, 118, 119, 120, 122}) EXPECT_TRUE(DeskReservedVk(vk)) << vk;
  for (int32_t vk : {13, 27, 32, 37, 38, 39, 40, 46, 65, 90, 113, 121, 123}) {
    EXPECT_FALSE(DeskReservedVk(vk)) << vk;
  }
}

}  // namespace
