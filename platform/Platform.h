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

// Who owns a message box: nobody (the expander's boxes) or the hidden main
// window (the install sequence, the reporter, shortcut creation).
enum class BoxOwner { None, MainWindow };

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

  // --- Keyboard: true when Escape is down now or was pressed since the
  // previous query (GetAsyncKeyState).
  virtual bool EscapeKeyPressed() = 0;

  // --- Message boxes: a modal box with an OK button only. A null caption
  // means the platform's default caption.
  virtual void ShowMessage(BoxOwner owner, const char* text,
                           const char* caption) = 0;
};
