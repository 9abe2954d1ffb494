// The whole installation on the host, through every way it can end: real
// archives on a real folder that is drive T:, the host's registry and link
// files, and stand-ins for the dialogs. Every call that reaches the world
// (drive, folders, files, boxes, the windows, the end message) goes into
// one log, so each case checks what happened and in which order.
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

// The real host platform on the test's folder, logging what the sequence
// asks of the world.
class SequencePlatform : public RecordingPlatform {
 public:
  Log log;

  bool DriveExists(const char* root) override {
    return Note("drive check ", root), RecordingPlatform::DriveExists(root);
  }
  void ChangeDrive(int number) override {
    Note("change drive ", std::to_string(number)), RecordingPlatform::ChangeDrive(number);
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
  void PostToMainWindow(unsigned message) override { Note("post ", std::to_string(message)); }
  void ShowMessage(BoxOwner owner, const char* text, const char* caption) override {
    Note(owner == BoxOwner::MainWindow ? "box main " : "box none ",
         std::string(caption ? caption : "default") + ": " + text);
  }
  void Note(const std::string& what, const std::string& detail = "") { log.push_back(what + detail); }
};

// The dialogs answered in the test: the drive prompt takes |entry| (null
// presses Cancel), and the progress window's calls go into the log.
class FakeWindows : public InstallWindows, public ProgressSink {
 public:
  explicit FakeWindows(SequencePlatform& platform) : platform_(platform) {}
  const char* entry = "T";

  int AskForDrive() override {
    platform_.log.push_back("prompt");
    if (!entry) return 0;
    AcceptDriveEntry(entry);
    return 1;
  }
  void OpenProgressWindow() override { platform_.log.push_back("progress window"); }
  ProgressSink& Progress() override { return *this; }
  void SetStatus(const char* text) override { platform_.log.push_back(std::string("status ") + text); }
  int AddFileLine(const char* text) override {
    platform_.log.push_back(std::string("line ") + text);
    return 1;
  }
  void Pause(int ms) override {
    StartPause(platform_, ms);
    platform_.log.push_back("pause " + std::to_string(ms));
  }

 private:
  SequencePlatform& platform_;
};

class InstallSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_.SetDriveFolder('T', root_.c_str());
    platform_.SetDriveFolder('D', root_.c_str());
    platform_.SetPayload(reinterpret_cast<const uint8_t*>(payload_.data()), payload_.size());
    platform_.Registry().SetText(kShellFolders, "Start Menu", "T:\\Start Menu");
    platform_.Registry().SetText(kShellFolders, "Desktop", "T:\\Desktop");
    for (const char* folder : {"Quarn7", "Quarn7/Help", "Start Menu", "Start Menu/Programs", "Desktop"})
      std::filesystem::create_directory(root_ + "/" + folder);
  }
  void TearDown() override {
    Paths = saved_;
    AbortRequested = ShortcutFailed = FilePause = 0;
  }

  Log Run() {
    RunInstall(platform_, windows_);
    return platform_.log;
  }
  // The entries of the log that begin with one of |kinds|.
  Log Only(std::initializer_list<std::string> kinds) const {
    Log out;
    for (const std::string& line : platform_.log)
      for (const std::string& kind : kinds)
        if (line.compare(0, kind.size(), kind) == 0) out.push_back(line);
    return out;
  }
  // Every file and folder on the drive, by path.
  std::vector<std::string> Drive() const {
    std::vector<std::string> all;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root_))
      all.push_back(e.path().string());
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
  SequencePlatform platform_;
  FakeWindows windows_{platform_};
};

