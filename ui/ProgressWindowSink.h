// The progress sink of the Windows build: reports into the progress window
// and paces the work with the "PAUSE" dialog.
#pragma once

#include <windows.h>

#include "platform/Platform.h"
#include "state/ProgressSink.h"

class ProgressWindowSink : public ProgressSink {
 public:
  // The platform answers whether Escape was pressed.
  explicit ProgressWindowSink(Platform& platform) : platform_(platform) {}

  void SetStatus(const char* text) override;
  int AddFileLine(const char* text) override;
  // Runs the invisible "PAUSE" dialog inside the progress window until its
  // timer fires; the dialog's modal loop repaints the window meanwhile.
  // Without a progress window there is no wait.
  void Pause(int ms) override;

 private:
  Platform& platform_;
};

INT_PTR CALLBACK PauseDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                 LPARAM lParam);
