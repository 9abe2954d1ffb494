// CRC-32 and the two window flushes.
#include <gtest/gtest.h>

#include <string>

#include "archive/ExpandState.h"
#include "tests/archive/StreamWriter.h"
#include "tests/support/MemoryFile.h"

namespace {

const uint8_t* Data(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

uint32_t Crc(const std::string& s) {
  CrcUpdate(nullptr, 0);
  return CrcUpdate(Data(s), static_cast<uint32_t>(s.size()));
}

TEST(CrcTest, KnownValuesAndEveryLengthAndAlignment) {
  EXPECT_EQ(0u, CrcUpdate(nullptr, 0));  // the CRC of nothing
  EXPECT_EQ(0xCBF43926u, Crc("123456789"));
  EXPECT_EQ(0x414FA339u, Crc("The quick brown fox jumps over the lazy dog"));
  // Both sides of the folding path's threshold, from every alignment.
  std::string data(316, '\0');
  for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<char>(i * 131 + (i >> 3));
  for (size_t start = 0; start < 16; start++)
    for (size_t length = 0; length <= 300; length++)
      ASSERT_EQ(ReferenceCrc(data.substr(start, length)), Crc(data.substr(start, length)))
          << "start " << start << " length " << length;
}

TEST(CrcTest, RegisterCarriesOverAndLengthZeroChangesNothing) {
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<char>(i * 7 + i / 251);
  for (uint32_t cut : {0u, 1u, 63u, 64u, 65u, 32768u, 99999u}) {
    CrcUpdate(nullptr, 0);
    uint32_t first = CrcUpdate(Data(data), cut);
    EXPECT_EQ(first, CrcUpdate(Data(data), 0));
    EXPECT_EQ(ReferenceCrc(data), CrcUpdate(Data(data) + cut, 100000 - cut)) << cut;
  }
  EXPECT_EQ(0u, CrcUpdate(nullptr, 0));
  EXPECT_EQ(0u, CrcUpdate(Data(data), 0));
}

// Both flushes checksum and count every byte, also when the write falls
// short or there is no file; only the decoder's flush counts short writes,
// the stored one returns them; a broken pipe is not running out of space.
TEST(FlushTest, ChecksumCountAndShortWrites) {
  for (uint32_t i = 0; i < kWindowSize; i++) Expansion.window[i] = static_cast<uint8_t>(i * 13);
  const std::string window(reinterpret_cast<const char*>(Expansion.window), kWindowSize);
  CaptureFile full(kWindowSize + 100);
  Expansion.output = &full;
  Expansion.bytesWritten = Expansion.shortWrites = Expansion.storedCount = 0;
  CrcUpdate(nullptr, 0);
  FlushWindow(0);
  FlushWindow(kWindowSize);
  FlushWindow(300);
  EXPECT_EQ((std::vector<size_t>{kWindowSize, 300}), full.writes);  // nothing for nothing
  EXPECT_EQ(1u, Expansion.shortWrites);
  Expansion.storedCount = 5;
  EXPECT_TRUE(FlushStored());
  EXPECT_EQ(0u, Expansion.storedCount);
  Expansion.output = nullptr;
  Expansion.storedCount = 7;
  EXPECT_FALSE(FlushStored());
  EXPECT_EQ(kWindowSize + 312, Expansion.bytesWritten);
  EXPECT_EQ(ReferenceCrc(window + window.substr(0, 300) + window.substr(0, 5) + window.substr(0, 7)),
            CrcUpdate(Expansion.window, 0));

  CaptureFile pipe(10, true);
  Expansion.output = &pipe;
  Expansion.shortWrites = 0;
  FlushWindow(100);
  Expansion.storedCount = 100;
  EXPECT_FALSE(FlushStored());
  EXPECT_EQ(0u, Expansion.shortWrites);
  Expansion.output = nullptr;
}

}  // namespace
