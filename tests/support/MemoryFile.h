// Files held in memory, to feed the archive engine bytes and catch what it
// writes: unit tests, fuzz targets and the benchmark.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Platform.h"

// Reads nothing; counts what is written and throws it away.
class NullFile : public File {
 public:
  size_t Read(void*, size_t) override { return 0; }
  size_t Write(const void*, size_t n, bool* brokenPipe) override {
    if (brokenPipe) *brokenPipe = false;
    written += n;
    return n;
  }
  unsigned long long written = 0;
};

// Keeps what is written and the size of every write.
class CaptureFile : public NullFile {
 public:
  size_t Write(const void* data, size_t n, bool* brokenPipe) override {
    bytes.append(static_cast<const char*>(data), n);
    writes.push_back(n);
    return NullFile::Write(data, n, brokenPipe);
  }
  std::string bytes;
  std::vector<size_t> writes;
};

// Reads from a copy of |data|, at most |chunk| bytes per Read, so callers can
// make the archive buffer refill at any byte they like.
class MemoryFile : public NullFile {
 public:
  explicit MemoryFile(std::string data, size_t chunk = ~size_t{0})
      : data_(std::move(data)), chunk_(chunk ? chunk : 1) {}
  size_t Read(void* buffer, size_t n) override {
    n = std::min({n, chunk_, data_.size() - pos_});
    memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string data_;
  size_t chunk_;
  size_t pos_ = 0;
};