// Every step in its order; no box at all.
TEST_F(InstallSequenceTest, SuccessRunsEveryStepInOrderWithoutABox) {
  EXPECT_EQ((Log{"prompt",
                 "drive check T:\\",
                 "mkdir T:\\Quarn7\\Zips",
                 "write T:\\Quarn7\\Zips\\Tesmo.zip",
                 "release payload",
                 "progress window",
                 "change drive 20",
                 "chdir T:\\",
                 "mkdir T:\\Quarn7\\Tesmo",
                 "chdir T:\\Quarn7\\Tesmo",
                 "status Expanding T:\\Quarn7\\Zips\\Tesmo.zip",
                 "write T:\\Quarn7\\Tesmo\\Readme.txt",
                 "line T:\\Quarn7\\Tesmo\\Readme.txt ... OK",
                 "pause -100",
                 "write T:\\Quarn7\\Tesmo\\Guide.chm",
                 "line T:\\Quarn7\\Tesmo\\Guide.chm ... OK",
                 "pause -100",
                 "write T:\\Quarn7\\Tesmo\\Tesmohelp.zip",
                 "line T:\\Quarn7\\Tesmo\\Tesmohelp.zip ... OK",
                 "pause -100",
                 "mkdir T:\\Quarn7\\Help\\Tesmohelp",
                 "chdir T:\\Quarn7\\Help\\Tesmohelp",
                 "status Expanding T:\\Quarn7\\Tesmo\\Tesmohelp.zip",
                 "write T:\\Quarn7\\Help\\Tesmohelp\\Index.htm",
                 "line T:\\Quarn7\\Help\\Tesmohelp\\Index.htm ... OK",
                 "pause -100",
                 "status Creating Help Start Menu Item",
                 "pause 500",
                 "mkdir T:\\Start Menu\\Programs\\Quarn 7",
                 "write T:\\Start Menu\\Programs\\Quarn 7\\QUARN 7 Help.lnk",
                 "status Creating Tesmo Start Menu Item",
                 "pause 500",
                 "mkdir T:\\Start Menu\\Programs\\Quarn 7",
                 "write T:\\Start Menu\\Programs\\Quarn 7\\Tesmo.lnk",
                 "status Creating Tesmo Desktop Icon",
                 "pause 500",
                 "mkdir T:\\Desktop\\",
                 "write T:\\Desktop\\\\Tesmo.lnk",
                 "post 2"}),
            Run());
  EXPECT_EQ(payload_, test_.Content("Quarn7/Zips/Tesmo.zip"));
  EXPECT_EQ("help", test_.Content("Quarn7/Help/Guide.chm"));
  EXPECT_EQ("<html>", test_.Content("Quarn7/Help/Tesmohelp/Index.htm"));
  // Nothing is deleted: both archives stay where they were written.
  EXPECT_TRUE(test_.Exists("Quarn7/Tesmo/Tesmohelp.zip"));
  for (const char* link : {"Start Menu/Programs/Quarn 7/QUARN 7 Help.lnk",
                           "Start Menu/Programs/Quarn 7/Tesmo.lnk", "Desktop/Tesmo.lnk"})
    EXPECT_TRUE(test_.Exists(link)) << link;
  EXPECT_EQ(-100, FilePause);
}

