// How the host maps Windows paths onto Linux.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "tests/support/TestPlatform.h"

namespace {

bool Touch(HostPlatform& p, const std::string& path) {
  return std::unique_ptr<File>(p.OpenWrite(path.c_str())) != nullptr;
}

std::string Host(HostPlatform& p, const char* path) {
  std::string host;
  return p.HostPath(path, &host) ? host : "<no drive>";
}

// A drive letter in either case is a folder, set by the caller or by the
// environment; a drive without one does not exist.
TEST(HostPlatformTest, DrivesMapToFolders) {
  TestPlatform t, k;
  HostPlatform& p = t.platform();
  EXPECT_TRUE(Touch(p, "T:\\upper.txt") && Touch(p, "t:\\lower.txt"));
  EXPECT_TRUE(t.Exists("upper.txt") && t.Exists("lower.txt"));
  setenv("TESMO_DRIVE_K", k.NativePath("").c_str(), 1);
  EXPECT_TRUE(Touch(p, "k:\\from-env.txt"));
  EXPECT_TRUE(k.Exists("from-env.txt"));
  p.SetDriveFolder('K', t.NativePath("").c_str());  // wins over the environment
  EXPECT_EQ(t.NativePath("set.txt"), Host(p, "K:\\set.txt"));
  unsetenv("TESMO_DRIVE_K");

  unsetenv("TESMO_DRIVE_Q");
  FileTime time = 0;
  EXPECT_EQ(nullptr, p.OpenWrite("Q:\\x.txt"));
  EXPECT_EQ(nullptr, p.OpenRead("Q:\\x.txt"));
  EXPECT_EQ(ENOENT, p.MakeFolder("Q:\\x"));
  EXPECT_EQ(-1, p.ChangeFolder("Q:\\"));
  EXPECT_FALSE(p.SetFileTimes("Q:\\x.txt", 130435940960000000ULL));
  EXPECT_FALSE(p.ReadLastWriteTime("Q:\\x.txt", &time));
  p.SetDriveFolder('T', nullptr);  // dropping a mapping takes the drive away
  EXPECT_EQ("<no drive>", Host(p, "T:\\x.txt"));
}

// Both separators; empty parts and "." skipped; ".." never above the root;
// "X:name" from the current folder on the current drive, from the root on
// another; a leading separator at the current drive's root.
TEST(HostPlatformTest, SeparatorsDotsAndRelativeForms) {
  TestPlatform t, u;
  HostPlatform& p = t.platform();
  p.SetDriveFolder('U', u.NativePath("").c_str());
  ASSERT_EQ(0, p.MakeFolder("T:\\a"));
  ASSERT_EQ(0, p.MakeFolder("U:\\a"));
  EXPECT_EQ(t.NativePath("a/b.txt"), Host(p, "T:/a\\\\.\\b.txt"));
  EXPECT_EQ(t.NativePath("c.txt"), Host(p, "T:\\a\\..\\..\\..\\c.txt"));
  EXPECT_EQ(t.NativePath(""), Host(p, "T:\\"));
  ASSERT_EQ(0, p.ChangeFolder("T:\\a"));
  EXPECT_EQ(t.NativePath("a/plain.txt"), Host(p, "plain.txt"));
  EXPECT_EQ(t.NativePath("a/same.txt"), Host(p, "T:same.txt"));
  EXPECT_EQ(u.NativePath("other.txt"), Host(p, "U:other.txt"));
  EXPECT_EQ(t.NativePath("rooted.txt"), Host(p, "\\rooted.txt"));
  ASSERT_EQ(0, p.ChangeFolder("u:a"));  // makes U current
  EXPECT_EQ(u.NativePath("x.txt"), Host(p, "\\x.txt"));
  EXPECT_EQ(t.NativePath("back.txt"), Host(p, "T:back.txt"));
}

// An exact name first, else one equal but for the case of ASCII letters,
// else the name as given, so new files keep their spelling.
TEST(HostPlatformTest, NamesResolveIgnoringAsciiCase) {
  TestPlatform t;
  HostPlatform& p = t.platform();
  ASSERT_EQ(0, p.MakeFolder("T:\\Quarn7"));
  ASSERT_EQ(0, p.MakeFolder("T:\\Quarn7\\Zips"));
  ASSERT_TRUE(t.WriteFile("Quarn7/Zips/Tesmo.zip", "old"));
  ASSERT_TRUE(t.WriteFile("Quarn7/Zips/\xC4x.txt", ""));
  EXPECT_EQ(t.NativePath("Quarn7/Zips/New.TXT"), Host(p, "T:\\QUARN7\\zips\\New.TXT"));
  EXPECT_EQ(t.NativePath("Quarn7/Zips/Tesmo.zip"), Host(p, "t:\\quarn7\\ZIPS\\TESMO.ZIP"));
  EXPECT_EQ(t.NativePath("Quarn7/Zips/\xC4x.txt"), Host(p, "T:\\Quarn7\\Zips\\\xC4X.TXT"));
  EXPECT_EQ(t.NativePath("Quarn7/Zips/\xE4X.TXT"), Host(p, "T:\\Quarn7\\Zips\\\xE4X.TXT"));
  EXPECT_EQ(EEXIST, p.MakeFolder("T:\\QUARN7\\ZIPS"));
  EXPECT_EQ(nullptr, p.OpenWrite("T:\\Quarn7\\Missing\\x.txt"));

  // Folders are listed once, yet what this platform makes and what others
  // change there is seen at once, however soon after a lookup.
  ASSERT_TRUE(Touch(p, "T:\\Quarn7\\Zips\\Made.txt"));
  EXPECT_EQ(t.NativePath("Quarn7/Zips/Made.txt"), Host(p, "T:\\Quarn7\\Zips\\MADE.TXT"));
  for (int i = 0; i < 20; i++) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(t.NativePath("Quarn7/Zips/late" + n + ".txt"), Host(p, ("T:\\Quarn7\\Zips\\late" + n + ".txt").c_str()));
    ASSERT_TRUE(t.WriteFile("Quarn7/Zips/Late" + n + ".TXT", ""));
    EXPECT_EQ(t.NativePath("Quarn7/Zips/Late" + n + ".TXT"), Host(p, ("T:\\Quarn7\\Zips\\LATE" + n + ".txt").c_str()));
  }
}

}  // namespace
