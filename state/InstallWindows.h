// The windows the install sequence opens: the drive prompt and the progress
// window. The dialogs implement it on Windows; tests answer in their place.
#pragma once

#include "state/ProgressSink.h"

class InstallWindows {
 public:
  virtual ~InstallWindows() {}
  // Asks for the drive. 1 when Install was pressed, with Paths.Drive and
  // Paths.ZipsFolder set from the entry; 0 when the prompt was cancelled or
  // closed.
  virtual int AskForDrive() = 0;
  // Opens the progress window, owned by the main window, and gives it the
  // keyboard focus.
  virtual void OpenProgressWindow() = 0;
  // Where the progress of the installation goes.
  virtual ProgressSink& Progress() = 0;
};
