// The host build's side of the interface: the instructions text, the
// recording progress sink and the drive prompt answered by its caller.
#include <gtest/gtest.h>

#include "app/InstallerState.h"
#include "platform/HostPlatform.h"
#include "tests/ui/InstructionsText.h"
#include "ui/DrivePrompt.h"
#include "ui/Instructions.h"
#include "ui/RecordingProgress.h"

namespace {

TEST(InstructionsTest, ComposedIntoTheMessageTextByteForByte) {
  EXPECT_EQ(MessageText, ComposeInstructions());
  EXPECT_STREQ(kExpectedInstructions, MessageText);
}

// Every line is counted; the count has no singular form.
TEST(RecordingProgressTest, CountsEveryLineAsTheWindowWould) {
  HostPlatform platform;
  RecordingProgress progress(platform);
  EXPECT_EQ(1, progress.AddFileLine("T:\\Quarn7\\Tesmo\\Walls.dat ... OK"));
  EXPECT_EQ("1 Files", progress.countText);
  EXPECT_EQ(1, progress.AddFileLine("T:\\Quarn7\\Tesmo\\Arcs.dat ... OK"));
  EXPECT_EQ("2 Files", progress.countText);
}

// Escape is looked at once before a negative pause and never before any
// other; a negative pause waits as long as a positive one, on a clock of
// the test's own. Once set, the flag stays whatever the key does.
TEST(RecordingProgressTest, OnlyNegativePausesLookAtEscape) {
  HostPlatform platform;
  int clock = 0;
  RecordingProgress progress(platform, [&](int ms) { clock += ms; });
  platform.SetEscapeKeyDown(true);
  progress.Pause(500);
  progress.Pause(0);
  EXPECT_EQ(0, AbortRequested);
  progress.Pause(-100);
  EXPECT_EQ(1, AbortRequested);
  platform.SetEscapeKeyDown(false);
  progress.Pause(-100);
  EXPECT_EQ(1, AbortRequested);
  EXPECT_EQ((std::vector<int>{500, 0, 100, 100}), progress.waits);
  EXPECT_EQ(700, clock);
  AbortRequested = 0;
}

// Unanswered it presses Install on the field as shown; an answer is read by
// the drive rule; a null answer cancels and leaves the paths alone.
TEST(DrivePromptHostTest, AnswersWithTheCallersEntry) {
  const InstallPaths start = Paths;
  EXPECT_EQ(1, DrivePrompt());
  EXPECT_STREQ("C:\\Quarn7\\Zips", Paths.ZipsFolder);
  SetDrivePromptAnswer("d:\\Quarn7");
  EXPECT_EQ(1, DrivePrompt());
  EXPECT_STREQ("d:\\Quarn7\\Zips", Paths.ZipsFolder);
  SetDrivePromptAnswer(nullptr);
  EXPECT_EQ(0, DrivePrompt());
  EXPECT_STREQ("d:", Paths.Drive);
  EXPECT_STREQ("d:\\Quarn7\\Zips", Paths.ZipsFolder);
  Paths = start;
}

}  // namespace
