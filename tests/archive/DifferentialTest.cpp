// The decoder against zlib's raw deflate: data of many shapes, compressed at
// every level and strategy and with flushes, decode byte for byte.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "tests/archive/InflateHarness.h"

namespace {

struct Shape {
  const char* name;
  std::string data;
};

std::string EnglishLike(size_t n, unsigned seed) {
  static const char* kWords[] = {"the",   "drawing", "layer", "of",    "a",      "line",
                                 "and",   "circle",  "to",    "scale", "sheet",  "with",
                                 "arc",   "text",    "block", "plot",  "Tesmo.", "lesson\n"};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < n) {
    s += kWords[rng() % 18];
    s += ' ';
  }
  s.resize(n);
  return s;
}

std::string Random(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// Records of little-endian fields with slowly changing values.
std::string Structured(size_t n) {
  std::string s;
  for (uint32_t i = 0; s.size() < n; i++) {
    uint32_t fields[4] = {i, i * 3 + 17, 40000 - i % 977, 0x51445257};
    s.append(reinterpret_cast<const char*>(fields), sizeof fields);
  }
  s.resize(n);
  return s;
}

std::string Runs(size_t n) {
  std::mt19937 rng(5);
  std::string s;
  while (s.size() < n) s.append(1 + rng() % 600, static_cast<char>(rng() % 4));
  s.resize(n);
  return s;
}

const std::vector<Shape>& Shapes() {
  static const std::vector<Shape> shapes = {
      {"empty", ""},
      {"one byte", "x"},
      {"tiny", "abcabcabca"},
      {"text", EnglishLike(70000, 1)},
      {"binary", Structured(50000)},
      {"random", Random(40000, 2)},
      {"runs", Runs(90000)},
      {"large mixed", EnglishLike(600000, 3) + Random(200000, 4) + Structured(300000) +
                          Runs(100000)},
  };
  return shapes;
}

// Raw deflate, flushing with |flush| every |every| input bytes.
std::string Compress(const std::string& data, int level, int strategy, int windowBits = -15,
                     int flush = Z_NO_FLUSH, size_t every = 0) {
  z_stream z = {};
  EXPECT_EQ(Z_OK, deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, strategy));
  std::string out(deflateBound(&z, data.size()) + 64 + (every ? data.size() / every * 16 : 0), '\0');
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  size_t done = 0;
  do {
    size_t n = every ? std::min(every, data.size() - done) : data.size() - done;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + done));
    z.avail_in = static_cast<uInt>(n);
    done += n;
    bool end = done == data.size();
    int r = deflate(&z, end ? Z_FINISH : flush);
    EXPECT_EQ(end ? Z_STREAM_END : Z_OK, r);
  } while (done < data.size());
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

void ExpectSame(const std::string& stream, const std::string& data, const std::string& what,
                size_t chunk = 1 << 20) {
  Decoded d = Decode(stream, chunk);
  ASSERT_EQ(0, d.status) << what;
  ASSERT_TRUE(d.out == data) << what << ": output differs";
  ASSERT_EQ(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())),
            d.crc)
      << what;
  ASSERT_EQ(data.size(), d.counted) << what;
  ASSERT_EQ(kNextHeader, d.rest) << what << ": stream position";
}

TEST(DifferentialTest, EveryLevelAndStrategy) {
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  for (const Shape& shape : Shapes()) {
    for (int level = 0; level <= 9; level++) {
      for (int strategy : strategies) {
        std::string what = std::string(shape.name) + " level " + std::to_string(level) +
                           " strategy " + std::to_string(strategy);
        ExpectSame(Compress(shape.data, level, strategy), shape.data, what);
      }
    }
  }
}

// Full and sync flushes put empty stored blocks and byte alignment into the
// stream; small windows and odd refill sizes move every boundary.
TEST(DifferentialTest, FlushesWindowSizesAndRefills) {
  for (const Shape& shape : Shapes()) {
    for (int flush : {Z_FULL_FLUSH, Z_SYNC_FLUSH, Z_PARTIAL_FLUSH}) {
      for (size_t every : {size_t{1000}, size_t{32768}}) {
        ExpectSame(Compress(shape.data, 6, Z_DEFAULT_STRATEGY, -15, flush, every), shape.data,
                   std::string(shape.name) + " flush " + std::to_string(flush));
      }
    }
    for (int windowBits : {-9, -12}) {
      ExpectSame(Compress(shape.data, 9, Z_DEFAULT_STRATEGY, windowBits), shape.data,
                 std::string(shape.name) + " window " + std::to_string(windowBits));
    }
    for (size_t chunk : {size_t{1}, size_t{4093}}) {
      if (chunk == 1 && shape.data.size() > 100000) continue;
      ExpectSame(Compress(shape.data, 6, Z_DEFAULT_STRATEGY), shape.data,
                 std::string(shape.name) + " chunk " + std::to_string(chunk), chunk);
    }
  }
}

// Cut anywhere, a real stream ends with a non-zero status.
TEST(DifferentialTest, CutOffStreamsFail) {
  std::mt19937 rng(9);
  for (const Shape& shape : Shapes()) {
    if (shape.data.size() > 100000) continue;
    for (int level : {0, 1, 9}) {
      std::string stream = Compress(shape.data, level, Z_DEFAULT_STRATEGY);
      for (int i = 0; i < 40 && !stream.empty(); i++) {
        size_t cut = i < 8 ? (stream.size() > static_cast<size_t>(i) ? stream.size() - 1 - i : 0)
                           : rng() % stream.size();
        MemoryFile in(stream.substr(0, cut));
        NullFile out;
        AttachArchive(&in);
        Expansion.output = &out;
        EXPECT_NE(0, Inflate()) << shape.name << " level " << level << " cut " << cut;
        ReleaseFixedTables();
      }
    }
  }
  AttachArchive(nullptr);
  Expansion.output = nullptr;
}

}  // namespace
