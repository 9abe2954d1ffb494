#include <gtest/gtest.h>

#include "app/InstallerState.h"

namespace {

// Taken before any test runs: Paths is constant-initialised.
const InstallPaths kStartPaths = Paths;

class InstallPathsTest : public testing::Test {
 protected:
  void TearDown() override { Paths = kStartPaths; }
};

TEST_F(InstallPathsTest, DriveIsCUntilTheEntryIsTaken) {
  EXPECT_STREQ("C:", kStartPaths.Drive);
}

TEST_F(InstallPathsTest, OnlyTheFirstCharacterOfTheEntryCountsAndGetsAColon) {
  const struct {
    const char* entry;
    const char* drive;
  } cases[] = {
      {"D", "D:"},  {"D:", "D:"}, {"D:\\Quarn7", "D:"},
      {"DX", "D:"}, {"d", "d:"},  {"1", "1:"},
      {"", ""},
  };
  for (const auto& c : cases) {
    AcceptDriveEntry(c.entry);
    EXPECT_STREQ(c.drive, Paths.Drive) << "entry \"" << c.entry << "\"";
  }
}

TEST_F(InstallPathsTest, FoldersOfDriveD) {
  AcceptDriveEntry("D");
  ComposeAddonFolder("Tesmo");
  ComposeHelpArchiveFolder("Tesmohelp");
  EXPECT_STREQ("D:\\Quarn7\\Zips", Paths.ZipsFolder);
  EXPECT_STREQ("D:\\Quarn7\\Tesmo", Paths.AddonFolder);
  EXPECT_STREQ("D:\\Quarn7\\Help\\Tesmohelp", Paths.HelpArchiveFolder);
}

TEST_F(InstallPathsTest, LowerCaseDriveStaysLowerCaseInEveryFolder) {
  AcceptDriveEntry("e:\\");
  ComposeAddonFolder("Tesmo");
  ComposeHelpArchiveFolder("Tesmohelp");
  EXPECT_STREQ("e:\\Quarn7\\Zips", Paths.ZipsFolder);
  EXPECT_STREQ("e:\\Quarn7\\Tesmo", Paths.AddonFolder);
  EXPECT_STREQ("e:\\Quarn7\\Help\\Tesmohelp", Paths.HelpArchiveFolder);
}

TEST_F(InstallPathsTest, EmptyDriveGivesFoldersOfTheCurrentDrive) {
  AcceptDriveEntry("");
  ComposeAddonFolder("Tesmo");
  ComposeHelpArchiveFolder("Tesmohelp");
  EXPECT_STREQ("\\Quarn7\\Zips", Paths.ZipsFolder);
  EXPECT_STREQ("\\Quarn7\\Tesmo", Paths.AddonFolder);
  EXPECT_STREQ("\\Quarn7\\Help\\Tesmohelp", Paths.HelpArchiveFolder);
}

}  // namespace
