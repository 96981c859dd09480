// Whole small files read into memory, for the music and effect readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads at most limit bytes of path. False when the file is missing or
// unreadable ("cannot open PATH"), or is not a regular file: that case has
// already said so on stderr, so *error is left empty and the caller adds
// nothing.
bool ReadFileBytes(const std::string& path, std::size_t limit, std::vector<uint8_t>* bytes,
                   std::string* error);
