// The progress window and its pauses, created from the real resources.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/InstallerState.h"
#include "app/WindowTitle.h"
#include "platform/Win32Platform.h"
#include "tests/ui/WindowChecks.h"
#include "ui/AppHandles.h"
#include "ui/ProgressWindow.h"
#include "ui/WindowProgress.h"

namespace {

const char kDatedTitle[] = "Tesmo Tutorial Setup   5/3/2014";

class ProgressWindowTest : public testing::Test {
 protected:
  ProgressWindowTest() : progress_(platform_) {}

  void SetUp() override {
    SetUpAppWindows();
    strcpy(WindowTitle, kDatedTitle);
    FileCount = 0;
    AbortRequested = 0;
    ASSERT_TRUE(CreateProgressWindow());
  }

  void TearDown() override {
    if (ProgressWindow) DestroyWindow(ProgressWindow);
    ProgressWindow = FileList = StatusLine = nullptr;
    strcpy(WindowTitle, kProductTitle);
    AbortRequested = 0;
  }

  // Lets the window paint everything it has to.
  static void Settle() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  static std::string ListLine(int index) {
    char text[512] = "";
    SendMessageA(FileList, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
  }

  Win32Platform platform_;
  WindowProgress progress_;
};

TEST_F(ProgressWindowTest, WindowFollowsTheDisplayTemplate) {
  HWND window = ProgressWindow;
  EXPECT_EQ(kDatedTitle, WindowText(window));
  EXPECT_EQ(MainWindow, GetWindow(window, GW_OWNER));
  DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  const DWORD kStyle =
      WS_VISIBLE | WS_CAPTION | DS_CENTER | DS_MODALFRAME | DS_SETFONT;
  EXPECT_EQ(kStyle, style & kStyle);
  // No system menu, so no close box.
  EXPECT_EQ(0u, style & (WS_SYSMENU | WS_CHILD | WS_THICKFRAME));

  RECT client;
  GetClientRect(window, &client);
  RECT size = DialogUnitsToPixels(window, 0, 0, 348, 180);
  EXPECT_EQ(size.right, client.right);
  EXPECT_EQ(size.bottom, client.bottom);

  LOGFONTA font = {};
  HFONT dialogFont =
      reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  ASSERT_TRUE(GetObjectA(dialogFont, sizeof font, &font));
  EXPECT_STREQ("MS Sans Serif", font.lfFaceName);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(DEFAULT_CHARSET, font.lfCharSet);
  EXPECT_FALSE(font.lfItalic);

  const ExpectedControl kControls[] = {
      {1034, "Button", "Files Installed", BS_GROUPBOX | BS_LEFT, 0,
       8, 8, 332, 152, Fit::Exact},
      {110, "Static", "", SS_RIGHT | WS_GROUP, 0, 264, 168, 72, 10,
       Fit::Exact},
      {-1, "Static", nullptr, SS_BITMAP | SS_SUNKEN, WS_EX_CLIENTEDGE,
       16, 32, 19, 17, Fit::Image},
      {111, "Static", "", SS_LEFTNOWORDWRAP | WS_GROUP, 0, 8, 168, 244, 10,
       Fit::Exact},
      {1033, "ListBox", "",
       LBS_NOTIFY | LBS_SORT | WS_BORDER | WS_TABSTOP, 0, 176, 16, 156, 140,
       Fit::WholeLines},
  };
  ExpectControls(window, kControls, 5);
  EXPECT_EQ(GetDlgItem(window, 1033), FileList);
  EXPECT_EQ(GetDlgItem(window, 111), StatusLine);

  // The picture control shows the bitmap and takes its size.
  HWND picture = NthControl(window, 2);
  HBITMAP shown = reinterpret_cast<HBITMAP>(
      SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP bitmap = {};
  ASSERT_TRUE(GetObjectA(shown, sizeof bitmap, &bitmap));
  EXPECT_EQ(226, bitmap.bmWidth);
  EXPECT_EQ(165, bitmap.bmHeight);
  RECT outside = RectInParent(picture, window);
  EXPECT_EQ(226, outside.right - outside.left);
  EXPECT_EQ(165, outside.bottom - outside.top);
}

TEST_F(ProgressWindowTest, StatusLineShowsTheText) {
  progress_.SetStatus("Expanding C:\\Quarn7\\Zips\\Tesmo.zip");
  EXPECT_EQ("Expanding C:\\Quarn7\\Zips\\Tesmo.zip", WindowText(StatusLine));
}

TEST_F(ProgressWindowTest, LinesAreSortedCountedAndTheNewestScrolledToTheTop) {
  // More lines than the list shows at once, added out of order.
  std::vector<std::string> added;
  for (int i = 0; i < 40; i++) {
    char line[64];
    snprintf(line, sizeof line, "C:\\Quarn7\\Tesmo\\Part%02d.dat ... OK",
             (i * 17) % 40);
    added.push_back(line);
    EXPECT_EQ(1, progress_.AddFileLine(line));

    std::vector<std::string> sorted = added;
    std::sort(sorted.begin(), sorted.end());
    int newest = static_cast<int>(
        std::find(sorted.begin(), sorted.end(), line) - sorted.begin());
    ASSERT_EQ(newest, SendMessageA(FileList, LB_FINDSTRINGEXACT, -1,
                                   reinterpret_cast<LPARAM>(line)));
    // The list cannot scroll past its last full page.
    RECT client;
    GetClientRect(FileList, &client);
    int perPage = client.bottom /
                  static_cast<int>(SendMessageA(FileList, LB_GETITEMHEIGHT, 0, 0));
    int lastTop = std::max(0, static_cast<int>(added.size()) - perPage);
    EXPECT_EQ(std::min(newest, lastTop),
              SendMessageA(FileList, LB_GETTOPINDEX, 0, 0))
        << "after " << line;

    // "1 Files" first: there is no singular form.
    char count[32];
    snprintf(count, sizeof count, "%d Files", i + 1);
    EXPECT_EQ(count, WindowText(GetDlgItem(ProgressWindow, 110)));
  }
  std::sort(added.begin(), added.end());
  ASSERT_EQ(40, SendMessageA(FileList, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < 40; i++) EXPECT_EQ(added[i], ListLine(i));
}

TEST_F(ProgressWindowTest, PauseWaitsAndRepaintsTheWindow) {
  Settle();
  progress_.SetStatus("Expanding C:\\Quarn7\\Zips\\Tesmo.zip");
  progress_.AddFileLine("C:\\Quarn7\\Tesmo\\Walls.dat ... OK");
  HWND count = GetDlgItem(ProgressWindow, 110);
  // The list waits to be painted until a loop runs...
  ASSERT_TRUE(GetUpdateRect(FileList, nullptr, FALSE));

  double start = NowMs();
  progress_.Pause(100);
  double waited = NowMs() - start;
  EXPECT_GE(waited, 90.0);
  EXPECT_LT(waited, 1000.0);
  // ... and the pause's loop has painted them.
  EXPECT_FALSE(GetUpdateRect(FileList, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(count, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(StatusLine, nullptr, FALSE));

  start = NowMs();
  progress_.Pause(-100);
  waited = NowMs() - start;
  EXPECT_GE(waited, 90.0);
  EXPECT_LT(waited, 1000.0);
  EXPECT_EQ(0, AbortRequested);

  start = NowMs();
  progress_.Pause(500);
  waited = NowMs() - start;
  EXPECT_GE(waited, 490.0);
  EXPECT_LT(waited, 2000.0);
}

// Records what the PAUSE dialog looks like while it runs.
struct PauseSeen {
  HWND dialog = nullptr;
  std::string className;
  DWORD style = 0;
  RECT rect = {};
  RECT expected = {};
  HWND firstChild = nullptr;
};
PauseSeen pauseSeen;

void CALLBACK LookAtPause(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  for (HWND child = GetWindow(ProgressWindow, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) != "#32770") continue;
    pauseSeen.dialog = child;
    pauseSeen.className = ClassName(child);
    pauseSeen.style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
    pauseSeen.rect = RectInParent(child, ProgressWindow);
    pauseSeen.expected = DialogUnitsToPixels(child, 0, 0, 5, 5);
    pauseSeen.firstChild = GetWindow(child, GW_CHILD);
  }
}

TEST_F(ProgressWindowTest, PauseRunsAnInvisibleChildDialog) {
  pauseSeen = PauseSeen();
  SetTimer(nullptr, 0, 100, LookAtPause);
  progress_.Pause(400);
  ASSERT_TRUE(pauseSeen.dialog) << "no PAUSE dialog inside the window";
  // The modal loop shows the dialog once it idles, and the dialog manager
  // adds the 3-D look; it still has no caption and no border.
  EXPECT_EQ(static_cast<DWORD>(WS_CHILD | DS_SETFONT),
            pauseSeen.style & ~static_cast<DWORD>(WS_VISIBLE | DS_3DLOOK));
  EXPECT_EQ(0, pauseSeen.rect.left);
  EXPECT_EQ(0, pauseSeen.rect.top);
  EXPECT_EQ(pauseSeen.expected.right, pauseSeen.rect.right);
  EXPECT_EQ(pauseSeen.expected.bottom, pauseSeen.rect.bottom);
  EXPECT_EQ(nullptr, pauseSeen.firstChild);
  // The dialog and its timer are gone with the pause.
  EXPECT_FALSE(IsWindow(pauseSeen.dialog));
}

TEST_F(ProgressWindowTest, EscapeIsLookedAtOnlyBeforeANegativePause) {
  INPUT key = {};
  key.type = INPUT_KEYBOARD;
  key.ki.wVk = VK_ESCAPE;
  SendInput(1, &key, sizeof key);

  progress_.Pause(500);
  EXPECT_EQ(0, AbortRequested);
  progress_.Pause(-100);
  EXPECT_EQ(1, AbortRequested);

  key.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &key, sizeof key);
  // The key must not reach any later dialog.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
}

TEST_F(ProgressWindowTest, AfterCloseTheWorkGoesOnWithoutWindowOrPauses) {
  HWND window = ProgressWindow;
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(nullptr, ProgressWindow);
  EXPECT_EQ(nullptr, FileList);
  EXPECT_EQ(nullptr, StatusLine);

  progress_.SetStatus("Creating the Start-menu item");
  EXPECT_EQ(1, progress_.AddFileLine("C:\\Quarn7\\Tesmo\\Walls.dat ... OK"));
  EXPECT_EQ(1, FileCount);
  double start = NowMs();
  progress_.Pause(500);
  progress_.Pause(-100);
  EXPECT_LT(NowMs() - start, 50.0);
}

TEST(PauseWithoutWindowTest, ReturnsAtOnceButStillLooksAtEscape) {
  SetUpAppWindows();
  ASSERT_EQ(nullptr, ProgressWindow);
  Win32Platform platform;
  WindowProgress progress(platform);
  AbortRequested = 0;
  double start = NowMs();
  progress.Pause(100);
  progress.Pause(-100);
  EXPECT_LT(NowMs() - start, 50.0);
  EXPECT_EQ(0, AbortRequested);

  INPUT key = {};
  key.type = INPUT_KEYBOARD;
  key.ki.wVk = VK_ESCAPE;
  SendInput(1, &key, sizeof key);
  progress.Pause(-100);
  EXPECT_EQ(1, AbortRequested);
  key.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &key, sizeof key);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  AbortRequested = 0;
}

}  // namespace
