#include <errno.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/TestPlatform.h"

namespace {

TEST(FolderTest, MakeFolderCreatesTheLastComponentOnly) {
  TestPlatform t;
  Platform& p = t.platform();
  EXPECT_EQ(0, p.MakeFolder(t.Path("Quarn7").c_str()));
  EXPECT_TRUE(t.IsFolder("Quarn7"));
  EXPECT_EQ(0, p.MakeFolder(t.Path("Quarn7\\Zips").c_str()));
  EXPECT_TRUE(t.IsFolder("Quarn7\\Zips"));

  EXPECT_EQ(EEXIST, p.MakeFolder(t.Path("Quarn7").c_str()));
  ASSERT_TRUE(t.WriteFile("file.txt", "x"));
  EXPECT_EQ(EEXIST, p.MakeFolder(t.Path("file.txt").c_str()));

  EXPECT_EQ(ENOENT, p.MakeFolder(t.Path("Missing\\Child").c_str()));
  EXPECT_FALSE(t.Exists("Missing"));
}

TEST(FolderTest, ChangeFolderMakesRelativePathsLandThere) {
  TestPlatform t;
  Platform& p = t.platform();
  ASSERT_EQ(0, p.MakeFolder(t.Path("work").c_str()));
  ASSERT_EQ(0, p.ChangeFolder(t.Path("work").c_str()));

  delete p.OpenWrite("here.txt");
  EXPECT_TRUE(t.Exists("work\\here.txt"));
  delete p.OpenWrite(".\\dot.txt");
  EXPECT_TRUE(t.Exists("work\\dot.txt"));
  delete p.OpenWrite("..\\up.txt");
  EXPECT_TRUE(t.Exists("up.txt"));
  EXPECT_EQ(0, p.MakeFolder("inner"));
  EXPECT_TRUE(t.IsFolder("work\\inner"));
}

TEST(FolderTest, ChangeFolderFailsOnWhatIsNoFolder) {
  TestPlatform t;
  Platform& p = t.platform();
  ASSERT_EQ(0, p.MakeFolder(t.Path("work").c_str()));
  ASSERT_EQ(0, p.ChangeFolder(t.Path("work").c_str()));
  ASSERT_TRUE(t.WriteFile("file.txt", "x"));

  EXPECT_EQ(-1, p.ChangeFolder(t.Path("missing").c_str()));
  EXPECT_EQ(-1, p.ChangeFolder(t.Path("file.txt").c_str()));
  // A failed change leaves the current folder where it was.
  delete p.OpenWrite("still.txt");
  EXPECT_TRUE(t.Exists("work\\still.txt"));
}

}  // namespace
