// The register on disk when things go wrong: a disk that fails at any
// step of a save, a process killed at any step, damaged files, another copy
// of the game saving at the same time, links and FIFOs in the folder.
#include "register/store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "register_fixture.h"

namespace {

// A register of two that was saved last year, and this year's student.
class Saving : public Register {
 protected:
  const Record old1{1, {1, 0, 0, 0, 0, 0, 0, 0}, 600, 600, 600};
  const Record old2{2, {2, 0, 0, 0, 0, 0, 0, 0}, 400, 400, 400};
  const Record student{2, {3, 4, 0, 0, 0, 0, 0, 0}, 500, 500, 500};

  void TearDown() override {
    RegisterKillAtStep = 0;
    RegisterKillAtLoadStep = 0;
    Register::TearDown();
  }

  // Starts over with an empty folder, or one holding last year's register.
  void Fresh(bool hadFiles) {
    fs::remove_all(dir_ / "da");
    fs::create_directories(dir_ / "da");
    ClearRegister();
    if (!hadFiles) return;
    GraduateCount = 2;
    SetRecord(1, old1);
    SetRecord(2, old2);
    LastName[0] = 2;
    SaveRegister();
    ASSERT_EQ(RegisterSaveError, "");
    ClearRegister();
    LoadRegister();
  }
  void PlayThisYear() {
    OpenGraduateRecord(student.School);
    SetRecord(CurGrad, student);
    std::copy(student.Syllables.begin(), student.Syllables.end(), LastName);
    SortGraduates();
  }
  std::string OldDa1(bool hadFiles) { return hadFiles ? Lines({2, 2, 0, 0, 0, 0, 0, 0, 0}) : ""; }
  std::string OldDa2(bool hadFiles) { return hadFiles ? Group(old1) + Group(old2) : ""; }
  std::string NewDa1(bool hadFiles) { return Lines({hadFiles ? 3 : 1, 3, 4, 0, 0, 0, 0, 0, 0}); }
  std::string NewDa2(bool hadFiles) {
    return hadFiles ? Group(old1) + Group(student) + Group(old2) : Group(student);
  }

