// The one seam between the installer's logic and Windows.
//
// Everything the portable logic needs from the operating system goes through
// this interface: files and their times, folders, directory search, message
// boxes and the key state. Win32Platform implements it with the real
// Win32 API; HostPlatform implements it on Linux so that the logic builds,
// runs and is tested natively with the same Windows paths and failures.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest path plus its terminator (MAX_PATH): every path buffer of the
// installer has this size or less.
const unsigned kPathSize = 260;

// A file time as Windows keeps it: 100-nanosecond intervals since
// 1 January 1601. Whether it is local time or UTC depends on where it came
// from, as with FILETIME.
typedef uint64_t FileTime;

// Calendar fields of a file time, as FileTimeToSystemTime gives them.
struct CalendarTime {
  int year, month, day, hour, minute, second;
};

// An open file. Deleting it closes it.
class File {
 public:
  virtual ~File() {}
  // Reads up to n bytes; returns how many came, 0 at the end of the file or
  // on an error.
  virtual size_t Read(void* buffer, size_t n) = 0;
  // Writes n bytes; returns how many were written. When fewer than n were
  // written, *brokenPipe tells whether the cause was a broken pipe (EPIPE),
  // which callers do not count as running out of space.
  virtual size_t Write(const void* data, size_t n, bool* brokenPipe) = 0;
};

// Who owns a message box: nobody (the expander's boxes) or the program's
// hidden main window, MainWindow (the install sequence, the reporter,
// shortcut creation).
enum class BoxOwner { None, Program };

// --- Registry, read only. A key is an opaque number: kNoKey for none,
// kCurrentUserKey for HKEY_CURRENT_USER, which is never closed; the others
// come from RegistryOpenSubkey. Results are Windows error codes, 0 success.
typedef uintptr_t RegistryKey;
const RegistryKey kNoKey = 0;
const RegistryKey kCurrentUserKey = 0x80000001u;
// RegOpenKeyExA's access mask for full access.
const unsigned long kKeyAllAccess = 0xF003F;

// --- Shell links. Results are HRESULTs: negative means failure.
typedef long ComResult;

// One shell link object with its IShellLinkA and IPersistFile interfaces,
// taken step by step so the caller decides what a failing step means.
class ShellLinkObject {
 public:
  // The setters' results are not reported: nothing relies on them.
  virtual void SetPath(const char* target) = 0;
  virtual void SetDescription(const char* description) = 0;
  virtual void SetWorkingDirectory(const char* folder) = 0;
  // QueryInterface for IPersistFile.
  virtual ComResult QueryPersistFile() = 0;
  // Converts the path from the system code page to wide characters and
  // saves the link there (IPersistFile::Save, fRemember TRUE).
  virtual ComResult Save(const char* linkPath) = 0;
  // Releases the IPersistFile pointer that QueryPersistFile obtained.
  virtual void ReleasePersistFile() = 0;
  // Releases the link object; the object is gone afterwards.
  virtual void Release() = 0;

 protected:
  virtual ~ShellLinkObject() {}
};

// An open directory search (FindFirstFileA / FindNextFileA). Deleting it
// closes the search.
class FileSearch {
 public:
  virtual ~FileSearch() {}
  // The current entry's name without its folder, at most 259 characters.
  virtual const char* Name() const = 0;
  // Moves to the next entry; false when there is none.
  virtual bool Next() = 0;
};

// A file opened with no access and no sharing (CreateFileA with access 0),
// only to read its times. Deleting it closes it.
class TimeHandle {
 public:
  virtual ~TimeHandle() {}
  // The last-write time (UTC); false when it cannot be read.
  virtual bool LastWriteTime(FileTime* utc) = 0;
};

class Platform {
 public:
  virtual ~Platform() {}

  // --- Files. Paths are Windows paths: an optional drive prefix such as
  // "C:", "\" as separator ("/" is accepted too). A null result means the
  // file could not be opened.
  virtual File* OpenRead(const char* path) = 0;
  // Creates the file or empties an existing one.
  virtual File* OpenWrite(const char* path) = 0;

  // --- Folders. MakeFolder creates the last component only and returns 0 or
  // an errno value (EEXIST when the folder is already there). ChangeFolder
  // makes the path the current directory and returns 0 or -1.
  virtual int MakeFolder(const char* path) = 0;
  virtual int ChangeFolder(const char* path) = 0;

