// The walk over an archive on disk, through the real platform (Win32 under
// Wine, or the host's), and the normalisation of the paths it shows.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>  // symlink
#endif

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "archive/DecodeTable.h"
#include "archive/Expander.h"
#include "platform/NormalisePath.h"
#include "state/InstallerState.h"
#include "tests/archive/StreamKit.h"
#include "tests/support/TestPlatform.h"

namespace {

// Lower case but the first letter and, after a drive, each letter after a
// "\" (one is put after the drive); ASCII letters only; cut at 259.
TEST(NormalisePathTest, CaseAndSeparators) {
  EXPECT_STREQ("D:\\Quarn7\\Help\\Index.htm", NormalisePath("d:quarn7\\help\\INDEX.HTM"));
  EXPECT_STREQ("Help\\index.htm \xC4\xE4", NormalisePath("HELP\\Index.HTM \xC4\xE4"));
  const std::string path = "c:" + std::string(300, 'X');
  EXPECT_EQ("C:\\X" + std::string(255, 'x'), NormalisePath(path.c_str()));
  EXPECT_EQ(303u, NormalisedLength(path.c_str()));
}

typedef std::vector<std::string> Texts;

class ExpanderTest : public ::testing::Test, public ProgressSink {
 protected:
  ExpanderTest() : disk(t.platform()) {
    disk.MakeFolder(t.Path("out").c_str());
    disk.events = &events;
    ResetInstallerState();
    FilePause = -100;
  }
  ~ExpanderTest() override { ResetInstallerState(); }

  void SetStatus(const char* text) override { status = text; }
  int AddFileLine(const char* text) override {
    events.push_back("line");
    return lines.push_back(text), 1;
  }
  void Pause(int ms) override {
    events.push_back("pause");
    pauses.push_back(ms);
  }

  // Writes the entries and |tail| as "a.zip" and expands it into |prefix|.
  ResultLevel Expand(const std::vector<Entry>& entries, const std::string& tail = kCentralDirectory,
                     std::string prefix = "") {
    EXPECT_TRUE(t.WriteFile("a.zip", Archive(entries, tail)));
    disk.messages.clear();
    lines.clear();
    events.clear();
    if (prefix.empty()) prefix = Prefix();
    return ExpandArchive(disk, *this, t.Path("a.zip").c_str(), prefix.c_str());
  }
  std::string Prefix() const { return t.Path("out") + "\\"; }
  std::string Output(const std::string& name) const { return NormalisePath((Prefix() + name).c_str()); }
  std::string Ok(const std::string& name, std::string folder = "") const {
    return NormalisePath(((folder.empty() ? Prefix() : folder) + name).c_str()) + std::string(" ... OK");
  }
  std::string UnableToOpen(const std::string& path) const {
    return "Unable to open " + std::string(NormalisePath(path.c_str())) + " file ... Can't continue";
  }
  // The walk's boxes have no owner and the default caption.
  Texts Messages() const {
    Texts texts;
    for (const RecordingPlatform::Message& m : disk.messages)
      texts.push_back(m.text + (m.owner == BoxOwner::None && !m.hasCaption ? "" : " (owned)"));
    return texts;
  }
  // The names in the output folder, as the host or Windows spells them.
  std::set<std::string> OutputNames() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(t.NativePath("out")))
      names.insert(entry.path().filename().string());
    return names;
  }
  // The file's last-write time is the entry's MS-DOS time as local time.
  void ExpectStamp(const std::string& relative, const Entry& e) {
    FileTime local = 0, utc = 0, written = 1;
    disk.DosDateTimeToLocalFileTime(e.dosDate, e.dosTime, &local);
    disk.LocalFileTimeToUtc(local, &utc);
    EXPECT_TRUE(disk.ReadLastWriteTime(t.Path(relative).c_str(), &written) && written == utc)
        << relative;
  }

  TestPlatform t;
  RecordingPlatform& disk;
  std::string status = "old status";
  Texts lines, events;
  std::vector<int> pauses;
};

