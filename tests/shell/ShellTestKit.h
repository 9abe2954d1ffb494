// What the desktop integration tests share: a drive letter for the test's
// temp folder, and a progress sink that logs what the user would see.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/InstallerState.h"
#include "app/ProgressSink.h"
#include "tests/support/TestPlatform.h"

#ifdef _WIN32
#include <windows.h>
#endif

// Makes Paths.Drive a drive whose root is the test's folder, so that
// "<Drive>\Quarn7\..." lands there; restores the paths afterwards. On the
// host the folder is drive T: already; on Windows a letter is defined for
// it for the test's lifetime.
class TestDrive {
 public:
  explicit TestDrive(TestPlatform& test) : saved_(Paths) {
#ifdef _WIN32
    ok_ = DefineDosDeviceA(0, "Q:", test.Root().c_str()) != FALSE;
    snprintf(Paths.Drive, sizeof Paths.Drive, "Q:");
#else
    snprintf(Paths.Drive, sizeof Paths.Drive, "%s", test.Root().c_str());
#endif
  }
  ~TestDrive() {
#ifdef _WIN32
    if (ok_) DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
#endif
    Paths = saved_;
  }
  bool ok() const { return ok_; }
  // A path below the drive's root.
  std::string Path(const std::string& relative) const {
    return std::string(Paths.Drive) + "\\" + relative;
  }

 private:
  InstallPaths saved_;
  bool ok_ = true;
};

// Status texts and pauses in the order they came; at each pause, what
// check() says about the world then (which boxes, which folders).
class LoggingProgress : public ProgressSink {
 public:
  std::function<std::string()> check = [] { return std::string(); };
  std::vector<std::string> events;

  void SetStatus(const char* text) override {
    events.push_back(std::string("status ") + text);
  }
  int AddFileLine(const char*) override { return 1; }
  void Pause(int ms) override {
    events.push_back("pause " + std::to_string(ms) + check());
  }
};
