// The install sequence's windows on Windows: the drive prompt dialog and
// the progress window with its sink.
#pragma once

#include "state/InstallWindows.h"
#include "ui/DrivePrompt.h"
#include "ui/ProgressDialog.h"
#include "ui/ProgressWindowSink.h"

class InstallDialogs : public InstallWindows {
 public:
  explicit InstallDialogs(Platform& platform) : progress_(platform) {}

  int AskForDrive() override { return DrivePrompt(); }
  void OpenProgressWindow() override { CreateProgressWindow(); }
  ProgressSink& Progress() override { return progress_; }

 private:
  ProgressWindowSink progress_;
};
