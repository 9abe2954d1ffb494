#include "archive/Expander.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "archive/EntryName.h"
#include "archive/ExpandState.h"
#include "archive/Inflate.h"
#include "archive/LittleEndian.h"
#include "platform/ComposePath.h"
#include "platform/NormalisePath.h"
#include "state/InstallerState.h"  // FilePause

namespace {

const uint32_t kLocalHeaderSignature = 0x04034B50;
const unsigned kHeaderSize = 30;
const unsigned kNameSize = 40;      // at most 39 characters
const unsigned kShortTextSize = 80; // at most 79 characters
const unsigned kMessageSize = 1024;

// Working buffers of the walk; one of each, the walk is not re-entrant.
// Messages and file lines are composed in the walk's own buffer, so no
// argument handed in can be the buffer being formatted into.
uint8_t Header[kHeaderSize];
char WalkMessage[kMessageSize];
char EntryName[kNameSize];
char OutputPath[kPathSize];
char StatusText[kShortTextSize];
char ArchivePath[kShortTextSize];
char TargetPrefix[kShortTextSize];

// The walk's message boxes have no owner and the platform's default caption.
void ShowMessage(Platform& platform, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(WalkMessage, sizeof WalkMessage, format, args);
  va_end(args);
  platform.ShowMessage(BoxOwner::None, WalkMessage, nullptr);
}

// Reads the 30-byte local header; false at the end of the headers.
bool ReadLocalHeader() {
  for (unsigned i = 0; i < kHeaderSize; i++) {
    int c = NextByte();
    if (c < 0) return false;
    Header[i] = static_cast<uint8_t>(c);
  }
  return Le32(Header) == kLocalHeaderSignature;
}

// Reads the entry name into EntryName, as far as 39 characters and a NUL
// byte allow; false when the name is too long, holds a NUL byte (the file
// would be made under a shorter name) or was cut off by the end of the
// archive.
bool ReadEntryName(unsigned length) {
  bool complete = length < kNameSize;
  unsigned kept = 0;
  EntryName[0] = '\0';
  for (unsigned i = 0; i < length; i++) {
    int c = NextByte();
    if (c < 0) return false;
    if (c == 0) complete = false;  // the name reads only as far as the NUL
    if (kept < kNameSize - 1) EntryName[kept++] = static_cast<char>(c);
    EntryName[kept] = '\0';
  }
  return complete;
}

// Sets OutputPath to the normalised target prefix and entry name; false when
// the whole path does not fit, in which case OutputPath holds what fits.
bool ComposeOutputPath(const char* targetPrefix) {
  const bool fits = ComposePath(OutputPath, sizeof OutputPath, "%s%s", targetPrefix, EntryName) &&
                    NormalisedLength(OutputPath) < kPathSize;
  const char* normalised = NormalisePath(OutputPath);  // never longer than the buffer
  memcpy(OutputPath, normalised, strlen(normalised) + 1);
  return fits;
}

// A full disk is reported once per entry, at the first write that fell
// short: every further flush of the entry would fail the same way, and each
// box waits for a click.
const char kNoSpace[] = "Not enough space for output file ... Can't continue";

// Flushes a stored entry's window; the first write of the entry that fell
// short is reported at once. Returns whether any write fell short.
bool FlushStoredAndReport(Platform& platform, bool fellShortBefore) {
  if (!FlushStored()) return fellShortBefore;
  if (!fellShortBefore) ShowMessage(platform, kNoSpace);
  return true;
}

// Takes count archive bytes into the window as a stored entry; missing bytes
// past the end of the archive read as 0xFF. Returns whether a write fell
// short.
bool CopyStored(Platform& platform, uint32_t count) {
  ExpandState& s = Expansion;
  bool fellShort = false;
  while (count > 0) {
    uint32_t n = kWindowSize - s.storedCount;
    if (n > count) n = count;
    uint32_t taken = TakeArchiveBytes(s.window + s.storedCount, n);
    memset(s.window + s.storedCount + taken, 0xFF, n - taken);
    s.storedCount += n;
    count -= n;
    if (s.storedCount == kWindowSize) fellShort = FlushStoredAndReport(platform, fellShort);
  }
  if (s.storedCount != 0) fellShort = FlushStoredAndReport(platform, fellShort);
  return fellShort;
}

// Reads and drops up to count archive bytes, stopping at the end.
void SkipBytes(uint32_t count) { TakeArchiveBytes(nullptr, count); }

// Gives the file the header's MS-DOS time stamp; false when it cannot be set.
bool RestoreTimeStamp(Platform& platform) {
  FileTime local = 0;
  // A date or time that is no valid MS-DOS value leaves the file's own time.
  if (!platform.DosDateTimeToLocalFileTime(Le16(Header + 12), Le16(Header + 10), &local))
    return true;
  FileTime utc = local;
  platform.LocalFileTimeToUtc(local, &utc);
  return platform.SetFileTimes(OutputPath, utc);
}

// Expands the entry whose header has just been read; returns its level and
// tells the observer, if any, what became of it.
ResultLevel ExpandEntry(Platform& platform, ProgressSink& progress, const char* targetPrefix,
                        WalkEntry* report) {
  ExpandState& s = Expansion;
  ResultLevel level = kLevelSuccess;
  const unsigned method = Le16(Header + 8);
  const uint32_t headerCrc = Le32(Header + 14);
  const uint32_t compressedSize = Le32(Header + 18);
  const uint32_t size = Le32(Header + 22);

  bool nameUsable = ReadEntryName(Le16(Header + 26));
  SkipBytes(Le16(Header + 28));
  nameUsable = ComposeOutputPath(targetPrefix) && nameUsable && NameIsSafe(EntryName);

  // A file that cannot be made is never written, but its data are still
  // read through so the walk stays at the next header.
  s.output = nameUsable ? platform.OpenWrite(OutputPath) : nullptr;
  if (!s.output) {
    ShowMessage(platform, "Unable to open %s file ... Can't continue", OutputPath);
    level = kLevelFatal;
  }
  s.storedCount = 0;
  s.bytesWritten = 0;
  s.shortWrites = 0;
  CrcUpdate(nullptr, 0);

  // A file whose writes fell short is incomplete on disk, whatever its
  // checks say, so it is never listed as OK.
  bool fellShort = false;
  if (method == 0) {
    fellShort = CopyStored(platform, size);
  } else if (method == 8) {
    const InflateStatus r = Inflate();
    fellShort = s.shortWrites > 0;
    if (fellShort) ShowMessage(platform, kNoSpace);
    if (r == kInflateOutOfMemory) {
      ShowMessage(platform, "Out of memory .. Can't continue");
      level = kLevelFatal;
    } else if (r != kInflateOk) {
      ShowMessage(platform, "%s ... Compressed data format wrong", EntryName);
      level = Worse(level, kLevelNotFatal);
    }
    ReleaseFixedTables();
  } else {
    SkipBytes(compressedSize);
  }
  if (fellShort) level = kLevelFatal;
  const bool written = s.output != nullptr;
  delete s.output;
  s.output = nullptr;

  report->name = EntryName;
  report->written = written && !fellShort;
  report->listed = false;
  if (method != 0 && method != 8) {
    ShowMessage(platform, "%s ... not stored or deflated, can't unzip", EntryName);
    report->written = false;
    return level;  // skipped: no checks, no file line, no time stamp
  }

  if (headerCrc != CrcUpdate(s.window, 0)) {
    ShowMessage(platform, "%s ... compressed data CRC error", EntryName);
    level = Worse(level, kLevelNotFatal);
  } else if (size != s.bytesWritten) {
    ShowMessage(platform, "%s ... compressed data length error", EntryName);
    level = Worse(level, kLevelNotFatal);
  } else if (written && !fellShort) {
    snprintf(WalkMessage, sizeof WalkMessage, "%s ... OK", OutputPath);
    progress.AddFileLine(WalkMessage);
    progress.Pause(FilePause);
    report->listed = true;
  }
  if (written && !RestoreTimeStamp(platform)) {
    ShowMessage(platform, "Unable to reset %s file date and time", OutputPath);
    level = Worse(level, kLevelNotFatal);
  }
  return level;
}

// The archive file, counting the bytes it has delivered, so that the walk
// knows at which offset it stands.
class CountingFile : public File {
 public:
  explicit CountingFile(File* file) : file_(file) {}
  ~CountingFile() override { delete file_; }
  size_t Read(void* buffer, size_t n) override {
    size_t got = file_->Read(buffer, n);
    delivered_ += got;
    return got;
  }
  size_t Write(const void* data, size_t n, bool* brokenPipe) override {
    return file_->Write(data, n, brokenPipe);
  }
  // The offset of the next byte the walk takes.
  uint64_t Offset() const {
    const ArchiveStream& a = Expansion.archive;
    return delivered_ - static_cast<uint64_t>(a.end - a.next);
  }

