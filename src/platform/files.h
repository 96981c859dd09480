// Data files read whole. Only regular files are read: a FIFO, a device or a
// folder in a data file's place would block in open() or read forever, so it
// counts as missing, with one line on stderr.
#pragma once

#include <cstddef>
#include <string>

enum class FileStatus { Ok, Missing, NotRegular, Unreadable };

// Reads at most limit bytes of path into out (cleared first). *truncated,
// when given, tells whether the file held more than limit bytes.
FileStatus ReadDataFile(const std::string& path, std::size_t limit, std::string* out,
                        bool* truncated = nullptr);
// True when path names a regular file (following links), without opening it.
bool IsRegularFile(const std::string& path);
