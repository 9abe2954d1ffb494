// The modeless progress window ("DISPLAY"): status line, sorted file list
// with its count, and the picture.
#pragma once

#include <windows.h>

// Null while no progress window exists; the message loop routes dialog
// messages to it only while it is set.
extern HWND ProgressWindow;
extern HWND FileList;    // the sorted list box, control 1033
extern HWND StatusLine;  // the one-line status text, control 111
// Lines added so far; never reset, so both archives share one count.
extern int FileCount;

const int kFileCountControl = 110;
const int kStatusLineControl = 111;
const int kFileListControl = 1033;

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                    LPARAM lParam);

// Creates the progress window owned by MainWindow, stores it as
// ProgressWindow, gives it the keyboard focus and returns it.
HWND CreateProgressWindow();
