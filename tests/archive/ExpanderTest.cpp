// The walk over an archive on disk: files, messages, levels, file lines and
// time stamps, through the real platform (Win32 under Wine, or the host's).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/InstallerState.h"
#include "archive/DecodeTable.h"
#include "archive/Expander.h"
#include "archive/NormalisePath.h"
#include "tests/archive/StreamWriter.h"
#include "tests/support/TestPlatform.h"

namespace {

class RecordingSink : public ProgressSink {
 public:
  void SetStatus(const char* text) override { status = text; }
  int AddFileLine(const char* text) override {
    lines.push_back(text);
    return 1;
  }
  void Pause(int ms) override { pauses.push_back(ms); }

  std::string status = "old status";
  std::vector<std::string> lines;
  std::vector<int> pauses;
};

// Writes through to the real file up to |room| bytes, as a disk that fills
// up, and keeps the size of every write.
class LimitedFile : public File {
 public:
  LimitedFile(File* real, size_t room, std::vector<size_t>* writes)
      : real_(real), room_(room), writes_(writes) {}
  ~LimitedFile() override { delete real_; }
  size_t Read(void* buffer, size_t n) override { return real_->Read(buffer, n); }
  size_t Write(const void* data, size_t n, bool* brokenPipe) override {
    writes_->push_back(n);
    size_t put = real_->Write(data, n < room_ ? n : room_, brokenPipe);
    room_ -= put;
    return put;
  }

 private:
  File* real_;
  size_t room_;
  std::vector<size_t>* writes_;
};

// The real platform, rooted in the test's folder, with output files that
// can be made to fill up.
class DiskPlatform : public RecordingPlatform {
 public:
  explicit DiskPlatform(TestPlatform& t) {
#ifdef _WIN32
    (void)t;  // Windows paths are the folder's own
#else
    SetDriveFolder('T', t.NativePath("").c_str());
#endif
  }
  File* OpenWrite(const char* path) override {
    File* f = RecordingPlatform::OpenWrite(path);
    return f ? new LimitedFile(f, capacity, &writes) : nullptr;
  }
  size_t capacity = ~size_t{0};
  std::vector<size_t> writes;
};

class ExpanderTest : public ::testing::Test {
 protected:
  ExpanderTest() : disk(t) {
    disk.MakeFolder(t.Path("out").c_str());
    FilePause = -100;
  }
  ~ExpanderTest() override { FilePause = 0; }

  // Writes the entries (and a central directory after them) as "a.zip" and
  // expands it into out\.
  ResultLevel Expand(const std::vector<ZipEntry>& entries, const std::string& tail = kCentralDirectory) {
    std::string bytes;
    for (const ZipEntry& e : entries) bytes += e.Bytes();
    EXPECT_TRUE(t.WriteFile("a.zip", bytes + tail));
    return ExpandArchive(disk, sink, t.Path("a.zip").c_str(), Prefix().c_str());
  }
  std::string Prefix() const { return t.Path("out") + "\\"; }
  // The output path the walk shows for an entry name.
  std::string OutputPath(const std::string& name) const {
    return NormalisePath((Prefix() + name).c_str());
  }
  std::string Ok(const std::string& name) const { return OutputPath(name) + " ... OK"; }
  std::string UnableToOpen(const std::string& name) const {
    return "Unable to open " + OutputPath(name) + " file ... Can't continue";
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const RecordingPlatform::Message& m : disk.messages) {
      EXPECT_EQ(BoxOwner::None, m.owner);
      EXPECT_FALSE(m.hasCaption);
      texts.push_back(m.text);
    }
    return texts;
  }
  std::string Content(const std::string& relative) {
    std::string s;
    EXPECT_TRUE(t.ReadFile(relative, &s)) << relative;
    return s;
  }
  // The file's last-write time, in local time, is the entry's MS-DOS time.
  void ExpectStamp(const std::string& relative, const ZipEntry& e) {
    FileTime utc;
    CalendarTime c;
    ASSERT_TRUE(disk.ReadLastWriteTime(t.Path(relative).c_str(), &utc)) << relative;
    ASSERT_TRUE(disk.UtcToLocalCalendar(utc, &c));
    EXPECT_EQ(1980 + (e.dosDate >> 9), c.year) << relative;
    EXPECT_EQ(e.dosDate >> 5 & 15, c.month);
    EXPECT_EQ(e.dosDate & 31, c.day);
    EXPECT_EQ(e.dosTime >> 11, c.hour);
    EXPECT_EQ(e.dosTime >> 5 & 63, c.minute);
    EXPECT_EQ((e.dosTime & 31) * 2, c.second);
  }

