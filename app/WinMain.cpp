// The program's entry: the hidden main window and the one message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/DllSearch.h"
#include "app/MainWindow.h"
#include "platform/AppHandles.h"
#include "platform/DefaultPlatform.h"
#include "state/WindowTitle.h"
#include "ui/ProgressDialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL at run time.
  RestrictDllSearchToSystem32();

  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "SETUPICON");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  // There is no menu of that name: the window has no menu.
  windowClass.lpszMenuName = kMainWindowClass;
  windowClass.lpszClassName = kMainWindowClass;
  RegisterClassExA(&windowClass);
  InitCommonControls();
  // The window's creation already loads the payload from this module.
  AppInstance = instance;
  BuildWindowTitle(DefaultPlatform(), ".\\Tesmo_setup.exe");

  HWND window = CreateWindowExA(
      0, kMainWindowClass, kProductTitle, WS_OVERLAPPEDWINDOW, 0, 0,
      9 * GetSystemMetrics(SM_CXMENUSIZE), GetSystemMetrics(SM_CYMIN),
      nullptr, nullptr, instance, nullptr);
  // Without the window no start message was posted and the loop would wait
  // for ever.
  if (!window) return 0;
  MainWindow = window;
  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);

  MSG message = {};
  BOOL got;
  // GetMessageA gives -1 on an error, which would otherwise spin for ever.
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    if (ProgressWindow && IsDialogMessageA(ProgressWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : 0;
}
