// The three shortcut recipes on the host: the link files they write, the
// boxes and their order when a COM step fails, and the missing folder.
// (The Start menu without "Programs" runs on the real shell under Wine.)
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MessageReporter.h"
#include "shell/Shortcut.h"
#include "tests/shell/ShellTestKit.h"

namespace {

typedef std::vector<std::string> Texts;

const struct Recipe {
  const char* status;
  int (*make)(Platform&, ProgressSink&);
  const char* link;  // below the test's drive
  const char* content;
} kRecipes[] = {
    {"Creating Help Start Menu Item",
     [](Platform& p, ProgressSink& s) { return MakeHelpStartMenuItem(p, s); },
     "Start Menu\\Programs\\Quarn 7\\QUARN 7 Help.lnk",
     "Target=T:\\Quarn7\\Dochost7.exe\nWorkingDirectory=T:\\Quarn7\n"},
    {"Creating Tesmo Start Menu Item",
     [](Platform& p, ProgressSink& s) { return MakeAddonStartMenuItem(p, s, "Tesmo"); },
     "Start Menu\\Programs\\Quarn 7\\Tesmo.lnk",
     "Target=T:\\Quarn7\\Quarn7.exe\nWorkingDirectory=T:\\Quarn7\\Tesmo\n"},
    // The empty subfolder leaves two separators before the name.
    {"Creating Tesmo Desktop Icon",
     [](Platform& p, ProgressSink& s) { return MakeAddonDesktopIcon(p, s, "Tesmo"); },
     "Desktop\\\\Tesmo.lnk",
     "Target=T:\\Quarn7\\Quarn7.exe\nWorkingDirectory=T:\\Quarn7\\Tesmo\n"},
};

// One recipe run on drive T: with a Start menu (with its Programs folder)
// and a desktop, in the registry unless told otherwise, and COM failing at
// the step given. At the pause, notes anything already shown or made.
struct ShortcutRun {
  ShortcutRun(const Recipe& r, LinkStep failAt, bool registered = true) {
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    if (registered) platform().Registry().SetText(key, "Start Menu", "T:\\Start Menu");
    if (registered) platform().Registry().SetText(key, "Desktop", "T:\\Desktop");
    for (const char* folder : {"Start Menu", "Start Menu\\Programs", "Desktop"})
      EXPECT_EQ(0, platform().MakeFolder(test.Path(folder).c_str()));
    platform().ShellLinks().failAt = failAt;
    progress.check = [&] {
      return !platform().messages.empty() || test.Exists("Start Menu/Programs/Quarn 7") ||
                     test.Exists("Desktop/Tesmo.lnk")
                 ? " after something was touched" : "";
    };
    result = r.make(platform(), progress);
  }
  RecordingPlatform& platform() { return test.platform(); }
  // The COM calls made, setters and arguments left out.
  std::string Calls() {
    std::string calls;
    for (const std::string& call : platform().ShellLinks().calls)
      if (call.compare(0, 3, "Set")) calls += (call.compare(0, 5, "Save ") ? call : "Save") + ", ";
    return calls;
  }

  TestPlatform test;
  TestDrive drive{test};
  LoggingProgress progress;
  int result;
};

TEST(ShortcutTest, EachRecipeWritesItsLinkAfterStatusAndPause) {
  for (const Recipe& r : kRecipes) {
    SCOPED_TRACE(r.status);
    ShortcutRun run(r, LinkStep::None);
    EXPECT_EQ(1, run.result);
    EXPECT_EQ((Texts{std::string("status ") + r.status, "pause 500"}), run.progress.events);
    EXPECT_EQ(std::string("[Shell link]\n") + r.content + "Description=QUARN Drawing\n",
              run.test.Content(r.link));
    EXPECT_TRUE(run.platform().messages.empty());
  }
}

// The failing step's box, then "Failed to create shortcut" (not after COM
// itself failed), then code 3; whatever was made is released and every
// initialise balanced.
TEST(ShortcutTest, FailingStepShowsItsBoxesInOrder) {
  const struct {
    LinkStep step;
    Texts boxes;
    const char* calls;
  } cases[] = {
      {LinkStep::Initialize, {"Failed to initialize COM system"}, "CoInitialize, "},
      {LinkStep::CreateInstance, {"Failed at create instance", "Failed to create shortcut"},
       "CoInitialize, CoCreateInstance, CoUninitialize, "},
      {LinkStep::QueryInterface, {"Failed at query interface", "Failed to create shortcut"},
       "CoInitialize, CoCreateInstance, QueryInterface, Release IShellLinkA, CoUninitialize, "},
      {LinkStep::Save, {"Failed at save shortcut", "Failed to create shortcut"},
       "CoInitialize, CoCreateInstance, QueryInterface, Save, Release IPersistFile, "
       "Release IShellLinkA, CoUninitialize, "},
  };
  for (const auto& c : cases) {
    for (const Recipe& r : kRecipes) {
      SCOPED_TRACE(std::string(r.status) + ", " + c.calls);
      ShortcutRun run(r, c.step);
      EXPECT_EQ(0, run.result);
      Texts boxes = c.boxes;
      boxes.push_back(ReportText(3));
      EXPECT_EQ(boxes, ShortcutBoxes(run.platform()));
      EXPECT_EQ(c.calls, run.Calls());
      EXPECT_FALSE(run.test.Exists(r.link));
    }
  }
}

// Without the folder in the registry: code 4 only, before any status,
// pause, folder or COM call.
TEST(ShortcutTest, FolderMissingFromTheRegistryIsCodeFourAlone) {
  for (const Recipe& r : kRecipes) {
    ShortcutRun run(r, LinkStep::None, false);
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(Texts{ReportText(4)}, ShortcutBoxes(run.platform()));
    EXPECT_TRUE(run.progress.events.empty());
    EXPECT_EQ("", run.Calls());
    EXPECT_FALSE(run.test.Exists("Start Menu/Programs/Quarn 7"));
  }
}

}  // namespace
