// The drive prompt run for real from the "SETUP1" template; each test acts
// on the modal dialog from inside its own loop.
#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/InstallerState.h"
#include "app/WindowTitle.h"
#include "tests/ui/InstructionsText.h"
#include "tests/ui/WindowChecks.h"
#include "ui/AppHandles.h"
#include "ui/DrivePrompt.h"

namespace {

const InstallPaths kStartPaths = Paths;
const char kDatedTitle[] = "Tesmo Tutorial Setup   5/3/2014";

class DrivePromptTest : public testing::Test {
 protected:
  void SetUp() override {
    SetUpAppWindows();
    strcpy(WindowTitle, kDatedTitle);
  }
  void TearDown() override {
    Paths = kStartPaths;
    strcpy(WindowTitle, kProductTitle);
  }

  // Types into the drive field as the keyboard would: what is there is
  // selected and replaced.
  static void Type(HWND dialog, const char* text) {
    HWND field = GetDlgItem(dialog, 101);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
    PostMessageA(field, WM_CHAR, VK_BACK, 0);
    for (const char* c = text; *c; c++)
      PostMessageA(field, WM_CHAR, static_cast<unsigned char>(*c), 0);
  }

  static void PressKey(HWND dialog, WPARAM key) {
    PostMessageA(GetFocus() ? GetFocus() : dialog, WM_KEYDOWN, key, 0);
  }
};

TEST_F(DrivePromptTest, DialogFollowsTheSetupTemplate) {
  std::string caption, instructions, field;
  bool fieldHasFocus = false;
  WhenDialogRuns([&](HWND dialog) {
    caption = WindowText(dialog);
    instructions = WindowText(GetDlgItem(dialog, 102));
    field = WindowText(GetDlgItem(dialog, 101));
    fieldHasFocus = GetFocus() == GetDlgItem(dialog, 101);
    EXPECT_EQ(MainWindow, GetWindow(dialog, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(MainWindow));

    DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    const DWORD kStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER |
                         DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(kStyle, style & kStyle);
    EXPECT_EQ(0u, style & (WS_CHILD | WS_THICKFRAME));
    RECT client;
    GetClientRect(dialog, &client);
    RECT size = DialogUnitsToPixels(dialog, 0, 0, 348, 180);
    EXPECT_EQ(size.right, client.right);
    EXPECT_EQ(size.bottom, client.bottom);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName);

    const ExpectedControl kControls[] = {
        {101, "Edit", nullptr, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0,
         100, 124, 24, 12, Fit::Exact},
        {2, "Button", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0,
         216, 156, 44, 14, Fit::Exact},
        {1, "Button", "Install", BS_DEFPUSHBUTTON | WS_TABSTOP, 0,
         264, 156, 58, 14, Fit::Exact},
        {-1, "Button", "General Instructions", BS_GROUPBOX | BS_LEFT, 0,
         8, 8, 332, 136, Fit::Exact},
        {-1, "Static", nullptr, SS_ICON, 0, 12, 150, 20, 20, Fit::Image},
        {102, "Static", nullptr, SS_LEFT | WS_GROUP, 0, 20, 20, 312, 98,
         Fit::Exact},
        {1018, "Static", "", SS_LEFT | WS_GROUP, 0, 52, 156, 136, 16,
         Fit::Exact},
        {-1, "Static", "Quarn7 Main Folder Drive", SS_LEFT | WS_GROUP, 0,
         20, 126, 75, 8, Fit::Exact},
    };
    ExpectControls(dialog, kControls, 8);
    EXPECT_TRUE(SendMessageA(NthControl(dialog, 4), STM_GETICON, 0, 0));
    // All of the instructions show, none cut off at the bottom.
    HWND text = GetDlgItem(dialog, 102);
    RECT inside;
    GetClientRect(text, &inside);
    EXPECT_LE(WrappedTextHeight(text), inside.bottom);

    PressKey(dialog, VK_ESCAPE);
  });
  EXPECT_EQ(0, DrivePrompt());
  EXPECT_EQ(kDatedTitle, caption);
  EXPECT_EQ(kExpectedInstructions, instructions);
  EXPECT_EQ("C:", field);
  EXPECT_TRUE(fieldHasFocus);
  EXPECT_TRUE(IsWindowEnabled(MainWindow));
}

TEST_F(DrivePromptTest, EnterAtOnceInstallsToDriveC) {
  WhenDialogRuns([](HWND dialog) { PressKey(dialog, VK_RETURN); });
  EXPECT_EQ(1, DrivePrompt());
  EXPECT_STREQ("C:", Paths.Drive);
  EXPECT_STREQ("C:\\Quarn7\\Zips", Paths.ZipsFolder);
}

TEST_F(DrivePromptTest, InstallReadsTwoCharactersAndForcesTheColon) {
  const struct {
    const char* typed;
    const char* drive;
    const char* zips;
  } cases[] = {
      {"D", "D:", "D:\\Quarn7\\Zips"},
      {"D:", "D:", "D:\\Quarn7\\Zips"},
      {"D:\\Quarn7", "D:", "D:\\Quarn7\\Zips"},
      {"DX", "D:", "D:\\Quarn7\\Zips"},
      {"d", "d:", "d:\\Quarn7\\Zips"},
      {"", "", "\\Quarn7\\Zips"},
  };
  for (const auto& c : cases) {
    Paths = kStartPaths;
    WhenDialogRuns([&](HWND dialog) {
      Type(dialog, c.typed);
      // Clicked once the typing has been handled.
      PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(1, DrivePrompt()) << "typed \"" << c.typed << "\"";
    EXPECT_STREQ(c.drive, Paths.Drive) << "typed \"" << c.typed << "\"";
    EXPECT_STREQ(c.zips, Paths.ZipsFolder) << "typed \"" << c.typed << "\"";
  }
}

TEST_F(DrivePromptTest, FieldShowsTheCurrentDrive) {
  AcceptDriveEntry("e");
  std::string field;
  WhenDialogRuns([&](HWND dialog) {
    field = WindowText(GetDlgItem(dialog, 101));
    PressKey(dialog, VK_RETURN);
  });
  EXPECT_EQ(1, DrivePrompt());
  EXPECT_EQ("e:", field);
}

TEST_F(DrivePromptTest, CancelEscapeAndCloseBoxLeaveThePathsAlone) {
  const char* ways[] = {"Cancel", "Escape", "close box"};
  for (const char* way : ways) {
    WhenDialogRuns([way](HWND dialog) {
      Type(dialog, "E");
      if (strcmp(way, "Cancel") == 0)
        PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      else if (strcmp(way, "Escape") == 0)
        PressKey(dialog, VK_ESCAPE);
      else
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(0, DrivePrompt()) << way;
    EXPECT_STREQ("C:", Paths.Drive) << way;
    EXPECT_STREQ("", Paths.ZipsFolder) << way;
  }
}

}  // namespace