 private:
  File* file_;
  uint64_t delivered_ = 0;
};

}  // namespace

ResultLevel ExpandArchive(Platform& platform, ProgressSink& progress,
                          const char* archivePath, const char* targetPrefix,
                          WalkObserver* observer) {
  File* file = platform.OpenRead(archivePath);
  if (!file) {
    ShowMessage(platform, "%s file is missing", archivePath);
    return kLevelFatal;
  }
  CountingFile archive(file);
  AttachArchive(&archive);
  ResultLevel result = kLevelSuccess;
  WalkEntry entry = {};
  for (;;) {
    entry.headerOffset = archive.Offset();
    if (!ReadLocalHeader()) break;
    entry.header = Header;
    entry.level = ExpandEntry(platform, progress, targetPrefix, &entry);
    result = Worse(result, entry.level);
    if (observer) observer->EntryDone(entry);
  }
  if (observer) observer->WalkEnded(entry.headerOffset);
  AttachArchive(nullptr);
  return result;
}

ResultLevel ExpandIntoFolder(Platform& platform, ProgressSink& progress,
                             const char* sourceFolder, const char* archiveName,
                             const char* targetFolder) {
  platform.MakeFolder(targetFolder);
  if (platform.ChangeFolder(targetFolder) != 0) return kLevelSuccess;

  snprintf(StatusText, sizeof StatusText, "Expanding %s\\%s", sourceFolder, archiveName);
  progress.SetStatus(StatusText);

  // A path cut to fit would name another archive or another folder.
  const bool whole =
      ComposePath(ArchivePath, sizeof ArchivePath, "%s\\%s", sourceFolder, archiveName) &&
      ComposePath(TargetPrefix, sizeof TargetPrefix, "%s\\", targetFolder);
  if (!whole) {
    ShowMessage(platform, "%s file is missing", ArchivePath);
    return kLevelFatal;
  }
  return ExpandArchive(platform, progress, ArchivePath, TargetPrefix);
}
