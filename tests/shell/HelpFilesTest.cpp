// The help files on real folders, on the host and on Windows.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <gtest/gtest.h>

#include "platform/FileTimeMath.h"
#include "shell/HelpFiles.h"
#include "tests/shell/ShellTestKit.h"

namespace fs = std::filesystem;

namespace {

typedef std::set<std::string> Files;

class HelpFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(drive_.ok());
    ASSERT_TRUE(CalendarToFileTime({2014, 5, 3, 12, 0, 0}, &base_));
    for (const char* folder : {"Quarn7/Tesmo", "Quarn7/Help"})
      fs::create_directories(drive_.Native(folder));
  }
  // Writes "Quarn7\<relative>", last written at base plus ticks.
  void Put(const std::string& relative, const std::string& content, int64_t ticks = 0) {
    ASSERT_TRUE(std::ofstream(drive_.Native("Quarn7\\" + relative), std::ios::binary) << content);
    ASSERT_TRUE(platform().SetFileTimes(drive_.Path("Quarn7\\" + relative).c_str(), base_ + ticks));
  }
  // Places the help files; then the Help folder's "name=content".
  Files Place() {
    EXPECT_EQ(0, PlaceHelpFiles(platform(), drive_.Path("Quarn7\\Tesmo").c_str()));
    EXPECT_TRUE(platform().messages.empty());
    Files files;
    std::error_code e;
    for (auto& entry : fs::directory_iterator(drive_.Native("Quarn7/Help"), e)) {
      std::ifstream in(entry.path(), std::ios::binary);
      files.insert(entry.path().filename().string() + "=" +
                   std::string(std::istreambuf_iterator<char>(in), {}));
    }
    return files;
  }
  RecordingPlatform& platform() { return test_.platform(); }

  TestPlatform test_;
  TestDrive drive_{test_};
  FileTime base_ = 0;
};

// The index file replaces the Help folder's copy unless it is older, to the
// tick, or cannot be opened (a folder of that name). The copy keeps the
// source's time.
TEST_F(HelpFilesTest, IndexFileFollowsTheDateRule) {
  const int64_t kFolder = 1000;
  const struct {
    int64_t sourceTicks;  // against the Help folder's copy, or kFolder
    bool helpCopy;
    const char* expected;  // the Help folder's copy afterwards
    int order;             // CompareFileTimes afterwards
  } cases[] = {
      {0, true, "new", 0},       {-1, true, "old", -1},     {1, true, "new", 0},
      {0, false, "new", 0},      {kFolder, true, "old", -1}, {kFolder, false, nullptr, -1},
  };
  const std::string source = drive_.Path("Quarn7\\Tesmo\\Annexlist.chm");
  const std::string copy = drive_.Path("Quarn7\\Help\\Annexlist.chm");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.sourceTicks) + (c.helpCopy ? " with a copy" : " alone"));
    fs::remove_all(drive_.Native("Quarn7/Tesmo/Annexlist.chm"));
    fs::remove_all(drive_.Native("Quarn7/Help/Annexlist.chm"));
    if (c.sourceTicks == kFolder)
      fs::create_directory(drive_.Native("Quarn7/Tesmo/Annexlist.chm"));
    else
      Put("Tesmo\\Annexlist.chm", "new", c.sourceTicks);
    if (c.helpCopy) Put("Help\\Annexlist.chm", "old");
    EXPECT_EQ(c.expected ? Files{std::string("Annexlist.chm=") + c.expected} : Files{}, Place());
    EXPECT_EQ(c.order, CompareFileTimes(platform(), source.c_str(), copy.c_str()));
  }
}

// Names arrive normalised, the index file is known in any case, other
// ".chm" files replace their copies whatever the times, nothing else is
// copied. A missing add-on or Help folder changes nothing.
TEST_F(HelpFilesTest, EveryHelpFileArrivesUnderItsNormalisedName) {
  Put("Help\\Manual.chm", "manual");
  Place();
  fs::remove(drive_.Native("Quarn7/Tesmo"));
  EXPECT_EQ(Files{"Manual.chm=manual"}, Place());
  fs::create_directory(drive_.Native("Quarn7/Tesmo"));
  Put("Tesmo\\GUIDE.CHM", "guide");
  Put("Tesmo\\manual.chm", "manual, older", -10);
  Put("Tesmo\\ANNEXLIST.CHM", "index, older", -1);
  Put("Tesmo\\Notes.txt", "notes");
  Put("Help\\Annexlist.chm", "index");
  EXPECT_EQ((Files{"Annexlist.chm=index", "Guide.chm=guide", "Manual.chm=manual, older"}),
            Place());
  fs::remove_all(drive_.Native("Quarn7/Help"));
  Place();
  EXPECT_FALSE(fs::exists(drive_.Native("Quarn7/Help")));
}

#ifndef _WIN32
// A name that would make a path over 259 characters is skipped, never cut
// to name the file beside it. (Windows allows no such name there.)
TEST_F(HelpFilesTest, NameTooLongForThePathIsSkipped) {
  const std::string fits =
      std::string(259 - drive_.Path("Quarn7\\Tesmo\\").size() - 4, 'a') + ".chm";
  Put("Tesmo\\" + fits, "fits");
  Put("Tesmo\\a" + fits, "too long");
  Put("Tesmo\\a" + fits.substr(0, fits.size() - 1), "cut");
  EXPECT_EQ(Files{"A" + fits.substr(1) + "=fits"}, Place());
}
#endif

}  // namespace
