#include "archive/EntryName.h"

#include <cstring>

// True for a name part that Windows takes as a device (CON, NUL, COM1, ...)
// whatever its extension: writing it would reach the device, not a file.
static bool IsDeviceName(const char* part, const char* end) {
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  const char* stem = part;
  while (stem < end && *stem != '.') stem++;
  while (stem > part && stem[-1] == ' ') stem--;
  char upper[5] = {};
  if (stem - part > 4) return false;
  for (const char* c = part; c < stem; c++)
    upper[c - part] = (*c >= 'a' && *c <= 'z') ? static_cast<char>(*c - 32) : *c;
  for (const char* device : kDevices)
    if (strcmp(upper, device) == 0) return true;
  return stem - part == 4 && (strncmp(upper, "COM", 3) == 0 || strncmp(upper, "LPT", 3) == 0) &&
         upper[3] >= '1' && upper[3] <= '9';
}

// An entry name may only name a file inside the target folder, in a form
// Windows accepts: no drive, no leading separator, no ".." part, no device
// name, no control characters or characters Windows forbids in names.
bool NameIsSafe(const char* name) {
  if (name[0] == '\\' || name[0] == '/') return false;
  const char* part = name;
  for (const char* c = name;; c++) {
    if (*c == '\\' || *c == '/' || *c == '\0') {
      // A part of dots and blanks with two dots in it climbs out of the
      // folder once Windows has dropped its trailing dots and blanks.
      bool onlyDotsAndBlanks = true;
      int dots = 0;
      for (const char* q = part; q < c; q++) {
        if (*q == '.') dots++;
        else if (*q != ' ') onlyDotsAndBlanks = false;
      }
      if (onlyDotsAndBlanks && dots >= 2) return false;
      if (IsDeviceName(part, c)) return false;
      if (*c == '\0') return true;
      part = c + 1;
      continue;
    }
    unsigned char u = static_cast<unsigned char>(*c);
    if (u < 32 || strchr("<>:\"|?*", *c)) return false;
  }
}
