// The drive prompt run for real from the "SETUP1" template; each test acts
// on the modal dialog from inside its own loop.
#include "tests/ui/InstructionsText.h"
#include "tests/ui/WindowChecks.h"
#include "ui/DrivePrompt.h"

namespace {

const ExpectedControl kSetupControls[] = {
    {101, "Edit", nullptr, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0,
     100, 124, 24, 12, Fit::Exact},
    {2, "Button", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0,
     216, 156, 44, 14, Fit::Exact},
    {1, "Button", "Install", BS_DEFPUSHBUTTON | WS_TABSTOP, 0,
     264, 156, 58, 14, Fit::Exact},
    {-1, "Button", "General Instructions", BS_GROUPBOX | BS_LEFT, 0,
     8, 8, 332, 136, Fit::Exact},
    {-1, "Static", nullptr, SS_ICON, 0, 12, 150, 20, 20, Fit::Image},
    {102, "Static", kExpectedInstructions, SS_LEFT | WS_GROUP, 0,
     20, 20, 312, 98, Fit::Exact},
    {1018, "Static", "", SS_LEFT | WS_GROUP, 0, 52, 156, 136, 16, Fit::Exact},
    {-1, "Static", "Quarn7 Main Folder Drive", SS_LEFT | WS_GROUP, 0,
     20, 126, 75, 8, Fit::Exact},
};

typedef DialogTest DrivePromptTest;

// The modal dialog of the template, owned by the main window and captioned
// with the dated title; its field shows the current drive and has the
// focus, and the instructions fit their control.
TEST_F(DrivePromptTest, DialogShowsTheTemplateTitleAndCurrentDrive) {
  AcceptDriveEntry("e");
  WhenDialogRuns([&](HWND dialog) {
    EXPECT_EQ(kDatedTitle, WindowText(dialog));
    EXPECT_EQ(MainWindow, GetWindow(dialog, GW_OWNER));
    ExpectControls(dialog, kSetupControls);
    EXPECT_EQ("e:", WindowText(GetDlgItem(dialog, 101)));
    EXPECT_EQ(GetDlgItem(dialog, 101), GetFocus());
    // All of the instructions show, none cut off at the bottom.
    HWND text = GetDlgItem(dialog, 102);
    RECT inside, wrapped;
    GetClientRect(text, &inside);
    wrapped = inside;
    HDC dc = GetDC(text);
    SelectObject(dc, reinterpret_cast<HFONT>(
                         SendMessageA(text, WM_GETFONT, 0, 0)));
    DrawTextA(dc, kExpectedInstructions, -1, &wrapped,
              DT_CALCRECT | DT_WORDBREAK);
    ReleaseDC(text, dc);
    EXPECT_LE(wrapped.bottom, inside.bottom);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(0, DrivePrompt());
}

// Install (or Enter) reads two characters of the field, forces the colon
// and builds the zips folder; Cancel, Escape and the close box return 0 and
// leave the paths alone.
TEST_F(DrivePromptTest, InstallTakesTheDriveAndEveryOtherEndLeavesIt) {
  const struct {
    const char* typed;  // null: the field as shown
    UINT message;  // a key on the field, a click on a button, the close box
    WPARAM key;
    int result;
    const char* drive;
    const char* zips;
  } cases[] = {
      {nullptr, WM_KEYDOWN, VK_RETURN, 1, "C:", "C:\\Quarn7\\Zips"},
      {"D:\\Quarn7", BM_CLICK, IDOK, 1, "D:", "D:\\Quarn7\\Zips"},
      {"DX", WM_KEYDOWN, VK_RETURN, 1, "D:", "D:\\Quarn7\\Zips"},
      {"d", BM_CLICK, IDOK, 1, "d:", "d:\\Quarn7\\Zips"},
      {"", BM_CLICK, IDOK, 1, "", "\\Quarn7\\Zips"},
      {"E", BM_CLICK, IDCANCEL, 0, "C:", ""},
      {"E", WM_KEYDOWN, VK_ESCAPE, 0, "C:", ""},
      {"E", WM_SYSCOMMAND, SC_CLOSE, 0, "C:", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.typed ? c.typed : "-") << " then "
                                    << c.message << " " << c.key);
    Paths = start_;
    WhenDialogRuns([&](HWND dialog) {
      // Typed as the keyboard would: what is there is selected and
      // replaced. Every message is posted, so they are handled in order.
      HWND field = GetDlgItem(dialog, 101);
      if (c.typed) {
        SendMessageA(field, EM_SETSEL, 0, -1);
        PostMessageA(field, WM_CHAR, VK_BACK, 0);
        for (const char* k = c.typed; *k; k++)
          PostMessageA(field, WM_CHAR, static_cast<unsigned char>(*k), 0);
      }
      if (c.message == BM_CLICK)
        PostMessageA(GetDlgItem(dialog, c.key), BM_CLICK, 0, 0);
      else
        PostMessageA(c.message == WM_KEYDOWN ? field : dialog, c.message,
                     c.key, 0);
    });
    EXPECT_EQ(c.result, DrivePrompt());
    EXPECT_STREQ(c.drive, Paths.Drive);
    EXPECT_STREQ(c.zips, Paths.ZipsFolder);
  }
}

}  // namespace
