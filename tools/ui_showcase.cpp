// Shows the drive prompt or the progress window as the installer does, for
// tools/screenshots: "ui_showcase prompt" or "ui_showcase progress". Runs
// until it is killed (the prompt also ends with its buttons).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "app/InstallerState.h"
#include "app/WindowTitle.h"
#include "platform/DefaultPlatform.h"
#include "platform/AppHandles.h"
#include "ui/DrivePrompt.h"
#include "ui/ProgressDialog.h"
#include "ui/ProgressWindowSink.h"

namespace {

void ShowProgress() {
  FilePause = -100;
  CreateProgressWindow();
  ProgressWindowSink progress(DefaultPlatform());
  progress.SetStatus("Expanding C:\\Quarn7\\Zips\\Tesmo.zip");
  // Entries in archive order; the list sorts them.
  const char* files[] = {"Readme.txt", "Lesson03.qdw", "Lesson01.qdw",
                         "Lesson02.qdw", "Lesson05.qdw", "Lesson04.qdw",
                         "Lesson06.qdw", "Annexlist.chm", "Tesmo.chm",
                         "Lesson07.qdw", "Lesson08.qdw", "Tesmohelp.zip"};
  for (const char* file : files) {
    char line[256];
    snprintf(line, sizeof line, "%s\\%s ... OK", "C:\\Quarn7\\Tesmo", file);
    progress.AddFileLine(line);
    progress.Pause(FilePause);
  }
  for (;;) progress.Pause(500);
}

}  // namespace

int main(int argc, char** argv) {
  InitCommonControls();
  AppInstance = GetModuleHandleA(nullptr);
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  BuildWindowTitle(DefaultPlatform(), self);
  MainWindow = CreateWindowExA(0, "STATIC", kProductTitle, WS_OVERLAPPEDWINDOW,
                               0, 0, 100, 50, nullptr, nullptr, AppInstance,
                               nullptr);
  if (argc > 1 && strcmp(argv[1], "progress") == 0) {
    ShowProgress();
  } else {
    printf("%d %s\n", DrivePrompt(), Paths.ZipsFolder);
  }
  return 0;
}
