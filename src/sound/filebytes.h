// Whole small files read into memory, for the music and effect readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads at most limit bytes of path; false with "cannot open PATH" when the
// file cannot be opened.
bool ReadFileBytes(const std::string& path, std::size_t limit, std::vector<uint8_t>* bytes,
                   std::string* error);
