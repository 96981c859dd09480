// Placeholder until the play field and its sprites land.
#include "render/render.h"

void DrawField() {}
void DrawDayBanner() {}
void DrawPickups() {}
void DrawGates() {}
void DrawTeachers() {}
void DrawShots() {}
void DrawRewards() {}
void DrawPlayer() {}
