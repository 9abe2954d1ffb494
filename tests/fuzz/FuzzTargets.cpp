#include "tests/fuzz/FuzzTargets.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/Expander.h"
#include "archive/ExpandState.h"
#include "archive/Inflate.h"
#include "platform/FileTimeMath.h"
#include "tests/support/MemoryFile.h"

namespace {

void Fail(const char* what) {
  fprintf(stderr, "fuzz check failed: %s\n", what);
  abort();
}

// zlib's raw inflate of the whole input; false unless it reaches the end of
// the final block. *used is the count of input bytes it took.
bool ZlibInflate(const uint8_t* data, size_t size, std::string* out, size_t* used) {
  z_stream z = {};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  int r;
  do {
    unsigned char buffer[65536];
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    r = inflate(&z, Z_NO_FLUSH);
    out->append(reinterpret_cast<char*>(buffer), sizeof buffer - z.avail_out);
  } while (r == Z_OK);
  *used = z.total_in;
  inflateEnd(&z);
  return r == Z_STREAM_END;
}

// The archive is the only file there is; output files keep nothing, so a
// header that claims gigabytes fills no disk.
class MemoryPlatform : public Platform {
 public:
  MemoryPlatform(const uint8_t* data, size_t size)
      : archive_(reinterpret_cast<const char*>(data), size) {}
  File* OpenRead(const char* path) override {
    return strcmp(path, kArchivePath) == 0 ? new MemoryFile(archive_, 4096) : nullptr;
  }
  File* OpenWrite(const char*) override { return new NullFile; }
  int MakeFolder(const char*) override { return 0; }
  int ChangeFolder(const char*) override { return 0; }
  bool DosDateTimeToLocalFileTime(uint16_t d, uint16_t t, FileTime* out) override {
    return DosDateTimeToFileTimeValue(d, t, out);
  }
  bool LocalFileTimeToUtc(FileTime local, FileTime* utc) override {
    *utc = local;
    return true;
  }
  bool SetFileTimes(const char*, FileTime) override { return true; }
  bool ReadLastWriteTime(const char*, FileTime*) override { return false; }
  bool UtcToLocalCalendar(FileTime utc, CalendarTime* out) override {
    return FileTimeToCalendar(utc, out);
  }
  bool EscapeKeyPressed() override { return false; }
  void ShowMessage(BoxOwner, const char* text, const char*) override {
    if (strlen(text) >= 1024) Fail("message longer than its buffer");
  }

  static constexpr const char* kArchivePath = "F:\\Archive.zip";

 private:
  std::string archive_;
};

class NoProgress : public ProgressSink {
 public:
  void SetStatus(const char*) override {}
  int AddFileLine(const char*) override { return 1; }
  void Pause(int) override {}
};

}  // namespace

void FuzzInflate(const uint8_t* data, size_t size) {
  MemoryFile in(std::string(reinterpret_cast<const char*>(data), size), 1000);
  CaptureFile out;
  AttachArchive(&in);
  Expansion.output = &out;
  Expansion.bytesWritten = 0;
  CrcUpdate(nullptr, 0);
  int status = Inflate();
  ReleaseFixedTables();
  size_t rest = 0;
  while (NextByte() >= 0) rest++;
  AttachArchive(nullptr);
  Expansion.output = nullptr;

  if (status < 0 || status > 3) Fail("status out of range");
  if (status == 0 && out.bytes.size() != Expansion.bytesWritten) Fail("output count");
  std::string expected;
  size_t used;
  if (ZlibInflate(data, size, &expected, &used)) {
    if (status != 0) Fail("zlib decodes a stream the decoder refuses");
    if (expected != out.bytes) Fail("output differs from zlib's");
    // Both stop right after the byte that holds the final block's last bit.
    if (size - rest != used) Fail("stream position differs from zlib's");
  }
}

// A stored entry cut short is filled up to the size its header claims, up to
// 4 GiB of work for one input. Inputs with a stored header that claims far
// more than the bytes after it are left out, so the fuzzer keeps its pace.
bool ClaimsHugeStoredEntry(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 30 <= size; i++) {
    if (memcmp(data + i, "PK\x03\x04", 4) != 0) continue;
    const uint8_t* h = data + i;
    uint32_t method = h[8] | h[9] << 8;
    uint32_t stored = h[22] | h[23] << 8 | h[24] << 16 | static_cast<uint32_t>(h[25]) << 24;
    if (method == 0 && stored > size - i + (1u << 20)) return true;
  }
  return false;
}

void FuzzArchive(const uint8_t* data, size_t size) {
  if (ClaimsHugeStoredEntry(data, size)) return;
  MemoryPlatform platform(data, size);
  NoProgress progress;
  ResultLevel level = ExpandArchive(platform, progress, MemoryPlatform::kArchivePath, "F:\\Out\\");
  if (level < 0 || level > 2) Fail("level out of range");
}
