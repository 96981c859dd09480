// The register's two files on disk, kept as one pair: read under the
// folder's lock, and replaced all at once (internal to the register).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One read of the register folder. A file that is missing (or is not a
// regular file) has its Has flag false.
struct RegisterFiles {
  bool Has1 = false, Has2 = false;
  std::string Text1, Text2;
};

// Identifies the contents of both files, to tell whether another copy of
// the game saved since this one read them.
struct RegisterFingerprint {
  bool Known = false;
  bool Has1 = false, Has2 = false;
  uint64_t Hash1 = 0, Hash2 = 0;
  bool operator==(const RegisterFingerprint&) const = default;
};

RegisterFingerprint FingerprintOf(const RegisterFiles& files);

// The folder of the register's files, ending in a slash.
std::string RegisterFolder();

// Takes the exclusive lock of the register folder (a lock file beside the
// register), waiting a few seconds for another copy of the game at most.
// False when the wait ran out. A folder where no lock file can be made
// cannot be written by anyone, so it is read unlocked.
bool LockRegisterFolder(std::string* error);
void UnlockRegisterFolder();

// With the lock: finishes a save that a crash interrupted after it had
// committed, removes the temporaries of saves that never committed, then
// reads the pair as committed.
void ReadRegisterFiles(RegisterFiles* files);

// With the lock: copies both files as they are to names that never
// overwrite an earlier copy; *kept lists the new names.
bool KeepDamagedFiles(const RegisterFiles& files, std::string* kept, std::string* error);

// With the lock: replaces both files at once. After a true return the new
// pair is committed: a crash from then on still ends with it on disk, and
// *late names what the next start will finish, if a rename failed.
bool CommitRegisterFiles(const std::string& da1, const std::string& da2, std::string* late,
                         std::string* error);

// Test hooks. Every counted operation of a save or a load (locking,
// opening, writing, syncing, closing, renaming, removing) first asks
// SaveStepFails. In a save, the operation numbered RegisterFailAtStep
// (register.h) fails with the error the disk would give, and when
// RegisterKillAtStep is n > 0 the process kills itself with SIGKILL just
// before the n-th operation, as a crash would; RegisterKillAtLoadStep does
// the same in a load. RegisterStepsTaken counts the operations of the save
// or load under way or last done.
extern int32_t RegisterKillAtStep;
extern int32_t RegisterKillAtLoadStep;
extern int32_t RegisterStepsTaken;
extern int32_t RegisterSaveSteps;  // the operations of the last save
void BeginRegisterSteps(bool save);
bool SaveStepFails(int error);
