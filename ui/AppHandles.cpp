#include "ui/AppHandles.h"

HINSTANCE AppInstance = nullptr;
HWND MainWindow = nullptr;
