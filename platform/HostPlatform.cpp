#include "platform/HostPlatform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/DefaultPlatform.h"
#include "platform/FileTimeMath.h"

namespace {


bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Splits at both separators into parts, skipping empty ones and "." and
// taking ".." back a part but never above the root.
void AddParts(const char* text, std::vector<std::string>* parts) {
  while (*text) {
    const char* end = text;
    while (*end && !IsSeparator(*end)) end++;
    std::string part(text, end);
    if (part == "..") {
      if (!parts->empty()) parts->pop_back();
    } else if (!part.empty() && part != ".") {
      parts->push_back(part);
    }
    text = *end ? end + 1 : end;
  }
}

std::string FoldAsciiCase(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = AsciiFoldUpper(c);
  return folded;
}

// A change within this long of a listing could share the change time that
// the listing saw (file systems stamp changes with a coarse clock).
const int64_t kSettleNanoseconds = 100 * 1000 * 1000;

int64_t Nanoseconds(int64_t seconds, long nanoseconds) {
  return seconds * 1000000000LL + nanoseconds;
}

timespec UnixFromFileTime(FileTime t) {
  timespec ts;
  ts.tv_sec = static_cast<time_t>(static_cast<int64_t>(t / kTicksPerSecond) -
                                  kSecondsFrom1601To1970);
  ts.tv_nsec = static_cast<long>(t % kTicksPerSecond) * 100;
  return ts;
}

// Seconds east of UTC in force now; like Windows, the conversions between
// local and UTC file times use today's offset whatever the date.
int64_t LocalOffsetNow() {
  time_t now = time(nullptr);
  struct tm local;
  if (!localtime_r(&now, &local)) return 0;
  return local.tm_gmtoff;
}

class HostFile : public File {
 public:
  explicit HostFile(int fd) : fd_(fd) {}
  ~HostFile() override { close(fd_); }

