// Files, folders and file times through the platform seam: Win32 under
// Wine, or the host; and the host's MS-DOS time arithmetic against the real
// API under Wine, to the tick.
#include <errno.h>
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileTimeMath.h"
#include "tests/support/TestPlatform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::vector<int> Fields(const CalendarTime& c) { return {c.year, c.month, c.day, c.hour, c.minute, c.second}; }

// Bytes written read back, through either separator and in any case; writing
// empties a file first. A folder, or a name ending in a separator, is no file.
TEST(FileTest, WrittenBytesReadBack) {
  TestPlatform t;
  Platform& p = t.platform();
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<char>(i * 7 + i / 251);
  ASSERT_TRUE(t.WriteFile("data.bin", std::string(200000, 'o')));  // longer than the new
  std::unique_ptr<File> out(p.OpenWrite(t.Path("data.bin").c_str()));
  ASSERT_TRUE(out);
  bool brokenPipe = true;
  EXPECT_EQ(data.size(), out->Write(data.data(), data.size(), &brokenPipe));
  EXPECT_FALSE(brokenPipe);
  out.reset();
  std::unique_ptr<File> in(p.OpenRead((t.Root() + "/DATA.BIN").c_str()));
  ASSERT_TRUE(in);
  std::string back;
  char chunk[30000];
  for (size_t n; (n = in->Read(chunk, sizeof chunk)) > 0;) back.append(chunk, n);
  EXPECT_TRUE(back == data);

  ASSERT_EQ(0, p.MakeFolder(t.Path("folder").c_str()));
  for (const char* name : {"missing.txt", "folder"})
    EXPECT_EQ(nullptr, std::unique_ptr<File>(p.OpenRead(t.Path(name).c_str()))) << name;
  for (const char* name : {"no-such-folder\\new.txt", "folder", "entry\\", "entry/"})
    EXPECT_EQ(nullptr, std::unique_ptr<File>(p.OpenWrite(t.Path(name).c_str()))) << name;
  EXPECT_FALSE(t.Exists("entry"));
}

// MakeFolder makes the last level only; ChangeFolder moves relative paths,
// and a failed change leaves them where they were.
TEST(FolderTest, MakeAndChangeFolder) {
  TestPlatform t;
  Platform& p = t.platform();
  EXPECT_EQ(0, p.MakeFolder(t.Path("Quarn7").c_str()));
  EXPECT_EQ(0, p.MakeFolder(t.Path("Quarn7\\Zips").c_str()));
  EXPECT_EQ(EEXIST, p.MakeFolder(t.Path("Quarn7").c_str()));
  ASSERT_TRUE(t.WriteFile("file.txt", "x"));
  EXPECT_EQ(EEXIST, p.MakeFolder(t.Path("file.txt").c_str()));
  EXPECT_EQ(ENOENT, p.MakeFolder(t.Path("Missing\\Child").c_str()));
  EXPECT_FALSE(t.Exists("Missing"));

  ASSERT_EQ(0, p.ChangeFolder(t.Path("Quarn7").c_str()));
  EXPECT_EQ(-1, p.ChangeFolder(t.Path("missing").c_str()));
  EXPECT_EQ(-1, p.ChangeFolder(t.Path("file.txt").c_str()));
  delete p.OpenWrite("here.txt");
  delete p.OpenWrite("..\\up.txt");
  EXPECT_TRUE(t.Exists("Quarn7\\here.txt") && t.Exists("up.txt"));
}

