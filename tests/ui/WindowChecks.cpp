#include "tests/ui/WindowChecks.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "ui/AppHandles.h"

void SetUpAppWindows() {
  if (MainWindow) return;
  InitCommonControls();
  AppInstance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = AppInstance;
  windowClass.lpszClassName = "Tesmo Test Main";
  RegisterClassExA(&windowClass);
  MainWindow = CreateWindowExA(0, "Tesmo Test Main", "Tesmo Tutorial Setup",
                               WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr,
                               nullptr, AppInstance, nullptr);
  ShowWindow(MainWindow, SW_HIDE);
}

std::string WindowText(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

int WrappedTextHeight(HWND control) {
  std::string text = WindowText(control);
  RECT r;
  GetClientRect(control, &r);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(
      dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  DrawTextA(dc, text.c_str(), -1, &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_LEFT);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return r.bottom - r.top;
}

std::string ClassName(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

RECT DialogUnitsToPixels(HWND dialog, int x, int y, int width, int height) {
  RECT r = {x, y, x + width, y + height};
  MapDialogRect(dialog, &r);
  return r;
}

RECT RectInParent(HWND window, HWND parent) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectControls(HWND dialog, const ExpectedControl* controls, int count) {
  int index = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT), index++) {
    if (index >= count) {
      ADD_FAILURE() << "extra control " << ClassName(child) << " \""
                    << WindowText(child) << "\"";
      continue;
    }
    const ExpectedControl& want = controls[index];
    SCOPED_TRACE(testing::Message() << "control " << index << " (id "
                                    << want.id << ")");
    // Ids are words in a classic template; -1 (no id) compares as 0xFFFF.
    EXPECT_EQ(LOWORD(want.id), LOWORD(GetDlgCtrlID(child)));
    EXPECT_EQ(0, lstrcmpiA(want.className, ClassName(child).c_str()))
        << ClassName(child);
    if (want.text) {
      EXPECT_EQ(want.text, WindowText(child));
    }
    // The dialog manager draws the border of an edit control or list box as
    // a sunken client edge instead.
    DWORD style = WS_CHILD | WS_VISIBLE | want.style;
    DWORD exStyleWanted = want.exStyle;
    if ((style & WS_BORDER) && (lstrcmpiA(want.className, "Edit") == 0 ||
                                lstrcmpiA(want.className, "ListBox") == 0)) {
      style &= ~WS_BORDER;
      exStyleWanted |= WS_EX_CLIENTEDGE;
    }
    EXPECT_EQ(style, static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
    EXPECT_EQ(exStyleWanted, exStyle & exStyleWanted);
    // The dialog manager converts the position and the size each on its
    // own, so their rounding is checked the same way.
    RECT origin = DialogUnitsToPixels(dialog, want.x, want.y, 0, 0);
    RECT size = DialogUnitsToPixels(dialog, 0, 0, want.width, want.height);
    RECT actual = RectInParent(child, dialog);
    int width = actual.right - actual.left;
    int height = actual.bottom - actual.top;
    EXPECT_EQ(origin.left, actual.left);
    EXPECT_EQ(origin.top, actual.top);
    if (want.fit == Fit::Exact) {
      EXPECT_EQ(size.right, width);
      EXPECT_EQ(size.bottom, height);
    } else if (want.fit == Fit::WholeLines) {
      EXPECT_EQ(size.right, width);
      // It drops the part line; at creation it fits itself once with its
      // border and once with the client edge that replaces it.
      int line = static_cast<int>(SendMessageA(child, LB_GETITEMHEIGHT, 0, 0));
      EXPECT_LE(height, size.bottom);
      EXPECT_GT(height, size.bottom - 2 * line) << "line height " << line;
    }
  }
  EXPECT_EQ(count, index);
}

HWND NthControl(HWND dialog, int index) {
  HWND child = GetWindow(dialog, GW_CHILD);
  while (child && index-- > 0) child = GetWindow(child, GW_HWNDNEXT);
  return child;
}

namespace {

std::function<void(HWND)> pendingAction;
HWND actedOn = nullptr;
UINT_PTR driverTimer = 0;
int ticksSinceAction = 0;

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
  if (IsWindowVisible(window) && ClassName(window) == "#32770") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK DriverTick(HWND, UINT, UINT_PTR, DWORD) {
  if (pendingAction) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog,
                      reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    std::function<void(HWND)> action = std::move(pendingAction);
    pendingAction = nullptr;
    actedOn = dialog;
    ticksSinceAction = 0;
    action(dialog);
    return;
  }
  // Watchdog: the action should have ended the dialog by now.
  if (IsWindow(actedOn) && ++ticksSinceAction < 200) return;
  if (IsWindow(actedOn)) {
    ADD_FAILURE() << "the dialog did not end";
    EndDialog(actedOn, -2);
  }
  KillTimer(nullptr, driverTimer);
  driverTimer = 0;
}

}  // namespace

void WhenDialogRuns(std::function<void(HWND dialog)> action) {
  pendingAction = std::move(action);
  actedOn = nullptr;
  if (!driverTimer) driverTimer = SetTimer(nullptr, 0, 10, DriverTick);
}

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}
