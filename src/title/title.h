// Title and menu: the intro logo and the title screen with its menu.
#pragma once

#include <cstdint>

extern int32_t LogoTick;
extern uint8_t LogoRowShown[129];
extern uint8_t LogoRowCount;
extern int16_t MenuChoice;  // 1..4; during play the school, 1 front, 2 left

void LogoScreen();
void DrawTitle();
void TitleLoop();
void TitleKeys();
