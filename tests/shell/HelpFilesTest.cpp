// The help files on real folders, the same on the host and on Windows: the
// date rule for the index file, the normalised names and what is left alone.
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "platform/FileTimeMath.h"
#include "shell/HelpFiles.h"
#include "tests/shell/ShellTestKit.h"

namespace fs = std::filesystem;

namespace {

class HelpFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(drive_.ok());
    ASSERT_TRUE(CalendarToFileTime({2014, 5, 3, 12, 0, 0}, &base_));
    fs::create_directories(drive_.Native("Quarn7/Tesmo"));
    fs::create_directories(drive_.Native("Quarn7/Help"));
  }

  // Writes a file of the add-on or Help folder with a last-write time of
  // base plus ticks (100 ns each).
  void Put(const std::string& relative, const std::string& content,
           int64_t ticks = 0) {
    ASSERT_TRUE(drive_.Write(relative, content));
    ASSERT_TRUE(platform().SetFileTimes(drive_.Path(relative).c_str(),
                                        base_ + ticks));
  }
  // The exact names in a folder.
  std::set<std::string> Names(const std::string& relative) {
    std::set<std::string> names;
    for (auto& entry : fs::directory_iterator(drive_.Native(relative)))
      names.insert(entry.path().filename().string());
    return names;
  }
  int Place() {
    return PlaceHelpFiles(platform(), drive_.Path("Quarn7\\Tesmo").c_str());
  }
  RecordingPlatform& platform() { return test_.platform(); }

  TestPlatform test_;
  TestDrive drive_{test_};
  FileTime base_ = 0;
};

// The index file replaces the Help folder's copy unless it is older, to the
// last tick, or cannot itself be opened (here: a folder of that name).
TEST_F(HelpFilesTest, IndexFileFollowsTheDateRule) {
  const struct {
    const char* what;
    int64_t sourceTicks;  // against the Help folder's copy
    bool helpCopy;
    bool sourceIsFolder;
    const char* expected;  // the Help folder's copy afterwards, or ""
  } cases[] = {
      {"equal", 0, true, false, "new"},
      {"older", -1, true, false, "old"},
      {"newer", 1, true, false, "new"},
      {"no copy in Help", 0, false, false, "new"},
      {"unreadable source", 0, true, true, "old"},
      {"unreadable source, no copy in Help", 0, false, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(drive_.Native("Quarn7/Tesmo/Annexlist.chm"));
    fs::remove_all(drive_.Native("Quarn7/Help/Annexlist.chm"));
    if (c.sourceIsFolder)
      fs::create_directory(drive_.Native("Quarn7/Tesmo/Annexlist.chm"));
    else
      Put("Quarn7\\Tesmo\\Annexlist.chm", "new", c.sourceTicks);
    if (c.helpCopy) Put("Quarn7\\Help\\Annexlist.chm", "old");
    EXPECT_EQ(0, Place());
    EXPECT_EQ(c.expected[0] ? c.expected : "<unreadable>",
              drive_.Content("Quarn7\\Help\\Annexlist.chm"));
  }
  // The copy keeps the source's time, so the two now compare equal.
  const std::string source = drive_.Path("Quarn7\\Tesmo\\Annexlist.chm");
  const std::string copy = drive_.Path("Quarn7\\Help\\Annexlist.chm");
  fs::remove_all(drive_.Native("Quarn7/Tesmo/Annexlist.chm"));
  Put("Quarn7\\Tesmo\\Annexlist.chm", "newest", 7);
  Place();
  EXPECT_EQ(0, CompareFileTimes(platform(), source.c_str(), copy.c_str()));
  EXPECT_EQ(-1, CompareFileTimes(platform(), (source + "x").c_str(),
                                 copy.c_str()));
  EXPECT_TRUE(platform().messages.empty());
}

// Found names arrive normalised and the index file is known in any case;
// every other ".chm" replaces its copy whatever the times; nothing else is
// copied and nothing is said.
TEST_F(HelpFilesTest, EveryHelpFileArrivesUnderItsNormalisedName) {
  Put("Quarn7\\Tesmo\\GUIDE.CHM", "guide");
  Put("Quarn7\\Tesmo\\manual.chm", "manual, older", -10);
  Put("Quarn7\\Tesmo\\ANNEXLIST.CHM", "index, older", -1);
  Put("Quarn7\\Tesmo\\Notes.txt", "notes");
  Put("Quarn7\\Help\\Manual.chm", "manual");
  Put("Quarn7\\Help\\Annexlist.chm", "index");
  Place();
  EXPECT_EQ((std::set<std::string>{"Annexlist.chm", "Guide.chm", "Manual.chm"}),
            Names("Quarn7/Help"));
  EXPECT_EQ("guide", drive_.Content("Quarn7\\Help\\Guide.chm"));
  EXPECT_EQ("manual, older", drive_.Content("Quarn7\\Help\\Manual.chm"));
  EXPECT_EQ("index", drive_.Content("Quarn7\\Help\\Annexlist.chm"));
  EXPECT_TRUE(platform().messages.empty());
}

// An add-on folder that is empty or missing, or a Help folder that is
// missing, leaves everything as it was: the Help folder is never made.
TEST_F(HelpFilesTest, NothingToPlaceTouchesNothing) {
  Put("Quarn7\\Help\\Guide.chm", "guide");
  Place();
  fs::remove(drive_.Native("Quarn7/Tesmo"));
  Place();
  EXPECT_EQ(std::set<std::string>{"Guide.chm"}, Names("Quarn7/Help"));
  EXPECT_EQ("guide", drive_.Content("Quarn7\\Help\\Guide.chm"));

  fs::remove_all(drive_.Native("Quarn7/Help"));
  fs::create_directory(drive_.Native("Quarn7/Tesmo"));
  Put("Quarn7\\Tesmo\\Guide.chm", "guide");
  Place();
  EXPECT_FALSE(fs::exists(drive_.Native("Quarn7/Help")));
  EXPECT_TRUE(platform().messages.empty());
}

#ifndef _WIN32
// A name that would make a path beyond 259 characters is skipped, never
// cut: cut, the second name's source path would be the first file's path.
// (Windows itself allows no such name in a folder of that depth.)
TEST_F(HelpFilesTest, NameTooLongForThePathIsSkipped) {
  // The add-on folder's path is the longer of the two.
  const std::string prefix = drive_.Path("Quarn7\\Tesmo\\");
  const std::string fits = std::string(259 - prefix.size() - 4, 'a') + ".chm";
  Put("Quarn7\\Tesmo\\" + fits, "fits");
  Put("Quarn7\\Tesmo\\" + fits + ".chm", "too long");
  Place();
  EXPECT_EQ(std::set<std::string>{"A" + fits.substr(1)}, Names("Quarn7/Help"));
}
#endif

}  // namespace
