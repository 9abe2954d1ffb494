// CRC-32, the two window flushes and the archive byte input.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "archive/ExpandState.h"
#include "tests/archive/StreamWriter.h"
#include "tests/support/MemoryFile.h"

namespace {

uint32_t Crc(const std::string& s) {
  CrcUpdate(nullptr, 0);
  return CrcUpdate(reinterpret_cast<const uint8_t*>(s.data()), static_cast<uint32_t>(s.size()));
}

std::string Pattern(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; i++) {
    seed = seed * 1103515245u + 12345u;
    s[i] = static_cast<char>(seed >> 16);
  }
  return s;
}

TEST(CrcTest, KnownValues) {
  EXPECT_EQ(0u, CrcUpdate(nullptr, 0));  // the CRC of nothing
  EXPECT_EQ(0xCBF43926u, Crc("123456789"));
  EXPECT_EQ(0x414FA339u, Crc("The quick brown fox jumps over the lazy dog"));
  EXPECT_EQ(0x190A55ADu, Crc(std::string(32, '\0')));
  EXPECT_EQ(0xFF6CAB0Bu, Crc(std::string(32, '\xFF')));
}

// Lengths on both sides of the folding threshold, from every alignment:
// the fast path must agree with the plain definition byte for byte.
TEST(CrcTest, EveryLengthAndAlignmentMatchesTheBitwiseDefinition) {
  const std::string data = Pattern(300 + 16, 7);
  for (size_t start = 0; start < 16; start++) {
    for (size_t length = 0; length <= 300; length++) {
      std::string piece = data.substr(start, length);
      ASSERT_EQ(ReferenceCrc(piece), Crc(piece)) << "start " << start << " length " << length;
    }
  }
}

TEST(CrcTest, RegisterCarriesOverAcrossCallsAndLengthZeroChangesNothing) {
  const std::string data = Pattern(100000, 3);
  const uint32_t whole = ReferenceCrc(data);
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  for (uint32_t cut : {0u, 1u, 15u, 63u, 64u, 65u, 32768u, 99999u}) {
    CrcUpdate(nullptr, 0);
    uint32_t first = CrcUpdate(p, cut);
    EXPECT_EQ(ReferenceCrc(data.substr(0, cut)), first);
    EXPECT_EQ(first, CrcUpdate(p + cut, 0));  // length 0: the CRC so far
    EXPECT_EQ(whole, CrcUpdate(p + cut, static_cast<uint32_t>(data.size()) - cut)) << cut;
  }
  CrcUpdate(nullptr, 0);
  uint32_t done = 0;
  for (uint32_t step = 1; done < data.size(); step = step * 3 + 1) {
    uint32_t n = std::min<uint32_t>(step, static_cast<uint32_t>(data.size()) - done);
    CrcUpdate(p + done, n);
    done += n;
  }
  EXPECT_EQ(whole, CrcUpdate(p, 0));
  EXPECT_EQ(whole, CrcUpdate(p, 0));
  // No data resets the register: the next entry starts from scratch.
  EXPECT_EQ(0u, CrcUpdate(nullptr, 0));
  EXPECT_EQ(0u, CrcUpdate(p, 0));
}

class FlushTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Expansion.bytesWritten = 0;
    Expansion.shortWrites = 0;
    Expansion.storedCount = 0;
    CrcUpdate(nullptr, 0);
    for (uint32_t i = 0; i < kWindowSize; i++) Expansion.window[i] = static_cast<uint8_t>(i * 13);
  }
  void TearDown() override { Expansion.output = nullptr; }
  std::string WindowBytes(uint32_t n) {
    return std::string(reinterpret_cast<const char*>(Expansion.window), n);
  }
};

TEST_F(FlushTest, DecoderFlushWritesCountsAndChecksums) {
  CaptureFile out;
  Expansion.output = &out;
  EXPECT_EQ(0, FlushWindow(0));  // nothing written, nothing counted
  EXPECT_TRUE(out.writes.empty());
  EXPECT_EQ(0u, Expansion.bytesWritten);
  FlushWindow(kWindowSize);
  FlushWindow(5);
  EXPECT_EQ((std::vector<size_t>{kWindowSize, 5}), out.writes);
  EXPECT_EQ(kWindowSize + 5, Expansion.bytesWritten);
  EXPECT_EQ(ReferenceCrc(WindowBytes(kWindowSize) + WindowBytes(5)), CrcUpdate(Expansion.window, 0));
  EXPECT_EQ(0u, Expansion.shortWrites);
}

