// The program's instance and its hidden main window, shared by everything
// that creates dialogs or boxes. Set once at start-up.
#pragma once

#include <windows.h>

// The module whose resources hold the dialogs, the picture and the icon.
extern HINSTANCE AppInstance;
// The hidden main window: owner of the drive prompt, the progress window
// and every message box asked for with BoxOwner::Program. The one copy.
extern HWND MainWindow;