// Stored and deflated entries, empty and of several windows, with an extra
// field and times to the second; names differing in case are one file.
TEST_F(ExpanderTest, GoodArchiveExpandsEveryFileWithItsLineAndTimeStamp) {
  const Entry empty = Stored("EMPTY.TXT", "");
  Entry text = Deflated("Lesson One.TXT", "Draw a line, then a circle.");
  text.dosDate = 0x3A21;  // 2009-01-01 00:00:00
  text.dosTime = 0;
  text.extra = "extra field bytes";
  Entry stored = Stored("data.BIN", std::string(100000, 'd'));
  stored.dosTime = 0xBF7D;  // 23:59:58
  EXPECT_EQ(0, Expand({empty, text, stored, Stored("Notes.TXT", "first"), Deflated("NOTES.txt", "second")}));
  EXPECT_EQ(Texts{}, Messages());
  EXPECT_EQ((Texts{Ok("EMPTY.TXT"), Ok("Lesson One.TXT"), Ok("data.BIN"), Ok("notes.txt"), Ok("notes.txt")}),
            lines);
  EXPECT_EQ(std::vector<int>(5, -100), pauses);
  // Each file is listed, then paused on, then stamped.
  EXPECT_EQ((Texts{"line", "pause", "stamp " + Output("EMPTY.TXT")}), Texts(events.begin(), events.begin() + 3));
  EXPECT_EQ("", t.Content("out/Empty.txt"));
  EXPECT_EQ(text.content, t.Content("out/Lesson one.txt"));
  EXPECT_EQ(stored.content, t.Content("out/Data.bin"));
  EXPECT_EQ("second", t.Content("out/Notes.txt"));
  ExpectStamp("out/Empty.txt", empty);
  ExpectStamp("out/Lesson one.txt", text);
  ExpectStamp("out/Data.bin", stored);
}

// Too short for a header, no signature, no bytes, the central directory:
// the walk ends there, quietly. A missing archive is fatal.
TEST_F(ExpanderTest, TheWalkEndsWhereNoLocalHeaderStands) {
  for (const std::string& tail : {std::string("PK\x03\x04 too short"), std::string(40, 'n'),
                                  std::string(), kCentralDirectory + Stored("x", "x").Bytes()}) {
    EXPECT_EQ(0, Expand({}, tail));
    EXPECT_EQ(Texts{}, Messages());
    EXPECT_EQ(Texts{}, lines);
  }
  EXPECT_EQ(2, ExpandArchive(disk, *this, t.Path("missing.zip").c_str(), Prefix().c_str()));
  EXPECT_EQ(Texts{t.Path("missing.zip") + " file is missing"}, Messages());
}

// Only the CRC is reported when both checks fail; a stored entry cut off by
// the archive's end is filled up with 0xFF. The files get their time.
TEST_F(ExpanderTest, CheckFailuresAreReportedAndTheFileStillGetsItsTime) {
  Entry crc = Deflated("crc.txt", "content"), storedCrc = Stored("stored.txt", "stored");
  crc.crc = storedCrc.crc = 1234;
  crc.size = 3;
  Entry length = Deflated("length.txt", "content"), cut = Stored("cut.txt", "");
  length.size = 8;
  cut.size = 100;
  cut.data = "0123456789";  // then the archive ends
  EXPECT_EQ(1, Expand({crc, storedCrc, length, cut}, ""));
  EXPECT_EQ((Texts{"crc.txt ... compressed data CRC error", "stored.txt ... compressed data CRC error",
                   "length.txt ... compressed data length error", "cut.txt ... compressed data CRC error"}),
            Messages());
  EXPECT_EQ(Texts{}, lines);
  EXPECT_EQ("content", t.Content("out/Crc.txt"));
  EXPECT_EQ("0123456789" + std::string(90, '\xFF'), t.Content("out/Cut.txt"));
  ExpectStamp("out/Crc.txt", crc);
  ExpectStamp("out/Length.txt", length);
  ExpectStamp("out/Cut.txt", cut);

  // A time stamp that cannot be set is not fatal; the file stays listed.
  disk.stampsFail = true;
  EXPECT_EQ(1, Expand({Stored("one.txt", "1"), Deflated("two.txt", "2")}));
  EXPECT_EQ((Texts{"Unable to reset " + Output("one.txt") + " file date and time",
                   "Unable to reset " + Output("two.txt") + " file date and time"}),
            Messages());
  EXPECT_EQ((Texts{Ok("one.txt"), Ok("two.txt")}), lines);
}

