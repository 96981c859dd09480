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

// Where the register is kept beyond this run, around each save of the files
// in folder (ending in a slash). Begin brings in the newest files another
// copy of the game may have kept elsewhere (pages of the browser share one
// store) and holds that store's lock; End makes the saved files last and
// lets the lock go. On the desktop both are nothing: the save's own lock and
// syncs do it there. End is false, with a reason, when saved files could not
// be kept.
void PlatformRegisterBegin(const std::string& folder);
bool PlatformRegisterEnd(const std::string& folder, bool saved, std::string* error);
