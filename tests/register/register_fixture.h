// Shared by the register tests: records as play leaves them, the files as
// the game writes them, and a fixture with a register folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "register/register.h"

namespace fs = std::filesystem;

namespace register_fixture {

using Name = std::array<int16_t, 8>;

struct Record {
  int32_t School;
  Name Syllables;
  int32_t Study, Sports, Art;
};

// Puts a record into slot i as play would leave it: scores and total set.
inline void SetRecord(int32_t i, const Record& r) {
  GradSchool[i] = r.School;
  std::copy(r.Syllables.begin(), r.Syllables.end(), GradSyllables[i]);
  GradScore[i][1] = r.Study;
  GradScore[i][2] = r.Sports;
  GradScore[i][3] = r.Art;
  GradScore[i][4] = r.Study + r.Sports + r.Art;
}

// Opens the next record as the title menu does when a year starts.
inline void OpenRecord(int32_t school) {
  ++GraduateCount;
  CurGrad = static_cast<int16_t>(GraduateCount);
  RankOrder[CurGrad] = CurGrad;
  GradSchool[CurGrad] = school;
  std::copy(LastName, LastName + 8, GradSyllables[CurGrad]);
}

inline std::string Line(int64_t v) {
  return (v < 0 ? "-" : " ") + std::to_string(v < 0 ? -v : v) + " \r\n";
}

inline std::string Lines(std::initializer_list<int64_t> values) {
  std::string out;
  for (int64_t v : values) out += Line(v);
  return out;
}

inline std::string Group(const Record& r) {
  std::string out = Line(r.School);
  for (int16_t s : r.Syllables) out += Line(s);
  return out + Lines({r.Study, r.Sports, r.Art});
}

inline void ExpectRecord(int32_t i, const Record& r) {
  SCOPED_TRACE("record " + std::to_string(i));
  EXPECT_EQ(GradSchool[i], r.School);
  EXPECT_EQ(Name(std::to_array(GradSyllables[i])), r.Syllables);
  EXPECT_EQ(GradScore[i][1], r.Study);
  EXPECT_EQ(GradScore[i][2], r.Sports);
  EXPECT_EQ(GradScore[i][3], r.Art);
  EXPECT_EQ(GradScore[i][4], r.Study + r.Sports + r.Art);
}

class Register : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearRegister();
    RegisterFailAtStep = 0;
    for (int s = 0; s <= 100; ++s) Syllable[s] = (s >= 1 && s <= 81) ? "s" + std::to_string(s) : "";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    dir_ =
        fs::temp_directory_path() / ("kurunoa_register_" + std::to_string(getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "da");
    AppDir = dir_.string() + "/";
  }
  void TearDown() override {
    RegisterFailAtStep = 0;
    RegisterFailSteps = 1;
    fs::remove_all(dir_);
  }

  std::string ReadFile(const std::string& name) {
    std::ifstream in(dir_ / "da" / name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / "da" / name, std::ios::binary) << text;
  }
  std::vector<std::string> FilesInDa() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_ / "da")) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

}  // namespace register_fixture

using namespace register_fixture;
