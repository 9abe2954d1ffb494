#include <cstring>

#include <gtest/gtest.h>

#include "app/WindowTitle.h"
#include "platform/FileTimeMath.h"
#include "tests/support/TestPlatform.h"

namespace {

class WindowTitleTest : public testing::Test {
 protected:
  void SetUp() override { strcpy(WindowTitle, kProductTitle); }
  void TearDown() override { strcpy(WindowTitle, kProductTitle); }

  // Writes a file and gives it a last-write time at noon UTC of the day,
  // which is the same day in local time in every time zone within 11 hours
  // of UTC.
  std::string FileWrittenOn(int year, int month, int day) {
    EXPECT_TRUE(test_.WriteFile("Tesmo_setup.exe", "MZ"));
    CalendarTime noon = {year, month, day, 12, 0, 0};
    FileTime utc = 0;
    EXPECT_TRUE(CalendarToFileTime(noon, &utc));
    std::string path = test_.Path("Tesmo_setup.exe");
    EXPECT_TRUE(test_.platform().SetFileTimes(path.c_str(), utc));
    return path;
  }

  TestPlatform test_;
};

TEST_F(WindowTitleTest, DateIsMonthFirstWithoutLeadingZeros) {
  std::string path = FileWrittenOn(2014, 5, 3);
  const char* title = BuildWindowTitle(test_.platform(), path.c_str());
  EXPECT_EQ(WindowTitle, title);
  EXPECT_STREQ("Tesmo Tutorial Setup   5/3/2014", WindowTitle);

  path = FileWrittenOn(2009, 12, 25);
  BuildWindowTitle(test_.platform(), path.c_str());
  EXPECT_STREQ("Tesmo Tutorial Setup   12/25/2009", WindowTitle);
}

TEST_F(WindowTitleTest, FileThatCannotBeReadLeavesTheBareTitle) {
  std::string missing = test_.Path("Tesmo_setup.exe");
  EXPECT_EQ(WindowTitle, BuildWindowTitle(test_.platform(), missing.c_str()));
  EXPECT_STREQ("Tesmo Tutorial Setup", WindowTitle);
}

}  // namespace
