// Start-up, the surfaces and the mode loop.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "draw/draw.h"
#include "frame/desktop.h"
#include "frame/frame.h"
#include "frame/session.h"
#include "platform/settings.h"
#include "play/play.h"
#include "register/register.h"
#include "render/render.h"
#include "sound/sound.h"
#include "title/title.h"

int16_t GameMode = -1;
std::string AppDir;
std::string RegisterDir;
std::string FilePath;
Surface Display[3];
Surface Chip[4];
Surface LogoChip;

namespace {

bool gInstalledLayout = false;

std::string ProgramFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path().string();
  const std::filesystem::path dir = exe.parent_path();
  // An installed program keeps its shipped data under PREFIX/share/kurunoa.
  if (!std::filesystem::exists(dir / "da", ec)) {
    const std::filesystem::path shared = dir.parent_path() / "share" / "kurunoa";
    if (std::filesystem::exists(shared / "da", ec)) {
      gInstalledLayout = true;
      return shared.string();
    }
  }
  return dir.string();
}

// Without --app-dir the register lives in the user's data folder, wherever
// the program runs from: the build tree too, so that cleaning a build never
// takes a player's graduates with it. A register found beside the program
// (from before it moved) is copied over once. A file named "portable"
// beside the program keeps everything there.
std::string RegisterFolderFor(const std::string& appDir, bool explicitAppDir) {
  std::error_code ec;
  if (explicitAppDir || std::filesystem::exists(appDir + "portable", ec)) return appDir;
  const std::string folder = UserFolder("XDG_DATA_HOME", ".local/share");
  if (folder.empty()) return appDir;
  std::filesystem::create_directories(folder + "da", ec);
  if (!gInstalledLayout && !std::filesystem::exists(folder + "da/da1.txt", ec) &&
      std::filesystem::exists(appDir + "da/da1.txt", ec)) {
    bool copied = true;
    for (const char* file : {"da/da1.txt", "da/da2.txt"}) {
      if (!std::filesystem::exists(appDir + file, ec)) continue;
      copied = std::filesystem::copy_file(appDir + file, folder + file, ec) && copied;
    }
    // Half a register is worse than none: the next run tries again.
    if (!copied) std::filesystem::remove(folder + "da/da1.txt", ec);
    std::fprintf(stderr,
                 copied ? "kurunoa: the register in %sda was copied to %sda\n"
                        : "kurunoa: the register in %sda could not be copied to %sda\n",
                 appDir.c_str(), folder.c_str());
  }
  return folder;
}

// A sheet from the artwork compiled into the program; plain white when the
// artwork is missing, so the game still runs.
void LoadSheet(Surface& sheet, const char* name, int32_t w, int32_t h) {
  SurfaceResize(sheet, w, h, RGB(255, 255, 255));
  std::size_t size = 0;
  const unsigned char* data = EmbeddedAsset(name, &size);
  if (!data) return;
  Surface picture;
  std::string error;
  if (!SurfaceLoadPng(picture, data, size, &error)) {
    std::fprintf(stderr, "kurunoa: artwork %s: %s\n", name, error.c_str());
    return;
  }
  SurfaceBlit(sheet, 0, 0, picture.Width, picture.Height, picture, 0, 0, SRCCOPY);
}

void SetUpSurfaces() {
  for (Surface& d : Display) {
    SurfaceResize(d, 512, 384, RGB(255, 255, 255));
    d.FontName = "ＭＳ Ｐゴシック";
  }
  LoadSheet(Chip[0], "chip0.png", 288, 288);
  LoadSheet(Chip[1], "chip1.png", 288, 288);
  LoadSheet(Chip[2], "chip2.png", 288, 288);
  LoadSheet(LogoChip, "logo.png", 96, 128);
  LoadSheet(Chip[3], "chip3.png", 288, 256);
  PlatformSetScreen(&Display[0]);
}

}  // namespace

