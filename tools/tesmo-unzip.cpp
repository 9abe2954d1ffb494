// tesmo-unzip ARCHIVE FOLDER
// tesmo-unzip --check ARCHIVE
//
// Expands ARCHIVE into FOLDER with the installer's own walk: the same checks,
// messages, name normalisation and time stamps. Message box texts go to
// stderr as "message: <text>", file lines ("<path> ... OK") to stdout, in
// the order they happen; the exit code is the walk's result level (0, 1 or
// 2).
//
// With --check it expands into a temporary folder, reads the central
// directory too and prints one "check: <entry>: <rule>" line per problem:
// exit 0 when the installer would expand the payload cleanly, else 2.
// Publishers run it on a payload before it is built into the installer.
//
// The installer always expands below a drive ("C:\Quarn7\Tesmo\..."), which
// decides how names are normalised. So the tool maps the archive's folder to
// drive S: and FOLDER to drive T:, and shows those drives in its output as
// the paths the user gave. The same source builds on Linux over the host
// platform and on Windows over the Win32 platform, where the two drives are
// mapped by this tool alone.
#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/Expander.h"
#ifdef _WIN32
#include "platform/Win32Platform.h"
#else
#include "platform/HostPlatform.h"
#endif
#include "tools/PayloadCheck.h"

namespace {

const char kSourceDrive[] = "S:";
const char kTargetDrive[] = "T:";

// Replaces every "S:\" and "T:\" in a text by the folder the user named.
class DriveNames {
 public:
  DriveNames(const std::string& source, const std::string& target)
      : source_(source), target_(target) {}

  std::string Show(const char* text) const {
    std::string out;
    for (const char* c = text; *c; c++) {
      if ((c[0] == 'S' || c[0] == 'T') && c[1] == ':' && c[2] == '\\') {
        out += c[0] == 'S' ? source_ : target_;
        c += 2;
      } else {
        out += *c;
      }
    }
    return out;
  }

 private:
  std::string source_, target_;
};

#ifdef _WIN32
const char kSeparator = '\\';

// The Win32 platform with the drives S: and T: standing for two folders:
// the walk's file calls reach them by their real paths.
class ToolPlatform : public Win32Platform {
 public:
  explicit ToolPlatform(const DriveNames& names) : names_(names) {}
  void SetDriveFolder(char letter, const char* folder) {
    (letter == kSourceDrive[0] ? source_ : target_) = folder;
  }
  File* OpenRead(const char* path) override { return Win32Platform::OpenRead(Real(path).c_str()); }
  File* OpenWrite(const char* path) override { return Win32Platform::OpenWrite(Real(path).c_str()); }
  bool SetFileTimes(const char* path, FileTime utc) override {
    return Win32Platform::SetFileTimes(Real(path).c_str(), utc);
  }
  void ShowMessage(BoxOwner, const char* text, const char*) override {
    fprintf(stderr, "message: %s\n", names_.Show(text).c_str());
  }

 private:
  std::string Real(const char* path) const {
    const char drive = path[0] & ~0x20;
    if ((drive != kSourceDrive[0] && drive != kTargetDrive[0]) || path[1] != ':') return path;
    const std::string& folder = drive == kSourceDrive[0] ? source_ : target_;
    if (folder.empty()) return "";  // a drive without a folder does not exist
    return folder + kSeparator + (path[2] == '\\' || path[2] == '/' ? path + 3 : path + 2);
  }

  const DriveNames& names_;
  std::string source_, target_;
};

int MakeOneFolder(const std::string& path) { return _mkdir(path.c_str()) == 0 ? 0 : errno; }
int RemoveFolder(const std::string& path) { return _rmdir(path.c_str()); }

std::string Absolute(const std::string& path) {
  char resolved[MAX_PATH];
  struct stat st;
  if (!_fullpath(resolved, path.c_str(), sizeof resolved) || stat(resolved, &st) != 0) return "";
  std::string out = resolved;
  while (out.size() > 3 && (out.back() == '\\' || out.back() == '/')) out.pop_back();
  if (out.size() == 3 && out[1] == ':') out.pop_back();  // "C:\" is the drive "C:"
  return out;
}

std::string TempBase() {
  char folder[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof folder, folder);
  return n > 0 && n < sizeof folder ? std::string(folder, n - 1) : std::string(".");
}
#else
const char kSeparator = '/';

class ToolPlatform : public HostPlatform {
 public:
  explicit ToolPlatform(const DriveNames& names) : names_(names) {}
  void ShowMessage(BoxOwner, const char* text, const char*) override {
    fprintf(stderr, "message: %s\n", names_.Show(text).c_str());
  }

 private:
  const DriveNames& names_;
};

int MakeOneFolder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0 ? 0 : errno; }
int RemoveFolder(const std::string& path) { return rmdir(path.c_str()); }

std::string Absolute(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string TempBase() {
  const char* tmp = getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}
#endif

bool IsSeparator(char c) { return c == '/' || (kSeparator == '\\' && c == '\\'); }

class ToolProgress : public ProgressSink {
 public:
  ToolProgress(const DriveNames& names, bool quiet) : names_(names), quiet_(quiet) {}
  void SetStatus(const char*) override {}
  int AddFileLine(const char* text) override {
    if (!quiet_) printf("%s\n", names_.Show(text).c_str());
    return 1;
  }
  void Pause(int) override {}

 private:
  const DriveNames& names_;
  bool quiet_;
};

// The folder part of a path with its final separator (or a drive's colon),
// or "" for a bare name.
std::string FolderOf(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && !IsSeparator(path[end - 1]) && !(kSeparator == '\\' && path[end - 1] == ':')) end--;
  return path.substr(0, end);
}

