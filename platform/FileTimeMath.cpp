#include "platform/FileTimeMath.h"

namespace {

const int64_t kSecondsPerDay = 86400;
// Days from 1 January 1601 to 1 January 1970.
const int64_t kDaysFrom1601To1970 = 134774;

// The last day a month may be given. February takes a 29th day in every
// year, as the Win32 conversion accepts it: in a common year it counts on
// into 1 March.
int LastDayAccepted(int month) {
  static const int kDays[12] = {31, 29, 31, 30, 31, 30,
                                31, 31, 30, 31, 30, 31};
  return kDays[month - 1];
}

// Days since 1 January 1970 of a proleptic Gregorian date (year >= 1).
// Counting the year from March puts the leap day last, so each month's
// offset is a linear formula.
int64_t DaysFromCivil(int year, int month, int day) {
  int64_t y = year - (month <= 2 ? 1 : 0);
  int64_t era = y / 400;
  int64_t yearOfEra = y - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra =
      yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The inverse of DaysFromCivil for days >= the day of 1 January 1601.
void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  days += 719468;
  int64_t era = days / 146097;
  int64_t dayOfEra = days - era * 146097;
  int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  *day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  *month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

}  // namespace

bool CalendarToFileTime(const CalendarTime& c, FileTime* out) {
  if (c.year < 1601 || c.month < 1 || c.month > 12 || c.day < 1 ||
      c.day > LastDayAccepted(c.month) || c.hour < 0 || c.hour > 23 ||
      c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 59)
    return false;
  int64_t days = DaysFromCivil(c.year, c.month, c.day) + kDaysFrom1601To1970;
  int64_t seconds =
      days * kSecondsPerDay + c.hour * 3600 + c.minute * 60 + c.second;
  *out = static_cast<FileTime>(seconds) * kTicksPerSecond;
  return true;
}

bool FileTimeToCalendar(FileTime time, CalendarTime* out) {
  if (time >> 63) return false;
  int64_t seconds = static_cast<int64_t>(time / kTicksPerSecond);
  int64_t days = seconds / kSecondsPerDay;
  int64_t secondOfDay = seconds % kSecondsPerDay;
  CivilFromDays(days - kDaysFrom1601To1970, &out->year, &out->month, &out->day);
  out->hour = static_cast<int>(secondOfDay / 3600);
  out->minute = static_cast<int>(secondOfDay / 60 % 60);
  out->second = static_cast<int>(secondOfDay % 60);
  return true;
}

bool DosDateTimeToFileTimeValue(uint16_t dosDate, uint16_t dosTime,
                                FileTime* out) {
  CalendarTime c;
  c.year = 1980 + (dosDate >> 9);
  c.month = (dosDate >> 5) & 0x0F;
  c.day = dosDate & 0x1F;
  c.hour = dosTime >> 11;
  c.minute = (dosTime >> 5) & 0x3F;
  c.second = (dosTime & 0x1F) * 2;
  return CalendarToFileTime(c, out);
}
