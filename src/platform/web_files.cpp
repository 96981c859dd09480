// In the browser the game's folder lives in memory; the page (page.js) keeps
// the register in the browser's storage, which every page of the game on
// this site shares. A save waits for the page: first for the shared lock and
// the newest stored files, then for its own files to be stored.
#include <emscripten.h>

#include "platform/files.h"

// clang-format off
EM_JS(int, WebRegisterCall, (const char* what, const char* folder, int saved), {
  const register = Module.kurunoaRegister;
  if (!register) return 0;
  register[UTF8ToString(what)](UTF8ToString(folder), saved !== 0);
  return 1;
});
// 0 while the page works on it, 1 done, 2 failed.
EM_JS(int, WebRegisterState, (), {
  return Module.kurunoaRegister ? Module.kurunoaRegister.state : 1;
});
// clang-format on

namespace {

// Storage that never answers must not hold the game for ever.
constexpr double kWaitMs = 10000;

bool WaitForThePage() {
  const double until = emscripten_get_now() + kWaitMs;
  while (WebRegisterState() == 0) {
    if (emscripten_get_now() > until) return false;
    emscripten_sleep(1);
  }
  return WebRegisterState() == 1;
}

}  // namespace

void PlatformRegisterBegin(const std::string& folder) {
  if (WebRegisterCall("begin", folder.c_str(), 0)) WaitForThePage();
}

bool PlatformRegisterEnd(const std::string& folder, bool saved, std::string* error) {
  if (!WebRegisterCall("end", folder.c_str(), saved ? 1 : 0)) return true;
  if (WaitForThePage() || !saved) return true;
  *error = "the browser did not store the register";
  return false;
}
