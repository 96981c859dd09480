// Everything that moves on the field, drawn as masked sprites into the back
// buffer, and the stamina gauge.
#include <cstdint>

#include "draw/draw.h"
#include "frame/frame.h"
#include "play/play.h"
#include "render/render.h"

namespace {

constexpr int32_t kFieldBottom = 352;

// Objects that reach the bottom of the field are cut off at its edge.
int32_t ClippedHeight(int32_t y) { return y >= kFieldBottom - 32 ? kFieldBottom - y : 32; }

// Every mask lies 32 rows above its picture.
void Sprite(int32_t x, int32_t y, int32_t w, int32_t h, const Surface& sheet, int32_t px,
            int32_t py) {
  BlitPicture(Display[1], x, y, w, h, sheet, px, py - 32, SRCPAINT);
  BlitPicture(Display[1], x, y, w, h, sheet, px, py, SRCAND);
}

}  // namespace

void DrawPickups() {
  for (int s = 0; s <= 15; ++s) {
    for (int k = 1; k <= 5; ++k) {
      const PickupRecord& p = Pickups[k][s];
      if (p.Kind == 0) continue;
      const KindArtRecord& art = KindArt[p.Kind];
      Sprite(p.X, p.Y, 32, ClippedHeight(p.Y), Chip[1], art.PickupSrcX, art.PickupSrcY);
    }
  }
}

void DrawGates() {
  // The label is the latest event's: only one gate is ever on the field.
  const EventRecord& latest = EventTable[EventIndex + 1];
  for (int i = 30; i >= 0; --i) {
    const GateRecord& g = Gates[i];
    if (g.Kind == 0) continue;
    Sprite(g.X, g.Y, 64, ClippedHeight(g.Y), Chip[1], g.SrcX, g.SrcY);
    const int32_t hl = g.Y > 336 ? 348 - g.Y : 11;
    if (hl <= 0) continue;
    BlitPicture(Display[1], 134, g.Y + 5, 52, hl, Chip[3], latest.LabelSrcX, latest.LabelSrcY - 11,
                SRCPAINT);
    BlitPicture(Display[1], 134, g.Y + 5, 52, hl, Chip[3], latest.LabelSrcX, latest.LabelSrcY,
                SRCAND);
  }
}

void DrawTeachers() {
  for (const TeacherRecord& t : Teachers) Sprite(t.X, t.Y, 32, 32, Chip[0], t.SrcX, t.SrcY);
}

void DrawShots() {
  for (const ShotRecord& s : Shots) {
    if (s.Active != 0) Sprite(s.X, s.Y, 32, 32, Chip[0], s.SrcX, s.SrcY);
  }
}

void DrawRewards() {
  for (const RewardRecord& r : Rewards) {
    if (r.Kind == 0) continue;
    const KindArtRecord& art = KindArt[r.Kind];
    Sprite(r.X, r.Y, 32, ClippedHeight(r.Y), Chip[0], art.RewardSrcX, art.RewardSrcY);
  }
}

void DrawCat() {
  const int32_t h = CatY >= 320 ? 352 - CatY : 32;
  int32_t sx;
  if (CatState == 1) {
    sx = CatSrcX + (CatAnim % 20 < 10 ? 0 : 32);  // asleep: one or two z marks
  } else {
    sx = CatSrcX + (CatAnim % 10 < 5 ? 64 : 96);  // running: two steps
  }
  Sprite(CatX, CatY, 32, h, Chip[0], sx, CatSrcY);
}

void DrawPlayer() {
  int32_t x = PlayerSrcX;
  if (Day >= 120 && Day <= 360) x += 128;  // the summer uniform
  if (Stamina == 0) {
    x += 64;  // fainted
  } else if (KeyCount[32] >= 1 && (PlayerX == 16 || PlayerX == 272)) {
    x += 96;  // resting on a verge
  } else {
    // The figure steps every 4 frames as the road scrolls under it.
    const int32_t phase = FrameCount & 15;
    if ((phase >= 4 && phase <= 7) || phase >= 12) x += 32;
  }
  Sprite(PlayerX, PlayerY, 32, 32, Chip[0], x, PlayerSrcY);

  SetLineWidth(Display[1], 2);
  DrawBox(Display[1], 31, 330, MaxStamina + 35, 342, RGB(255, 255, 255));
  SetLineWidth(Display[1], 1);
  if (Stamina != 0) DrawFilledBox(Display[1], 32, 331, Stamina + 32, 340, RGB(255, 0, 0));
}
