#include "state/WindowTitle.h"

#include <cstdio>

char WindowTitle[kWindowTitleSize] = "Tesmo Tutorial Setup";

const char* BuildWindowTitle(Platform& platform, const char* fileName) {
  FileTime written;
  if (!platform.ReadLastWriteTime(fileName, &written)) return WindowTitle;
  CalendarTime local;
  if (!platform.UtcToLocalCalendar(written, &local)) return WindowTitle;
  // Month first, no leading zeros, three blanks before the date.
  snprintf(WindowTitle, sizeof WindowTitle, "%s   %d/%d/%d", kProductTitle,
           local.month, local.day, local.year);
  return WindowTitle;
}
