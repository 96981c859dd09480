// The generator: it rebuilds the committed files exactly, reads its pixel
// grids strictly, and says what is wrong when something it needs is missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fonts.h"
#include "grid.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

struct TempDir {
  fs::path Path;
  TempDir() {
    Path = fs::temp_directory_path() / ("artgen_test_" + std::to_string(::getpid()));
    fs::remove_all(Path);
    fs::create_directories(Path);
  }
  ~TempDir() { fs::remove_all(Path); }
};

int RunArtgen(const std::string& args, const fs::path& log) {
  std::string cmd = std::string(ARTGEN_BIN) + " " + args + " > " + log.string() + " 2>&1";
  return std::system(cmd.c_str());
}

TEST(Artgen, RebuildsTheCommittedFilesByteForByte) {
  TempDir tmp;
  const std::string src = std::string(KURUNOA_SOURCE_DIR) + "/assets/src";
  fs::path out = tmp.Path / "out", preview = tmp.Path / "preview";
  ASSERT_EQ(RunArtgen("--src " + src + " --out " + out.string() + " --preview " + preview.string(),
                      tmp.Path / "log"),
            0)
      << ReadAll(tmp.Path / "log");
  for (const char* name :
       {"chip0.png", "chip1.png", "chip2.png", "chip3.png", "logo.png", "icon.png"}) {
    SCOPED_TRACE(name);
    std::string made = ReadAll(out / name);
    ASSERT_FALSE(made.empty());
    EXPECT_TRUE(made == ReadAll(fs::path(KURUNOA_SOURCE_DIR) / "assets" / name))
        << "assets/" << name << " is stale: run make assets";
    EXPECT_TRUE(fs::exists(preview / name));
  }
}

TEST(Artgen, FailsWithAMessageOnBadInput) {
  TempDir tmp;
  fs::create_directories(tmp.Path / "src");
  std::ofstream(tmp.Path / "src" / "a.txt") << "palette\nK 0 0 0\nend\nsprite lonely\nK.\nend\n";
  // A sprite folder without the sprites the sheets need.
  EXPECT_NE(
      RunArtgen("--src " + (tmp.Path / "src").string() + " --out " + (tmp.Path / "out").string(),
                tmp.Path / "log"),
      0);
  EXPECT_NE(ReadAll(tmp.Path / "log").find("no sprite named"), std::string::npos)
      << ReadAll(tmp.Path / "log");
  EXPECT_NE(RunArtgen("--out " + (tmp.Path / "out").string(), tmp.Path / "log"), 0);
  EXPECT_NE(ReadAll(tmp.Path / "log").find("usage"), std::string::npos);
}

// The review picture of one region: three 3x panels and the 1x drawing,
// and a refusal for a region that leaves the sheet.
TEST(Artgen, ZoomsOneRegionForReview) {
  TempDir tmp;
  const std::string sheet = std::string(KURUNOA_SOURCE_DIR) + "/assets/chip0.png";
  fs::path pic = tmp.Path / "tacks.png";
  ASSERT_EQ(RunArtgen("--zoom " + sheet + " 32 192 32 32 32 160 200,200,196 " + pic.string(),
                      tmp.Path / "log"),
            0)
      << ReadAll(tmp.Path / "log");
  EXPECT_FALSE(ReadAll(pic).empty());
  EXPECT_NE(RunArtgen("--zoom " + sheet + " 280 192 32 32 32 160 0,0,0 " + pic.string(),
                      tmp.Path / "log"),
            0);
  EXPECT_NE(ReadAll(tmp.Path / "log").find("outside the sheet"), std::string::npos);
  EXPECT_NE(
      RunArtgen("--zoom " + sheet + " 32 192 32 32 32 160 red " + pic.string(), tmp.Path / "log"),
      0);
}

TEST(Artgen, MissingFontNamesTheFileAndPackage) {
  std::string error;
  EXPECT_EQ(OpenFont("/nonexistent/Font.ttf", "", "fonts-example", &error), nullptr);
  EXPECT_NE(error.find("/nonexistent/Font.ttf"), std::string::npos) << error;
  EXPECT_NE(error.find("fonts-example"), std::string::npos) << error;
  CloseFonts();
}

TEST(Grids, SilhouetteKeepsWhiteInsideTheSprite) {
  SpriteBook book;
  std::string error;
  ASSERT_TRUE(
      ParseGrids("palette\nW 255 255 255\nK 0 0 0\nend\n"
                 "sprite shirt\n.KKK.\nKWWWK\n.KKK.\nend\n"
                 "variant night shirt\nW 20 20 60\nend\n",
                 "t.txt", &book, &error))
      << error;
  const Sprite& s = book.Sprites.at("shirt");
  EXPECT_EQ(s.W, 5);
  EXPECT_EQ(s.H, 3);
  EXPECT_FALSE(s.IsOn(0, 0));
  EXPECT_TRUE(s.IsOn(2, 1));  // white, and still part of the sprite
  EXPECT_EQ(s.Get(2, 1), (Rgb{255, 255, 255}));
  const Sprite& v = book.Sprites.at("night");
  EXPECT_EQ(v.On, s.On);
  EXPECT_EQ(v.Get(2, 1), (Rgb{20, 20, 60}));
  EXPECT_EQ(v.Get(0, 1), (Rgb{0, 0, 0}));
}

TEST(Grids, RejectsMalformedSources) {
  struct Case {
    const char* Text;
    const char* Says;
  };
  const Case cases[] = {
      {"palette\nK 0 0 0\nend\nsprite a\nKK\nK\nend\n", "row 1 is 1 wide"},
      {"palette\nK 0 0 0\nend\nsprite a\nKQ\nend\n", "'Q'"},
      {"palette\nK 0 0 300\nend\n", "t.txt:2"},
      {"variant b missing\nend\n", "unknown sprite missing"},
      {"palette\nK 0 0 0\nend\nsprite a\nK\n", "no end"},
      {"palette\nK 0 0 0\nend\nsprite a\nK\nend\nsprite a\nK\nend\n", "defined twice"},
      {"sprite a\nend\n", "empty grid"},
      {"hello\n", "expected palette"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    SpriteBook book;
    std::string error;
    EXPECT_FALSE(ParseGrids(c.Text, "t.txt", &book, &error));
    EXPECT_NE(error.find(c.Says), std::string::npos) << error;
  }
}

}  // namespace
