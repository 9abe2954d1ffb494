// The decoder against zlib's raw deflate: data of many shapes, compressed at
// every level and strategy and with flushes, decode byte for byte.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "tests/archive/InflateHarness.h"

namespace {

// Text of a few words, structured records, random bytes or runs.
std::string Sample(char kind, size_t n, unsigned seed) {
  static const char* kWords[] = {"the ", "drawing ", "layer ", "of ", "a ", "line.\n",
                                 "circle ", "to ", "scale ", "sheet, "};
  std::mt19937 rng(seed);
  std::string s;
  for (uint32_t i = 0; s.size() < n; i++) {
    if (kind == 't') s += kWords[rng() % 10];
    if (kind == 'r') s += static_cast<char>(rng());
    if (kind == 'u') s.append(1 + rng() % 600, static_cast<char>(rng() % 4));
    if (kind == 'b') {
      uint32_t record[4] = {i, i * 3 + 17, 40000 - i % 977, 0x51445257};
      s.append(reinterpret_cast<const char*>(record), sizeof record);
    }
  }
  s.resize(n);
  return s;
}

const std::vector<std::string>& Shapes() {
  static const std::vector<std::string> shapes = {
      "", "x", "abcabcabca", Sample('t', 70000, 1), Sample('b', 50000, 2), Sample('r', 40000, 3),
      Sample('u', 90000, 4),
      Sample('t', 600000, 5) + Sample('r', 200000, 6) + Sample('b', 300000, 7) +
          Sample('u', 100000, 8)};
  return shapes;
}

// Raw deflate; with |every|, a |flush| after each |every| input bytes.
std::string Compress(const std::string& data, int level, int strategy = Z_DEFAULT_STRATEGY,
                     int windowBits = -15, int flush = Z_NO_FLUSH, size_t every = 0) {
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
    EXPECT_NE(Z_STREAM_ERROR, deflate(&z, done == data.size() ? Z_FINISH : flush));
  } while (done < data.size());
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Same bytes, the CRC and count of zlib's, and the stream right after.
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
  for (const std::string& data : Shapes())
    for (int level = 0; level <= 9; level++)
      for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED})
        ExpectSame(Compress(data, level, strategy), data,
                   std::to_string(data.size()) + " bytes, level " + std::to_string(level) +
                       ", strategy " + std::to_string(strategy));
}

// Flushes put empty stored or fixed blocks and byte alignment into the
// stream; small windows and odd refill sizes move every boundary.
TEST(DifferentialTest, FlushesWindowSizesAndRefills) {
  for (const std::string& data : Shapes()) {
    const std::string what = std::to_string(data.size()) + " bytes";
    for (int flush : {Z_FULL_FLUSH, Z_SYNC_FLUSH, Z_PARTIAL_FLUSH})
      for (size_t every : {size_t{1000}, size_t{32768}})
        ExpectSame(Compress(data, 6, Z_DEFAULT_STRATEGY, -15, flush, every), data,
                   what + ", flush " + std::to_string(flush));
    for (int windowBits : {-9, -12})
      ExpectSame(Compress(data, 9, Z_DEFAULT_STRATEGY, windowBits), data, what + ", small window");
    for (size_t chunk : {size_t{1}, size_t{4093}})
      if (chunk > 1 || data.size() < 100000)
        ExpectSame(Compress(data, 6), data, what + ", refill " + std::to_string(chunk), chunk);
  }
}

// Cut anywhere, a real stream ends with a non-zero status.
TEST(DifferentialTest, CutOffStreamsFail) {
  std::mt19937 rng(9);
  for (const std::string& data : Shapes()) {
    for (int level : {0, 1, 9}) {
      const std::string stream = Compress(data, level);
      for (size_t i = 0; i < 40 && data.size() < 100000; i++) {
        size_t cut = i < 8 ? stream.size() - std::min(stream.size(), i + 1) : rng() % stream.size();
        MemoryFile in(stream.substr(0, cut));
        NullFile out;
        AttachArchive(&in);
        Expansion.output = &out;
        EXPECT_NE(0, Inflate()) << data.size() << " bytes, level " << level << ", cut " << cut;
        ReleaseFixedTables();
      }
    }
  }
  AttachArchive(nullptr);
  Expansion.output = nullptr;
}

}  // namespace
