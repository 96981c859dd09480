// Command line, trace, screenshots, key recording and the poll limit.
#include "frame/session.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/frame.h"
#include "platform/files.h"
#include "play/play.h"
#include "register/register.h"
#include "sound/sound.h"
#include "title/title.h"

SessionOptions Options;

namespace {

FILE* gTrace = nullptr;
FILE* gRecord = nullptr;
bool gRecordHeld[129] = {};
bool gRecordStarted = false;

bool ParseNumber(const char* s, int64_t lo, int64_t hi, int64_t* out) {
  if (!s || !*s) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(s, &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

void WriteJsonString(FILE* f, std::string_view s) {
  std::fputc('"', f);
  for (char c : s) {
    if (c == '"' || c == '\\') {
      std::fputc('\\', f);
      std::fputc(c, f);
    } else if (static_cast<unsigned char>(c) < 0x20) {
      std::fprintf(f, "\\u%04x", static_cast<unsigned char>(c));
    } else {
      std::fputc(c, f);
    }
  }
  std::fputc('"', f);
}

void RecordKeys(int64_t poll) {
  bool held[129];
  bool changed = !gRecordStarted;
  for (int32_t code = 1; code <= 128; ++code) {
    held[code] = PlatformKeyDown(code);
    if (held[code] != gRecordHeld[code]) changed = true;
  }
  if (!changed) return;
  gRecordStarted = true;
  std::fprintf(gRecord, "%lld ", static_cast<long long>(poll));
  bool any = false;
  char buf[8];
  for (int32_t code = 1; code <= 128; ++code) {
    gRecordHeld[code] = held[code];
    if (!held[code]) continue;
    std::fprintf(gRecord, "%s%s", any ? "," : "", KeyNameOf(code, buf));
    any = true;
  }
  std::fprintf(gRecord, "%s\n", any ? "" : "-");
  // Each change is on disk at once: a run that crashes can still be replayed.
  std::fflush(gRecord);
}

void TraceArray(const int16_t* values, int n) {
  std::fputc('[', gTrace);
  for (int i = 0; i < n; ++i) std::fprintf(gTrace, "%s%d", i ? ", " : "", values[i]);
  std::fputc(']', gTrace);
}

void WriteTraceLine(int64_t poll) {
  std::fprintf(gTrace,
               "{\"poll\": %lld, \"ms\": %d, \"mode\": %d, \"key\": %d, \"day\": %d, "
               "\"frame\": %d, \"phase\": %d, \"x\": %d, \"y\": %d, \"ability\": ",
               static_cast<long long>(poll), PlatformClockMs(), GameMode, LastKey, Day, FrameCount,
               YearPhase, PlayerX, PlayerY);
  TraceArray(&Ability[1], 4);
  std::fputs(", \"talent\": ", gTrace);
  TraceArray(&Talent[1], 4);
  std::fprintf(gTrace,
               ", \"mood\": %d, \"stamina\": %d, \"maxStamina\": %d, \"event\": %d, "
               "\"menu\": %d, \"grad\": %d, \"rank\": %d, \"count\": %d, \"bgm\": %d, "
               "\"cat\": %d, \"pta\": %d, \"cursor\": %d, \"name\": ",
               Mood, Stamina, MaxStamina, EventIndex, MenuChoice, CurGrad, CurRank, GraduateCount,
               BgmTrack, CatState, PtaPage, NameCursor);
  const bool current = CurGrad >= 1 && CurGrad <= 1000;
  TraceArray(current ? GradSyllables[CurGrad] : LastName, 8);
  std::fputs("}\n", gTrace);
}

}  // namespace

const char* UsageText() {
  return "usage: kurunoa [options]\n"
         "\n"
         "options:\n"
         "  --headless              no window and no audio device; keys from --input,\n"
         "                          a virtual clock (runs as fast as the machine allows)\n"
         "  --seed N                seed the random generator (default: from the clock)\n"
         "  --app-dir DIR           the program folder that holds da/\n"
         "  --input FILE            keyboard script: lines of \"POLL KEYS\"\n"
         "  --trace FILE            write one JSON line of state per keyboard poll\n"
         "  --screenshot POLL:FILE  save the screen as PNG when poll POLL begins (repeatable)\n"
         "  --max-polls N           end after poll N with exit status 3\n"
         "  --record FILE           record the seed and the held keys (the --input format)\n"
         "  --replay FILE           play a recording back, frame for frame\n"
         "  --soundfont PATH        the General MIDI SoundFont for the music\n"
         "  --scale N               window scale 1..6 (default: the largest that fits)\n"
         "  --smooth                fill the window at the picture's proportions,\n"
         "                          smoothly filtered, instead of whole-number scaling\n"
         "  --fullscreen            start in fullscreen (Alt+Enter or F11 toggles)\n"
         "  --help                  this text\n"
         "  --version               the version\n"
         "\n"
         "keys:\n"
         "  intro     Space skips, Escape quits\n"
         "  title     Up/Down choose, Space confirms, Escape quits\n"
         "  play      arrows walk, Space throws (hold at a verge to rest),\n"
         "            Enter shows the whole schedule, Escape quits\n"
         "  PTA       Space turns the page, Escape quits\n"
         "  year end  letters spell the name (A I U E O K S T N H M Y R W G Z D B P X),\n"
         "            Up/Down step the syllable, Left/Right move, Delete clears,\n"
         "            Space confirms\n"
         "  records   Space returns to the title, Escape quits\n"
         "  window    F1 help, Pause pauses, F5/F6 music, F7/F8 effects, F9 mute,\n"
         "            F11 or Alt+Enter fullscreen\n"
         "\n"
         "settings: $XDG_CONFIG_HOME/kurunoa/settings.ini (else ~/.config/kurunoa/)\n"
         "register: $XDG_DATA_HOME/kurunoa/da (else ~/.local/share/kurunoa/da), or\n"
         "          beside the program when a file named portable is there\n";
}

ParseResult ParseCommandLine(int argc, char** argv, SessionOptions* o, std::string* error) {
  auto need = [&](int& i) -> const char* {
    if (i + 1 >= argc) {
      *error = std::string(argv[i]) + " needs a value";
      return nullptr;
    }
    return argv[++i];
  };
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* v = nullptr;
    int64_t n = 0;
    if (a == "--help" || a == "-h") return ParseResult::Help;
    if (a == "--version") return ParseResult::Version;
    if (a == "--headless") {
      o->Headless = true;
    } else if (a == "--smooth") {
      o->Smooth = true;
    } else if (a == "--fullscreen") {
      o->Fullscreen = true;
    } else if (a == "--seed") {
      if (!(v = need(i))) return ParseResult::Error;
      if (!ParseNumber(v, 0, INT64_MAX, &n)) {
        *error = "--seed takes a whole number";
        return ParseResult::Error;
      }
      o->Seed = static_cast<uint64_t>(n);
      o->SeedGiven = true;
    } else if (a == "--app-dir") {
      if (!(v = need(i))) return ParseResult::Error;
      o->AppDir = v;
    } else if (a == "--input") {
      if (!(v = need(i))) return ParseResult::Error;
      o->InputFile = v;
    } else if (a == "--trace") {
      if (!(v = need(i))) return ParseResult::Error;
      o->TraceFile = v;
    } else if (a == "--record") {
      if (!(v = need(i))) return ParseResult::Error;
      o->RecordFile = v;
    } else if (a == "--replay") {
      if (!(v = need(i))) return ParseResult::Error;
      o->ReplayFile = v;
    } else if (a == "--soundfont") {
      if (!(v = need(i))) return ParseResult::Error;
      o->SoundFont = v;
    } else if (a == "--screenshot") {
      if (!(v = need(i))) return ParseResult::Error;
      const char* colon = std::strchr(v, ':');
      if (!colon || colon[1] == '\0' ||
          !ParseNumber(std::string(v, colon).c_str(), 0, INT64_MAX, &n)) {
        *error = "--screenshot takes POLL:FILE.png";
        return ParseResult::Error;
      }
      o->Screenshots.push_back({n, colon + 1});
    } else if (a == "--max-polls") {
      if (!(v = need(i))) return ParseResult::Error;
      if (!ParseNumber(v, 0, INT64_MAX, &n)) {
        *error = "--max-polls takes a whole number";
        return ParseResult::Error;
      }
      o->MaxPolls = n;
    } else if (a == "--scale") {
      if (!(v = need(i))) return ParseResult::Error;
      if (!ParseNumber(v, 1, 6, &n)) {
        *error = "--scale takes a whole number from 1 to 6";
        return ParseResult::Error;
      }
      o->Scale = static_cast<int32_t>(n);
    } else {
      *error = "unknown option " + a;
      return ParseResult::Error;
    }
  }
  if (!o->InputFile.empty() && !o->ReplayFile.empty()) {
    *error = "--input and --replay cannot be used together";
    return ParseResult::Error;
  }
  return ParseResult::Run;
}

namespace {

// A key script is read whole; a FIFO, a device or a folder would block or
// read as an empty script, so only a regular file is taken.
bool ReadScriptFile(const std::string& path, std::string* text, std::string* error) {
  if (!IsRegularFile(path)) {
    *error = path + (access(path.c_str(), F_OK) == 0 ? ": not a regular file" : ": cannot be read");
    return false;
  }
  if (ReadDataFile(path, std::size_t{64} << 20, text) != FileStatus::Ok) {
    *error = path + ": cannot be read";
    return false;
  }
  return true;
}

// A recording's "# seed N" line makes the replay the same run. False with
// the line's number when a seed line is there but N is not a seed.
bool SeedFromRecording(const std::string& text, bool* found, uint64_t* seed, std::string* error) {
  *found = false;
  std::size_t start = 0;
  for (int64_t lineNo = 1; start < text.size(); ++lineNo) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("# seed", 0) != 0 || (line.size() > 6 && line[6] != ' ' && line[6] != '\t')) {
      continue;
    }
    std::size_t at = 6;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    std::string digits = line.substr(at);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) digits.pop_back();
    int64_t n = 0;
    if (!ParseNumber(digits.c_str(), 0, INT64_MAX, &n)) {
      *error = "line " + std::to_string(lineNo) + ": the seed is not a whole number: " + line;
      return false;
    }
    *found = true;
    *seed = static_cast<uint64_t>(n);
    return true;
  }
  return true;
}

}  // namespace

