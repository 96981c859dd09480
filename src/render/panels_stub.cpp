// Placeholder until the status panels land.
#include "render/render.h"

int16_t StarFrame = 0;
int16_t StarTick = 0;

void DrawMoodPanel() {}
void DrawAbilityIcons() {}
void DrawAbilityPanel() {}
void DrawMonth() {}
void DrawSchedule() {}
