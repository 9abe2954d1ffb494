#include "ui/ProgressWindowSink.h"

#include "platform/AppHandles.h"
#include "ui/FileCountText.h"
#include "ui/PauseStart.h"
#include "ui/ProgressDialog.h"

namespace {

const UINT_PTR kPauseTimer = 1;

}  // namespace

void ProgressWindowSink::SetStatus(const char* text) {
  SetWindowTextA(StatusLine, text);
}

int ProgressWindowSink::AddFileLine(const char* text) {
  // The list is sorted, so the new line's index is wherever it sorted to;
  // scrolling it to the top keeps the newest file in view.
  LRESULT index =
      SendMessageA(FileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(FileList, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  FileCount++;
  char count[kCountTextSize];
  FormatFileCount(FileCount, count, sizeof count);
  SetWindowTextA(GetDlgItem(ProgressWindow, kFileCountControl), count);
  return 1;
}

void ProgressWindowSink::Pause(int ms) {
  int wait = StartPause(platform_, ms);
  // The template has the child style, so with no progress window to be its
  // parent the dialog cannot be created and this returns at once.
  DialogBoxParamA(AppInstance, "PAUSE", ProgressWindow, PauseDialogProc,
                  static_cast<LPARAM>(wait));
}

INT_PTR CALLBACK PauseDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetTimer(dialog, kPauseTimer, static_cast<UINT>(lParam), nullptr);
      return TRUE;
    case WM_TIMER:
      if (LOWORD(wParam) == kPauseTimer) EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}
