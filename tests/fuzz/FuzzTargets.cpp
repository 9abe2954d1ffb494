// The libFuzzer targets: TESMO_FUZZ_TARGET names the one a build runs.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/Expander.h"
#include "platform/HostPlatform.h"
#include "tests/archive/StreamKit.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "fuzz check failed: %s\n", what);
  abort();
}

// zlib's raw inflate; false unless it reaches the end of the final block.
// *used is the count of input bytes it took.
bool ZlibInflate(const uint8_t* data, size_t size, std::string* out, size_t* used) {
  z_stream z = {};
  inflateInit2(&z, -15);
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  int r;
  do {
    out->resize(z.total_out + 65536);
    z.next_out = reinterpret_cast<Bytef*>(&(*out)[z.total_out]);
    z.avail_out = 65536;
    r = inflate(&z, Z_NO_FLUSH);
  } while (r == Z_OK);
  out->resize(z.total_out);
  *used = z.total_in;
  inflateEnd(&z);
  return r == Z_STREAM_END;
}

const char kArchivePath[] = "F:\\Archive.zip";
const char kTarget[] = "F:\\Out\\";

// Whether |path| names a file right in the target folder: no separator or
// drive after it, and no name of dots and blanks only that Windows would
// take for the parent (it drops trailing dots and blanks).
bool InsideTarget(const char* path) {
  const size_t n = strlen(kTarget);
  if (strncmp(path, kTarget, n) != 0 || strpbrk(path + n, "\\/:")) return false;
  int dots = 0;
  for (const char* c = path + n; *c; c++) {
    if (*c == '.') dots++;
    else if (*c != ' ') return true;
  }
  return dots < 2;
}

// The host platform, with the archive as the only file there is and output
// files that keep nothing, so a header that claims gigabytes fills no disk.
class MemoryPlatform : public HostPlatform, public ProgressSink {
 public:
  explicit MemoryPlatform(std::string archive) : archive_(std::move(archive)) {}
  File* OpenRead(const char* path) override {
    return strcmp(path, kArchivePath) == 0 ? new MemoryFile(archive_, 4096) : nullptr;
  }
  File* OpenWrite(const char* path) override {
    Check(InsideTarget(path), "output file outside the target folder");
    return new NullFile;
  }
  int MakeFolder(const char*) override { return 0; }
  int ChangeFolder(const char*) override { return 0; }
  bool SetFileTimes(const char*, FileTime) override { return true; }
  void ShowMessage(BoxOwner, const char* text, const char*) override {
    Check(strlen(text) < 1024, "message longer than its buffer");
  }
  void SetStatus(const char*) override {}
  int AddFileLine(const char*) override { return 1; }
  void Pause(int) override {}

 private:
  std::string archive_;
};

// A stored entry cut short is filled up to the size its header claims (up to
// 4 GiB of work): such inputs are left out, so the fuzzer keeps its pace.
bool ClaimsHugeStoredEntry(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 30 <= size; i++) {
    const uint8_t* h = data + i;
    uint32_t stored = h[22] | h[23] << 8 | h[24] << 16 | static_cast<uint32_t>(h[25]) << 24;
    if (memcmp(h, "PK\x03\x04", 4) == 0 && h[8] == 0 && h[9] == 0 && stored > size - i + (1u << 20))
      return true;
  }
  return false;
}

}  // namespace

// One raw deflate stream. Where zlib decodes it too, output and end of stream
// must be zlib's: the decoder may accept more than zlib, never less.
void FuzzInflate(const uint8_t* data, size_t size) {
  const Decoded d = Decode(std::string(reinterpret_cast<const char*>(data), size), 1000, "");
  Check(d.status >= 0 && d.status <= 3, "status out of range");
  Check(d.status != 0 || d.out.size() == d.counted, "output count");
  std::string expected;
  size_t used;
  // Both stop right after the byte that holds the final block's last bit.
  if (ZlibInflate(data, size, &expected, &used))
    Check(d.status == 0 && expected == d.out && size - d.rest.size() == used,
          "status, output or stream position differs from zlib's");
}

// An archive on a platform that keeps no output; the level must be 0, 1 or 2,
// every message fit its buffer and every output file stay in the target.
void FuzzArchive(const uint8_t* data, size_t size) {
  if (ClaimsHugeStoredEntry(data, size)) return;
  MemoryPlatform platform(std::string(reinterpret_cast<const char*>(data), size));
  ResultLevel level = ExpandArchive(platform, platform, kArchivePath, kTarget);
  Check(level >= 0 && level <= 2, "level out of range");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TESMO_FUZZ_TARGET(data, size);
  return 0;
}