  TestPlatform t;
  DiskPlatform disk;
  RecordingSink sink;
};

typedef std::vector<std::string> Texts;

ZipEntry Stored(const std::string& name, const std::string& content) {
  ZipEntry e;
  e.name = name;
  e.content = content;
  return e;
}

ZipEntry FixedDeflated(const std::string& name, const std::string& content) {
  return Deflated(name, content, FixedLiterals(content));
}

std::string Bytes(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
  return s;
}

TEST_F(ExpanderTest, GoodArchiveExpandsEveryFileWithItsLineAndTimeStamp) {
  ZipEntry empty = Stored("EMPTY.TXT", "");
  ZipEntry window = Stored("window.bin", Bytes(32768, 1));
  ZipEntry text = FixedDeflated("Lesson One.TXT", "Draw a line, then a circle.");
  text.dosDate = 0x3A21;  // 2009-01-01
  text.dosTime = 0x0000;
  text.extra = "extra field bytes";
  ZipEntry stored = Stored("data.BIN", Bytes(100000, 2));
  stored.dosTime = 0xBF7D;  // 23:59:58
  EXPECT_EQ(0, Expand({empty, window, text, stored}));
  EXPECT_EQ(Texts{}, Messages());
  EXPECT_EQ((Texts{Ok("EMPTY.TXT"), Ok("window.bin"), Ok("Lesson One.TXT"), Ok("data.BIN")}),
            sink.lines);
  EXPECT_EQ((std::vector<int>{-100, -100, -100, -100}), sink.pauses);
  // A stored window's worth is one write; nothing is written for nothing.
  EXPECT_EQ((std::vector<size_t>{32768, 27, 32768, 32768, 32768, 1696}), disk.writes);
  EXPECT_EQ("", Content("out/Empty.txt"));
  EXPECT_EQ(window.content, Content("out/Window.bin"));
  EXPECT_EQ(text.content, Content("out/Lesson one.txt"));
  EXPECT_EQ(stored.content, Content("out/Data.bin"));
  ExpectStamp("out/Empty.txt", empty);
  ExpectStamp("out/Lesson one.txt", text);
  ExpectStamp("out/Data.bin", stored);
}

TEST_F(ExpanderTest, TheWalkEndsWhereNoLocalHeaderStands) {
  ASSERT_TRUE(t.WriteFile("short.zip", "PK\x03\x04 too short"));
  EXPECT_EQ(0, ExpandArchive(disk, sink, t.Path("short.zip").c_str(), Prefix().c_str()));
  EXPECT_EQ(0, Expand({}, "not an archive at all, but long enough for a header"));
  EXPECT_EQ(0, Expand({}, ""));
  EXPECT_EQ(Texts{}, Messages());
  EXPECT_TRUE(sink.lines.empty());

  EXPECT_EQ(2, ExpandArchive(disk, sink, t.Path("missing.zip").c_str(), Prefix().c_str()));
  EXPECT_EQ(Texts{t.Path("missing.zip") + " file is missing"}, Messages());
}

TEST_F(ExpanderTest, CheckFailuresAreReportedAndTheFileStillGetsItsTime) {
  ZipEntry crc = FixedDeflated("crc.txt", "content");
  crc.crc = 1234;
  crc.size = 3;  // wrong too, but only the CRC is reported
  ZipEntry storedCrc = Stored("stored.txt", "stored");
  storedCrc.crc = 0;
  ZipEntry length = FixedDeflated("length.txt", "content");
  length.size = 8;
  ZipEntry cut = Stored("cut.txt", "");
  cut.size = 100;
  cut.data = "0123456789";  // then the archive ends
  EXPECT_EQ(1, Expand({crc, storedCrc, length, cut}, ""));
  EXPECT_EQ((Texts{"crc.txt ... compressed data CRC error",
                   "stored.txt ... compressed data CRC error",
                   "length.txt ... compressed data length error",
                   "cut.txt ... compressed data CRC error"}),
            Messages());
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ("content", Content("out/Crc.txt"));
  EXPECT_EQ("0123456789" + std::string(90, '\xFF'), Content("out/Cut.txt"));
  ExpectStamp("out/Crc.txt", crc);
  ExpectStamp("out/Length.txt", length);
  ExpectStamp("out/Cut.txt", cut);
}

