// The three shortcut recipes on the host: the link files they write, the
// boxes and their order when a COM step fails, and the missing folder.
// (The Start menu without "Programs" runs on the real shell under Wine.)
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MessageReporter.h"
#include "shell/Shortcut.h"
#include "tests/shell/ShellTestKit.h"

namespace fs = std::filesystem;

namespace {

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct Recipe {
  const char* what;
  int (*make)(Platform&, ProgressSink&);
  const char* status;
  const char* link;  // below the test's drive
  const char* target;
  const char* workingFolder;
};

const Recipe kRecipes[] = {
    {"help item",
     [](Platform& p, ProgressSink& s) { return MakeHelpStartMenuItem(p, s); },
     "Creating Help Start Menu Item",
     "Start Menu\\Programs\\Quarn 7\\QUARN 7 Help.lnk",
     "T:\\Quarn7\\Dochost7.exe", "T:\\Quarn7"},
    {"add-on item",
     [](Platform& p, ProgressSink& s) {
       return MakeAddonStartMenuItem(p, s, "Tesmo");
     },
     "Creating Tesmo Start Menu Item", "Start Menu\\Programs\\Quarn 7\\Tesmo.lnk",
     "T:\\Quarn7\\Quarn7.exe", "T:\\Quarn7\\Tesmo"},
    // The empty subfolder leaves two separators before the name.
    {"desktop icon",
     [](Platform& p, ProgressSink& s) {
       return MakeAddonDesktopIcon(p, s, "Tesmo");
     },
     "Creating Tesmo Desktop Icon", "Desktop\\\\Tesmo.lnk",
     "T:\\Quarn7\\Quarn7.exe", "T:\\Quarn7\\Tesmo"},
};

// A drive T: with a Start menu (with its Programs folder) and a desktop,
// both in the registry.
class ShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(drive_.ok());
    registry().SetText(kShellFolders, "Start Menu", "T:\\Start Menu");
    registry().SetText(kShellFolders, "Desktop", "T:\\Desktop");
    ASSERT_EQ(0, platform().MakeFolder("T:\\Start Menu"));
    ASSERT_EQ(0, platform().MakeFolder("T:\\Start Menu\\Programs"));
    ASSERT_EQ(0, platform().MakeFolder("T:\\Desktop"));
  }

  // Runs a recipe with nothing made yet; at its pause, notes anything
  // already shown or made.
  int Run(const Recipe& r) {
    fs::remove_all(test_.NativePath("Start Menu/Programs/Quarn 7"));
    fs::remove(test_.NativePath("Desktop/Tesmo.lnk"));
    platform().messages.clear();
    links().calls.clear();
    progress_.events.clear();
    progress_.check = [&] {
      const bool touched = !platform().messages.empty() ||
                           test_.Exists("Start Menu/Programs/Quarn 7") ||
                           test_.Exists("Desktop/Tesmo.lnk");
      return std::string(touched ? " after something was touched" : "");
    };
    return r.make(platform(), progress_);
  }
  std::vector<std::string> Boxes() { return ShortcutBoxes(platform()); }

  RecordingPlatform& platform() { return test_.platform(); }
  HostRegistry& registry() { return platform().Registry(); }
  HostShellLinks& links() { return platform().ShellLinks(); }

  TestPlatform test_;
  TestDrive drive_{test_};
  LoggingProgress progress_;
};

TEST_F(ShortcutTest, EachRecipeWritesItsLinkAfterStatusAndPause) {
  for (const Recipe& r : kRecipes) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(1, Run(r));
    EXPECT_EQ((std::vector<std::string>{std::string("status ") + r.status,
                                        "pause 500"}),
              progress_.events);
    EXPECT_EQ(std::string("[Shell link]\nTarget=") + r.target +
                  "\nWorkingDirectory=" + r.workingFolder +
                  "\nDescription=QUARN Drawing\n",
              test_.Content(r.link));
    EXPECT_EQ(std::string("Save T:\\") + r.link, links().calls.at(6));
    EXPECT_TRUE(platform().messages.empty());
  }
}

// The failing step's box, then "Failed to create shortcut" (not after COM
// itself failed), then code 3; whatever was made is released and every
// initialise balanced.
TEST_F(ShortcutTest, FailingStepShowsItsBoxesInOrder) {
  const struct {
    LinkStep step;
    std::vector<std::string> boxes;
    std::vector<std::string> calls;  // setters and arguments left out
  } cases[] = {
      {LinkStep::Initialize, {"Failed to initialize COM system"}, {"CoInitialize"}},
      {LinkStep::CreateInstance,
       {"Failed at create instance", "Failed to create shortcut"},
       {"CoInitialize", "CoCreateInstance", "CoUninitialize"}},
      {LinkStep::QueryInterface,
       {"Failed at query interface", "Failed to create shortcut"},
       {"CoInitialize", "CoCreateInstance", "QueryInterface",
        "Release IShellLinkA", "CoUninitialize"}},
      {LinkStep::Save,
       {"Failed at save shortcut", "Failed to create shortcut"},
       {"CoInitialize", "CoCreateInstance", "QueryInterface", "Save",
        "Release IPersistFile", "Release IShellLinkA", "CoUninitialize"}},
  };
  for (const auto& c : cases) {
    for (const Recipe& r : kRecipes) {
      SCOPED_TRACE(std::string(r.what) + ", step " +
                   std::to_string(static_cast<int>(c.step)));
      links().failAt = c.step;
      EXPECT_EQ(0, Run(r));
      std::vector<std::string> boxes = c.boxes;
      boxes.push_back(ReportText(3));
      EXPECT_EQ(boxes, Boxes());
      std::vector<std::string> calls;
      for (const std::string& call : links().calls)
        if (call.compare(0, 3, "Set") != 0)
          calls.push_back(call.compare(0, 5, "Save ") ? call : "Save");
      EXPECT_EQ(c.calls, calls);
      EXPECT_FALSE(test_.Exists(r.link));
    }
  }
}

// Without the folder in the registry: code 4 only, before any status,
// pause, folder or COM call.
TEST_F(ShortcutTest, FolderMissingFromTheRegistryIsCodeFourAlone) {
  registry().Clear();
  for (const Recipe& r : kRecipes) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(0, Run(r));
    EXPECT_EQ(std::vector<std::string>{ReportText(4)}, Boxes());
    EXPECT_TRUE(progress_.events.empty());
    EXPECT_TRUE(links().calls.empty());
  }
  EXPECT_FALSE(test_.Exists("Start Menu/Programs/Quarn 7"));
}

}  // namespace
