#include "platform/AppHandles.h"

HINSTANCE AppInstance = nullptr;
HWND MainWindow = nullptr;