TEST_F(ExpanderTest, UnsupportedMethodLeavesAnEmptyFileAndTheWalkGoesOn) {
  ZipEntry shrunk = Stored("shrunk.dat", "");
  shrunk.method = 12;
  shrunk.data = std::string(50, 'z');
  shrunk.crc = 77;
  ZipEntry next = FixedDeflated("next.txt", "next");
  EXPECT_EQ(0, Expand({shrunk, next}));
  EXPECT_EQ(Texts{"shrunk.dat ... not stored or deflated, can't unzip"}, Messages());
  EXPECT_EQ(Texts{Ok("next.txt")}, sink.lines);
  EXPECT_EQ("", Content("out/Shrunk.dat"));
  EXPECT_EQ("next", Content("out/Next.txt"));
}

TEST_F(ExpanderTest, DecoderFailures) {
  ZipEntry type3 = Deflated("bad.txt", "abc", "\x07");  // last block, type 3
  ZipEntry fine = FixedDeflated("fine.txt", "fine");
  EXPECT_EQ(1, Expand({type3, fine}));
  EXPECT_EQ((Texts{"bad.txt ... Compressed data format wrong", "bad.txt ... compressed data CRC error"}),
            Messages());
  EXPECT_EQ(Texts{Ok("fine.txt")}, sink.lines);

  // Cut off by the end of the archive: bad data, never a hang.
  disk.messages.clear();
  std::string stream = FixedLiterals(std::string(500, 'c'));
  EXPECT_EQ(1, Expand({Deflated("cut.txt", std::string(500, 'c'), stream.substr(0, 100))}, ""));
  EXPECT_EQ((Texts{"cut.txt ... Compressed data format wrong", "cut.txt ... compressed data CRC error"}),
            Messages());

  disk.messages.clear();
  void* (*saved)(uint32_t) = AllocateTableBlock;
  AllocateTableBlock = [](uint32_t) -> void* { return nullptr; };
  ResultLevel level = Expand({fine});
  AllocateTableBlock = saved;
  EXPECT_EQ(2, level);
  EXPECT_EQ((Texts{"Out of memory .. Can't continue", "fine.txt ... compressed data CRC error"}),
            Messages());
}

// Names that would overflow a buffer, leave the target folder or reach a
// device are never
// written; their data are read through and the next entry is expanded.
TEST_F(ExpanderTest, UnsafeOrOverlongNamesAreNeverWritten) {
  const std::string longName(40, 'n');
  const std::vector<std::string> names = {longName, "..\\evil.txt", "sub/../../evil.txt",
                                          "C:evil.txt", "\\evil.txt", "/evil.txt",
                                          "no\\such\\folder.txt", "con", "Nul.txt",
                                          "COM1.dat"};
  for (const std::string& name : names) {
    disk.messages.clear();
    sink.lines.clear();
    ZipEntry bad = Stored(name, "payload");
    ZipEntry badDeflated = FixedDeflated(name, "deflated payload");
    ZipEntry after = FixedDeflated("after.txt", name);
    EXPECT_EQ(2, Expand({bad, badDeflated, after})) << name;
    std::string shown = name.size() > 39 ? name.substr(0, 39) : name;
    EXPECT_EQ((Texts{UnableToOpen(shown), UnableToOpen(shown)}), Messages()) << name;
    EXPECT_EQ(Texts{Ok("after.txt")}, sink.lines) << name;
    EXPECT_EQ(name, Content("out/After.txt"));
    EXPECT_FALSE(t.Exists("evil.txt"));
    EXPECT_FALSE(t.Exists("out/Evil.txt"));
    EXPECT_FALSE(t.Exists("out/" + shown));
  }
  // A name of exactly 39 characters is fine.
  sink.lines.clear();
  EXPECT_EQ(0, Expand({Stored(longName.substr(1), "ok")}));
  EXPECT_EQ(Texts{Ok(longName.substr(1))}, sink.lines);
}

