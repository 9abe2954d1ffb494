// The installer's shared state: the paths composed from the drive entry and
// the dated window title.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/FileTimeMath.h"
#include "state/InstallerState.h"
#include "state/WindowTitle.h"
#include "tests/support/TestPlatform.h"

namespace {

// Only the first character of the entry counts, taken as typed, and the
// second is always a colon; every folder hangs off that drive, and an empty
// one gives folders of the current drive. Until an entry is taken the drive
// is C:.
TEST(InstallPathsTest, DriveAndFoldersComeFromTheEntry) {
  ResetInstallerState();
  EXPECT_STREQ("C:", Paths.Drive);
  const char* const cases[][5] = {
      {"D:\\Quarn7", "D:", "D:\\Quarn7\\Zips", "D:\\Quarn7\\Tesmo",
       "D:\\Quarn7\\Help\\Tesmohelp"},
      {"dX", "d:", "d:\\Quarn7\\Zips", "d:\\Quarn7\\Tesmo",
       "d:\\Quarn7\\Help\\Tesmohelp"},
      {"", "", "\\Quarn7\\Zips", "\\Quarn7\\Tesmo", "\\Quarn7\\Help\\Tesmohelp"},
  };
  for (const auto& c : cases) {
    AcceptDriveEntry(c[0]);
    EXPECT_TRUE(ComposeAddonFolder("Tesmo"));
    EXPECT_TRUE(ComposeHelpArchiveFolder("Tesmohelp"));
    EXPECT_STREQ(c[1], Paths.Drive) << "entry \"" << c[0] << "\"";
    EXPECT_STREQ(c[2], Paths.ZipsFolder);
    EXPECT_STREQ(c[3], Paths.AddonFolder);
    EXPECT_STREQ(c[4], Paths.HelpArchiveFolder);
  }
  // A folder that would be cut is refused.
  const std::string longest(kInstallPathSize - 1 - strlen("D:\\Quarn7\\"), 'n');
  AcceptDriveEntry("D");
  EXPECT_TRUE(ComposeAddonFolder(longest.c_str()));
  EXPECT_FALSE(ComposeAddonFolder((longest + "n").c_str()));
  EXPECT_FALSE(ComposeHelpArchiveFolder(longest.c_str()));
  ResetInstallerState();
}

// Month first without leading zeros, from the file's last write in local
// time: written at 1:00 or at 23:00 local time on 3 May, one of which is
// another day in UTC in any zone at least an hour off UTC. (An hour from
// midnight, so that a summer time between the two conversions cannot move
// the day.) A file whose time cannot be read leaves the bare title.
TEST(WindowTitleTest, LocalDateOfTheFileFollowsTheTitle) {
  TestPlatform test;
  RecordingPlatform& platform = test.platform();
  const std::string path = test.Path("Tesmo_setup.exe");
  EXPECT_EQ(WindowTitle, BuildWindowTitle(platform, path.c_str()));
  EXPECT_STREQ("Tesmo Tutorial Setup", WindowTitle);

  ASSERT_TRUE(test.WriteFile("Tesmo_setup.exe", "MZ"));
  for (int hour : {1, 23}) {
    FileTime local = 0, utc = 0;
    ASSERT_TRUE(CalendarToFileTime({2014, 5, 3, hour, 0, 0}, &local));
    ASSERT_TRUE(platform.LocalFileTimeToUtc(local, &utc));
    ASSERT_TRUE(platform.SetFileTimes(path.c_str(), utc));
    BuildWindowTitle(platform, path.c_str());
    EXPECT_STREQ("Tesmo Tutorial Setup   5/3/2014", WindowTitle) << hour;
  }
  ResetInstallerState();
}

}  // namespace
