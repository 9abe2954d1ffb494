// What the tests of the real dialogs under Windows (or Wine) share: a
// fixture with the hidden main window and the dated title, checks of a
// dialog's controls against the template's table, and a way to act on a
// modal dialog from inside its own loop.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "app/InstallerState.h"
#include "app/WindowTitle.h"
#include "platform/AppHandles.h"

const char kDatedTitle[] = "Tesmo Tutorial Setup   5/3/2014";

// Runs with this program (which carries the real resources) as AppInstance,
// a hidden main window and the dated title; puts the shared state back.
class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!MainWindow) {
      InitCommonControls();
      AppInstance = GetModuleHandleA(nullptr);
      MainWindow = CreateWindowExA(0, "STATIC", kProductTitle, WS_POPUP, 0,
                                   0, 0, 0, nullptr, nullptr, AppInstance,
                                   nullptr);
    }
    strcpy(WindowTitle, kDatedTitle);
  }
  void TearDown() override {
    Paths = start_;
    strcpy(WindowTitle, kProductTitle);
    AbortRequested = 0;
  }

  const InstallPaths start_ = Paths;
};

inline std::string WindowText(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// How a control's size relates to the template's.
enum class Fit {
  Exact,
  Image,       // a picture shows its image and takes the image's size
  WholeLines,  // a list box shrinks to whole lines
};

// One control as the template describes it. Styles are those besides
// WS_CHILD and WS_VISIBLE; a null text is not checked.
struct ExpectedControl {
  int id;
  const char* className;
  const char* text;
  DWORD style, exStyle;
  int x, y, width, height;  // dialog units
  Fit fit;
};

// Checks the dialog's child windows, in z order (which is the template and
// tab order), one to one against |expected|: id, class, text, styles, and
// the position and size that MapDialogRect gives for the dialog units.
template <size_t N>
void ExpectControls(HWND dialog, const ExpectedControl (&expected)[N]) {
  HWND child = nullptr;
  for (const ExpectedControl& want : expected) {
    child = child ? GetWindow(child, GW_HWNDNEXT) : GetWindow(dialog, GW_CHILD);
    ASSERT_TRUE(child) << "missing control " << want.id;
    SCOPED_TRACE(testing::Message() << "control " << want.id << " \""
                                    << WindowText(child) << "\"");
    // Ids are words in a classic template; -1 (no id) compares as 0xFFFF.
    EXPECT_EQ(LOWORD(want.id), LOWORD(GetDlgCtrlID(child)));
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    EXPECT_EQ(0, lstrcmpiA(want.className, className)) << className;
    if (want.text) {
      EXPECT_EQ(want.text, WindowText(child));
    }
    // The dialog manager draws the border of an edit control or list box as
    // a sunken client edge instead.
    DWORD style = WS_CHILD | WS_VISIBLE | want.style;
    DWORD exStyle = want.exStyle;
    if ((style & WS_BORDER) && lstrcmpiA(want.className, "Static") != 0) {
      style &= ~WS_BORDER;
      exStyle |= WS_EX_CLIENTEDGE;
    }
    EXPECT_EQ(style, static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)));
    EXPECT_EQ(exStyle, static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE)) &
                           exStyle);
    // The dialog manager converts the position and the size each on its
    // own, so their rounding is checked the same way.
    RECT at = {want.x, want.y, 0, 0}, size = {0, 0, want.width, want.height};
    MapDialogRect(dialog, &at);
    MapDialogRect(dialog, &size);
    RECT actual;
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(at.left, actual.left);
    EXPECT_EQ(at.top, actual.top);
    const int height = actual.bottom - actual.top;
    if (want.fit == Fit::Image) {
      const bool icon = (want.style & SS_TYPEMASK) == SS_ICON;
      EXPECT_TRUE(SendMessageA(child, STM_GETIMAGE,
                               icon ? IMAGE_ICON : IMAGE_BITMAP, 0));
      continue;
    }
    EXPECT_EQ(size.right, actual.right - actual.left);
    if (want.fit == Fit::Exact) {
      EXPECT_EQ(size.bottom, height);
    } else {
      // A list box drops the part line; at creation it fits itself once with
      // its border and once with the client edge that replaces it.
      int line = static_cast<int>(SendMessageA(child, LB_GETITEMHEIGHT, 0, 0));
      EXPECT_LE(height, size.bottom);
      EXPECT_GT(height, size.bottom - 2 * line) << "line height " << line;
    }
  }
  EXPECT_FALSE(GetWindow(child, GW_HWNDNEXT)) << "an extra control";
}

// Runs |action| on the visible dialog (the only one) once its modal loop
// turns, from a thread timer that the loop dispatches; messages that the
// action posts are handled by that loop. A dialog still open two seconds
// after the action is ended with -2 and the test fails.
inline void WhenDialogRuns(std::function<void(HWND dialog)> action) {
  static std::function<void(HWND)> pending;
  static HWND dialog;
  static UINT_PTR timer;
  static int ticks;
  pending = std::move(action);
  ticks = 0;
  if (timer) return;
  timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
    if (pending) {
      dialog = FindWindowA("#32770", nullptr);
      if (!IsWindowVisible(dialog)) return;
      std::function<void(HWND)> act = std::move(pending);
      pending = nullptr;
      act(dialog);
      return;
    }
    if (IsWindow(dialog) && ++ticks < 200) return;
    if (IsWindow(dialog)) {
      ADD_FAILURE() << "the dialog did not end";
      EndDialog(dialog, -2);
    }
    KillTimer(nullptr, timer);
    timer = 0;
  });
}
