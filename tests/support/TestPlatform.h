// The real platform of the system the test runs on, with a fresh temp folder
// to work in: Win32Platform on Windows, on Linux a HostPlatform whose drive
// T: is the folder. Path("a\\b") is a file's Windows path there, NativePath
// the same file's path for the C++ library.
#pragma once

#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/Win32Platform.h"
typedef Win32Platform NativePlatform;
#else
#include "platform/HostPlatform.h"
typedef HostPlatform NativePlatform;
#endif

// The native platform with its boxes recorded, not shown. Each file opened
// for writing takes at most |room| bytes, as on a full disk; with
// |brokenPipe| a short write says that the pipe's reader has gone instead.
class RecordingPlatform : public NativePlatform {
 public:
  struct Message {
    BoxOwner owner;
    std::string text;
    std::string caption;  // empty for the default caption
    bool hasCaption;
  };
  void ShowMessage(BoxOwner owner, const char* text, const char* caption) override;
  File* OpenWrite(const char* path) override;
  // Notes "stamp <path>" in |events| when set; fails when |stampsFail|.
  bool SetFileTimes(const char* path, FileTime utc) override;

  std::vector<Message> messages;
  size_t room = ~size_t{0};
  bool brokenPipe = false;
  bool stampsFail = false;
  std::vector<std::string>* events = nullptr;
};

class TestPlatform {
 public:
  TestPlatform();
  ~TestPlatform();  // removes the folder and restores the working directory

  RecordingPlatform& platform() { return platform_; }
  const std::string& Root() const { return root_; }  // the folder's Windows path
  std::string Path(const std::string& relative) const;
  std::string NativePath(const std::string& relative) const;

  bool WriteFile(const std::string& relative, const std::string& content) const;
  std::string Content(const std::string& relative) const;  // or "<unreadable>"
  bool Exists(const std::string& relative) const;

 private:
  std::string folder_, root_, savedWorkingDirectory_;
  RecordingPlatform platform_;
};
