// The run's options and its instruments: the trace, screenshots, the key
// recording and the poll limit (internal to the frame).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Screenshot {
  int64_t Poll = 0;
  std::string File;
};

struct SessionOptions {
  bool Headless = false;
  bool SeedGiven = false;
  uint64_t Seed = 0;
  std::string AppDir;
  std::string InputFile;
  std::string TraceFile;
  std::string RecordFile;
  std::string ReplayFile;
  std::string SoundFont;
  std::vector<Screenshot> Screenshots;
  int64_t MaxPolls = -1;
  int32_t Scale = 0;
  bool Smooth = false;
  bool Fullscreen = false;
};

enum class ParseResult { Run, Help, Version, Error };
ParseResult ParseCommandLine(int argc, char** argv, SessionOptions* options, std::string* error);
const char* UsageText();

extern SessionOptions Options;

bool SessionOpen(std::string* error);
void SessionClose();
// Writes the seed line of a --record file.
void SessionStartRecording(uint64_t seed);
void SessionPollEntered(int64_t poll);
void SessionPollDone(int64_t poll);
