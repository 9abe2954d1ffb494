// Directory search, the copy that replaces and the handle that only reads
// times, on the host, with the names and failures Windows would give.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/FileTimeMath.h"
#include "platform/HostPlatform.h"

namespace {

// Windows wildcards: "*" any run of characters, "?" exactly one, letters
// equal ignoring ASCII case. (Windows also matches the generated 8.3 short
// names, which the host does not have.)
bool MatchesWildcard(const char* pattern, const char* name) {
  if (!*pattern) return !*name;
  if (*pattern == '*') {
    for (const char* rest = name;; rest++) {
      if (MatchesWildcard(pattern + 1, rest)) return true;
      if (!*rest) return false;
    }
  }
  if (!*name) return false;
  if (*pattern != '?' && AsciiFoldUpper(*pattern) != AsciiFoldUpper(*name))
    return false;
  return MatchesWildcard(pattern + 1, name + 1);
}

class HostFileSearch : public FileSearch {
 public:
  explicit HostFileSearch(std::vector<std::string> names)
      : names_(std::move(names)) {}
  const char* Name() const override { return names_[at_].c_str(); }
  bool Next() override {
    if (at_ + 1 >= names_.size()) return false;
    at_++;
    return true;
  }

 private:
  std::vector<std::string> names_;
  size_t at_ = 0;
};

class HostTimeHandle : public TimeHandle {
 public:
  explicit HostTimeHandle(int fd) : fd_(fd) {}
  ~HostTimeHandle() override { close(fd_); }
  bool LastWriteTime(FileTime* utc) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return false;
    *utc = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return true;
  }

 private:
  int fd_;
};

// Opens a host path that is not a folder; -1 otherwise.
int OpenFileOnly(const std::string& path, int flags, mode_t mode = 0) {
  int fd = open(path.c_str(), flags | O_CLOEXEC, mode);
  struct stat st;
  if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    close(fd);
    fd = -1;
  }
  return fd;
}

bool CopyBytes(int from, int to) {
  char buffer[65536];
  for (;;) {
    ssize_t got = read(from, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) return false;
    for (ssize_t done = 0; done < got;) {
      ssize_t put = write(to, buffer + done, static_cast<size_t>(got - done));
      if (put <= 0) return false;
      done += put;
    }
  }
}

}  // namespace

FileSearch* HostPlatform::FindFirst(const char* pattern) {
  const char* cut = nullptr;
  for (const char* p = pattern; *p; p++)
    if (*p == '\\' || *p == '/') cut = p;
  const char* namePattern = cut ? cut + 1 : pattern;
  std::string folder = cut ? std::string(pattern, cut - pattern) : ".";
  if (folder.empty() || (folder.size() == 2 && folder[1] == ':')) folder += "\\";
  std::string hostFolder;
  if (!*namePattern || !HostPath(folder.c_str(), &hostFolder)) return nullptr;
  DIR* dir = opendir(hostFolder.c_str());
  if (!dir) return nullptr;
  std::vector<std::string> names;
  while (struct dirent* entry = readdir(dir))
    if (MatchesWildcard(namePattern, entry->d_name)) names.push_back(entry->d_name);
  closedir(dir);
  if (names.empty()) return nullptr;
  std::sort(names.begin(), names.end());
  return new HostFileSearch(std::move(names));
}

bool HostPlatform::CopyFileReplacing(const char* from, const char* to) {
  std::string source, destination;
  if (!HostPath(from, &source) || !HostPath(to, &destination)) return false;
  int in = OpenFileOnly(source, O_RDONLY);
  if (in < 0) return false;
  int out = OpenFileOnly(destination, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  struct stat st;
  bool ok = out >= 0 && CopyBytes(in, out) && fstat(in, &st) == 0;
  // The copy keeps the source's last-write time, as CopyFileA does.
  if (ok) {
    timespec times[2] = {st.st_atim, st.st_mtim};
    ok = futimens(out, times) == 0;
  }
  if (out >= 0) close(out);
  close(in);
  return ok;
}

TimeHandle* HostPlatform::OpenForTimes(const char* path) {
  std::string hostPath;
  if (!HostPath(path, &hostPath)) return nullptr;
  // O_PATH needs no read permission, like an open for no access.
  int fd = OpenFileOnly(hostPath, O_PATH);
  return fd < 0 ? nullptr : new HostTimeHandle(fd);
}
