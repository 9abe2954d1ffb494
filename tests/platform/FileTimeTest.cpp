// File times: the MS-DOS conversion arithmetic, which the host relies on and
// which must agree with Windows to the tick, and the time stamp of a real
// file set and read back through the platform.
#include <gtest/gtest.h>

#include <memory>

#include "platform/FileTimeMath.h"
#include "tests/support/TestPlatform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

struct DosStamp {
  uint16_t date, time;
};

// Packs fields as a ZIP header carries them; seconds are stored halved.
DosStamp Dos(int year, int month, int day, int hour, int minute, int second) {
  return {static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day),
          static_cast<uint16_t>(hour << 11 | minute << 5 | second / 2)};
}

bool SameCalendar(const CalendarTime& a, const CalendarTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day &&
         a.hour == b.hour && a.minute == b.minute && a.second == b.second;
}

TEST(FileTimeMathTest, DosFieldsGiveTheirTicksSince1601) {
  struct Case {
    DosStamp dos;
    FileTime expected;
  } cases[] = {
      {Dos(1980, 1, 1, 0, 0, 0), 119600064000000000ULL},
      {Dos(1984, 2, 29, 1, 2, 4), 120913381240000000ULL},
      {Dos(2014, 5, 3, 12, 34, 56), 130435940960000000ULL},
      {Dos(2107, 12, 31, 23, 59, 58), 159992927980000000ULL},
      // Windows takes 29 February of any year; in a common year it is the
      // next day, 1 March.
      {Dos(1981, 2, 29, 0, 0, 0), 119967264000000000ULL},
  };
  for (const Case& c : cases) {
    FileTime t = 0;
    EXPECT_TRUE(DosDateTimeToFileTimeValue(c.dos.date, c.dos.time, &t));
    EXPECT_EQ(c.expected, t) << std::hex << c.dos.date << " " << c.dos.time;
  }
}

TEST(FileTimeMathTest, FieldsOutsideTheCalendarAreRefused) {
  const DosStamp invalid[] = {
      Dos(2014, 0, 3, 12, 0, 0),    // month 0
      Dos(2014, 13, 3, 12, 0, 0),   // month 13
      Dos(2014, 5, 0, 12, 0, 0),    // day 0
      Dos(2014, 4, 31, 12, 0, 0),   // 31 April
      Dos(2000, 2, 30, 12, 0, 0),   // 30 February of a leap year
      Dos(1981, 2, 31, 12, 0, 0),   // 31 February
      Dos(2014, 5, 3, 24, 0, 0),    // hour 24
      Dos(2014, 5, 3, 31, 0, 0),    // hour field full
      Dos(2014, 5, 3, 12, 60, 0),   // minute 60
      Dos(2014, 5, 3, 12, 0, 60),   // seconds field 30
      Dos(2014, 5, 3, 12, 0, 62),   // seconds field 31
  };
  for (const DosStamp& d : invalid) {
    FileTime t = 12345;
    EXPECT_FALSE(DosDateTimeToFileTimeValue(d.date, d.time, &t))
        << std::hex << d.date << " " << d.time;
    EXPECT_EQ(12345u, t);
  }
}

TEST(FileTimeMathTest, CalendarRoundTripsEveryFewDaysFrom1601) {
  // 4999 is prime, so the sweep hits every day of the week and month.
  for (FileTime day = 0; day < 2000000; day += 4999) {
    FileTime t = (day * 86400 + day % 86400) * kTicksPerSecond + day % 9999999;
    CalendarTime c;
    ASSERT_TRUE(FileTimeToCalendar(t, &c));
    FileTime back;
    ASSERT_TRUE(CalendarToFileTime(c, &back)) << c.year << "-" << c.month << "-" << c.day;
    // The calendar drops the ticks below a second.
    EXPECT_EQ(t - t % kTicksPerSecond, back);
  }
  CalendarTime c;
  EXPECT_FALSE(FileTimeToCalendar(0x8000000000000000ULL, &c));
  ASSERT_TRUE(FileTimeToCalendar(0, &c));
  EXPECT_TRUE(SameCalendar(CalendarTime{1601, 1, 1, 0, 0, 0}, c));
}

