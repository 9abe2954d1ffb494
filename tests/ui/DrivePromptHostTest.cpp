#include <gtest/gtest.h>

#include "app/InstallerState.h"
#include "ui/DrivePrompt.h"

namespace {

const InstallPaths kStartPaths = Paths;

class DrivePromptHostTest : public testing::Test {
 protected:
  void TearDown() override { Paths = kStartPaths; }
};

TEST_F(DrivePromptHostTest, AnswersWithTheCallersEntry) {
  // Unanswered, Install is pressed on the field as shown.
  EXPECT_EQ(1, DrivePrompt());
  EXPECT_STREQ("C:", Paths.Drive);
  EXPECT_STREQ("C:\\Quarn7\\Zips", Paths.ZipsFolder);

  SetDrivePromptAnswer("d:\\Quarn7");
  EXPECT_EQ(1, DrivePrompt());
  EXPECT_STREQ("d:", Paths.Drive);
  EXPECT_STREQ("d:\\Quarn7\\Zips", Paths.ZipsFolder);

  SetDrivePromptAnswer(nullptr);
  EXPECT_EQ(0, DrivePrompt());
  EXPECT_STREQ("d:", Paths.Drive);
  EXPECT_STREQ("d:\\Quarn7\\Zips", Paths.ZipsFolder);
}

}  // namespace