// An unsupported method leaves an empty file and a message, not a level;
// bad deflate data and no memory end the entry, not the walk.
TEST_F(ExpanderTest, EntriesThatCannotBeExpanded) {
  Entry shrunk = Stored("shrunk.dat", ""), type3 = Deflated("bad.txt", "abc");
  shrunk.method = 12;
  shrunk.data = std::string(50, 'z');
  shrunk.crc = 77;
  type3.data = "\x07";  // last block, type 3
  EXPECT_EQ(0, Expand({shrunk, Deflated("fine.txt", "fine")}));
  EXPECT_EQ(Texts{"shrunk.dat ... not stored or deflated, can't unzip"}, Messages());
  EXPECT_EQ(Texts{Ok("fine.txt")}, lines);
  EXPECT_EQ("", t.Content("out/Shrunk.dat"));
  EXPECT_EQ("fine", t.Content("out/Fine.txt"));
  EXPECT_EQ(1, Expand({type3, Deflated("fine.txt", "fine")}));
  EXPECT_EQ((Texts{"bad.txt ... Compressed data format wrong", "bad.txt ... compressed data CRC error"}),
            Messages());
  EXPECT_EQ(Texts{Ok("fine.txt")}, lines);
  type3.content = "";  // bad data, yet the CRC and length of nothing check out
  EXPECT_EQ(1, Expand({type3}));
  EXPECT_EQ(Texts{"bad.txt ... Compressed data format wrong"}, Messages());

  void* (*saved)(uint32_t) = AllocateTableBlock;
  AllocateTableBlock = [](uint32_t) -> void* { return nullptr; };
  ResultLevel level = Expand({Deflated("fine.txt", "fine")});
  AllocateTableBlock = saved;
  EXPECT_EQ(2, level);
  EXPECT_EQ((Texts{"Out of memory .. Can't continue", "fine.txt ... compressed data CRC error"}),
            Messages());
}

// Names that would overflow a buffer, leave the target folder, reach a
// device or name another file are never written, even where a folder they
// name exists; their data are read through to the next entry.
TEST_F(ExpanderTest, UnsafeOrOverlongNamesAreNeverWritten) {
  ASSERT_EQ(0, disk.MakeFolder(t.Path("out\\sub").c_str()));
  using namespace std::string_literals;
  for (const std::string& name : {std::string(40, 'n'), "a\0evil.txt"s, "..\\evil.txt"s, "sub\\evil.txt"s,
                                  "sub/evil.txt"s, "C:evil.txt"s, "\\evil.txt"s, "/evil.txt"s, ".. "s, "con"s,
                                  "Nul.txt"s, "COM1.dat"s, "com\xB9"s, "Lpt\xB2.txt"s, "LPT\xB3 .x"s,
                                  "bad|name.txt"s, "tab\tname.txt"s}) {
    EXPECT_EQ(2, Expand({Stored(name, "payload"), Deflated(name, "payload"), Deflated("after.txt", name)}));
    const std::string shown = std::string(name.c_str()).substr(0, 39);  // as far as it reads
    EXPECT_EQ((Texts{UnableToOpen(Prefix() + shown), UnableToOpen(Prefix() + shown)}), Messages());
    EXPECT_EQ(Texts{Ok("after.txt")}, lines) << shown;
    EXPECT_EQ(name, t.Content("out/After.txt"));
    EXPECT_EQ((std::set<std::string>{"After.txt", "sub"}), OutputNames()) << shown;
    EXPECT_FALSE(t.Exists("evil.txt"));
  }
  EXPECT_EQ(0, Expand({Stored(std::string(39, 'n'), "ok"), Stored("com0.txt", "ok"),
                       Stored("COM10", "ok"), Stored("\xB9.txt", "ok")}));
  EXPECT_EQ(Texts{}, Messages());
}

// An output path of 259 characters is fine, one of 260 is never written,
// also when normalising makes it 260 by putting "\" after the drive.
TEST_F(ExpanderTest, OutputPathsStayWithin259Characters) {
  const std::string deep = Prefix() + std::string(220 - Prefix().size(), 'f') + "\\";
  ASSERT_EQ(0, disk.MakeFolder(deep.substr(0, 220).c_str()));
  const std::string name39(39, 'n'), name38(38, 'n');
  for (const std::string& prefix : {deep, deep.substr(0, 2) + deep.substr(3)}) {  // "X:folder\..."
    EXPECT_EQ(2, Expand({Stored(name39, "x"), Stored(name38, "y")}, "", prefix));
    EXPECT_EQ(Texts{UnableToOpen((deep + name39).substr(0, 259))}, Messages());
    EXPECT_EQ(Texts{Ok(name38, deep)}, lines);
  }
}

