#include <gtest/gtest.h>

#include "app/MessageReporter.h"
#include "tests/support/TestPlatform.h"

namespace {

TEST(MessageReporterTest, EveryCodeShowsItsTextInAnOwnedCaptionedBox) {
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
      {-2147483647 - 1, "Unknown error"},
  };
  RecordingPlatform platform;
  for (const auto& c : cases) {
    platform.messages.clear();
    ReportMessage(platform, c.code);
    ASSERT_EQ(1u, platform.messages.size()) << "code " << c.code;
    const RecordingPlatform::Message& box = platform.messages[0];
    EXPECT_EQ(c.text, box.text) << "code " << c.code;
    EXPECT_TRUE(box.hasCaption);
    EXPECT_EQ("Tesmo Setup", box.caption);
    EXPECT_EQ(BoxOwner::MainWindow, box.owner);
  }
}

}  // namespace
