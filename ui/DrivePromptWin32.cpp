#include "platform/AppHandles.h"
#include "state/InstallerState.h"
#include "state/WindowTitle.h"
#include "ui/DrivePrompt.h"
#include "ui/Instructions.h"

namespace {

const int kDriveField = 101;
const int kInstructionsText = 102;

INT_PTR CALLBACK DrivePromptProc(HWND dialog, UINT message, WPARAM wParam,
                                 LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextA(dialog, WindowTitle);
      SetDlgItemTextA(dialog, kInstructionsText, ComposeInstructions());
      SetDlgItemTextA(dialog, kDriveField, Paths.Drive);
      return TRUE;  // the focus goes to the drive field, first in tab order
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          // Room for two characters only: the rest of the entry is never
          // looked at.
          char typed[3] = "";
          GetDlgItemTextA(dialog, kDriveField, typed, sizeof typed);
          AcceptDriveEntry(typed);
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int DrivePrompt() {
  return static_cast<int>(
      DialogBoxParamA(AppInstance, "SETUP1", MainWindow, DrivePromptProc, 0));
}
