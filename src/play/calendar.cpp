// The school calendar on the field: event gates entering on their days.
#include "frame/frame.h"
#include "play/play.h"

int16_t EventIndex = 0;
GateRecord Gates[31];

void SpawnEventGate() {
  // After the graduation the next element is an empty one (day 0).
  if (ScrollPhase != 0 || EventIndex > 13) return;
  const EventRecord& next = EventTable[EventIndex + 2];
  if (Day != next.Day) return;
  for (GateRecord& g : Gates) {
    if (g.Kind != 0) continue;
    g.Kind = next.Kind;
    g.SrcX = next.GateSrcX;
    g.SrcY = next.GateSrcY;
    g.X = 128;
    g.Y = -24;
    break;
  }
  ++EventIndex;
}

void FallGates() {
  for (int i = 0; i <= 30; ++i) {
    GateRecord& g = Gates[i];
    if (g.Kind == 0) continue;
    g.Y = AddSat16(g.Y, 1);
    // The rewards of this gate land on a line that scrolls with it.
    Rewards[i].LandY = AddSat16(Rewards[i].LandY, 1);
    if (g.Y >= 352) {
      g.Kind = 0;
      g.X = 0;
      g.Y = -32;
    }
  }
}
