// The keyboard script of headless runs and replays: "POLL KEYS" per line.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace {

struct NamedKey {
  const char* Name;
  int32_t Code;
};

const NamedKey kNamedKeys[] = {
    {"SPACE", 32}, {"ENTER", 13},  {"ESC", 27},   {"LEFT", 37}, {"UP", 38},  {"RIGHT", 39},
    {"DOWN", 40},  {"DELETE", 46}, {"SHIFT", 16}, {"CTRL", 17}, {"ALT", 18},
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool ParseWhole(std::string_view s, int64_t* out) {
  if (s.empty() || s.size() > 18) return false;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *out = v;
  return true;
}

}  // namespace

bool ParseKeyName(std::string_view name, int32_t* vk) {
  for (const NamedKey& k : kNamedKeys) {
    if (name == k.Name) {
      *vk = k.Code;
      return true;
    }
  }
  if (name.size() == 1 &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
    *vk = name[0];
    return true;
  }
  int64_t code = 0;
  if (ParseWhole(name, &code) && code >= 1 && code <= 255) {
    *vk = static_cast<int32_t>(code);
    return true;
  }
  return false;
}

const char* KeyNameOf(int32_t vk, char* buf) {
  for (const NamedKey& k : kNamedKeys) {
    if (k.Code == vk) return k.Name;
  }
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
    buf[0] = static_cast<char>(vk);
    buf[1] = '\0';
  } else {
    std::snprintf(buf, 8, "%d", vk);
  }
  return buf;
}

bool ParseKeyScript(std::string_view text, std::vector<KeyChange>* out, std::string* error) {
  out->clear();
  int64_t lineNo = 0;
  int64_t lastPoll = -1;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++lineNo;
    const std::size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    line = Trim(line);
    if (line.empty()) continue;
    auto fail = [&](const char* why) {
      if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    };
    std::size_t sp = 0;
    while (sp < line.size() && !std::isspace(static_cast<unsigned char>(line[sp]))) ++sp;
    KeyChange change;
    if (!ParseWhole(line.substr(0, sp), &change.Poll)) return fail("expected a poll number");
    if (change.Poll < lastPoll) return fail("poll numbers must not go backwards");
    std::string_view keys = Trim(line.substr(sp));
    if (keys.empty()) return fail("expected keys or -");
    if (keys != "-") {
      for (;;) {
        const std::size_t comma = keys.find(',');
        std::string_view name = Trim(keys.substr(0, comma));
        int32_t vk = 0;
        if (!ParseKeyName(name, &vk)) return fail("unknown key name");
        change.Keys.push_back(vk);
        if (comma == std::string_view::npos) break;
        keys = keys.substr(comma + 1);
      }
    }
    lastPoll = change.Poll;
    out->push_back(std::move(change));
  }
  return true;
}
