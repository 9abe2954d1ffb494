// The whole installation on the host, through every way it can end: real
// archives on a real folder that is drive T:, the host's registry and link
// files, and stand-ins for the dialogs. Every call that reaches the world
// goes into one log, so each case checks what happened and in which order.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/InstallSequence.h"
#include "app/InstallerState.h"
#include "app/MessageReporter.h"
#include "tests/archive/StreamKit.h"
#include "tests/support/TestPlatform.h"
#include "ui/PauseStart.h"

namespace fs = std::filesystem;

namespace {

typedef std::vector<std::string> Log;

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kFatal[] = "box main Tesmo Setup: Fatal error occurred ... Check the cause and run again.";
const char kShortcutsAborted[] =
    "box main Tesmo Setup: Start Menu or Desktop Items Aborted ... Main Installation should be OK";
const char kAborted[] = "box main Tesmo Setup: Aborted ... Installation may not be complete";

// A flat archive of stored entries, as far as the walk reads it.
std::string Archive(const std::vector<std::pair<std::string, std::string>>& entries) {
  auto le = [](uint64_t value, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; i++) s += static_cast<char>(value >> 8 * i);
    return s;
  };
  std::string out;
  for (const auto& e : entries)
    out += "PK\x03\x04" + le(20, 2) + le(0, 4) + le(0x5A8F, 2) + le(0x44A3, 2) +
           le(ReferenceCrc(e.second), 4) + le(e.second.size(), 4) + le(e.second.size(), 4) +
           le(e.first.size(), 2) + le(0, 2) + e.first + e.second;
  return out + "PK\x01\x02" + std::string(40, 'c');
}

// The real host platform on the test's folder, and the dialogs answered in
// the test (a null |entry| presses Cancel), logging what the sequence asks.
class Fakes : public RecordingPlatform, public InstallWindows, public ProgressSink {
 public:
  Log log;
  const char* entry = "T";

  void Note(const std::string& what, const char* detail = "") { log.push_back(what + detail); }
  bool DriveExists(const char* root) override {
    return Note("drive check ", root), RecordingPlatform::DriveExists(root);
  }
  void ChangeDrive(int number) override {
    Note("change drive " + std::to_string(number)), RecordingPlatform::ChangeDrive(number);
  }
  int ChangeFolder(const char* path) override {
    return Note("chdir ", path), RecordingPlatform::ChangeFolder(path);
  }
  int MakeFolder(const char* path) override {
    return Note("mkdir ", path), RecordingPlatform::MakeFolder(path);
  }
  File* OpenWrite(const char* path) override {
    return Note("write ", path), RecordingPlatform::OpenWrite(path);
  }
  void ReleasePayload() override { Note("release payload"); }
  void PostToMainWindow(unsigned message) override { Note("post " + std::to_string(message)); }
  void ShowMessage(BoxOwner owner, const char* text, const char* caption) override {
    Note(std::string(owner == BoxOwner::MainWindow ? "box main " : "box none ") +
         (caption ? caption : "default") + ": ", text);
  }
  int AskForDrive() override { return Note("prompt"), entry && (AcceptDriveEntry(entry), true); }
  void OpenProgressWindow() override { Note("progress window"); }
  ProgressSink& Progress() override { return *this; }
  void SetStatus(const char* text) override { Note("status ", text); }
  int AddFileLine(const char* text) override { return Note("line ", text), 1; }
  void Pause(int ms) override { StartPause(*this, ms), Note("pause " + std::to_string(ms)); }
};

class InstallSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes_.SetDriveFolder('T', root_.c_str());
    fakes_.SetDriveFolder('D', root_.c_str());
    fakes_.SetPayload(reinterpret_cast<const uint8_t*>(payload_.data()), payload_.size());
    for (const char* folder : {"Quarn7", "Quarn7/Help", "Start Menu", "Start Menu/Programs", "Desktop"})
      fs::create_directory(root_ + "/" + folder);
  }
  void TearDown() override {
    Paths = saved_;
    AbortRequested = ShortcutFailed = FilePause = 0;
  }

  // Runs the sequence on a fresh log with the shell folders on T:.
  Log Run() {
    fakes_.log.clear();
    fakes_.Registry().SetText(kShellFolders, "Start Menu", "T:\\Start Menu");
    fakes_.Registry().SetText(kShellFolders, "Desktop", "T:\\Desktop");
    if (noStartMenu_) fakes_.Registry().Clear();
    RunInstall(fakes_, fakes_);
    return fakes_.log;
  }
  // The entries of the log that begin with one of |kinds|.
  Log Only(std::initializer_list<std::string> kinds) const {
    Log out;
    for (const std::string& line : fakes_.log)
      for (const std::string& kind : kinds)
        if (line.compare(0, kind.size(), kind) == 0) out.push_back(line);
    return out;
  }
  // Every file and folder on the drive, by path.
  std::vector<std::string> Drive() const {
    std::vector<std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(root_)) all.push_back(e.path().string());
    std::sort(all.begin(), all.end());
    return all;
  }

  const InstallPaths saved_ = Paths;
  TestPlatform test_;
  const std::string root_ = test_.NativePath("");
  const std::string payload_ =
      Archive({{"Readme.txt", "Read me"},
               {"Guide.chm", "help"},
               {"Tesmohelp.zip", Archive({{"Index.htm", "<html>"}})}});
  Fakes fakes_;
  bool noStartMenu_ = false;
};

