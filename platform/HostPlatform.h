// The platform seam on Linux. The logic composes Windows paths such as
// "C:\Quarn7\Tesmo\File.txt"; this maps them onto the host file system so a
// host run sees the same names and the same failures as Windows would:
//
// - A drive letter (either case) is a host folder, set with SetDriveFolder
//   or by the environment variable TESMO_DRIVE_<letter>. A drive without a
//   folder does not exist and every operation on it fails.
// - "\" and "/" both separate. Empty components and "." are skipped; ".."
//   goes up but never above the drive's root.
// - "X:\a" is absolute on X; "X:a" is relative to the current directory if
//   X is the current drive, else to X's root; "\a" is absolute on the
//   current drive; anything else is relative to the current directory.
// - The current drive and directory belong to this object; the process's
//   own working directory is never changed. At first the current drive is
//   the host file system itself (root "/", current directory the process's),
//   so plain Linux paths work too.
// - Each component is looked up case-insensitively for the ASCII letters, as
//   Windows does: an exact match first, else an entry equal under case
//   folding, else the name as given (so new files keep their spelling).
//   Each folder is listed once, case-folded, and listed again only when it
//   has changed, so a big archive does not read its folder once per file.
// - Output files are opened without following a symbolic link at the path.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/HostRegistry.h"
#include "platform/HostShellLink.h"
#include "platform/Platform.h"

class HostPlatform : public Platform {
 public:
  HostPlatform();

  // Maps a drive letter to a host folder. A null folder drops the mapping
  // set here, so TESMO_DRIVE_<letter> applies again.
  void SetDriveFolder(char letter, const char* folder);
  // What EscapeKeyPressed reports; up until set otherwise.
  void SetEscapeKeyDown(bool down) { escapeDown_ = down; }
  // The host path a Windows path names, resolved as the file operations
  // resolve it; false when its drive does not exist.
  bool HostPath(const char* path, std::string* hostPath);

  File* OpenRead(const char* path) override;
  File* OpenWrite(const char* path) override;
  int MakeFolder(const char* path) override;
  int ChangeFolder(const char* path) override;
  bool DosDateTimeToLocalFileTime(uint16_t dosDate, uint16_t dosTime,
                                  FileTime* out) override;
  bool LocalFileTimeToUtc(FileTime local, FileTime* utc) override;
  bool SetFileTimes(const char* path, FileTime utc) override;
  bool ReadLastWriteTime(const char* path, FileTime* utc) override;
  bool UtcToLocalCalendar(FileTime utc, CalendarTime* out) override;
  // A drive exists when its letter has a folder (as for the file calls).
  bool DriveExists(const char* rootPath) override;
  // The drive's root becomes the current directory; a drive without a
  // folder is ignored.
  void ChangeDrive(int number) override;
  // The payload is whatever SetPayload gave (none at first); the bytes are
  // the caller's and stay so.
  void SetPayload(const uint8_t* bytes, size_t size) {
    payload_ = bytes;
    payloadSize_ = size;
  }
  void LocatePayload() override {}
  const uint8_t* PayloadBytes(size_t* size) override;
  void ReleasePayload() override {}
  // There is no window: the messages are kept in |posted|.
  void PostToMainWindow(unsigned message) override;
  std::vector<unsigned> posted;
  bool EscapeKeyPressed() override;
  // Writes "message: <text>" and a line end to stderr; the caption is not
  // shown. Tests override it to record the messages.
  void ShowMessage(BoxOwner owner, const char* text,
                   const char* caption) override;

 private:
  // kNoDrive stands for the host file system itself.
  static const char kNoDrive = 0;

  struct Resolved {
    char drive;
    std::vector<std::string> parts;  // below the drive's root, as found
    std::string hostPath;
  };

  // A folder's entries by their case-folded names (the smallest spelling
  // where several fold alike), with what identified the folder's state
  // when it was listed.
  struct Listing {
    uint64_t device = 0, inode = 0;
    int64_t changedSeconds = 0;
    long changedNanoseconds = 0;
    // Listed long enough after the folder's last change that a later change
    // cannot share its change time, or that last change was our own.
    bool settled = false;
    std::unordered_map<std::string, std::string> names;
  };

  bool DriveRoot(char drive, std::string* root) const;
  bool Resolve(const char* path, Resolved* out);
  // The name under which |name| exists in |folder|, or |name| itself.
  std::string FindEntry(const std::string& folder, const std::string& name);
  // Adds a file or folder this platform has just made to its folder's
  // listing, so the listing stays usable.
  void NoteCreated(const Resolved& made);

  std::unordered_map<std::string, Listing> listings_;  // by host folder path
  char currentDrive_ = kNoDrive;
  std::vector<std::string> currentParts_;
  std::string driveFolders_[26];
  bool driveSet_[26] = {};
  bool escapeDown_ = false;
  const uint8_t* payload_ = nullptr;
  size_t payloadSize_ = 0;

 public:
  // The in-memory registry, empty at first: host runs and tests fill it
  // (HostRegistry.cpp).
  HostRegistry& Registry() { return registry_; }
  long RegistryEnumSubkey(RegistryKey key, unsigned long index, char* name,
                          unsigned long size) override;
  long RegistryOpenSubkey(RegistryKey key, const char* name,
                          unsigned long access, RegistryKey* opened) override;
  long RegistryValueCount(RegistryKey key, unsigned long* count) override;
  long RegistryEnumValueName(RegistryKey key, unsigned long index, char* name,
                             unsigned long* length) override;
  long RegistryQueryValue(RegistryKey key, const char* name, char* data,
                          unsigned long* size) override;
  void RegistryCloseKey(RegistryKey key) override;
  // Links written as readable files, with steps that can be told to fail
  // (HostShellLink.cpp).
  HostShellLinks& ShellLinks() { return shellLinks_; }
  ComResult ComInitialize() override;
  ComResult CreateShellLink(ShellLinkObject** link) override;
  void ComUninitialize() override;
  // Search, copy and times (HostFileSearch.cpp).
  FileSearch* FindFirst(const char* pattern) override;
  bool CopyFileReplacing(const char* from, const char* to) override;
  TimeHandle* OpenForTimes(const char* path) override;

 private:
  HostRegistry registry_;
  HostShellLinks shellLinks_;
};

// The process's platform object; DefaultPlatform() returns it too.
HostPlatform& DefaultHostPlatform();
