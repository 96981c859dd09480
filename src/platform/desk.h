// The desktop conveniences of the window: pause, help and the volume
// display. They are drawn over a copy of the game's picture at present time,
// never into the game's surfaces, so traces and screenshots stay the game's.
// No SDL here: the window backend translates its events into these calls.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The keys the desktop keeps for itself (the game never sees them held).
enum class DeskKey { Help, Pause, MusicDown, MusicUp, EffectsDown, EffectsUp, Mute, Other };

// Windows virtual-key codes of the keys above: F1, Pause, F5 to F9.
constexpr int32_t kVkHelp = 112, kVkPause = 19, kVkMusicDown = 116, kVkMusicUp = 117,
                  kVkEffectsDown = 118, kVkEffectsUp = 119, kVkMute = 120, kVkFullscreen = 122;
bool DeskReservedVk(int32_t vk);
DeskKey DeskKeyForVk(int32_t vk);

// Volume levels run from 0 to 10.
constexpr int32_t kVolumeSteps = 10;

void DeskReset(int32_t music, int32_t effects, bool mute);
// A key pressed while the game runs or is paused; nowMs is the real time.
// Returns true when the volume or mute changed.
bool DeskKeyPressed(DeskKey key, int32_t nowMs);
// The window lost the focus or was minimised.
void DeskFocusLost();
bool DeskPaused();
bool DeskHelpShown();
int32_t DeskMusic();
int32_t DeskEffects();
bool DeskMute();

// The picture to show at nowMs: the screen itself, or a copy of its top
// 512 x 368 with the overlays over it.
const Surface& DeskCompose(const Surface& screen, HelpScreen help, int32_t nowMs);
// True when the overlays shown last differ from what nowMs calls for.
bool DeskNeedsRedraw(HelpScreen help, int32_t nowMs);
// Milliseconds until an overlay changes by itself; -1 when none will.
int32_t DeskNextChangeMs(HelpScreen help, int32_t nowMs);
