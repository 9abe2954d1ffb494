// tesmo-unzip ARCHIVE FOLDER
//
// Expands ARCHIVE into FOLDER with the installer's own walk: the same checks,
// messages, name normalisation and time stamps. Publishers use it to check a
// payload before it is built into the installer. Message box texts go to
// stderr as "message: <text>", file lines ("<path> ... OK") to stdout; the
// exit code is the walk's result level (0, 1 or 2).
//
// The installer always expands below a drive ("C:\Quarn7\Tesmo\..."), which
// decides how names are normalised. So the tool maps the archive's folder to
// drive S: and FOLDER to drive T:, and shows those drives in its output as
// the paths the user gave.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "archive/Expander.h"
#include "platform/HostPlatform.h"

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
  explicit ToolProgress(const DriveNames& names) : names_(names) {}
  void SetStatus(const char*) override {}
  int AddFileLine(const char* text) override {
    printf("%s\n", names_.Show(text).c_str());
    return 1;
  }
  void Pause(int) override {}

 private:
  const DriveNames& names_;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: tesmo-unzip ARCHIVE FOLDER\n");
    return 2;
  }
  // A broken pipe is a write that fell short, not the end of the program.
  signal(SIGPIPE, SIG_IGN);
  const std::string archive = argv[1];
  std::string folder = argv[2];
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();

  const std::string archiveFolder = FolderOf(archive);
  const std::string archiveName = archive.substr(archiveFolder.size());
  const std::string archiveHost = Absolute(archiveFolder.empty() ? "." : archiveFolder);

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

  DriveNames names(archiveFolder, folder + "/");
  ToolPlatform platform(names);
  ToolProgress progress(names);
  if (!archiveHost.empty()) platform.SetDriveFolder(kSourceDrive[0], archiveHost.c_str());
  platform.SetDriveFolder(kTargetDrive[0], folderHost.c_str());
  return ExpandIntoFolder(platform, progress, kSourceDrive, archiveName.c_str(), kTargetDrive);
}