// A full disk is reported once per entry, stored or deflated, however many
// writes fall short; the entry is fatal and not listed, the next one is
// fine. A short write to a pipe whose reader has gone is no full disk.
TEST_F(ExpanderTest, AFullDiskIsReportedForStoredAndDeflatedEntries) {
  std::string content(100000, '\0');
  for (size_t i = 0; i < content.size(); i++) content[i] = static_cast<char>(i * 7 + i / 251);
  const std::string full = "Not enough space for output file ... Can't continue";
  disk.room = 40000;
  for (const Entry& e : {Stored("big.bin", content), Deflated("big.bin", content)}) {
    EXPECT_EQ(2, Expand({e, Stored("small.txt", "small")}));
    EXPECT_EQ(Texts{full}, Messages()) << e.method;  // once, though flushes 2, 3 and 4 fell short
    EXPECT_EQ(content.substr(0, 40000), t.Content("out/Big.bin"));
    EXPECT_EQ(Texts{Ok("small.txt")}, lines);
    disk.brokenPipe = true;
    EXPECT_EQ(0, Expand({e})) << e.method;
    disk.brokenPipe = false;
  }
}

// The target folder is made (last level only) and entered; one that cannot
// be entered leaves nothing done. The archive path and the target prefix
// have 80-byte buffers: 79 characters work, 80 expand nothing.
TEST_F(ExpanderTest, ExpandIntoFolderMakesAndEntersTheTarget) {
  ASSERT_TRUE(t.WriteFile("a.zip", Stored("one.txt", "1").Bytes()));
  EXPECT_EQ(0, ExpandIntoFolder(disk, *this, t.Root().c_str(), "A.ZIP", t.Path("new").c_str()));
  EXPECT_EQ("Expanding " + t.Root() + "\\A.ZIP", status);
  EXPECT_EQ("1", t.Content("new/One.txt"));
  status = "kept";
  EXPECT_EQ(0, ExpandIntoFolder(disk, *this, t.Root().c_str(), "a.zip", t.Path("no\\parent").c_str()));
  EXPECT_EQ("kept", status);

  const std::string source = t.Path(std::string(72 - t.Root().size(), 's'));  // 73 characters
  ASSERT_EQ(0, disk.MakeFolder(source.c_str()));
  const std::string archive = Stored("two.txt", "2").Bytes();
  const std::string folder = source.substr(t.Root().size() + 1);
  // "aa.zip" cut to 79 characters would name "aa.zi".
  ASSERT_TRUE(t.WriteFile(folder + "/a.zip", archive) && t.WriteFile(folder + "/aa.zi", archive));
  const std::string target78 = source + std::string(5, 't'), target79 = target78 + "t";

  EXPECT_EQ(0, ExpandIntoFolder(disk, *this, source.c_str(), "a.zip", target78.c_str()));
  EXPECT_EQ(Texts{}, Messages());
  EXPECT_EQ(2, ExpandIntoFolder(disk, *this, source.c_str(), "aa.zip", target78.c_str()));
  EXPECT_EQ(2, ExpandIntoFolder(disk, *this, source.c_str(), "a.zip", target79.c_str()));
  EXPECT_EQ((Texts{source + "\\aa.zi file is missing", source + "\\a.zip file is missing"}), Messages());
  EXPECT_EQ(2u, lines.size());
}

#ifndef _WIN32
// A symbolic link where an output file goes is not followed.
TEST_F(ExpanderTest, ALinkAtTheOutputPathIsNotFollowed) {
  ASSERT_TRUE(t.WriteFile("target.txt", "kept"));
  ASSERT_EQ(0, symlink(t.NativePath("target.txt").c_str(), t.NativePath("out/Link.txt").c_str()));
  EXPECT_EQ(2, Expand({Stored("link.txt", "payload")}));
  EXPECT_EQ(Texts{UnableToOpen(Prefix() + "link.txt")}, Messages());
  EXPECT_EQ("kept", t.Content("target.txt"));
}
#endif

}  // namespace
