// settings.ini: lines of "name = value"; '#' starts a comment line.
#include "platform/settings.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool ParseBool(std::string_view v, bool* out) {
  const std::string l = Lower(v);
  if (l == "yes" || l == "true" || l == "on" || l == "1") {
    *out = true;
    return true;
  }
  if (l == "no" || l == "false" || l == "off" || l == "0") {
    *out = false;
    return true;
  }
  return false;
}

bool ParseLevel(std::string_view v, int32_t lo, int32_t hi, int32_t* out) {
  if (v.empty() || v.size() > 3) return false;
  int32_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n < lo || n > hi) return false;
  *out = n;
  return true;
}

const char* YesNo(bool b) { return b ? "yes" : "no"; }

// The value a setting has by default, as the file would spell it.
std::string DefaultText(const std::string& name) {
  const Settings d;
  if (name == "scale") return std::to_string(d.Scale);
  if (name == "fullscreen") return YesNo(d.Fullscreen);
  if (name == "filter") return d.Smooth ? "fit" : "sharp";
  if (name == "music") return std::to_string(d.Music);
  if (name == "effects") return std::to_string(d.Effects);
  if (name == "mute") return YesNo(d.Mute);
  return "none";
}

}  // namespace

std::string UserFolder(const char* xdgVariable, const char* homeRelative) {
  if (const char* xdg = std::getenv(xdgVariable); xdg && *xdg)
    return std::string(xdg) + "/kurunoa/";
  if (const char* home = std::getenv("HOME"); home && *home) {
    return std::string(home) + "/" + homeRelative + "/kurunoa/";
  }
  return "";
}

std::string SettingsPath() {
  const std::string folder = UserFolder("XDG_CONFIG_HOME", ".config");
  return folder.empty() ? "" : folder + "settings.ini";
}

void SettingsParse(std::string_view text, Settings* s, std::vector<std::string>* problems) {
  int32_t lineNo = 0;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    const std::string_view raw = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    ++lineNo;
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    const std::size_t eq = line.find('=');
    const std::string name = Lower(Trim(line.substr(0, eq == std::string_view::npos ? 0 : eq)));
    const std::string_view value =
        eq == std::string_view::npos ? std::string_view() : Trim(line.substr(eq + 1));
    bool ok = eq != std::string_view::npos;
    bool known = true;
    if (!ok) {
      known = false;
    } else if (name == "scale") {
      ok = ParseLevel(value, 0, 6, &s->Scale);
    } else if (name == "fullscreen") {
      ok = ParseBool(value, &s->Fullscreen);
    } else if (name == "filter") {
      const std::string v = Lower(value);
      ok = v == "sharp" || v == "fit";
      if (ok) s->Smooth = v == "fit";
    } else if (name == "music") {
      ok = ParseLevel(value, 0, 10, &s->Music);
    } else if (name == "effects") {
      ok = ParseLevel(value, 0, 10, &s->Effects);
    } else if (name == "mute") {
      ok = ParseBool(value, &s->Mute);
    } else if (name.rfind("key.", 0) == 0) {
      int slot = -1;
      for (int i = 0; i < 7; ++i) {
        if (name.substr(4) == kBindingNames[i]) slot = i;
      }
      known = slot >= 0;
      int32_t vk = 0;
      std::string upper(value);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (known && upper == "NONE") {
        s->Bind[slot] = 0;
      } else {
        ok = known && ParseKeyName(upper, &vk);
        if (ok) s->Bind[slot] = vk;
      }
    } else {
      known = false;
    }
    if (!known) {
      problems->push_back("settings.ini line " + std::to_string(lineNo) + ": \"" +
                          std::string(line) + "\" is not a setting; ignored");
    } else if (!ok) {
      problems->push_back("settings.ini line " + std::to_string(lineNo) + ": \"" +
                          std::string(line) + "\" is not understood; " + name +
                          " stays at its default, " +
                          DefaultText(name.rfind("key.", 0) == 0 ? "key" : name));
    }
  }
}

std::string SettingsFormat(const Settings& s) {
  std::ostringstream out;
  out << "# Kurunoa settings, written by the game when one changes in it.\n"
      << "# scale: 1..6, or 0 for the largest that fits; filter: sharp (whole-number\n"
      << "# scale) or fit (the largest size, smoothed); music, effects: 0..10.\n"
      << "# key.up, key.down, key.left, key.right, key.space, key.enter, key.escape\n"
      << "# add a key for a play key: a letter, a digit or a key name such as SPACE.\n"
      << "scale = " << s.Scale << "\n"
      << "fullscreen = " << YesNo(s.Fullscreen) << "\n"
      << "filter = " << (s.Smooth ? "fit" : "sharp") << "\n"
      << "music = " << s.Music << "\n"
      << "effects = " << s.Effects << "\n"
      << "mute = " << YesNo(s.Mute) << "\n";
  for (int i = 0; i < 7; ++i) {
    char buf[8];
    if (s.Bind[i] != 0) {
      out << "key." << kBindingNames[i] << " = " << KeyNameOf(s.Bind[i], buf) << "\n";
    }
  }
  return out.str();
}

Settings SettingsLoad(const std::string& path) {
  Settings s;
  if (path.empty()) return s;
  std::ifstream in(path, std::ios::binary);
  if (!in) return s;
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<std::string> problems;
  SettingsParse(text.str(), &s, &problems);
  for (const std::string& p : problems) std::fprintf(stderr, "kurunoa: %s\n", p.c_str());
  return s;
}

bool SettingsSave(const std::string& path, const Settings& s) {
  if (path.empty()) return false;
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << SettingsFormat(s);
    if (!out.flush()) {
      std::fprintf(stderr, "kurunoa: %s cannot be written\n", path.c_str());
      return false;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) std::fprintf(stderr, "kurunoa: %s cannot be written\n", path.c_str());
  return !ec;
}
