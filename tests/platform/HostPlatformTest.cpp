// How the host maps Windows paths onto Linux: drives, separators, the
// current drive and folder, and ASCII case-insensitive names.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/HostPlatform.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPlatform.h"

namespace {

bool Touch(HostPlatform& p, const std::string& path) {
  std::unique_ptr<File> f(p.OpenWrite(path.c_str()));
  return f != nullptr;
}

TEST(HostPlatformTest, DriveLettersMapToFoldersInEitherCase) {
  TestPlatform t;
  HostPlatform& p = t.platform();
  EXPECT_TRUE(Touch(p, "T:\\upper.txt"));
  EXPECT_TRUE(Touch(p, "t:\\lower.txt"));
  EXPECT_TRUE(t.Exists("upper.txt"));
  EXPECT_TRUE(t.Exists("lower.txt"));

  TempFolder other;
  setenv("TESMO_DRIVE_K", other.path().c_str(), 1);
  EXPECT_TRUE(Touch(p, "k:\\from-env.txt"));
  EXPECT_EQ(0, access((other.path() + "/from-env.txt").c_str(), F_OK));
  // A folder set by the caller wins over the environment.
  p.SetDriveFolder('K', t.NativePath("").c_str());
  EXPECT_TRUE(Touch(p, "K:\\set.txt"));
  EXPECT_TRUE(t.Exists("set.txt"));
  unsetenv("TESMO_DRIVE_K");
}

TEST(HostPlatformTest, ADriveWithoutAFolderDoesNotExist) {
  TestPlatform t;
  HostPlatform& p = t.platform();
  unsetenv("TESMO_DRIVE_Q");
  FileTime time = 0;
  EXPECT_EQ(nullptr, p.OpenWrite("Q:\\x.txt"));
  EXPECT_EQ(nullptr, p.OpenRead("Q:\\x.txt"));
  EXPECT_EQ(ENOENT, p.MakeFolder("Q:\\x"));
  EXPECT_EQ(-1, p.ChangeFolder("Q:\\"));
  EXPECT_FALSE(p.SetFileTimes("Q:\\x.txt", 130435940960000000ULL));
  EXPECT_FALSE(p.ReadLastWriteTime("Q:\\x.txt", &time));
  // Dropping a mapping takes the drive away again.
  p.SetDriveFolder('T', nullptr);
  EXPECT_EQ(nullptr, p.OpenWrite("T:\\x.txt"));
}

TEST(HostPlatformTest, NamesResolveIgnoringAsciiCase) {
  TestPlatform t;
  HostPlatform& p = t.platform();
  ASSERT_EQ(0, mkdir(t.NativePath("Quarn7").c_str(), 0777));
  ASSERT_EQ(0, mkdir(t.NativePath("Quarn7/Zips").c_str(), 0777));
  ASSERT_TRUE(t.WriteFile("Quarn7/Zips/Tesmo.zip", "old"));

  // A new file keeps the spelling it was given, in the folders found.
  EXPECT_TRUE(Touch(p, "T:\\QUARN7\\zips\\New.TXT"));
  EXPECT_TRUE(t.Exists("Quarn7/Zips/New.TXT"));
  // An existing file in another case is the one overwritten.
  std::unique_ptr<File> f(p.OpenWrite("T:\\quarn7\\ZIPS\\TESMO.ZIP"));
  ASSERT_TRUE(f);
  bool brokenPipe;
  f->Write("new", 3, &brokenPipe);
  f.reset();
  std::string content;
  ASSERT_TRUE(t.ReadFile("Quarn7/Zips/Tesmo.zip", &content));
  EXPECT_EQ("new", content);
  EXPECT_FALSE(t.Exists("Quarn7/Zips/TESMO.ZIP"));

  EXPECT_EQ(EEXIST, p.MakeFolder("T:\\QUARN7\\ZIPS"));
  EXPECT_EQ(0, p.ChangeFolder("t:\\quarn7\\zips"));
  // Only ASCII letters fold: a byte above 127 must match exactly.
  ASSERT_TRUE(t.WriteFile("Quarn7/Zips/\xC4x.txt", ""));
  EXPECT_EQ(nullptr, p.OpenRead("\xE4X.TXT"));
  std::unique_ptr<File> found(p.OpenRead("\xC4X.TXT"));
  EXPECT_TRUE(found);
  // A missing folder in the middle fails the operation.
  EXPECT_EQ(nullptr, p.OpenWrite("T:\\Quarn7\\Missing\\x.txt"));
  EXPECT_EQ(ENOENT, p.MakeFolder("T:\\Quarn7\\Missing\\x"));
}

TEST(HostPlatformTest, SeparatorsDotsAndTheRootBoundary) {
  TestPlatform t;
  HostPlatform& p = t.platform();
  ASSERT_EQ(0, mkdir(t.NativePath("a").c_str(), 0777));
  std::string host;
  ASSERT_TRUE(p.HostPath("T:/a\\\\.\\b.txt", &host));
  EXPECT_EQ(t.NativePath("a/b.txt"), host);
  // ".." stops at the drive's root.
  ASSERT_TRUE(p.HostPath("T:\\a\\..\\..\\..\\c.txt", &host));
  EXPECT_EQ(t.NativePath("c.txt"), host);
  ASSERT_TRUE(p.HostPath("T:\\", &host));
  EXPECT_EQ(t.NativePath(""), host);
}

TEST(HostPlatformTest, RelativeFormsFollowTheCurrentDriveAndFolder) {
  TestPlatform t;
  HostPlatform& p = t.platform();
  TempFolder u;
  p.SetDriveFolder('U', u.path().c_str());
  ASSERT_EQ(0, mkdir(t.NativePath("work").c_str(), 0777));
  ASSERT_EQ(0, mkdir((u.path() + "/work").c_str(), 0777));
  ASSERT_EQ(0, p.ChangeFolder("T:\\work"));

  std::string host;
  ASSERT_TRUE(p.HostPath("plain.txt", &host));
  EXPECT_EQ(t.NativePath("work/plain.txt"), host);
  // "X:name" is relative to the current folder on the current drive...
  ASSERT_TRUE(p.HostPath("T:same.txt", &host));
  EXPECT_EQ(t.NativePath("work/same.txt"), host);
  // ...and to the root on any other drive.
  ASSERT_TRUE(p.HostPath("U:other.txt", &host));
  EXPECT_EQ(u.path() + "/other.txt", host);
  // A leading separator starts at the current drive's root.
  ASSERT_TRUE(p.HostPath("\\rooted.txt", &host));
  EXPECT_EQ(t.NativePath("rooted.txt"), host);

  // Changing to a folder on U makes U current.
  ASSERT_EQ(0, p.ChangeFolder("u:work"));
  ASSERT_TRUE(p.HostPath("\\x.txt", &host));
  EXPECT_EQ(u.path() + "/x.txt", host);
  ASSERT_TRUE(p.HostPath("T:back.txt", &host));
  EXPECT_EQ(t.NativePath("back.txt"), host);
}

TEST(HostPlatformTest, WithoutADriveLinuxPathsWork) {
  TempFolder folder;
  HostPlatform p;
  std::string windowsStyle = folder.path() + "\\made.txt";
  EXPECT_TRUE(Touch(p, windowsStyle));
  EXPECT_EQ(0, access((folder.path() + "/made.txt").c_str(), F_OK));

  char cwd[4096];
  ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
  std::string host;
  ASSERT_TRUE(p.HostPath("rel\\x", &host));
  EXPECT_EQ(std::string(cwd) + "/rel/x", host);
  // Changing the folder is the object's own business, not the process's.
  ASSERT_EQ(0, p.ChangeFolder(folder.path().c_str()));
  ASSERT_TRUE(p.HostPath("x", &host));
  EXPECT_EQ(folder.path() + "/x", host);
  char after[4096];
  ASSERT_NE(nullptr, getcwd(after, sizeof after));
  EXPECT_STREQ(cwd, after);
}

TEST(HostPlatformTest, ShortWritesTellABrokenPipeFromAFullDisk) {
  TestPlatform t;
  HostPlatform& p = t.platform();
  char data[4096] = {};
  bool brokenPipe = true;
  std::unique_ptr<File> full(p.OpenWrite("/dev/full"));
  ASSERT_TRUE(full);
  EXPECT_EQ(0u, full->Write(data, sizeof data, &brokenPipe));
  EXPECT_FALSE(brokenPipe);

  // A pipe whose reader has gone: the write fails with EPIPE (the signal
  // that would end the process is ignored, as the unzip tool does).
  void (*oldHandler)(int) = signal(SIGPIPE, SIG_IGN);
  ASSERT_EQ(0, mkfifo(t.NativePath("pipe").c_str(), 0666));
  int reader = open(t.NativePath("pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  std::unique_ptr<File> pipe(p.OpenWrite("T:\\pipe"));
  ASSERT_TRUE(pipe);
  close(reader);
  brokenPipe = false;
  EXPECT_EQ(0u, pipe->Write(data, sizeof data, &brokenPipe));
  EXPECT_TRUE(brokenPipe);
  signal(SIGPIPE, oldHandler);
}

TEST(HostPlatformTest, MessagesGoToStandardError) {
  HostPlatform p;
  testing::internal::CaptureStderr();
  p.ShowMessage(BoxOwner::None, "Tesmo.zip file is missing", nullptr);
  p.ShowMessage(BoxOwner::MainWindow, "Unknown error", "Tesmo Setup");
  EXPECT_EQ("message: Tesmo.zip file is missing\nmessage: Unknown error\n",
            testing::internal::GetCapturedStderr());
}

TEST(HostPlatformTest, EscapeIsUpUntilATestPressesIt) {
  HostPlatform p;
  EXPECT_FALSE(p.EscapeKeyPressed());
  p.SetEscapeKeyDown(true);
  EXPECT_TRUE(p.EscapeKeyPressed());
}

}  // namespace
