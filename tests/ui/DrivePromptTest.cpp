// The drive prompt, run for real from its template: what the scenarios of
// tests/e2e do not look at (owner, focus, the instructions in full). How each
// answer ends it, they run through.
#include "tests/ui/DialogTest.h"
#include "ui/DrivePrompt.h"

namespace {

// The instructions as the user reads them, to the byte.
const char kInstructions[] =
    R"(The QUARN System files must be previously installed. Enter the drive where you installed the system files below.

This Installer will create the "Tesmo.zip" file in the "Quarn7\Zips" folder. It will unzip that file and put the files in a subfolder named "Tesmo" under the main Quarn7 folder. There should also be a subdfolder under "Quarn7\Help" with individual files that can be read by a browser.

If installation is successful, you should find a "Quarn7" item in the Start menu. Under that will be a submenu "Tesmo" item.

There should also be a "Tesmo" icon created on the Desktop.)";

typedef DialogTest DrivePromptTest;

// Owned by the main window, with the dated title; the field shows the
// current drive and has the focus; the instructions show in full.
TEST_F(DrivePromptTest, DialogShowsTheTitleInstructionsAndCurrentDrive) {
  AcceptDriveEntry("e");
  // Looked at from a thread timer, which the prompt's modal loop dispatches.
  SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) CALLBACK {
    HWND dialog = FindWindowA("#32770", nullptr);
    if (!IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    EXPECT_EQ(kDatedTitle, WindowText(dialog));
    EXPECT_EQ(MainWindow, GetWindow(dialog, GW_OWNER));
    EXPECT_EQ("e:", WindowText(GetDlgItem(dialog, 101)));
    EXPECT_EQ(GetDlgItem(dialog, 101), GetFocus());
    EXPECT_STREQ(kInstructions, MessageText);
    HWND text = GetDlgItem(dialog, 102);
    EXPECT_EQ(kInstructions, WindowText(text));
    // None of it cut off at the bottom.
    RECT inside, wrapped;
    GetClientRect(text, &inside);
    wrapped = inside;
    HDC dc = GetDC(text);
    SelectObject(dc, reinterpret_cast<HFONT>(
                         SendMessageA(text, WM_GETFONT, 0, 0)));
    DrawTextA(dc, kInstructions, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK);
    ReleaseDC(text, dc);
    EXPECT_LE(wrapped.bottom, inside.bottom);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(0, DrivePrompt());
}

}  // namespace
