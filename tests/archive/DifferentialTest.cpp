// The decoder against zlib's raw deflate: same bytes, CRC and count, and the
// stream right after.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "archive/Crc32.h"
#include "tests/archive/StreamKit.h"

namespace {

// Text of a few words, structured records, random bytes or runs.
std::string Sample(char kind, size_t n, unsigned seed) {
  static const char* kWords[] = {"the ", "drawing ", "layer ", "of ", "a ", "line.\n", "circle ", "sheet, "};
  std::mt19937 rng(seed);
  std::string s;
  for (uint32_t i = 0; s.size() < n; i++) {
    const uint32_t record[4] = {i, i * 3 + 17, 40000 - i % 977, 0x51445257};
    if (kind == 't') s += kWords[rng() % 8];
    if (kind == 'b') s.append(reinterpret_cast<const char*>(record), sizeof record);
    if (kind == 'r') s += static_cast<char>(rng());
    if (kind == 'u') s.append(1 + rng() % 600, static_cast<char>(rng() % 4));
  }
  return s.substr(0, n);
}

// Raw deflate; with |every|, a |flush| after each |every| input bytes.
std::string Compress(const std::string& data, int level, int strategy, int flush = Z_NO_FLUSH,
                     size_t every = ~size_t{0}) {
  z_stream z = {};
  EXPECT_EQ(Z_OK, deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy));
  std::string out(deflateBound(&z, data.size()) + 64 + data.size() / 1000 * 16, '\0');
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  do {
    z.avail_in = static_cast<uInt>(std::min(every, data.size() - z.total_in));
    EXPECT_NE(Z_STREAM_ERROR, deflate(&z, z.total_in + z.avail_in == data.size() ? Z_FINISH : flush));
  } while (z.total_in < data.size());
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Every level and strategy; flushes put empty stored or fixed blocks and
// byte alignment into the stream; odd refill sizes move every boundary.
TEST(DifferentialTest, EveryLevelStrategyFlushAndRefill) {
  for (const std::string& data :
       {std::string(), std::string("x"), std::string("abcabcabca"), Sample('t', 70000, 1),
        Sample('b', 50000, 2), Sample('r', 40000, 3), Sample('u', 90000, 4),
        Sample('t', 600000, 5) + Sample('r', 200000, 6) + Sample('b', 300000, 7) + Sample('u', 100000, 8)}) {
    const std::string what = std::to_string(data.size()) + " bytes, ";
    for (int level = 0; level <= 9; level++)
      for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED})
        ExpectDecodes(Compress(data, level, strategy), data,
                      what + "level " + std::to_string(level) + ", strategy " + std::to_string(strategy));
    for (int flush : {Z_FULL_FLUSH, Z_SYNC_FLUSH, Z_PARTIAL_FLUSH})
      for (size_t every : {1000, 32768})
        ExpectDecodes(Compress(data, 6, Z_DEFAULT_STRATEGY, flush, every), data, what + "flush " + std::to_string(flush));
    for (size_t chunk : {1, 4093})
      if (chunk > 1 || data.size() < 100000)
        ExpectDecodes(Compress(data, 6, Z_DEFAULT_STRATEGY), data, what + "refill " + std::to_string(chunk), chunk);
  }
}

// The host tool's fast CRC (linked here) and the installer's table give
// zlib's value from every start alignment, across the 64-byte bulk and the
// 16-byte steps of the fast path, and carried over a split.
TEST(DifferentialTest, FastAndTableCrcAgreeWithZlib) {
  const std::string data = Sample('r', 4096 + 64, 7);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data.data());
  for (size_t start : {0, 1, 3, 7}) {
    for (size_t n : {0, 1, 15, 63, 64, 65, 200, 4096}) {
      const uint32_t want = static_cast<uint32_t>(crc32(0, bytes + start, static_cast<uInt>(n)));
      EXPECT_EQ(want, ~Crc32Update(~0u, bytes + start, n)) << start << " " << n;
      EXPECT_EQ(want, ~Crc32ByTable(~0u, bytes + start, n)) << start << " " << n;
      EXPECT_EQ(want, ~Crc32ByTable(Crc32Update(~0u, bytes + start, n / 2), bytes + start + n / 2,
                                    n - n / 2));
    }
  }
}

}  // namespace
