#include "platform/Win32Platform.h"

#include <direct.h>
#include <errno.h>
#include <windows.h>

#include "platform/AppHandles.h"
#include "platform/DefaultPlatform.h"

namespace {

FILETIME ToFiletime(FileTime t) {
  FILETIME f;
  f.dwLowDateTime = static_cast<DWORD>(t);
  f.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return f;
}

FileTime FromFiletime(const FILETIME& f) {
  return static_cast<FileTime>(f.dwHighDateTime) << 32 | f.dwLowDateTime;
}

class Win32File : public File {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }

  size_t Read(void* buffer, size_t n) override {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(n), &got, NULL)) return 0;
    return got;
  }

  size_t Write(const void* data, size_t n, bool* brokenPipe) override {
    DWORD written = 0;
    BOOL ok = WriteFile(handle_, data, static_cast<DWORD>(n), &written, NULL);
    if (brokenPipe) {
      DWORD error = ok ? ERROR_SUCCESS : GetLastError();
      *brokenPipe = written < n &&
                    (error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA);
    }
    return written;
  }

 private:
  HANDLE handle_;
};

File* OpenFile(const char* path, DWORD access, DWORD share, DWORD creation) {
  HANDLE h = CreateFileA(path, access, share, NULL, creation,
                         FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return new Win32File(h);
}

}  // namespace

// Files open with the sharing of the C library's streams, read and write,
// so an open succeeds wherever a stream of the same file would.
const DWORD kStreamSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

File* Win32Platform::OpenRead(const char* path) {
  return OpenFile(path, GENERIC_READ, kStreamSharing, OPEN_EXISTING);
}

File* Win32Platform::OpenWrite(const char* path) {
  return OpenFile(path, GENERIC_WRITE, kStreamSharing, CREATE_ALWAYS);
}

int Win32Platform::MakeFolder(const char* path) {
  return _mkdir(path) == 0 ? 0 : errno;
}

int Win32Platform::ChangeFolder(const char* path) {
  // The C runtime's _chdir also makes a named drive the current drive.
  return _chdir(path) == 0 ? 0 : -1;
}

bool Win32Platform::DosDateTimeToLocalFileTime(uint16_t dosDate,
                                               uint16_t dosTime,
                                               FileTime* out) {
  FILETIME local;
  if (!DosDateTimeToFileTime(dosDate, dosTime, &local)) return false;
  *out = FromFiletime(local);
  return true;
}

bool Win32Platform::LocalFileTimeToUtc(FileTime local, FileTime* utc) {
  FILETIME in = ToFiletime(local), out;
  if (!LocalFileTimeToFileTime(&in, &out)) return false;
  *utc = FromFiletime(out);
  return true;
}

bool Win32Platform::SetFileTimes(const char* path, FileTime utc) {
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME t = ToFiletime(utc);
  BOOL ok = SetFileTime(h, &t, &t, &t);
  CloseHandle(h);
  return ok != FALSE;
}

bool Win32Platform::ReadLastWriteTime(const char* path, FileTime* utc) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME creation, access, write;
  BOOL ok = GetFileTime(h, &creation, &access, &write);
  CloseHandle(h);
  if (!ok) return false;
  *utc = FromFiletime(write);
  return true;
}

bool Win32Platform::UtcToLocalCalendar(FileTime utc, CalendarTime* out) {
  FILETIME in = ToFiletime(utc), local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&in, &local) || !FileTimeToSystemTime(&local, &st))
    return false;
  out->year = st.wYear;
  out->month = st.wMonth;
  out->day = st.wDay;
  out->hour = st.wHour;
  out->minute = st.wMinute;
  out->second = st.wSecond;
  return true;
}

bool Win32Platform::DriveExists(const char* rootPath) {
  // The four counts are not needed: success alone says the drive is there.
  DWORD sectors, bytes, free, total;
  return GetDiskFreeSpaceA(rootPath, &sectors, &bytes, &free, &total) != 0;
}

void Win32Platform::ChangeDrive(int number) { _chdrive(number); }

bool Win32Platform::EscapeKeyPressed() {
  return GetAsyncKeyState(VK_ESCAPE) != 0;
}

void Win32Platform::ShowMessage(BoxOwner owner, const char* text,
                                const char* caption) {
  // The one main-window handle, the same that owns the dialogs; null (no
  // owner) until start-up has created the window.
  HWND window = owner == BoxOwner::Program ? MainWindow : NULL;
  MessageBoxA(window, text, caption, MB_OK);
}

Win32Platform& DefaultWin32Platform() {
  static Win32Platform platform;
  return platform;
}

Platform& DefaultPlatform() { return DefaultWin32Platform(); }