TEST_F(ExpanderTest, AnOutputPathLongerThan259IsNeverWritten) {
  std::string prefix = Prefix() + std::string(250 - Prefix().size(), 'f') + "\\";
  std::string name = "twelve chars";
  ZipEntry entry = Stored(name, "x");
  ASSERT_TRUE(t.WriteFile("a.zip", entry.Bytes() + Stored("b.txt", "b").Bytes()));
  EXPECT_EQ(2, ExpandArchive(disk, sink, t.Path("a.zip").c_str(), prefix.c_str()));
  std::string shown = NormalisePath((prefix + name).substr(0, 259).c_str());
  std::string second = NormalisePath((prefix + "b.txt").c_str());
  EXPECT_EQ(259u, shown.size());
  EXPECT_EQ((Texts{"Unable to open " + shown + " file ... Can't continue",
                   "Unable to open " + second + " file ... Can't continue"}),
            Messages());
}

TEST_F(ExpanderTest, NamesDifferingInCaseGiveOneFile) {
  EXPECT_EQ(0, Expand({Stored("Notes.TXT", "first"), FixedDeflated("NOTES.txt", "second")}));
  EXPECT_EQ((Texts{Ok("notes.txt"), Ok("notes.txt")}), sink.lines);
  EXPECT_EQ("second", Content("out/Notes.txt"));
}

// A full disk: the stored copy and the decoder both report every short
// flush, the entry's level is fatal, and the cut file is not listed as OK
// although the bytes counted pass the checks.
TEST_F(ExpanderTest, AFullDiskIsReportedForStoredAndDeflatedEntries) {
  const std::string content = Bytes(100000, 3);
  disk.capacity = 40000;
  for (int method : {0, 8}) {
    disk.messages.clear();
    sink.lines.clear();
    ZipEntry e = method == 0 ? Stored("big.bin", content) : FixedDeflated("big.bin", content);
    ZipEntry next = Stored("small.txt", "small");
    EXPECT_EQ(2, Expand({e, next})) << method;
    const std::string full = "Not enough space for output file ... Can't continue";
    EXPECT_EQ((Texts{full, full, full}), Messages()) << method;  // flushes 2, 3 and 4
    EXPECT_EQ(content.substr(0, 40000), Content("out/Big.bin"));
    EXPECT_EQ("small", Content("out/Small.txt"));
    EXPECT_EQ(Texts{Ok("small.txt")}, sink.lines);
  }
}

TEST_F(ExpanderTest, ExpandIntoFolderCreatesAndEntersTheTarget) {
  ASSERT_TRUE(t.WriteFile("a.zip", Stored("one.txt", "1").Bytes()));
  ASSERT_TRUE(t.WriteFile("out/Old.txt", "old"));
  EXPECT_EQ(0, ExpandIntoFolder(disk, sink, t.Root().c_str(), "A.ZIP", t.Path("new").c_str()));
  EXPECT_EQ("Expanding " + t.Root() + "\\A.ZIP", sink.status);
  EXPECT_EQ("1", Content("new/One.txt"));
  // An existing target is used as it is.
  EXPECT_EQ(0, ExpandIntoFolder(disk, sink, t.Root().c_str(), "a.zip", t.Path("out").c_str()));
  EXPECT_EQ("old", Content("out/Old.txt"));
  EXPECT_EQ("1", Content("out/One.txt"));
  EXPECT_EQ(Texts{}, Messages());

  // A target that cannot be created or entered: nothing happens at all.
  sink.status = "kept";
  EXPECT_EQ(0, ExpandIntoFolder(disk, sink, t.Root().c_str(), "a.zip",
                                t.Path("no\\parent").c_str()));
  EXPECT_EQ("kept", sink.status);
  EXPECT_EQ(Texts{}, Messages());
  EXPECT_FALSE(t.Exists("no"));
}

}  // namespace
