#include "archive/EntryName.h"

#include <cstring>

#include "platform/AsciiCase.h"

// True for a digit as Windows counts it in device names: 1-9 and the
// superscripts 1, 2 and 3 of the Western code page.
static bool IsDeviceDigit(unsigned char c) {
  return (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

// True for a name that Windows takes as a device (CON, NUL, COM1, LPT³,
// ...) whatever its extension: writing it would reach the device, not a
// file.
static bool IsDeviceName(const char* name) {
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  const char* stem = name;
  while (*stem && *stem != '.') stem++;
  while (stem > name && stem[-1] == ' ') stem--;
  char upper[5] = {};
  if (stem - name > 4) return false;
  for (const char* c = name; c < stem; c++)
    upper[c - name] = AsciiFoldUpper(*c);
  for (const char* device : kDevices)
    if (strcmp(upper, device) == 0) return true;
  return stem - name == 4 && (strncmp(upper, "COM", 3) == 0 || strncmp(upper, "LPT", 3) == 0) &&
         IsDeviceDigit(static_cast<unsigned char>(upper[3]));
}

// An entry name may only name a file right inside the target folder, in a
// form Windows accepts. The payload is flat, so a name with a folder part is
// refused wherever it points: writing through an existing folder, link or
// junction could leave the target folder. Refused too: names of dots and
// blanks with two dots (Windows drops trailing dots and blanks, leaving
// ".."), device names, control characters and the characters Windows
// forbids in names.
bool NameIsSafe(const char* name) {
  int dots = 0;
  bool onlyDotsAndBlanks = true;
  for (const char* c = name; *c; c++) {
    unsigned char u = static_cast<unsigned char>(*c);
    if (u < 32 || strchr("\\/<>:\"|?*", *c)) return false;
    if (*c == '.') dots++;
    else if (*c != ' ') onlyDotsAndBlanks = false;
  }
  if (onlyDotsAndBlanks && dots >= 2) return false;
  return !IsDeviceName(name);
}