std::string DataPath(std::string_view relative) {
  const bool registerFile = relative == "da\\da1.txt" || relative == "da\\da2.txt";
  std::string path = registerFile && !RegisterDir.empty() ? RegisterDir : AppDir;
  for (char c : relative) path.push_back(c == '\\' ? '/' : c);
  return path;
}

void FatalError(const std::string& message) {
  std::fprintf(stderr, "kurunoa: %s\n", message.c_str());
  PlatformMessageBox("Kurunoa", message);
  EndProcess(1);
}

void EndProcess(int status) {
  SessionClose();
  SoundShutdown();
  PlatformShutdown();
  std::fflush(nullptr);
  std::_Exit(status);
}

void SetUpWindow() {
  uint64_t seed =
      Options.SeedGiven
          ? Options.Seed
          : static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                static_cast<uint64_t>(getpid());
  SeedRandom(seed);
  SessionStartRecording(seed);
  AppDir = Options.AppDir.empty() ? ProgramFolder() : Options.AppDir;
  if (AppDir.empty() || AppDir.back() != '/') AppDir.push_back('/');
  RegisterDir = RegisterFolderFor(AppDir, !Options.AppDir.empty());
  SetUpSurfaces();
  SoundInit(Options.SoundFont);
}

void InitHeadlessSession(const std::string& appDir, uint64_t seed) {
  PlatformOptions po;
  po.Headless = true;
  std::string error;
  PlatformInit(po, &error);
  PlatformSetKeyScript({});
  SeedRandom(seed);
  AppDir = appDir;
  if (AppDir.empty() || AppDir.back() != '/') AppDir.push_back('/');
  RegisterDir.clear();  // the register follows AppDir, wherever a test points it
  SetUpSurfaces();
}

void Form_Load() {
  SetUpWindow();
  ResetYear();
  LoadPtaLines();
  LoadRegister();
  BuildGraduateNames();
  WarmPlayText();
}

void Form_Unload() {
  BgmStop();
  BgmClose();
  StopEffects();
  EndProcess(0);
}

int Main(int argc, char** argv) {
  std::string error;
  switch (ParseCommandLine(argc, argv, &Options, &error)) {
    case ParseResult::Help:
      std::fputs(UsageText(), stdout);
      return 0;
    case ParseResult::Version:
      std::printf("kurunoa %s\n", KURUNOA_VERSION);
      return 0;
    case ParseResult::Error:
      std::fprintf(stderr, "kurunoa: %s\n%s", error.c_str(), UsageText());
      return 2;
    case ParseResult::Run:
      break;
  }
  if (!SessionOpen(&error)) {
    std::fprintf(stderr, "kurunoa: %s\n", error.c_str());
    return 2;
  }
  const PlatformOptions po = DesktopOptions();
  if (!PlatformInit(po, &error)) {
    std::fprintf(stderr, "kurunoa: %s\n", error.c_str());
    SessionClose();
    return 1;
  }
  PlatformSetCloseHandler(Form_Unload);

  Form_Load();
  DesktopConnect();
  PlatformShowWindow();

  while (GameMode != 27) {
    DoEvents();
    switch (GameMode) {
      case -1:
        MenuChoice = 1;
        LogoScreen();
        break;
      case 0:
        DrawTitle();
        TitleLoop();
        Day = 14;
        break;
      case 1:
        DayLoop();
        break;
      case 2:
        SetBackColour(Display[2], RGB(0, 50, 100));
        DrawRecords();
        YearEnd();
        RunYearEndSave();
        break;
      case 3:
        SetBackColour(Display[2], Display[2].BackColour);
        SortGraduates();
        DrawRecords();
        RecordsLoop();
        break;
      case 6:
        PtaScene();
        break;
      default:
        GameMode = 27;  // no screen has this mode: leave rather than spin
        break;
    }
    if (PlatformKeyDown(27)) GameMode = 27;
  }
  BgmStop();
  BgmClose();
  StopEffects();
  SoundShutdown();
  SessionClose();
  PlatformShutdown();
  return 0;
}