// Cancel, a drive that is not there, a drive without the main system and a
// copy that cannot be written: the fatal ones show their text with the
// default caption, then the fatal box; each ends with the end message and
// leaves the drive as it was.
TEST_F(InstallSequenceTest, EarlyEndsTouchNothing) {
  const struct {
    const char* entry;
    const char* blocker;  // made before the run, removed after it
    Log log;
  } cases[] = {
      {nullptr, nullptr, {"prompt", "post 2"}},
      {"Q", nullptr,
       {"prompt", "drive check Q:\\", "box main default: Drive Q: does not seem to exist",
        kFatal, "post 2"}},
      {"1", nullptr,
       {"prompt", "drive check 1:\\", "box main default: Drive 1: does not seem to exist",
        kFatal, "post 2"}},
      {"T", "no Quarn7",
       {"prompt", "drive check T:\\", "mkdir T:\\Quarn7\\Zips",
        "box main default: Unable to open T:\\Quarn7\\Zips folder ... Can't continue", kFatal,
        "post 2"}},
      {"T", "Quarn7/Zips/Tesmo.zip/",
       {"prompt", "drive check T:\\", "mkdir T:\\Quarn7\\Zips",
        "write T:\\Quarn7\\Zips\\Tesmo.zip",
        "box main default: Unable to create main Zip file ... Can't continue", kFatal,
        "post 2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry ? c.entry : "Cancel");
    platform_.log.clear();
    std::string blocker = c.blocker ? c.blocker : "";
    if (blocker == "no Quarn7") std::filesystem::remove_all(root_ + "/Quarn7");
    else if (!blocker.empty()) std::filesystem::create_directories(root_ + "/" + blocker);
    const auto before = Drive();
    windows_.entry = c.entry;
    EXPECT_EQ(c.log, Run());
    EXPECT_EQ(before, Drive());
    if (blocker == "no Quarn7") std::filesystem::create_directory(root_ + "/Quarn7");
    else if (!blocker.empty()) std::filesystem::remove_all(root_ + "/Quarn7/Zips");
  }
}

// An empty entry works on the current drive with paths that start with
// "\"; a lower-case one keeps its case in every path and is upper-cased
// only to change the drive. An existing Zips folder and copy are fine.
TEST_F(InstallSequenceTest, DriveEntryGoesIntoEveryPathAsTyped) {
  std::filesystem::create_directories(root_ + "/Quarn7/Zips");
  ASSERT_TRUE(test_.WriteFile("Quarn7/Zips/Tesmo.zip", std::string(100000, 'x')));
  ASSERT_EQ(0, platform_.ChangeFolder("T:\\Desktop"));
  for (const char* entry : {"", "d"}) {
    SCOPED_TRACE(entry);
    platform_.log.clear();
    windows_.entry = entry;
    const std::string drive = *entry ? "d:" : "";
    Run();
    Log expected = {"drive check " + drive + "\\", "mkdir " + drive + "\\Quarn7\\Zips",
                    "write " + drive + "\\Quarn7\\Zips\\Tesmo.zip"};
    if (*entry) expected.push_back("change drive 4");
    expected.push_back("status Expanding " + drive + "\\Quarn7\\Zips\\Tesmo.zip");
    expected.push_back("status Expanding " + drive + "\\Quarn7\\Tesmo\\Tesmohelp.zip");
    EXPECT_EQ(expected, Only({"drive check", "mkdir " + drive + "\\Quarn7\\Zips",
                              "write " + drive + "\\Quarn7\\Zips", "change drive",
                              "status Expanding"}));
    EXPECT_EQ(1, std::count(platform_.log.begin(), platform_.log.end(), "chdir " + drive + "\\"));
    EXPECT_EQ(Log{}, Only({"box"}));
    EXPECT_EQ(payload_, test_.Content("Quarn7/Zips/Tesmo.zip"));
  }
}

// The results of the two expansions, Escape at a file pause and failing
// shortcuts, alone and together: which boxes come, in which order, and
// which late steps run.
TEST_F(InstallSequenceTest, LateFailuresDecideTheItemsAndClosingBoxes) {
  const std::string missing = "box none default: T:\\Quarn7\\Zips\\Tesmo.zip file is missing";
  const std::string helpMissing =
      "box none default: T:\\Quarn7\\Tesmo\\Tesmohelp.zip file is missing";
  const std::string reset = "box none default: Unable to reset ";
  const std::string nonFatal =
      "box main Tesmo Setup: Non-fatal error occurred ... Installation may not be complete";
  const std::string code4 = std::string("box main Tesmo Setup: ") + ReportText(4);
  const std::string code3 = std::string("box main Tesmo Setup: ") + ReportText(3);
  const std::string help = "status Creating Help Start Menu Item";
  const std::string item = "status Creating Tesmo Start Menu Item";
  const std::string icon = "status Creating Tesmo Desktop Icon";
  const struct {
    const char* what;
    bool noPayload, stampsFail, escape, noStartMenu, helpLinkBlocked;
    Log log;  // boxes and shortcut status texts
  } cases[] = {
      // Level 2 from both archives (no copy to expand): the help item is
      // skipped, the add-on items are made.
      {"no payload", true, false, false, false, false,
       {missing, kFatal, helpMissing, kFatal, item, icon, kAborted}},
      // Level 1 from both: reported, nothing else changes.
      {"time stamps", false, true, false, false, false,
       {reset, reset, reset, nonFatal, reset, nonFatal, help, item, icon}},
      {"escape", false, false, true, false, false, {item, icon, kAborted}},
      // The help item fails: the add-on item is still tried, the desktop
      // icon is not.
      {"help link", false, false, false, false, true,
       {help, "box main Tesmo Setup: Failed at save shortcut",
        "box main Tesmo Setup: Failed to create shortcut", code3, item, kShortcutsAborted}},
      {"start menu", false, false, false, true, false, {code4, code4, kShortcutsAborted}},
      {"escape and start menu", false, false, true, true, false,
       {code4, kShortcutsAborted, kAborted}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    std::filesystem::remove_all(root_ + "/Quarn7");
    std::filesystem::create_directories(root_ + "/Quarn7/Help");
    std::filesystem::remove_all(root_ + "/Start Menu/Programs/Quarn 7");
    std::filesystem::remove_all(root_ + "/Desktop/Tesmo.lnk");
    platform_.log.clear();
    platform_.SetPayload(reinterpret_cast<const uint8_t*>(payload_.data()),
                         c.noPayload ? 0 : payload_.size());
    platform_.stampsFail = c.stampsFail;
    platform_.SetEscapeKeyDown(c.escape);
    if (c.noStartMenu) platform_.Registry().Clear();
    if (c.helpLinkBlocked)
      std::filesystem::create_directories(root_ + "/Start Menu/Programs/Quarn 7/QUARN 7 Help.lnk");
    Run();
    Log log = Only({"box", "status Creating"});
    for (std::string& line : log)
      if (line.compare(0, reset.size(), reset) == 0) line = reset;
    EXPECT_EQ(c.log, log);
    EXPECT_EQ(c.noPayload ? 0u : 1u, Only({"write T:\\Quarn7\\Zips"}).size());
    EXPECT_EQ("post 2", platform_.log.back());
    EXPECT_EQ(test_.Exists("Desktop/Tesmo.lnk"),
              std::find(c.log.begin(), c.log.end(), icon) != c.log.end());
    platform_.Registry().SetText(kShellFolders, "Start Menu", "T:\\Start Menu");
    platform_.Registry().SetText(kShellFolders, "Desktop", "T:\\Desktop");
  }
}

}  // namespace