#ifdef _WIN32
// Files open with the C streams' sharing: held open read+write elsewhere, a
// file can still be read and rewritten.
TEST(FileTest, OpensShareReadAndWrite) {
  TestPlatform t;
  Platform& p = t.platform();
  ASSERT_TRUE(t.WriteFile("held.txt", "held"));
  HANDLE other = CreateFileA(t.Path("held.txt").c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  EXPECT_NE(nullptr, std::unique_ptr<File>(p.OpenRead(t.Path("held.txt").c_str())));
  EXPECT_NE(nullptr, std::unique_ptr<File>(p.OpenWrite(t.Path("held.txt").c_str())));
  CloseHandle(other);
}

// Every MS-DOS date with a spread of times and the reverse, valid or not;
// file times to calendar fields across the whole range, and back.
TEST(FileTimeMathTest, MatchesTheWin32Conversions) {
  const uint16_t times[] = {0x0000, 0x645C, 0xBF7D, 0xBF7E, 0xC000, 0x0780, 0x001D, 0x001E, 0xFFFF};
  const uint16_t dates[] = {0x0021, 0x44A3, 0x085D, 0x0A5D, 0xFF9F, 0x0000, 0x0020, 0x0041, 0xFFFF};
  int mismatches = 0;
  auto check = [&](uint16_t date, uint16_t time) {
    FILETIME real = {1, 2};
    FileTime mine = 0x0000000200000001ULL;
    bool realOk = DosDateTimeToFileTime(date, time, &real) != FALSE;
    bool mineOk = DosDateTimeToFileTimeValue(date, time, &mine);
    FileTime realValue = static_cast<FileTime>(real.dwHighDateTime) << 32 | real.dwLowDateTime;
    if ((realOk != mineOk || realValue != mine) && ++mismatches < 10)
      ADD_FAILURE() << std::hex << "date " << date << " time " << time << ": Windows " << realOk
                    << " " << realValue << ", arithmetic " << mineOk << " " << mine;
  };
  for (uint32_t date = 0; date <= 0xFFFF; date++)
    for (uint16_t time : times) check(static_cast<uint16_t>(date), time);
  for (uint32_t time = 0; time <= 0xFFFF; time++)
    for (uint16_t date : dates) check(date, static_cast<uint16_t>(time));

  for (FileTime t = 7; t < 0x7FFF000000000000ULL; t += 0x0000123456789ABDULL) {
    FILETIME f = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    SYSTEMTIME s;
    CalendarTime c;
    FileTime back = 0;
    ASSERT_TRUE(FileTimeToSystemTime(&f, &s) && FileTimeToCalendar(t, &c) && CalendarToFileTime(c, &back));
    std::vector<int> real = {s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond};
    if ((real != Fields(c) || back != t - t % kTicksPerSecond) && ++mismatches < 10)
      ADD_FAILURE() << std::hex << t;
  }
  EXPECT_EQ(0, mismatches);
}
#endif

// The walk's time stamp and the caption's date in one trip: header fields to
// local to UTC, set on a file, read back, shown as local fields. What is no
// file has no time.
TEST(FileTimeTest, StampedFileReadsBackItsHeaderTime) {
  TestPlatform t;
  Platform& p = t.platform();
  ASSERT_TRUE(t.WriteFile("stamped.txt", "content"));
  const std::string path = t.Path("stamped.txt");
  FileTime local = 0, utc, read = 0;
  ASSERT_TRUE(p.DosDateTimeToLocalFileTime(0x44A3, 0x645C, &local));  // 2014-05-03 12:34:56
  EXPECT_EQ(130435940960000000ULL, local);
  EXPECT_FALSE(p.DosDateTimeToLocalFileTime(0x445E, 0, &local));  // 2014-02-30
  ASSERT_TRUE(p.LocalFileTimeToUtc(local, &utc));
  // In New York, the tests' zone, that is 16:34:56 UTC while summer time is
  // in force and 17:34:56 otherwise: Windows converts with the offset of now.
  const time_t now = time(nullptr);
  EXPECT_EQ(localtime(&now)->tm_isdst ? 130436084960000000ULL : 130436120960000000ULL, utc);
  ASSERT_TRUE(p.SetFileTimes(path.c_str(), utc));
  ASSERT_TRUE(p.ReadLastWriteTime(path.c_str(), &read));
  EXPECT_EQ(utc, read);
  CalendarTime c;
  ASSERT_TRUE(p.UtcToLocalCalendar(read, &c));
  EXPECT_EQ((std::vector<int>{2014, 5, 3, 12, 34, 56}), Fields(c));
  EXPECT_EQ("content", t.Content("stamped.txt"));

  ASSERT_EQ(0, p.MakeFolder(t.Path("folder").c_str()));
  for (const char* name : {"missing.txt", "folder"}) {
    EXPECT_FALSE(p.SetFileTimes(t.Path(name).c_str(), utc)) << name;
    EXPECT_FALSE(p.ReadLastWriteTime(t.Path(name).c_str(), &read)) << name;
  }
  EXPECT_FALSE(t.Exists("missing.txt"));
}

}  // namespace
