// The input-script reader must reject or accept any bytes cleanly, and what
// it accepts holds only key codes the keyboard poll can look up.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<KeyChange> script;
  std::string error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (ParseKeyScript(text, &script, &error)) {
    int64_t last = -1;
    for (const KeyChange& c : script) {
      if (c.Poll < last) __builtin_trap();
      last = c.Poll;
      for (int32_t vk : c.Keys) {
        if (vk < 1 || vk > 255) __builtin_trap();
      }
    }
  } else if (error.rfind("line ", 0) != 0) {
    __builtin_trap();
  }
  return 0;
}
