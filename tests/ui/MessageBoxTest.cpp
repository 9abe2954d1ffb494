// Message boxes of the real platform, shown for real and closed from inside
// their own loop.
#include "platform/DefaultPlatform.h"
#include "tests/ui/DialogTest.h"

namespace {

typedef DialogTest MessageBoxTest;

// A box asked for with the main window as owner is owned by the main window
// of the moment, the one handle that the dialogs read too, even when that
// changes after the first box; the expander's boxes have no owner.
TEST_F(MessageBoxTest, OwnerIsTheMainWindowOfTheMomentOrNone) {
  const HWND first = MainWindow, second = NewMainWindow();
  const struct {
    HWND main;
    BoxOwner owner;
    HWND expected;
  } cases[] = {
      {first, BoxOwner::MainWindow, first},
      {second, BoxOwner::MainWindow, second},
      {second, BoxOwner::None, nullptr},
  };
  for (const auto& c : cases) {
    MainWindow = c.main;
    HWND owner = HWND_BROADCAST;  // no box has it
    WhenDialogRuns([&](HWND box) {
      EXPECT_EQ("Tesmo Setup", WindowText(box));
      owner = GetWindow(box, GW_OWNER);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    DefaultPlatform().ShowMessage(c.owner, "Unknown error", "Tesmo Setup");
    EXPECT_EQ(c.expected, owner) << "box " << (&c - cases);
  }
  MainWindow = first;
  DestroyWindow(second);
}

}  // namespace
