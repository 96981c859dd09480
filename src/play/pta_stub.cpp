// Placeholder until the PTA scene lands.
#include "frame/frame.h"
#include "play/play.h"

std::string_view PtaText[13][51][3];
int16_t PtaPages[13];
int16_t PtaPage;
int32_t PtaTick = -1;

void LoadPtaLines() {}
void PtaScene() { GameMode = 1; }
void DrawPtaWindow() {}
void DrawPtaPage() {}
