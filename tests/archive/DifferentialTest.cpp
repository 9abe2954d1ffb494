// The decoder against zlib's raw deflate: data of many shapes at every level
// and strategy, with flushes and one-byte refills, decode to the same bytes,
// CRC and count, and the stream stands right after. Then the fuzz corpus and
// every input a fuzzer ever failed on, through the fuzz targets' checks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/archive/StreamKit.h"
#include "tests/fuzz/FuzzTargets.h"

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

const std::vector<std::string> kShapes = {
    "", "x", "abcabcabca", Sample('t', 70000, 1), Sample('b', 50000, 2), Sample('r', 40000, 3),
    Sample('u', 90000, 4),
    Sample('t', 600000, 5) + Sample('r', 200000, 6) + Sample('b', 300000, 7) + Sample('u', 100000, 8)};

// Raw deflate; with |every|, a |flush| after each |every| input bytes.
std::string Compress(const std::string& data, int level, int strategy = Z_DEFAULT_STRATEGY,
                     int flush = Z_NO_FLUSH, size_t every = 0) {
  z_stream z = {};
  EXPECT_EQ(Z_OK, deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy));
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

TEST(DifferentialTest, EveryLevelAndStrategy) {
  for (const std::string& data : kShapes)
    for (int level = 0; level <= 9; level++)
      for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED})
        ExpectDecodes(Compress(data, level, strategy), data,
                   std::to_string(data.size()) + " bytes, level " + std::to_string(level) +
                       ", strategy " + std::to_string(strategy));
}

// Flushes put empty stored or fixed blocks and byte alignment into the
// stream; odd refill sizes move every boundary.
TEST(DifferentialTest, FlushesAndRefills) {
  for (const std::string& data : kShapes) {
    const std::string what = std::to_string(data.size()) + " bytes";
    for (int flush : {Z_FULL_FLUSH, Z_SYNC_FLUSH, Z_PARTIAL_FLUSH})
      for (size_t every : {size_t{1000}, size_t{32768}})
        ExpectDecodes(Compress(data, 6, Z_DEFAULT_STRATEGY, flush, every), data,
                   what + ", flush " + std::to_string(flush));
    for (size_t chunk : {size_t{1}, size_t{4093}})
      if (chunk > 1 || data.size() < 100000)
        ExpectDecodes(Compress(data, 6), data, what + ", refill " + std::to_string(chunk), chunk);
  }
}

void Replay(const std::string& target, void (*run)(const uint8_t*, size_t)) {
  int count = 0;
  for (const char* set : {"corpus", "regressions"}) {
    const std::filesystem::path folder = std::filesystem::path("../fuzz") / set / target;
    if (!std::filesystem::is_directory(folder)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      SCOPED_TRACE(entry.path().string());
      run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      count++;
    }
  }
  EXPECT_GT(count, 0) << target;
}

TEST(FuzzReplayTest, CorpusAndRegressions) {
  Replay("inflate", FuzzInflate);
  Replay("archive", FuzzArchive);
}

}  // namespace
