// The glyphs of every text a year can show, loaded before the first year.
#include "frame/frame.h"
#include "play/play.h"
#include "render/render.h"

namespace {

struct Warm {
  Surface Scratch;
  // Measuring walks as far as a line across the screen reaches.
  Warm() { SurfaceResize(Scratch, kScreenWidth, 1, 0); }
  void Text(std::string_view font, int32_t points, std::string_view text) {
    Scratch.FontName.assign(font.data(), font.size());
    SurfaceTextWidth(Scratch, points, false, text);
  }
};

constexpr std::string_view kPop = "HGP創英角ﾎﾟｯﾌﾟ体";
constexpr std::string_view kGothic = "ＭＳ Ｐゴシック";
constexpr std::string_view kGothicWide = "ＭＳ　Ｐゴシック";
constexpr std::string_view kDigits = " -.0123456789";

}  // namespace

void WarmPlayText() {
  Warm w;
  w.Text(kPop, 9, kDigits);  // day labels and the mood number
  w.Text(kPop, 9, "日");
  w.Text(kPop, 13, "精神状態全日程");
  w.Text(kPop, 13, kDigits);  // the month
  w.Text(kPop, 10, "月");
  for (int m = 0; m <= 1000; m += 1) {
    if (m == 0 || MoodName[m] != MoodName[m - 1]) {
      w.Text(kPop, 15, MoodName[m]);
      w.Text(kGothic, 8, MoodReading[m]);
    }
  }
  w.Text(kGothic, 10, kDigits);  // ability values
  for (const EventRecord& e : EventTable) {
    w.Text(kPop, 11, e.Name);  // the schedule
    w.Text(kGothicWide, 10, e.Name);
  }
  // The PTA scene prints in the font the play frame left on the back buffer.
  for (const auto& event : PtaText) {
    for (const auto& page : event) {
      for (std::string_view line : page) w.Text(kGothicWide, 10, line);
    }
  }
  w.Text(kGothicWide, 10, "は中止になりました");
  w.Text(kGothicWide, 6, "タエコ・ムルグナ");
}
