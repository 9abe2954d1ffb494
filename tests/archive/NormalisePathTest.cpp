#include <gtest/gtest.h>

#include <string>

#include "archive/NormalisePath.h"

namespace {

TEST(NormalisePathTest, CapitalisesTheFirstLetterAndEachFolderAfterADrive) {
  EXPECT_STREQ("D:\\Quarn7\\Help\\Tesmohelp\\Index.htm",
               NormalisePath("d:\\quarn7\\help\\tesmohelp\\INDEX.HTM"));
  EXPECT_STREQ("C:\\Quarn7\\Tesmo\\Lesson 1.qdr", NormalisePath("C:\\QUARN7\\TESMO\\lesson 1.QDR"));
  EXPECT_STREQ("C:\\A\\", NormalisePath("c:\\a\\"));  // a final "\" changes nothing
}

TEST(NormalisePathTest, InsertsTheSeparatorAfterABareDrive) {
  EXPECT_STREQ("D:\\Quarn7", NormalisePath("d:quarn7"));
  EXPECT_STREQ("E:\\", NormalisePath("e:"));
  EXPECT_EQ(10u, NormalisedLength("d:quarn7\\"));
  EXPECT_EQ(9u, NormalisedLength("d:\\quarn7"));
}

TEST(NormalisePathTest, WithoutADriveOnlyTheFirstCharacterIsRaised) {
  EXPECT_STREQ("Abc.chm", NormalisePath("abc.CHM"));
  EXPECT_STREQ("Help\\index.htm", NormalisePath("HELP\\Index.HTM"));
  EXPECT_STREQ("1abc", NormalisePath("1ABC"));
  // Only ASCII letters change case.
  EXPECT_STREQ("\xC4\xE4\\x", NormalisePath("\xC4\xE4\\X"));
}

TEST(NormalisePathTest, NullAndEmptyGiveTheEmptyText) {
  EXPECT_STREQ("", NormalisePath(nullptr));
  EXPECT_STREQ("", NormalisePath(""));
  EXPECT_EQ(0u, NormalisedLength(nullptr));
}

TEST(NormalisePathTest, ALongPathIsCutAt259Characters) {
  std::string path = "c:" + std::string(300, 'X');
  std::string expected = "C:\\X" + std::string(255, 'x');
  EXPECT_EQ(expected, NormalisePath(path.c_str()));
  EXPECT_EQ(303u, NormalisedLength(path.c_str()));
  std::string exact = "c:\\" + std::string(256, 'a');
  EXPECT_EQ(259u, std::string(NormalisePath(exact.c_str())).size());
}

}  // namespace