bool SessionOpen(std::string* error) {
  const std::string& scriptFile =
      !Options.ReplayFile.empty() ? Options.ReplayFile : Options.InputFile;
  if (!scriptFile.empty()) {
    std::string text, why;
    if (!ReadScriptFile(scriptFile, &text, error)) return false;
    std::vector<KeyChange> script;
    // A recording cut off in the middle of its last line (the program was
    // killed while writing it) still plays up to that line.
    if (!Options.ReplayFile.empty() && !text.empty() && text.back() != '\n' &&
        !ParseKeyScript(text, &script, &why)) {
      const std::size_t cut = text.find_last_of('\n');
      text.resize(cut == std::string::npos ? 0 : cut + 1);
      std::fprintf(stderr, "kurunoa: %s: the last line is incomplete and is left out\n",
                   scriptFile.c_str());
    }
    if (!ParseKeyScript(text, &script, &why)) {
      *error = scriptFile + ": " + why;
      return false;
    }
    if (!Options.ReplayFile.empty()) {
      bool found = false;
      uint64_t seed = 0;
      if (!SeedFromRecording(text, &found, &seed, &why)) {
        *error = scriptFile + ": " + why;
        return false;
      }
      if (found && !Options.SeedGiven) {
        Options.Seed = seed;
        Options.SeedGiven = true;
      }
    }
    PlatformSetKeyScript(std::move(script));
  } else if (Options.Headless) {
    PlatformSetKeyScript({});  // headless without a script: no key is ever held
  }
  if (!Options.TraceFile.empty()) {
    gTrace = std::fopen(Options.TraceFile.c_str(), "w");
    if (!gTrace) {
      *error = Options.TraceFile + ": cannot be written";
      return false;
    }
  }
  if (!Options.RecordFile.empty()) {
    gRecord = std::fopen(Options.RecordFile.c_str(), "w");
    if (!gRecord) {
      *error = Options.RecordFile + ": cannot be written";
      return false;
    }
  }
  return true;
}

