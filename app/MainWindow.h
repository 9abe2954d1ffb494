// The hidden main window: the hub that starts the installation when it is
// created and ends the program when the installation posts its end.
#pragma once

#include <windows.h>

const char kMainWindowClass[] = "Tesmo Setup";
// Posted by the window to itself when it is created; runs the installation.
const UINT kStartMessage = WM_USER + 1;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam);
