// The install sequence on the host with an empty drive entry, the one entry
// that the scenarios of tests/e2e (the real program under Wine) do not
// give: the real host platform on a folder that is drive T:, stand-ins for
// the dialogs, and every call that reaches the world in one log.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/InstallSequence.h"
#include "state/InstallerState.h"
#include "tests/archive/StreamKit.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;

namespace {

typedef std::vector<std::string> Log;

// The dialogs answered with an empty entry, and the calls that name paths
// logged.
class Fakes : public RecordingPlatform, public InstallWindows, public ProgressSink {
 public:
  Log log;

  void Note(const std::string& what, const char* detail) { log.push_back(what + detail); }
  bool DriveExists(const char* root) override {
    return Note("drive check ", root), RecordingPlatform::DriveExists(root);
  }
  void ChangeDrive(int number) override {
    Note("change drive ", std::to_string(number).c_str()), RecordingPlatform::ChangeDrive(number);
  }
  int ChangeFolder(const char* path) override {
    return Note("chdir ", path), RecordingPlatform::ChangeFolder(path);
  }
  int MakeFolder(const char* path) override {
    return Note("mkdir ", path), RecordingPlatform::MakeFolder(path);
  }
  void PostToMainWindow(unsigned) override {}
  // No shell folders on the host: the boxes of the shortcuts.
  void ShowMessage(BoxOwner, const char*, const char*) override {}
  int AskForDrive() override { return AcceptDriveEntry(""), 1; }
  void OpenProgressWindow() override {}
  ProgressSink& Progress() override { return *this; }
  void SetStatus(const char* text) override { Note("status ", text); }
  int AddFileLine(const char*) override { return 1; }
  void Pause(int) override {}
};

// Nothing typed: every path begins with "\", no drive is changed to, and
// the installation goes to the current drive. Without a drive prefix the
// expanded files' names stay all lower case.
TEST(InstallSequenceTest, EmptyEntryInstallsOnTheCurrentDrive) {
  ResetInstallerState();
  TestPlatform test;
  const std::string root = test.NativePath("");
  for (const char* folder : {"Quarn7", "Quarn7/Help", "Elsewhere"})
    fs::create_directory(root + "/" + folder);
  const std::string payload = Archive(
      {Stored("Guide.chm", "help"), Stored("Tesmohelp.zip", Archive({Stored("Index.htm", "<html>")}))});
  Fakes fakes;
  fakes.SetDriveFolder('T', root.c_str());
  fakes.SetPayload(reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
  ASSERT_EQ(0, fakes.ChangeFolder("T:\\Elsewhere"));
  fakes.log.clear();

  RunInstall(fakes, fakes);

  EXPECT_EQ((Log{"drive check \\", "mkdir \\Quarn7\\Zips", "chdir \\", "mkdir \\Quarn7\\Tesmo",
                 "chdir \\Quarn7\\Tesmo", "status Expanding \\Quarn7\\Zips\\Tesmo.zip",
                 "mkdir \\Quarn7\\Help\\Tesmohelp", "chdir \\Quarn7\\Help\\Tesmohelp",
                 "status Expanding \\Quarn7\\Tesmo\\Tesmohelp.zip"}),
            fakes.log);
  EXPECT_EQ(payload, test.Content("Quarn7/Zips/Tesmo.zip"));
  EXPECT_EQ("help", test.Content("Quarn7/Help/Guide.chm"));
  EXPECT_EQ("<html>", test.Content("Quarn7/Help/Tesmohelp/index.htm"));
  ResetInstallerState();
}

}  // namespace
