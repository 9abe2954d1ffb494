#include "app/DllSearch.h"

#include <windows.h>

void RestrictDllSearchToSystem32() {
  // Looked up rather than imported, so that the program still starts on a
  // system without it.
  typedef BOOL(WINAPI * SetDirectories)(DWORD);
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                 "SetDefaultDllDirectories");
  if (!found) return;
  // Through a generic function pointer: FARPROC has no parameters.
  reinterpret_cast<SetDirectories>(reinterpret_cast<void (*)()>(found))(
      LOAD_LIBRARY_SEARCH_SYSTEM32);
}
