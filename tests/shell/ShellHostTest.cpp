// The shortcut recipes on the host, failing at each COM step. (What the links
// hold is read back from the real shell under Wine.)
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/Shortcut.h"
#include "state/MessageReporter.h"
#include "tests/shell/ShellTestKit.h"

namespace {

typedef std::vector<std::string> Texts;

// Each recipe's status and link below the test's drive: the help item, the
// add-on's item and icon (the desktop's empty subfolder doubles the "\\").
const struct Recipe {
  const char* status;
  const char* link;
} kRecipes[] = {
    {"Creating Help Start Menu Item", "Start Menu\\Programs\\Quarn 7\\QUARN 7 Help.lnk"},
    {"Creating Tesmo Start Menu Item", "Start Menu\\Programs\\Quarn 7\\Tesmo.lnk"},
    {"Creating Tesmo Desktop Icon", "Desktop\\\\Tesmo.lnk"},
};

// Each recipe made, then failing at each COM step: the failing step's box,
// then "Failed to create shortcut" (not after COM itself failed), then code
// 3, with whatever was made released and every initialise balanced. Without
// the folder in the registry: code 4 alone, before any status, pause,
// folder or COM call.
TEST(ShortcutTest, EachRecipeLinksAfterStatusAndPauseOrShowsWhatFailed) {
  const std::string failed = "Failed to create shortcut", code3 = ReportText(kShortcutError);
  const char* all = "CoInitialize, CoCreateInstance, QueryInterface, Save, Release IPersistFile, "
                    "Release IShellLinkA, CoUninitialize, ";
  const struct {
    LinkStep step;
    bool registered;
    Texts boxes;  // none when the link is made
    const char* calls;
  } runs[] = {
      {LinkStep::None, true, {}, all},
      {LinkStep::Initialize, true, {"Failed to initialize COM system", code3}, "CoInitialize, "},
      {LinkStep::CreateInstance, true, {"Failed at create instance", failed, code3},
       "CoInitialize, CoCreateInstance, CoUninitialize, "},
      {LinkStep::QueryInterface, true, {"Failed at query interface", failed, code3},
       "CoInitialize, CoCreateInstance, QueryInterface, Release IShellLinkA, CoUninitialize, "},
      {LinkStep::Save, true, {"Failed at save shortcut", failed, code3}, all},
      {LinkStep::None, false, {ReportText(kStartMenuMissing)}, ""},
  };
  for (const Recipe& r : kRecipes) {
    for (const auto& c : runs) {
      SCOPED_TRACE(std::string(r.status) + ": " + (c.boxes.empty() ? "made" : c.boxes[0]));
      // Drive T: with a Start menu, its Programs folder and a desktop, in
      // the registry unless not registered. At the pause, notes anything
      // already shown or made.
      TestPlatform test;
      TestDrive drive(test);
      RecordingPlatform& platform = test.platform();
      LoggingProgress progress;
      if (c.registered) platform.Registry().SetText(kShellFoldersKey, "Start Menu", "T:\\Start Menu");
      if (c.registered) platform.Registry().SetText(kShellFoldersKey, "Desktop", "T:\\Desktop");
      for (const char* folder : {"Start Menu", "Start Menu\\Programs", "Desktop"})
        ASSERT_EQ(0, platform.MakeFolder(test.Path(folder).c_str()));
      platform.ShellLinks().failAt = c.step;
      progress.check = [&] {
        return !platform.messages.empty() || test.Exists("Start Menu/Programs/Quarn 7") ||
                       test.Exists("Desktop/Tesmo.lnk") ? " after something was touched" : "";
      };
      const int made = &r == kRecipes       ? MakeHelpStartMenuItem(platform, progress)
                       : &r == kRecipes + 1 ? MakeAddonStartMenuItem(platform, progress, "Tesmo")
                                            : MakeAddonDesktopIcon(platform, progress, "Tesmo");
      EXPECT_EQ(c.boxes.empty(), made);
      EXPECT_EQ(c.boxes, ShortcutBoxes(platform));
      std::string calls;  // setters and arguments left out
      for (const std::string& call : platform.ShellLinks().calls)
        if (call.compare(0, 3, "Set")) calls += (call.compare(0, 5, "Save ") ? call : "Save") + ", ";
      EXPECT_EQ(c.calls, calls);
      EXPECT_EQ((c.registered ? Texts{std::string("status ") + r.status, "pause 500"} : Texts{}), progress.events);
      EXPECT_EQ(c.boxes.empty(), test.Exists(r.link));
      EXPECT_TRUE(c.registered || !test.Exists("Start Menu/Programs/Quarn 7"));
    }
  }
}

}  // namespace
