#include "ui/ProgressDialog.h"

#include "platform/AppHandles.h"
#include "state/WindowTitle.h"

HWND ProgressWindow = nullptr;
HWND FileList = nullptr;
HWND StatusLine = nullptr;
int FileCount = 0;

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextA(dialog, WindowTitle);
      // Known from the first message on, whoever created the window.
      ProgressWindow = dialog;
      FileList = GetDlgItem(dialog, kFileListControl);
      StatusLine = GetDlgItem(dialog, kStatusLineControl);
      return TRUE;
    case WM_CLOSE:
      // From here on the installation goes on without a window and without
      // pauses.
      DestroyWindow(dialog);
      ProgressWindow = nullptr;
      StatusLine = nullptr;
      FileList = nullptr;
      return TRUE;
  }
  return FALSE;
}

HWND CreateProgressWindow() {
  ProgressWindow = CreateDialogParamA(AppInstance, "DISPLAY", MainWindow,
                                      ProgressDialogProc, 0);
  SetFocus(ProgressWindow);
  return ProgressWindow;
}