  // --- File times.
  // MS-DOS date and time to a file time in local time; false for fields
  // that are no valid date or time (out is then left unchanged).
  virtual bool DosDateTimeToLocalFileTime(uint16_t dosDate, uint16_t dosTime,
                                          FileTime* out) = 0;
  // Local file time to UTC with the local-time offset in force now.
  virtual bool LocalFileTimeToUtc(FileTime local, FileTime* utc) = 0;
  // Opens an existing file by path for writing and sets its creation,
  // last-access and last-write times to utc. false when the file cannot be
  // opened or the times cannot be set.
  virtual bool SetFileTimes(const char* path, FileTime utc) = 0;
  // Opens an existing file for reading (sharing read access) and reads its
  // last-write time (UTC). false when it cannot be opened or read.
  virtual bool ReadLastWriteTime(const char* path, FileTime* utc) = 0;
  // UTC file time to local calendar fields.
  virtual bool UtcToLocalCalendar(FileTime utc, CalendarTime* out) = 0;

  // --- Drive: true when the free-space query of a drive's root path
  // ("D:\\") succeeds, which is how the installer tells that the drive
  // exists (GetDiskFreeSpaceA).
  virtual bool DriveExists(const char* rootPath) = 0;
  // Makes drive |number| (1 for A, 26 for Z) the current drive (_chdrive).
  virtual void ChangeDrive(int number) = 0;

  // --- The embedded payload: resource "ZIP1" of type "ZIPFILE" of the
  // program's own module. LocatePayload finds and loads it (once, when the
  // main window is created); PayloadBytes gives its bytes and their count,
  // 0 when it was not found; ReleasePayload frees it.
  virtual void LocatePayload() = 0;
  virtual const uint8_t* PayloadBytes(size_t* size) = 0;
  virtual void ReleasePayload() = 0;

  // --- The hidden main window: posts it |message| with both parameters 0.
  virtual void PostToMainWindow(unsigned message) = 0;

  // --- Keyboard: true when Escape is down now or was pressed since the
  // previous query (GetAsyncKeyState).
  virtual bool EscapeKeyPressed() = 0;

  // --- Message boxes: a modal box with an OK button only. A null caption
  // means the platform's default caption.
  virtual void ShowMessage(BoxOwner owner, const char* text,
                           const char* caption) = 0;

  // --- Registry, read only (RegEnumKeyA, RegOpenKeyExA, RegQueryInfoKeyA,
  // RegEnumValueA, RegQueryValueExA, RegCloseKey).
  // The name of the subkey at index into a buffer of size bytes.
  virtual long RegistryEnumSubkey(RegistryKey key, unsigned long index,
                                  char* name, unsigned long size) = 0;
  // Opens a subkey with the given access; *opened is kNoKey on failure.
  virtual long RegistryOpenSubkey(RegistryKey key, const char* name,
                                  unsigned long access,
                                  RegistryKey* opened) = 0;
  // How many values the key has (from the key's information).
  virtual long RegistryValueCount(RegistryKey key, unsigned long* count) = 0;
  // The name of the value at index; *length is the buffer's size on entry
  // and the name's length on success.
  virtual long RegistryEnumValueName(RegistryKey key, unsigned long index,
                                     char* name, unsigned long* length) = 0;
  // A value's data by name into a buffer of *size bytes; *size is the
  // data's size afterwards. The type is not asked for.
  virtual long RegistryQueryValue(RegistryKey key, const char* name,
                                  char* data, unsigned long* size) = 0;
  virtual void RegistryCloseKey(RegistryKey key) = 0;

  // --- Shell links (CoInitialize, CoCreateInstance of the shell link
  // object, CoUninitialize).
  virtual ComResult ComInitialize() = 0;
  // A new link object in *link, or a failure with *link null.
  virtual ComResult CreateShellLink(ShellLinkObject** link) = 0;
  virtual void ComUninitialize() = 0;

  // --- Directory search with the wildcards "*" and "?" in the last
  // component. Null when nothing matches or the folder does not exist;
  // otherwise the search stands on the first match.
  virtual FileSearch* FindFirst(const char* pattern) = 0;
  // Copies a file, replacing an existing destination, and keeps the
  // source's last-write time (CopyFileA). false when it fails.
  virtual bool CopyFileReplacing(const char* from, const char* to) = 0;
  // Opens an existing file, not a folder, only to read its times; null
  // when it cannot be opened.
  virtual TimeHandle* OpenForTimes(const char* path) = 0;
};