// A new folder of its own for the check, or "" when none can be made.
std::string MakeTempFolder() {
  const std::string base = TempBase() + kSeparator + "tesmo-check-" + std::to_string(getpid());
  for (int n = 0; n < 1000; n++) {
    const std::string folder = base + "-" + std::to_string(n);
    const int error = MakeOneFolder(folder);
    if (error == 0) return folder;
    if (error != EEXIST) break;
  }
  return "";
}

// Removes the check's folder: the walk writes files only, no folders.
void RemoveTempFolder(Platform& platform, const std::string& folder) {
  std::vector<std::string> names;
  if (FileSearch* search = platform.FindFirst((folder + kSeparator + "*").c_str())) {
    do {
      if (strcmp(search->Name(), ".") != 0 && strcmp(search->Name(), "..") != 0)
        names.push_back(search->Name());
    } while (search->Next());
    delete search;
  }
  for (const std::string& name : names) remove((folder + kSeparator + name).c_str());
  RemoveFolder(folder);
}

// Expands the archive at |archive| into the host folder |folder| (which
// exists) as the installer expands below a drive: ARCHIVE's folder is drive
// S:, FOLDER drive T:. The paths the tool is given may be of any length; only
// the installer's own names are bound by its buffers.
ResultLevel Expand(const std::string& archive, const std::string& folder, const std::string& shownFolder,
                   bool quiet, WalkObserver* observer) {
  const std::string archiveFolder = FolderOf(archive);
  const std::string archiveName = archive.substr(archiveFolder.size());
  const std::string archiveHost = Absolute(archiveFolder.empty() ? "." : archiveFolder);
  DriveNames names(archiveFolder, shownFolder + kSeparator);
  ToolPlatform platform(names);
  ToolProgress progress(names, quiet);
  if (!archiveHost.empty()) platform.SetDriveFolder(kSourceDrive[0], archiveHost.c_str());
  platform.SetDriveFolder(kTargetDrive[0], folder.c_str());
#ifndef _WIN32
  platform.ChangeFolder(kTargetDrive);
#endif
  const std::string archivePath = std::string(kSourceDrive) + "\\" + archiveName;
  return ExpandArchive(platform, progress, archivePath.c_str(), "T:\\", observer);
}

// Expands into a temporary folder, then checks the walk against the central
// directory; 0 when there is no problem, else 2.
int Check(const std::string& archive) {
  std::ifstream in(archive, std::ios::binary);
  if (!in) {
    fprintf(stderr, "tesmo-unzip: cannot read %s\n", archive.c_str());
    return 2;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string folder = MakeTempFolder();
  if (folder.empty()) {
    fprintf(stderr, "tesmo-unzip: cannot make a temporary folder in %s\n", TempBase().c_str());
    return 2;
  }
  WalkRecord walk;
  ResultLevel level = Expand(archive, folder, folder, true, &walk);
  DriveNames none("", "");
  ToolPlatform files(none);
  RemoveTempFolder(files, folder);
  const std::vector<std::string> problems = CheckPayload(bytes, walk, level);
  for (const std::string& problem : problems) printf("check: %s\n", problem.c_str());
  if (problems.empty()) {
    printf("check: %zu entries, no problem\n", walk.entries.size());
    return 0;
  }
  printf("check: %zu problem%s\n", problems.size(), problems.size() == 1 ? "" : "s");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Lines keep their real order when both streams go to one place. (The
  // Windows C library buffers "line buffered" streams fully; unbuffered,
  // it still writes each printf at once.)
#ifdef _WIN32
  setvbuf(stdout, nullptr, _IONBF, 0);
  setvbuf(stderr, nullptr, _IONBF, 0);
#else
  setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  setvbuf(stderr, nullptr, _IOLBF, BUFSIZ);
  // A broken pipe is a write that fell short, not the end of the program.
  signal(SIGPIPE, SIG_IGN);
#endif
  if (argc == 3 && strcmp(argv[1], "--check") == 0) return Check(argv[2]);
  if (argc != 3) {
    fprintf(stderr, "usage: tesmo-unzip ARCHIVE FOLDER\n       tesmo-unzip --check ARCHIVE\n");
    return 2;
  }
  const std::string archive = argv[1];
  std::string folder = argv[2];
  while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();

  // Like the installer, only the last folder level is created.
  const int error = MakeOneFolder(folder);
  if (error != 0 && error != EEXIST) {
    fprintf(stderr, "tesmo-unzip: cannot create folder %s: %s\n", folder.c_str(), strerror(error));
    return 2;
  }
  struct stat st;
  const std::string folderHost = Absolute(folder);
  if (folderHost.empty() || stat(folderHost.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    fprintf(stderr, "tesmo-unzip: %s is not a folder\n", folder.c_str());
    return 2;
  }
  return Expand(archive, folderHost, folder, false, nullptr);
}
