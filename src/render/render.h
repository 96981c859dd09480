// Play-screen rendering: the field background, the field sprites and the
// stamina gauge, the mood panel, the ability rows, the month and schedule.
#pragma once

#include <cstdint>

extern int16_t StarFrame;  // 0..3
extern int16_t StarTick;   // 0..255

void DrawField();
void DrawDayBanner();
void DrawPickups();
void DrawGates();
void DrawTeachers();
void DrawShots();
void DrawRewards();
void DrawPlayer();
void DrawMoodPanel();
void DrawAbilityIcons();
void DrawAbilityPanel();
void DrawMonth();
void DrawSchedule();
// Loads every glyph that play and the PTA scene can print, once at start-up,
// so no frame of a year has to render (and allocate for) a new glyph.
void WarmPlayText();