  // A start after whatever happened: the register it reads, and the files
  // it leaves on disk once it has read them. Old or new, never anything else.
  enum class Found { Old, New, Neither };
  Found Restart(bool hadFiles) {
    ClearRegister();
    LoadRegister();
    const std::string da1 = ReadFile("da1.txt"), da2 = ReadFile("da2.txt");
    const bool oldOnDisk = da1 == OldDa1(hadFiles) && da2 == OldDa2(hadFiles);
    const bool newOnDisk = da1 == NewDa1(hadFiles) && da2 == NewDa2(hadFiles);
    const int32_t oldCount = hadFiles ? 2 : 0, newCount = hadFiles ? 3 : 1;
    for (const std::string& name : FilesInDa()) {
      // What a start leaves behind: the pair and the lock, no temporaries.
      EXPECT_TRUE(name == "da1.txt" || name == "da2.txt" || name == "register.lock") << name;
    }
    if (oldOnDisk && GraduateCount == oldCount) return Found::Old;
    if (newOnDisk && GraduateCount == newCount) {
      ExpectRecord(hadFiles ? 2 : 1, student);
      return Found::New;
    }
    return Found::Neither;
  }
};

TEST_F(Saving, AFailureAtAnyStepLeavesTheOldOrTheNewRegister) {
  for (bool hadFiles : {true, false}) {
    Fresh(hadFiles);
    PlayThisYear();
    RunYearEndSave();
    const int32_t steps = RegisterSaveSteps;
    ASSERT_GT(steps, 10);
    for (int32_t step = 1; step <= steps; ++step) {
      SCOPED_TRACE((hadFiles ? "old files, step " : "no files, step ") + std::to_string(step));
      Fresh(hadFiles);
      PlayThisYear();
      RegisterFailAtStep = step;
      ::testing::internal::CaptureStderr();
      RunYearEndSave();
      const std::string err = ::testing::internal::GetCapturedStderr();
      RegisterFailAtStep = 0;
      const bool failed = !RegisterSaveError.empty();
      if (failed) {
        // Nothing on disk changed, and this year's student is still in
        // memory, ranked and named, for the next try.
        EXPECT_EQ(ReadFile("da1.txt"), OldDa1(hadFiles));
        EXPECT_EQ(ReadFile("da2.txt"), OldDa2(hadFiles));
        EXPECT_NE(err.find("not saved"), std::string::npos) << err;
        ASSERT_EQ(GraduateCount, hadFiles ? 3 : 1);
        ExpectRecord(hadFiles ? 2 : 1, student);
        EXPECT_EQ(GradName[hadFiles ? 2 : 1], "s3s4");
        // The next save goes through and clears the report.
        RunYearEndSave();
        EXPECT_EQ(RegisterSaveError, "");
      }
      EXPECT_EQ(Restart(hadFiles), Found::New);
    }
  }
}

// The process dies at a step of the save, and perhaps again while the next
// start finishes the save; then a start finds the old or the new register.
TEST_F(Saving, AKillAtAnyStepLeavesTheOldOrTheNewRegister) {
  auto runKilled = [](auto body) {
    const pid_t pid = fork();
    if (pid == 0) {
      body();
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  };
  for (bool hadFiles : {true, false}) {
    Fresh(hadFiles);
    PlayThisYear();
    SaveRegister();
    const int32_t steps = RegisterSaveSteps;
    int32_t olds = 0, news = 0;
    for (int32_t step = 1; step <= steps + 1; ++step) {
      SCOPED_TRACE((hadFiles ? "old files, step " : "no files, step ") + std::to_string(step));
      Fresh(hadFiles);
      PlayThisYear();
      const bool killed = runKilled([&] {
        RegisterKillAtStep = step;
        RunYearEndSave();
      });
      EXPECT_EQ(killed, step <= steps);
      // A start killed in turn at each step of its own reading.
      const fs::path saved = dir_.string() + "_saved";
      fs::remove_all(saved);
      fs::copy(dir_ / "da", saved);
      for (int32_t loadStep = 1;; ++loadStep) {
        const bool restartKilled = runKilled([&] {
          RegisterKillAtLoadStep = loadStep;
          ClearRegister();
          LoadRegister();
        });
        const Found found = Restart(hadFiles);
        ASSERT_NE(found, Found::Neither) << "start killed at step " << loadStep;
        if (!restartKilled) {
          found == Found::Old ? ++olds : ++news;
          break;
        }
        fs::remove_all(dir_ / "da");
        fs::copy(saved, dir_ / "da");
      }
      fs::remove_all(saved);
    }
    // Kills before the commit keep the old register, the rest the new one.
    EXPECT_GT(olds, 0);
    EXPECT_GT(news, 0);
    std::printf("%s: %d steps, old register after %d kills, new after %d\n",
                hadFiles ? "with old files" : "without files", steps, olds, news);
  }
}

TEST_F(Saving, DamagedFilesAreKeptBeforeTheSave) {
  const std::string da1 = OldDa1(true), da2 = OldDa2(true);
  struct Case {
    const char* What;
    std::string Da1, Da2;
    int32_t Readable;  // graduates that can be read and are saved again
  };
  const Case cases[] = {
      {"syllable 101 in da1", Lines({2, 2, 101, 0, 0, 0, 0, 0, 0}), da2, 0},
      {"da1 cut short", " 2 \r\n 2 \r\n 0", da2, 0},
      {"stray word between groups", da1, Group(old1) + "oops\r\n" + Group(old2), 1},
      {"da2 cut short", da1, Group(old1) + " 2 \r\n", 1},
      {"more groups than the count", Lines({1, 2, 0, 0, 0, 0, 0, 0, 0}), da2, 1},
      {"da2 without da1", "", da2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Fresh(false);
    if (!c.Da1.empty()) WriteFile("da1.txt", c.Da1);
    WriteFile("da2.txt", c.Da2);
    LoadRegister();
    PlayThisYear();
    ::testing::internal::CaptureStderr();
    RunYearEndSave();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(RegisterSaveError, "");
    EXPECT_EQ(RegisterNotice, "壊れていた卒業生の記録を別の名前で残しました");
    // Each file is kept byte for byte, and stderr names the copies.
    int kept = 0;
    for (const std::string& name : FilesInDa()) {
      if (name.find(".damaged-") == std::string::npos) continue;
      ++kept;
      EXPECT_NE(err.find(name), std::string::npos) << err;
      EXPECT_EQ(ReadFile(name), name.rfind("da1.txt", 0) == 0 ? c.Da1 : c.Da2) << name;
    }
    EXPECT_EQ(kept, c.Da1.empty() ? 1 : 2);
    // The graduates that could be read, and this year's student.
    ClearRegister();
    LoadRegister();
    ASSERT_EQ(GraduateCount, c.Readable + 1);
    ExpectRecord(1, c.Readable == 1 ? old1 : student);
  }
}

TEST_F(Saving, KeptCopiesNeverOverwriteEachOther) {
  Fresh(false);
  for (int round = 1; round <= 3; ++round) {
    WriteFile("da1.txt", "round " + std::to_string(round));
    ClearRegister();
    LoadRegister();
    PlayThisYear();
    ::testing::internal::CaptureStderr();
    RunYearEndSave();
    ::testing::internal::GetCapturedStderr();
  }
  std::vector<std::string> copies;
  for (const std::string& name : FilesInDa()) {
    if (name.rfind("da1.txt.damaged-", 0) == 0) copies.push_back(ReadFile(name));
  }
  std::sort(copies.begin(), copies.end());
  EXPECT_EQ(copies, (std::vector<std::string>{"round 1", "round 2", "round 3"}));
}

TEST_F(Saving, AByteOrderMarkReadsAsNothing) {
  Fresh(true);
  WriteFile("da1.txt", "\xEF\xBB\xBF" + OldDa1(true));
  WriteFile("da2.txt", "\xEF\xBB\xBF" + OldDa2(true));
  ClearRegister();
  LoadRegister();
  ASSERT_EQ(GraduateCount, 2);
  ExpectRecord(1, old1);
  ExpectRecord(2, old2);
  PlayThisYear();
  RunYearEndSave();
  EXPECT_EQ(RegisterNotice, "");
  EXPECT_EQ(Restart(true), Found::New);
}

// Another copy of the game saved its year between this copy's start and
// its year end: both graduates are kept, ranked together.
TEST_F(Saving, TwoCopiesOnOneRegisterKeepBothGraduates) {
  const Record other{1, {9, 9, 0, 0, 0, 0, 0, 0}, 550, 550, 550};
  Fresh(true);  // this copy started with last year's register
  const pid_t pid = fork();
  if (pid == 0) {
    ClearRegister();
    LoadRegister();
    OpenGraduateRecord(other.School);
    SetRecord(CurGrad, other);
    std::copy(other.Syllables.begin(), other.Syllables.end(), LastName);
    RunYearEndSave();
    _exit(RegisterSaveError.empty() ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  PlayThisYear();
  RunYearEndSave();
  EXPECT_EQ(RegisterSaveError, "");
  EXPECT_EQ(ReadFile("da1.txt"), Lines({4, 3, 4, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ReadFile("da2.txt"), Group(old1) + Group(other) + Group(student) + Group(old2));
  ASSERT_EQ(GraduateCount, 4);
  EXPECT_EQ(GradName[3], "s3s4");
}

TEST_F(Saving, ALinkInATemporarysPlaceIsNeverWrittenThrough) {
  Fresh(true);
  const fs::path victim = dir_ / "victim.txt";
  std::ofstream(victim) << "precious";
  // Links where temporaries of this and of older versions of the game go.
  fs::create_symlink(victim, dir_ / "da" / "da2.txt.tmp");
  fs::create_symlink(victim, dir_ / "da" / "da1.txt.tmp");
  for (int n = 1; n <= 20; ++n) {
    const std::string suffix = ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(n);
    fs::create_symlink(victim, dir_ / "da" / ("da2.txt" + suffix));
    fs::create_symlink(victim, dir_ / "da" / ("register.commit" + suffix));
  }
  PlayThisYear();
  RunYearEndSave();
  EXPECT_EQ(RegisterSaveError, "");
  std::ifstream in(victim);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "precious");
  EXPECT_FALSE(fs::is_symlink(dir_ / "da" / "da2.txt"));
  EXPECT_EQ(Restart(true), Found::New);
}

TEST_F(Saving, FifosAreReadAsMissing) {
  for (const char* name : {"da1.txt", "da2.txt"}) {
    SCOPED_TRACE(name);
    Fresh(true);
    fs::remove(dir_ / "da" / name);
    ASSERT_EQ(mkfifo((dir_ / "da" / name).c_str(), 0666), 0);
    ClearRegister();
    ::testing::internal::CaptureStderr();
    LoadRegister();  // would wait for a writer forever if it opened the FIFO
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
    EXPECT_EQ(GraduateCount, std::string(name) == "da1.txt" ? 0 : 2);
    PlayThisYear();
    ::testing::internal::CaptureStderr();
    RunYearEndSave();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(RegisterSaveError, "");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "da" / name));
  }
}

}  // namespace