// Every step in its order; no box at all.
TEST_F(InstallSequenceTest, SuccessRunsEveryStepInOrderWithoutABox) {
  Log expected = {"prompt", "drive check T:\\", "mkdir T:\\Quarn7\\Zips",
                  "write T:\\Quarn7\\Zips\\Tesmo.zip", "release payload", "progress window",
                  "change drive 20", "chdir T:\\", "mkdir T:\\Quarn7\\Tesmo",
                  "chdir T:\\Quarn7\\Tesmo", "status Expanding T:\\Quarn7\\Zips\\Tesmo.zip"};
  auto file = [&](const std::string& path) {
    expected.insert(expected.end(), {"write " + path, "line " + path + " ... OK", "pause -100"});
  };
  for (const char* name : {"Readme.txt", "Guide.chm", "Tesmohelp.zip"})
    file(std::string("T:\\Quarn7\\Tesmo\\") + name);
  expected.insert(expected.end(),
                  {"mkdir T:\\Quarn7\\Help\\Tesmohelp", "chdir T:\\Quarn7\\Help\\Tesmohelp",
                   "status Expanding T:\\Quarn7\\Tesmo\\Tesmohelp.zip"});
  file("T:\\Quarn7\\Help\\Tesmohelp\\Index.htm");
  expected.insert(expected.end(),
                  {"status Creating Help Start Menu Item", "pause 500",
                   "mkdir T:\\Start Menu\\Programs\\Quarn 7",
                   "write T:\\Start Menu\\Programs\\Quarn 7\\QUARN 7 Help.lnk",
                   "status Creating Tesmo Start Menu Item", "pause 500",
                   "mkdir T:\\Start Menu\\Programs\\Quarn 7",
                   "write T:\\Start Menu\\Programs\\Quarn 7\\Tesmo.lnk",
                   "status Creating Tesmo Desktop Icon", "pause 500", "mkdir T:\\Desktop\\",
                   "write T:\\Desktop\\\\Tesmo.lnk", "post 2"});
  EXPECT_EQ(expected, Run());
  EXPECT_EQ(payload_, test_.Content("Quarn7/Zips/Tesmo.zip"));
  EXPECT_EQ("help", test_.Content("Quarn7/Help/Guide.chm"));
  EXPECT_EQ("<html>", test_.Content("Quarn7/Help/Tesmohelp/Index.htm"));
  EXPECT_TRUE(test_.Exists("Desktop/Tesmo.lnk"));
}

