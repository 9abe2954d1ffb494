// What the desktop integration tests share: a drive for the test's folder,
// and a progress sink that logs what the user would see.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "state/InstallerState.h"
#include "state/ProgressSink.h"
#include "tests/support/TestPlatform.h"

const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Makes Paths.Drive a drive whose "Quarn7" folder is the test's, for the
// test's lifetime. On the host: drive T:, the test's folder. Wine follows no
// drive letter put on a folder, so on Windows it is "Quarn7" on the temp
// folder's drive, made with a mark and removed afterwards; one there without
// the mark is not the test's (ok() false).
class TestDrive {
 public:
  explicit TestDrive(TestPlatform& test) : test_(test) {
    ResetInstallerState();
    snprintf(Paths.Drive, sizeof Paths.Drive, "%.2s", test.Root().c_str());
#ifdef _WIN32
    std::error_code e;
    if (std::filesystem::exists(Native(kMark), e)) std::filesystem::remove_all(Native("Quarn7"), e);
    ok_ = !std::filesystem::exists(Native("Quarn7"), e) && !e &&
          std::filesystem::create_directory(Native("Quarn7"), e) && std::ofstream(Native(kMark));
#endif
  }
  ~TestDrive() {
#ifdef _WIN32
    std::error_code ignored;
    if (ok_) std::filesystem::remove_all(Native("Quarn7"), ignored);
#endif
    ResetInstallerState();
  }
  bool ok() const { return ok_; }
  // A path below the drive's root, for the logic and for the C++ library.
  std::string Path(const std::string& relative) const { return std::string(Paths.Drive) + "\\" + relative; }
  std::string Native(const std::string& relative) const {
#ifdef _WIN32
    return Path(relative);
#else
    return test_.NativePath(relative);
#endif
  }

 private:
  static constexpr const char* kMark = "Quarn7\\made-by-shell-tests";
  TestPlatform& test_;
  bool ok_ = true;
};

// The texts of the boxes shown, each owned by the main window and captioned
// "Tesmo Setup".
inline std::vector<std::string> ShortcutBoxes(const RecordingPlatform& platform) {
  std::vector<std::string> texts;
  for (const auto& m : platform.messages) {
    EXPECT_TRUE(m.owner == BoxOwner::Program && m.caption == "Tesmo Setup") << m.text;
    texts.push_back(m.text);
  }
  return texts;
}

// Status texts and pauses in order; at each pause, what check() says then.
class LoggingProgress : public ProgressSink {
 public:
  std::function<std::string()> check = [] { return std::string(); };
  std::vector<std::string> events;

  void SetStatus(const char* text) override { events.push_back(std::string("status ") + text); }
  int AddFileLine(const char*) override { return 1; }
  void Pause(int ms) override { events.push_back("pause " + std::to_string(ms) + check()); }
};
