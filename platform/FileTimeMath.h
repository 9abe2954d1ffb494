// Pure arithmetic on file times, the same on every system: MS-DOS date and
// time fields to a file time, and calendar fields to and from a file time.
// The host platform builds its time conversions on it; on Windows the tests
// hold it against the real API, so both agree to the last tick.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

const FileTime kTicksPerSecond = 10000000;
// Seconds from 1 January 1601, where file times start, to 1 January 1970,
// where Unix time starts.
const int64_t kSecondsFrom1601To1970 = 11644473600LL;

// A Unix time (seconds and nanoseconds since 1970) as a file time.
inline FileTime FileTimeFromUnix(int64_t seconds, long nanoseconds) {
  return static_cast<FileTime>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond +
         static_cast<FileTime>(nanoseconds / 100);
}

// Calendar fields to a file time. Accepts exactly what Windows accepts: year
// from 1601, month 1-12, day 1 to the length of that month, hour 0-23,
// minute 0-59, second 0-59. February is taken as 29 days long in every year,
// so 29 February of a common year gives 1 March. false otherwise, with out
// left unchanged.
bool CalendarToFileTime(const CalendarTime& calendar, FileTime* out);

// File time to calendar fields; false, like FileTimeToSystemTime, for a time
// with the top bit set.
bool FileTimeToCalendar(FileTime time, CalendarTime* out);

// MS-DOS date (bits 15-9 years since 1980, 8-5 month, 4-0 day) and time
// (bits 15-11 hours, 10-5 minutes, 4-0 seconds / 2) to the file time of
// those fields, validated as DosDateTimeToFileTime validates them.
bool DosDateTimeToFileTimeValue(uint16_t dosDate, uint16_t dosTime,
                                FileTime* out);
