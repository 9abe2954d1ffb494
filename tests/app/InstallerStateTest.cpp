// The installer's shared state: the paths composed from the drive entry, the
// dated window title and the message boxes of the outcome.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/FileTimeMath.h"
#include "state/InstallerState.h"
#include "state/MessageReporter.h"
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

// Every code shows one box owned by the main window and captioned
// "Tesmo Setup"; codes outside 1-4 give "Unknown error".
TEST(MessageReporterTest, EveryCodeShowsItsText) {
  const struct {
    int code;
    const char* text;
  } cases[] = {
      {1, "Non-fatal error occurred ... Installation may not be complete"},
      {2, "Fatal error occurred ... Check the cause and run again."},
      {3,
       "Start Menu or Desktop Icon error occurred ... The drawing files should "
       "have been installed correctly, but Start Menu or Desktop Icons may not "
       "have been. These items are a convenience and are not really necessary "
       "to run QUARN. You should be able to manually create them."},
      {4,
       "Start menu folder not found in registry ... Start menu items will not "
       "be created"},
      {0, "Unknown error"},
      {-1, "Unknown error"},
      {5, "Unknown error"},
  };
  RecordingPlatform platform;
  for (const auto& c : cases) {
    platform.messages.clear();
    ReportMessage(platform, static_cast<MessageCode>(c.code));
    ASSERT_EQ(1u, platform.messages.size()) << "code " << c.code;
    EXPECT_EQ(c.text, platform.messages[0].text) << "code " << c.code;
    EXPECT_EQ("Tesmo Setup", platform.messages[0].caption);
    EXPECT_EQ(BoxOwner::Program, platform.messages[0].owner);
  }
}

}  // namespace
