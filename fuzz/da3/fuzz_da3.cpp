// The syllable file reader must take any bytes without reading out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string font, cause, syllables[82];
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (ParseSyllableText(text, &font, syllables, &cause)) {
    if (font.size() > size) __builtin_trap();
  } else if (cause.empty()) {
    __builtin_trap();  // a failure always names its cause
  }
  return 0;
}