#ifdef _WIN32
// The host's arithmetic against the real API, over every MS-DOS date with a
// spread of times and every MS-DOS time with a spread of dates, valid and
// invalid alike.
TEST(FileTimeMathTest, MatchesDosDateTimeToFileTime) {
  const uint16_t times[] = {0x0000, 0x645C, 0xBF7D, 0xBF7E, 0xC000,
                            0x0780, 0x001D, 0x001E, 0xFFFF};
  const uint16_t dates[] = {0x0021, 0x44A3, 0x085D, 0x0A5D, 0xFF9F,
                            0x0000, 0x0020, 0x0041, 0xFFFF};
  int mismatches = 0;
  auto check = [&](uint16_t date, uint16_t time) {
    FILETIME real = {1, 2};
    FileTime mine = 0x0000000200000001ULL;
    bool realOk = DosDateTimeToFileTime(date, time, &real) != FALSE;
    bool mineOk = DosDateTimeToFileTimeValue(date, time, &mine);
    FileTime realValue =
        static_cast<FileTime>(real.dwHighDateTime) << 32 | real.dwLowDateTime;
    if (realOk != mineOk || (realOk && realValue != mine)) {
      if (++mismatches < 10)
        ADD_FAILURE() << std::hex << "date " << date << " time " << time
                      << ": Windows " << realOk << " " << realValue
                      << ", arithmetic " << mineOk << " " << mine;
    }
  };
  for (uint32_t date = 0; date <= 0xFFFF; date++)
    for (uint16_t time : times) check(static_cast<uint16_t>(date), time);
  for (uint32_t time = 0; time <= 0xFFFF; time++)
    for (uint16_t date : dates) check(date, static_cast<uint16_t>(time));
  EXPECT_EQ(0, mismatches);
}

TEST(FileTimeMathTest, MatchesFileTimeToSystemTime) {
  int mismatches = 0;
  for (FileTime t = 7; t < 0x7FFF000000000000ULL; t += 0x0000123456789ABDULL) {
    FILETIME f = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    SYSTEMTIME s;
    CalendarTime c;
    ASSERT_TRUE(FileTimeToSystemTime(&f, &s));
    ASSERT_TRUE(FileTimeToCalendar(t, &c));
    CalendarTime real = {s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond};
    if (!SameCalendar(real, c) && ++mismatches < 10)
      ADD_FAILURE() << std::hex << t << ": Windows " << std::dec << real.year
                    << "-" << real.month << "-" << real.day << ", arithmetic "
                    << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_EQ(0, mismatches);
}
#endif

TEST(FileTimeTest, PlatformConvertsDosTimesAsTheArithmeticDoes) {
  TestPlatform t;
  Platform& p = t.platform();
  DosStamp d = Dos(2014, 5, 3, 12, 34, 56);
  FileTime local = 0;
  ASSERT_TRUE(p.DosDateTimeToLocalFileTime(d.date, d.time, &local));
  EXPECT_EQ(130435940960000000ULL, local);
  DosStamp bad = Dos(2014, 2, 30, 0, 0, 0);
  EXPECT_FALSE(p.DosDateTimeToLocalFileTime(bad.date, bad.time, &local));
  EXPECT_EQ(130435940960000000ULL, local);
}

// The expander's time stamp and the caption date in one trip: header fields
// to local to UTC, set on a file, read back and shown as local fields again.
TEST(FileTimeTest, StampedFileReadsBackItsHeaderTime) {
  TestPlatform t;
  Platform& p = t.platform();
  ASSERT_TRUE(t.WriteFile("stamped.txt", "content"));
  DosStamp d = Dos(2014, 5, 3, 12, 34, 56);
  FileTime local, utc, read;
  ASSERT_TRUE(p.DosDateTimeToLocalFileTime(d.date, d.time, &local));
  ASSERT_TRUE(p.LocalFileTimeToUtc(local, &utc));
  ASSERT_TRUE(p.SetFileTimes(t.Path("stamped.txt").c_str(), utc));
  ASSERT_TRUE(p.ReadLastWriteTime(t.Path("stamped.txt").c_str(), &read));
  EXPECT_EQ(utc, read);
  CalendarTime c;
  ASSERT_TRUE(p.UtcToLocalCalendar(read, &c));
  EXPECT_TRUE(SameCalendar(CalendarTime{2014, 5, 3, 12, 34, 56}, c))
      << c.month << "/" << c.day << "/" << c.year << " " << c.hour << ":"
      << c.minute << ":" << c.second;
  // The content is left alone.
  std::string content;
  ASSERT_TRUE(t.ReadFile("stamped.txt", &content));
  EXPECT_EQ("content", content);
}

TEST(FileTimeTest, TimesOfWhatIsNoFileCannotBeSetOrRead) {
  TestPlatform t;
  Platform& p = t.platform();
  ASSERT_EQ(0, p.MakeFolder(t.Path("folder").c_str()));
  FileTime read = 42;
  EXPECT_FALSE(p.SetFileTimes(t.Path("missing.txt").c_str(), 130435940960000000ULL));
  EXPECT_FALSE(t.Exists("missing.txt"));
  EXPECT_FALSE(p.ReadLastWriteTime(t.Path("missing.txt").c_str(), &read));
  EXPECT_FALSE(p.SetFileTimes(t.Path("folder").c_str(), 130435940960000000ULL));
  EXPECT_FALSE(p.ReadLastWriteTime(t.Path("folder").c_str(), &read));
  EXPECT_EQ(42u, read);
}

}  // namespace