void SessionStartRecording(uint64_t seed) {
  if (gRecord) std::fprintf(gRecord, "# seed %llu\n", static_cast<unsigned long long>(seed));
}

void SessionClose() {
  if (gTrace) std::fclose(gTrace);
  if (gRecord) std::fclose(gRecord);
  gTrace = nullptr;
  gRecord = nullptr;
}

void SessionPollEntered(int64_t poll) {
  for (const Screenshot& shot : Options.Screenshots) {
    if (shot.Poll != poll) continue;
    std::string error;
    if (!SurfaceSavePng(Display[0], kScreenWidth, kScreenHeight, shot.File, &error)) {
      std::fprintf(stderr, "kurunoa: screenshot %s: %s\n", shot.File.c_str(), error.c_str());
    }
  }
  if (gRecord) RecordKeys(poll);
}

void SessionPollDone(int64_t poll) {
  if (gTrace) WriteTraceLine(poll);
  if (Options.MaxPolls >= 0 && poll >= Options.MaxPolls) EndProcess(3);
}

void TraceMusic(std::string_view command) {
  if (!gTrace) return;
  std::fprintf(gTrace, "{\"poll\": %lld, \"music\": ", static_cast<long long>(PollNumber - 1));
  WriteJsonString(gTrace, command);
  std::fputs("}\n", gTrace);
}

void TraceEffect(int32_t n) {
  if (!gTrace) return;
  std::fprintf(gTrace, "{\"poll\": %lld, \"effect\": %d}\n", static_cast<long long>(PollNumber - 1),
               n);
}
