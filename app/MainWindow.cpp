#include "app/MainWindow.h"

#include "app/InstallSequence.h"
#include "platform/DefaultPlatform.h"
#include "ui/InstallDialogs.h"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      DefaultPlatform().LocatePayload();
      // Posted, not run here: the installation starts only once the window
      // exists as MainWindow and the message loop turns. MainWindow is not
      // yet set, so the handle received is the address.
      PostMessageA(window, kStartMessage, 0, 0);
      return 0;
    case WM_DESTROY:
      // Harmless when there is no progress window.
      DestroyWindow(ProgressWindow);
      ProgressWindow = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CHAR:
      return 0;
    case kStartMessage: {
      InstallDialogs windows(DefaultPlatform());
      RunInstall(DefaultPlatform(), windows);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
