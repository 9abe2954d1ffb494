// The real platform of the system the test runs on, with a fresh temp folder
// to work in: Win32Platform with the folder's own paths on Windows, a
// HostPlatform whose drive T: is the folder on Linux. Path("a\\b") is the
// Windows path of a file in the folder on either system, NativePath the same
// file for the C++ library.
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

// The native platform with its message boxes recorded instead of shown, so
// no test waits for a click. Each file it opens for writing takes at most
// |room| bytes, as on a full disk; with |brokenPipe| the short write says
// the reader of a pipe has gone instead.
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
  // Restores the working directory, which Win32 ChangeFolder moves, and
  // removes the folder with all it holds.
  ~TestPlatform();

  RecordingPlatform& platform() { return platform_; }
  const std::string& Root() const { return root_; }  // the folder's Windows path
  std::string Path(const std::string& relative) const;
  std::string NativePath(const std::string& relative) const;  // "\" or "/" separated

  bool WriteFile(const std::string& relative, const std::string& content) const;
  // The file's bytes, or "<unreadable>".
  std::string Content(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string folder_, root_, savedWorkingDirectory_;
  RecordingPlatform platform_;
};
