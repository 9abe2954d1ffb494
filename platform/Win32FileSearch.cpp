// Directory search, the copy that replaces and the handle that only reads
// times, for the help files on Windows.
#include <windows.h>

#include "platform/Win32Platform.h"

namespace {

class Win32FileSearch : public FileSearch {
 public:
  Win32FileSearch(HANDLE handle, const WIN32_FIND_DATAA& first)
      : handle_(handle), data_(first) {}
  ~Win32FileSearch() override { FindClose(handle_); }
  const char* Name() const override { return data_.cFileName; }
  bool Next() override { return FindNextFileA(handle_, &data_) != FALSE; }

 private:
  HANDLE handle_;
  WIN32_FIND_DATAA data_;
};

class Win32TimeHandle : public TimeHandle {
 public:
  explicit Win32TimeHandle(HANDLE handle) : handle_(handle) {}
  ~Win32TimeHandle() override { CloseHandle(handle_); }
  bool LastWriteTime(FileTime* utc) override {
    FILETIME write;
    if (!GetFileTime(handle_, NULL, NULL, &write)) return false;
    *utc = static_cast<FileTime>(write.dwHighDateTime) << 32 |
           write.dwLowDateTime;
    return true;
  }

 private:
  HANDLE handle_;
};

}  // namespace

FileSearch* Win32Platform::FindFirst(const char* pattern) {
  WIN32_FIND_DATAA data;
  HANDLE handle = FindFirstFileA(pattern, &data);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return new Win32FileSearch(handle, data);
}

bool Win32Platform::CopyFileReplacing(const char* from, const char* to) {
  return CopyFileA(from, to, FALSE) != FALSE;
}

TimeHandle* Win32Platform::OpenForTimes(const char* path) {
  HANDLE handle = CreateFileA(path, 0, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return new Win32TimeHandle(handle);
}