TEST_F(FlushTest, ShortWritesAreCountedUnlessThePipeBroke) {
  CaptureFile full(100);
  Expansion.output = &full;
  FlushWindow(1000);
  EXPECT_EQ(1u, Expansion.shortWrites);
  EXPECT_EQ(1000u, Expansion.bytesWritten);  // counted in full all the same
  Expansion.storedCount = 50;
  EXPECT_TRUE(FlushStored());
  EXPECT_EQ(0u, Expansion.storedCount);
  EXPECT_EQ(1050u, Expansion.bytesWritten);

  CaptureFile pipe(100, true);
  Expansion.output = &pipe;
  Expansion.shortWrites = 0;
  FlushWindow(1000);
  EXPECT_EQ(0u, Expansion.shortWrites);
  Expansion.storedCount = 500;
  EXPECT_FALSE(FlushStored());
}

// An entry whose file could not be created still gets its CRC and count.
TEST_F(FlushTest, NoOutputFileStillChecksumsAndCounts) {
  Expansion.output = nullptr;
  Expansion.storedCount = 300;
  EXPECT_FALSE(FlushStored());
  FlushWindow(200);
  EXPECT_EQ(500u, Expansion.bytesWritten);
  EXPECT_EQ(0u, Expansion.shortWrites);
  EXPECT_EQ(ReferenceCrc(WindowBytes(300) + WindowBytes(200)), CrcUpdate(Expansion.window, 0));
}

TEST(ArchiveInputTest, BytesComeInOrderAcrossRefillsThenMinusOne) {
  const std::string data = Pattern(200000, 11);
  for (size_t chunk : {size_t{1}, size_t{7}, size_t{65536}, size_t{1000000}}) {
    MemoryFile file(data, chunk);
    AttachArchive(&file);
    std::string back;
    for (int c; (c = NextByte()) >= 0;) back += static_cast<char>(c);
    EXPECT_EQ(data, back) << "chunk " << chunk;
    EXPECT_EQ(-1, NextByte());
  }
  AttachArchive(nullptr);
}

// The bit input fetches a byte only when it is short, and the whole bytes
// it did not use go back to the stream, also across a refill.
TEST(ArchiveInputTest, UnusedWholeBytesGoBackToTheStream) {
  for (size_t chunk : {size_t{1}, size_t{2}, size_t{3}, size_t{100}}) {
    MemoryFile file("\x01\x02\x03\x04\x05", chunk);
    AttachArchive(&file);
    Expansion.bitBuf = Expansion.bitCount = Expansion.bytesPastEnd = 0;
    NeedBits(3);
    NeedBits(8);  // 8 bits are there: nothing is fetched
    EXPECT_EQ(8u, Expansion.bitCount);
    DumpBits(3);
    NeedBits(16);  // 5 + 8 + 8 bits: two whole bytes unused after the dump
    EXPECT_EQ(21u, Expansion.bitCount);
    DumpBits(5);
    GiveBackWholeBytes();
    EXPECT_EQ(0u, Expansion.bitCount);
    EXPECT_EQ(2, NextByte()) << "chunk " << chunk;
    EXPECT_EQ(3, NextByte());
  }
  AttachArchive(nullptr);
}

TEST(ArchiveInputTest, PastTheEndZeroBytesAreMadeUpAndNeverGivenBack) {
  MemoryFile file("\xFF");
  AttachArchive(&file);
  Expansion.bitBuf = Expansion.bitCount = Expansion.bytesPastEnd = 0;
  NeedBits(4);
  DumpBits(4);
  EXPECT_FALSE(RanPastEnd());
  NeedBits(20);
  EXPECT_EQ(0xFu, Expansion.bitBuf);
  EXPECT_EQ(2u, Expansion.bytesPastEnd);
  DumpBits(4);
  EXPECT_FALSE(RanPastEnd());
  DumpBits(1);
  EXPECT_TRUE(RanPastEnd());
  GiveBackWholeBytes();
  EXPECT_EQ(-1, NextByte());
  AttachArchive(nullptr);
}

}  // namespace