// Cancel, a drive that is not there and a Zips folder or copy that cannot
// be made: each ends with the end message and leaves the drive as it was.
TEST_F(InstallSequenceTest, EarlyEndsTouchNothing) {
  const std::string zips = "mkdir T:\\Quarn7\\Zips", copy = "write T:\\Quarn7\\Zips\\Tesmo.zip";
  const struct {
    const char* entry;
    const char* blocker;  // a folder made before the run, or "" for no Quarn7
    Log log;
  } cases[] = {
      {nullptr, nullptr, {"prompt", "post 2"}},
      {"Q", nullptr, {"prompt", "drive check Q:\\", "box main default: Drive Q: does not seem to exist", kFatal, "post 2"}},
      {"T", "", {"prompt", "drive check T:\\", zips,
                 "box main default: Unable to open T:\\Quarn7\\Zips folder ... Can't continue", kFatal, "post 2"}},
      {"T", "Quarn7/Zips/Tesmo.zip", {"prompt", "drive check T:\\", zips, copy,
                 "box main default: Unable to create main Zip file ... Can't continue", kFatal, "post 2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry ? c.entry : "Cancel");
    if (c.blocker) *c.blocker ? (void)fs::create_directories(root_ + "/" + c.blocker)
                              : (void)fs::remove_all(root_ + "/Quarn7");
    const auto before = Drive();
    fakes_.entry = c.entry;
    EXPECT_EQ(c.log, Run());
    EXPECT_EQ(before, Drive());
  }
}

// An empty entry works on the current drive with paths that start with
// "\"; a lower-case one keeps its case in every path and is upper-cased
// only to change the drive. An existing Zips folder and copy are fine.
TEST_F(InstallSequenceTest, DriveEntryGoesIntoEveryPathAsTyped) {
  ASSERT_TRUE(fs::create_directories(root_ + "/Quarn7/Zips"));
  ASSERT_TRUE(test_.WriteFile("Quarn7/Zips/Tesmo.zip", std::string(100000, 'x')));
  ASSERT_EQ(0, fakes_.ChangeFolder("T:\\Desktop"));
  for (const char* entry : {"", "d"}) {
    SCOPED_TRACE(entry);
    fakes_.entry = entry;
    const std::string drive = *entry ? "d:" : "";
    Run();
    const std::string zips = drive + "\\Quarn7\\Zips", addon = drive + "\\Quarn7\\Tesmo";
    Log expected = {"drive check " + drive + "\\", "mkdir " + zips, "write " + zips + "\\Tesmo.zip",
                    "chdir " + drive + "\\", "chdir " + addon, "status Expanding " + zips + "\\Tesmo.zip",
                    "chdir " + drive + "\\Quarn7\\Help\\Tesmohelp",
                    "status Expanding " + addon + "\\Tesmohelp.zip"};
    if (*entry) expected.insert(expected.begin() + 3, "change drive 4");
    EXPECT_EQ(expected, Only({"drive check", "mkdir " + zips, "write " + zips, "change drive",
                              "chdir", "status Expanding", "box"}));
    EXPECT_EQ(payload_, test_.Content("Quarn7/Zips/Tesmo.zip"));
  }
}

// The results of the two expansions, Escape at a file pause and failing
// shortcuts, alone and together: which boxes come, in which order, and
// which late steps run.
TEST_F(InstallSequenceTest, LateFailuresDecideTheItemsAndClosingBoxes) {
  const std::string missing = "box none default: T:\\Quarn7\\Zips\\Tesmo.zip file is missing",
                    helpMissing = "box none default: T:\\Quarn7\\Tesmo\\Tesmohelp.zip file is missing",
                    reset = "box none default: Unable to reset ",
                    nonFatal = "box main Tesmo Setup: Non-fatal error occurred ... Installation may not be complete",
                    code4 = std::string("box main Tesmo Setup: ") + ReportText(4),
                    code3 = std::string("box main Tesmo Setup: ") + ReportText(3),
                    help = "status Creating Help Start Menu Item",
                    item = "status Creating Tesmo Start Menu Item",
                    icon = "status Creating Tesmo Desktop Icon";
  const struct {
    const char* what;
    bool noPayload, stampsFail, escape, noStartMenu, helpLinkBlocked;
    Log log;  // boxes and shortcut status texts
  } cases[] = {
      // Level 2 from both archives (no copy to expand): no help item.
      {"no payload", true, 0, 0, 0, 0, {missing, kFatal, helpMissing, kFatal, item, icon, kAborted}},
      // Level 1 from both: reported, nothing else changes.
      {"time stamps", 0, true, 0, 0, 0, {reset, reset, reset, nonFatal, reset, nonFatal, help, item, icon}},
      {"escape", 0, 0, true, 0, 0, {item, icon, kAborted}},
      // The help item fails: the add-on item is still tried, the icon not.
      {"help link", 0, 0, 0, 0, true,
       {help, "box main Tesmo Setup: Failed at save shortcut",
        "box main Tesmo Setup: Failed to create shortcut", code3, item, kShortcutsAborted}},
      {"start menu", 0, 0, 0, true, 0, {code4, code4, kShortcutsAborted}},
      {"escape and start menu", 0, 0, true, true, 0, {code4, kShortcutsAborted, kAborted}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    fs::remove_all(root_ + "/Quarn7");
    fs::create_directories(root_ + "/Quarn7/Help");
    fs::remove_all(root_ + "/Start Menu/Programs/Quarn 7");
    fs::remove_all(root_ + "/Desktop/Tesmo.lnk");
    fakes_.SetPayload(reinterpret_cast<const uint8_t*>(payload_.data()), c.noPayload ? 0 : payload_.size());
    fakes_.stampsFail = c.stampsFail;
    fakes_.SetEscapeKeyDown(c.escape);
    noStartMenu_ = c.noStartMenu;
    if (c.helpLinkBlocked)
      fs::create_directories(root_ + "/Start Menu/Programs/Quarn 7/QUARN 7 Help.lnk");
    Run();
    Log log = Only({"box", "status Creating"});
    for (std::string& line : log)
      if (line.compare(0, reset.size(), reset) == 0) line = reset;
    EXPECT_EQ(c.log, log);
    EXPECT_EQ(c.noPayload ? 0u : 1u, Only({"write T:\\Quarn7\\Zips"}).size());
    EXPECT_EQ("post 2", fakes_.log.back());
    EXPECT_EQ(test_.Exists("Desktop/Tesmo.lnk"), std::count(c.log.begin(), c.log.end(), icon) == 1);
  }
}

}  // namespace