  size_t Read(void* buffer, size_t n) override {
    ssize_t got;
    do {
      got = read(fd_, buffer, n);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? 0 : static_cast<size_t>(got);
  }

  size_t Write(const void* data, size_t n, bool* brokenPipe) override {
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    int error = 0;
    while (done < n) {
      ssize_t put = write(fd_, p + done, n - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        error = put < 0 ? errno : ENOSPC;
        break;
      }
      done += static_cast<size_t>(put);
    }
    if (brokenPipe) *brokenPipe = done < n && error == EPIPE;
    return done;
  }

 private:
  int fd_;
};

// A path that ends in a separator names a folder, which Windows never opens
// as a file, even to create it.
bool EndsInSeparator(const char* path) {
  size_t n = strlen(path);
  return n > 0 && IsSeparator(path[n - 1]);
}

// Opens a host path that must not be a folder: Windows opens no folder as a
// file.
int OpenNonFolder(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

HostPlatform::HostPlatform() {
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) AddParts(cwd, &currentParts_);
}

void HostPlatform::SetDriveFolder(char letter, const char* folder) {
  if (!IsAsciiLetter(letter)) return;
  int i = AsciiFoldUpper(letter) - 'A';
  driveSet_[i] = folder != nullptr;
  driveFolders_[i] = folder ? folder : "";
}

bool HostPlatform::DriveRoot(char drive, std::string* root) const {
  std::string folder;
  if (drive == kNoDrive) {
    folder = "/";
  } else {
    int i = drive - 'A';
    char name[] = "TESMO_DRIVE_?";
    name[sizeof name - 2] = drive;
    const char* env = getenv(name);
    if (driveSet_[i])
      folder = driveFolders_[i];
    else if (env)
      folder = env;
    if (folder.empty()) return false;
  }
  // The root as a host path without its trailing "/": "" for "/" itself.
  std::vector<std::string> parts;
  if (folder[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) AddParts(cwd, &parts);
  }
  AddParts(folder.c_str(), &parts);
  root->clear();
  for (const std::string& part : parts) *root += "/" + part;
  return true;
}

// The name under which |name| exists in |folder|: itself if it exists as
// given, else the entry that equals it under ASCII case folding (the
// smallest one, so a folder with several such entries resolves the same way
// every time), else |name| unchanged.
std::string HostPlatform::FindEntry(const std::string& folder, const std::string& name) {
  struct stat st;
  const std::string folderPath = folder.empty() ? "/" : folder;
  if (lstat((folder + "/" + name).c_str(), &st) == 0) return name;
  if (stat(folderPath.c_str(), &st) != 0) return name;
  Listing& listing = listings_[folder];
  const bool unchanged = listing.settled && listing.device == st.st_dev &&
                         listing.inode == st.st_ino &&
                         listing.changedSeconds == st.st_mtim.tv_sec &&
                         listing.changedNanoseconds == st.st_mtim.tv_nsec;
  if (!unchanged) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    listing.device = st.st_dev;
    listing.inode = st.st_ino;
    listing.changedSeconds = st.st_mtim.tv_sec;
    listing.changedNanoseconds = st.st_mtim.tv_nsec;
    listing.settled = Nanoseconds(now.tv_sec, now.tv_nsec) -
                          Nanoseconds(st.st_mtim.tv_sec, st.st_mtim.tv_nsec) >
                      kSettleNanoseconds;
    listing.names.clear();
    if (DIR* dir = opendir(folderPath.c_str())) {
      while (struct dirent* entry = readdir(dir)) {
        std::string& known = listing.names[FoldAsciiCase(entry->d_name)];
        if (known.empty() || known.compare(entry->d_name) > 0) known = entry->d_name;
      }
      closedir(dir);
    }
  }
  auto found = listing.names.find(FoldAsciiCase(name));
  return found == listing.names.end() ? name : found->second;
}

void HostPlatform::NoteCreated(const Resolved& made) {
  if (made.parts.empty()) return;
  const std::string& name = made.parts.back();
  const std::string folder = made.hostPath.substr(0, made.hostPath.size() - name.size() - 1);
  auto it = listings_.find(folder);
  struct stat st;
  if (it == listings_.end()) return;
  if (stat(folder.empty() ? "/" : folder.c_str(), &st) != 0) {
    listings_.erase(it);
    return;
  }
  // The lookup just before made the listing current, and the folder's last
  // change is this one: the listing can be trusted with it added.
  Listing& listing = it->second;
  listing.changedSeconds = st.st_mtim.tv_sec;
  listing.changedNanoseconds = st.st_mtim.tv_nsec;
  listing.settled = true;
  std::string& known = listing.names[FoldAsciiCase(name)];
  if (known.empty() || known.compare(name) > 0) known = name;
}

bool HostPlatform::Resolve(const char* path, Resolved* out) {
  if (!path) return false;
  const char* rest = path;
  out->parts.clear();
  if (IsAsciiLetter(path[0]) && path[1] == ':') {
    out->drive = AsciiFoldUpper(path[0]);
    rest = path + 2;
    if (!IsSeparator(*rest) && out->drive == currentDrive_)
      out->parts = currentParts_;
  } else {
    out->drive = currentDrive_;
    if (!IsSeparator(*rest)) out->parts = currentParts_;
  }
  std::string root;
  if (!DriveRoot(out->drive, &root)) return false;
  AddParts(rest, &out->parts);
  out->hostPath = root;
  for (std::string& part : out->parts) {
    part = FindEntry(out->hostPath, part);
    out->hostPath += "/" + part;
  }
  if (out->hostPath.empty()) out->hostPath = "/";
  return true;
}

bool HostPlatform::HostPath(const char* path, std::string* hostPath) {
  Resolved r;
  if (!Resolve(path, &r)) return false;
  *hostPath = r.hostPath;
  return true;
}

File* HostPlatform::OpenRead(const char* path) {
  Resolved r;
  if (EndsInSeparator(path) || !Resolve(path, &r)) return nullptr;
  int fd = OpenNonFolder(r.hostPath, O_RDONLY);
  return fd < 0 ? nullptr : new HostFile(fd);
}

File* HostPlatform::OpenWrite(const char* path) {
  Resolved r;
  if (EndsInSeparator(path) || !Resolve(path, &r)) return nullptr;
  // open(2) itself refuses a folder for writing. A symbolic link at the
  // path is not followed: the file would land wherever the link points.
  int fd = open(r.hostPath.c_str(),
                O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return nullptr;
  NoteCreated(r);
  return new HostFile(fd);
}

int HostPlatform::MakeFolder(const char* path) {
  Resolved r;
  if (!path || !*path || !Resolve(path, &r)) return ENOENT;
  if (mkdir(r.hostPath.c_str(), 0777) != 0) return errno;
  NoteCreated(r);
  return 0;
}

int HostPlatform::ChangeFolder(const char* path) {
  Resolved r;
  struct stat st;
  if (!path || !*path || !Resolve(path, &r) ||
      stat(r.hostPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return -1;
  currentDrive_ = r.drive;
  currentParts_ = r.parts;
  return 0;
}

bool HostPlatform::DosDateTimeToLocalFileTime(uint16_t dosDate,
                                              uint16_t dosTime,
                                              FileTime* out) {
  return DosDateTimeToFileTimeValue(dosDate, dosTime, out);
}

bool HostPlatform::LocalFileTimeToUtc(FileTime local, FileTime* utc) {
  *utc = local - static_cast<FileTime>(LocalOffsetNow() *
                                       static_cast<int64_t>(kTicksPerSecond));
  return true;
}

bool HostPlatform::SetFileTimes(const char* path, FileTime utc) {
  Resolved r;
  if (!Resolve(path, &r)) return false;
  int fd = open(r.hostPath.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Linux keeps no creation time; access and modification get the time.
  timespec times[2] = {UnixFromFileTime(utc), UnixFromFileTime(utc)};
  bool ok = futimens(fd, times) == 0;
  close(fd);
  return ok;
}

bool HostPlatform::ReadLastWriteTime(const char* path, FileTime* utc) {
  Resolved r;
  if (!Resolve(path, &r)) return false;
  int fd = OpenNonFolder(r.hostPath, O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && st.st_mtim.tv_sec >= -kSecondsFrom1601To1970;
  close(fd);
  if (ok) *utc = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  return ok;
}

bool HostPlatform::UtcToLocalCalendar(FileTime utc, CalendarTime* out) {
  FileTime local = utc + static_cast<FileTime>(
                             LocalOffsetNow() *
                             static_cast<int64_t>(kTicksPerSecond));
  return FileTimeToCalendar(local, out);
}

bool HostPlatform::DriveExists(const char* rootPath) {
  Resolved r;
  struct stat st;
  return rootPath && Resolve(rootPath, &r) &&
         stat(r.hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void HostPlatform::ChangeDrive(int number) {
  if (number < 1 || number > 26) return;
  const char letter = static_cast<char>('A' + number - 1);
  std::string root;
  if (!DriveRoot(letter, &root)) return;
  currentDrive_ = letter;
  currentParts_.clear();
}

const uint8_t* HostPlatform::PayloadBytes(size_t* size) {
  *size = payload_ ? payloadSize_ : 0;
  return payload_;
}

void HostPlatform::PostToMainWindow(unsigned message) {
  posted.push_back(message);
}

bool HostPlatform::EscapeKeyPressed() { return escapeDown_; }

void HostPlatform::ShowMessage(BoxOwner, const char* text, const char*) {
  fprintf(stderr, "message: %s\n", text ? text : "");
}

HostPlatform& DefaultHostPlatform() {
  static HostPlatform platform;
  return platform;
}

Platform& DefaultPlatform() { return DefaultHostPlatform(); }
