#include <gtest/gtest.h>

#include "app/InstallerState.h"
#include "platform/HostPlatform.h"
#include "ui/RecordingProgress.h"

namespace {

class RecordingProgressTest : public testing::Test {
 protected:
  RecordingProgressTest()
      : progress_(platform_, [this](int ms) { clock_ += ms; }) {}
  void SetUp() override { AbortRequested = 0; }
  void TearDown() override { AbortRequested = 0; }

  HostPlatform platform_;
  int clock_ = 0;  // milliseconds that the pauses let pass
  RecordingProgress progress_;
};

TEST_F(RecordingProgressTest, CountsEveryLineWithoutASingularForm) {
  EXPECT_EQ(1, progress_.AddFileLine("T:\\Quarn7\\Tesmo\\Walls.dat ... OK"));
  EXPECT_EQ("1 Files", progress_.countText);
  EXPECT_EQ(1, progress_.AddFileLine("T:\\Quarn7\\Tesmo\\Arcs.dat ... OK"));
  EXPECT_EQ("2 Files", progress_.countText);
  EXPECT_EQ(2, progress_.fileCount);
  progress_.SetStatus("Expanding T:\\Quarn7\\Zips\\Tesmo.zip");
  EXPECT_EQ("Expanding T:\\Quarn7\\Zips\\Tesmo.zip", progress_.status);
}

TEST_F(RecordingProgressTest, NegativePauseLooksAtEscapeOnceThenWaits) {
  progress_.Pause(-100);
  EXPECT_EQ(0, AbortRequested);
  platform_.SetEscapeKeyDown(true);
  progress_.Pause(-100);
  EXPECT_EQ(1, AbortRequested);
  // Once set the flag stays, whatever the key does.
  platform_.SetEscapeKeyDown(false);
  progress_.Pause(-100);
  EXPECT_EQ(1, AbortRequested);
  EXPECT_EQ(300, clock_);
}

TEST_F(RecordingProgressTest, PositivePauseNeverLooksAtEscape) {
  platform_.SetEscapeKeyDown(true);
  progress_.Pause(500);
  progress_.Pause(100);
  progress_.Pause(0);
  EXPECT_EQ(0, AbortRequested);
  EXPECT_EQ(600, clock_);
  EXPECT_EQ((std::vector<int>{500, 100, 0}), progress_.waits);
}

}  // namespace
