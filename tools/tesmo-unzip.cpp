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
// the paths the user gave.
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

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
#include "platform/HostPlatform.h"
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

class ToolPlatform : public HostPlatform {
 public:
  explicit ToolPlatform(const DriveNames& names) : names_(names) {}
  void ShowMessage(BoxOwner, const char* text, const char*) override {
    fprintf(stderr, "message: %s\n", names_.Show(text).c_str());
  }

 private:
  const DriveNames& names_;
};

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

// The folder part of a path with its final "/", or "" for a bare name.
std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Absolute(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

// Expands the archive at |archive| into the host folder |folder| (which
// exists) as the installer expands below a drive: ARCHIVE's folder is drive
// S:, FOLDER drive T:. The paths the tool is given may be of any length; only
// the installer's own names are bound by its buffers.
ResultLevel Expand(const std::string& archive, const std::string& folder, const std::string& shownFolder,
                   bool quiet, WalkObserver* observer) {
  const std::string archiveFolder = FolderOf(archive);
  const std::string archiveName = archive.substr(archiveFolder.size());
  const std::string archiveHost = Absolute(archiveFolder.empty() ? "." : archiveFolder);
  DriveNames names(archiveFolder, shownFolder + "/");
  ToolPlatform platform(names);
  ToolProgress progress(names, quiet);
  if (!archiveHost.empty()) platform.SetDriveFolder(kSourceDrive[0], archiveHost.c_str());
  platform.SetDriveFolder(kTargetDrive[0], folder.c_str());
  platform.ChangeFolder(kTargetDrive);
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
  const char* tmp = getenv("TMPDIR");
  std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tesmo-check-XXXXXX";
  if (!mkdtemp(&folder[0])) {
    fprintf(stderr, "tesmo-unzip: cannot make a temporary folder: %s\n", strerror(errno));
    return 2;
  }
  WalkRecord walk;
  ResultLevel level = Expand(archive, folder, folder, true, &walk);
  nftw(folder.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
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
  // Lines keep their real order when both streams go to one place.
  setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  setvbuf(stderr, nullptr, _IOLBF, BUFSIZ);
  // A broken pipe is a write that fell short, not the end of the program.
  signal(SIGPIPE, SIG_IGN);
  if (argc == 3 && strcmp(argv[1], "--check") == 0) return Check(argv[2]);
  if (argc != 3) {
    fprintf(stderr, "usage: tesmo-unzip ARCHIVE FOLDER\n       tesmo-unzip --check ARCHIVE\n");
    return 2;
  }
  const std::string archive = argv[1];
  std::string folder = argv[2];
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();

  // Like the installer, only the last folder level is created.
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    fprintf(stderr, "tesmo-unzip: cannot create folder %s: %s\n", folder.c_str(),
            strerror(errno));
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
