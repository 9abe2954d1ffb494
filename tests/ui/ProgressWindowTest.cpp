// The progress window and its pauses, from the real resources.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "platform/Win32Platform.h"
#include "tests/ui/DialogTest.h"
#include "ui/ProgressDialog.h"
#include "ui/ProgressWindowSink.h"

namespace {

class ProgressWindowTest : public DialogTest {
 protected:
  ProgressWindowTest() : progress_(platform_) {}

  void SetUp() override {
    DialogTest::SetUp();
    FileCount = 0;
    ASSERT_TRUE(CreateProgressWindow());
  }
  void TearDown() override {
    if (ProgressWindow) DestroyWindow(ProgressWindow);
    ProgressWindow = FileList = StatusLine = nullptr;
    DialogTest::TearDown();
  }

  // Milliseconds that a pause takes.
  double TimedPause(int ms) {
    auto start = std::chrono::steady_clock::now();
    progress_.Pause(ms);
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now() - start).count();
  }

  // Holds Escape down for |pauses|; its key messages are dropped after.
  static void WithEscapeDown(const std::function<void()>& pauses) {
    INPUT key = {};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_ESCAPE;
    SendInput(1, &key, sizeof key);
    pauses();
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &key, sizeof key);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
  }

  Win32Platform platform_;
  ProgressWindowSink progress_;
};

// The window, owned by the main window, has the dated title. More lines than
// the list shows, added out of order: each lands in sorted place, scrolled to
// the top (as far as the list can scroll), and the count follows.
TEST_F(ProgressWindowTest, SortedLinesAreScrolledToAndCounted) {
  EXPECT_EQ(kDatedTitle, WindowText(ProgressWindow));
  EXPECT_EQ(MainWindow, GetWindow(ProgressWindow, GW_OWNER));
  progress_.SetStatus("Expanding C:\\Quarn7\\Zips\\Tesmo.zip");
  EXPECT_EQ("Expanding C:\\Quarn7\\Zips\\Tesmo.zip",
            WindowText(GetDlgItem(ProgressWindow, 111)));

  RECT client;
  GetClientRect(FileList, &client);
  const int perPage =
      client.bottom / SendMessageA(FileList, LB_GETITEMHEIGHT, 0, 0);
  const char kLine[] = "C:\\Quarn7\\Tesmo\\Part%02d.dat ... OK";
  char line[64], count[32];
  for (int i = 0; i < 40; i++) {
    snprintf(line, sizeof line, kLine, (i * 17) % 40);
    EXPECT_EQ(1, progress_.AddFileLine(line));
    const int newest = SendMessageA(FileList, LB_FINDSTRINGEXACT, -1,
                                    reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(std::min(newest, std::max(0, i + 1 - perPage)),
              SendMessageA(FileList, LB_GETTOPINDEX, 0, 0)) << line;
    snprintf(count, sizeof count, "%d Files", i + 1);
    EXPECT_EQ(count, WindowText(GetDlgItem(ProgressWindow, 110)));
  }
  for (int i = 0; i < 40; i++) {
    char shown[64] = "";
    SendMessageA(FileList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(shown));
    snprintf(line, sizeof line, kLine, i);
    EXPECT_STREQ(line, shown);
  }
}

// A pause waits its length, negative or not, in a child dialog of the window
// whose loop paints meanwhile. Only a negative pause looks at Escape; the
// flag, once set, stays.
TEST_F(ProgressWindowTest, PauseWaitsRepaintsAndLooksAtEscapeIfNegative) {
  progress_.SetStatus("Expanding C:\\Quarn7\\Zips\\Tesmo.zip");
  progress_.AddFileLine("C:\\Quarn7\\Tesmo\\Walls.dat ... OK");
  ASSERT_TRUE(GetUpdateRect(FileList, nullptr, FALSE));

  // The pause dialog while it runs.
  static HWND pause;
  pause = nullptr;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) CALLBACK {
    KillTimer(nullptr, timer);
    pause = FindWindowExA(ProgressWindow, nullptr, "#32770", nullptr);
  });
  for (int ms : {100, -100}) {
    const double waited = TimedPause(ms);
    EXPECT_GE(waited, 90.0) << ms;
    EXPECT_LT(waited, 1000.0) << ms;
  }
  ASSERT_TRUE(pause) << "no PAUSE dialog inside the window";
  EXPECT_FALSE(IsWindow(pause));
  EXPECT_EQ(0, AbortRequested);
  for (HWND painted : {FileList, StatusLine, GetDlgItem(ProgressWindow, 110)})
    EXPECT_FALSE(GetUpdateRect(painted, nullptr, FALSE));

  WithEscapeDown([this] {
    EXPECT_GE(TimedPause(500), 490.0);
    progress_.Pause(0);
    EXPECT_EQ(0, AbortRequested);
    progress_.Pause(-100);
    EXPECT_EQ(1, AbortRequested);
  });
  progress_.Pause(-100);
  EXPECT_EQ(1, AbortRequested);
}

// After WM_CLOSE the work goes on without the window: lines are counted,
// pauses do not wait, a negative one still looks at Escape.
TEST_F(ProgressWindowTest, AfterCloseTheWorkGoesOnWithoutPauses) {
  HWND window = ProgressWindow;
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(ProgressWindow || FileList || StatusLine);

  progress_.SetStatus("Creating the Start-menu item");
  EXPECT_EQ(1, progress_.AddFileLine("C:\\Quarn7\\Tesmo\\Walls.dat ... OK"));
  EXPECT_EQ(1, FileCount);
  EXPECT_LT(TimedPause(500) + TimedPause(-100), 50.0);
  EXPECT_EQ(0, AbortRequested);
  WithEscapeDown([this] { EXPECT_LT(TimedPause(-100), 50.0); });
  EXPECT_EQ(1, AbortRequested);
}

}  // namespace
