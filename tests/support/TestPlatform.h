// The real platform of the system the test runs on, with a fresh temp folder
// to work in. On Windows that is Win32Platform and paths are the folder's
// own; on Linux a HostPlatform whose drive T: is the folder. Path("a\\b") is
// the Windows path of a file in the folder on either system, NativePath the
// same file for checks with the C library.
#pragma once

#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

#ifdef _WIN32
#include "platform/Win32Platform.h"
typedef Win32Platform NativePlatform;
#else
#include "platform/HostPlatform.h"
typedef HostPlatform NativePlatform;
#endif

// The native platform with its message boxes recorded instead of shown, so
// no test waits for a click.
class RecordingPlatform : public NativePlatform {
 public:
  struct Message {
    BoxOwner owner;
    std::string text;
    std::string caption;  // empty for the default caption
    bool hasCaption;
  };

  void ShowMessage(BoxOwner owner, const char* text,
                   const char* caption) override;

  std::vector<Message> messages;
};

class TestPlatform {
 public:
  TestPlatform();
  // Restores the process's working directory, which Win32 ChangeFolder
  // moves, so the folder can be removed.
  ~TestPlatform();

  RecordingPlatform& platform() { return platform_; }

  // Windows path of the folder itself, and of |relative| inside it.
  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative) const;
  // Native path of |relative| ("\" or "/" separated) inside the folder.
  std::string NativePath(const std::string& relative) const;

  // Whole-file helpers by relative path, through the C library.
  bool WriteFile(const std::string& relative, const std::string& content) const;
  // The file's bytes; false when it cannot be read.
  bool ReadFile(const std::string& relative, std::string* content) const;
  bool Exists(const std::string& relative) const;
  bool IsFolder(const std::string& relative) const;

 private:
  TempFolder folder_;
  std::string root_;
  std::string savedWorkingDirectory_;
  RecordingPlatform platform_;
};
