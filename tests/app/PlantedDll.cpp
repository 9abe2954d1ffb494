// A DLL that stands for one planted beside a program, say in a Downloads
// folder, under a name the program loads.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
