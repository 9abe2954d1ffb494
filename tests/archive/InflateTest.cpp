// The decoder on hand-made streams, and its CRC-32.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "archive/DecodeTable.h"
#include "tests/archive/StreamKit.h"

namespace {

std::string Bytes(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>((seed = seed * 69069 + 1) >> 24);
  return s;
}

uint32_t Crc(const std::string& s) {
  CrcUpdate(nullptr, 0);
  return CrcUpdate(reinterpret_cast<const uint8_t*>(s.data()), static_cast<uint32_t>(s.size()));
}

// The installer's CRC at every alignment and many lengths, and the register
// carried over calls.
TEST(CrcTest, AgreesWithTheBitwiseCrc) {
  EXPECT_EQ(0xCBF43926u, Crc("123456789"));
  const std::string data = Bytes(100000, 1);
  for (size_t start = 0; start < 16; start++)
    for (size_t length = 0; length <= 300; length++)
      ASSERT_EQ(ReferenceCrc(data.substr(start, length)), Crc(data.substr(start, length)))
          << "start " << start << " length " << length;
  for (uint32_t cut : {1u, 65u, 32768u}) {
    Crc(data.substr(0, cut));
    EXPECT_EQ(ReferenceCrc(data), CrcUpdate(reinterpret_cast<const uint8_t*>(&data[cut]), 100000 - cut));
  }
}

// 286 literal/length codes of 8 and 9 bits, end of block among the 9.
std::vector<int> Wide(int symbol = 0, int length = 8) {
  std::vector<int> l(286, 8);
  for (int s = 226; s < 286; s++) l[s] = 9;
  l[symbol] = length;
  return l;
}

std::vector<int> OnlyEnd() {
  std::vector<int> l(257, 0);
  l[256] = 1;
  return l;
}

const std::vector<int> kFives(30, 5);

// Stored blocks (one empty), fixed blocks before and after a dynamic one.
Stream Mixed() {
  Stream s;
  s.Stored(false, "").Stored(false, "Stored first, ");
  s.Fixed(false).Text("then fixed, fixed").Match(12, 6).Match(3, 14).End();
  s.Dynamic(false, Wide(), kFives).Text(" and dynamic").Match(30, 40).End();
  return s.Fixed(true).Text("!").Match(258, 1).End();  // distance 1, length 258
}

// A dynamic header after |s| whose lengths start with a 16 (repeating 0):
// 'a', 'b', end of block and 257 of 2 bits, one distance code of 1 bit.
Stream ShortCodes(Stream s = Stream()) {
  std::vector<int> l(258, 0);
  l['a'] = l['b'] = l[256] = l[257] = 2;
  return s.Header(true, 258, 1, PlainCodeLengths(),
                  {{16, 0}, {18, 83}, {2, 0}, {2, 0}, {18, 127}, {18, 8}, {2, 0}, {2, 0}, {1, 0}})
      .Codes(l, {1});
}

// A repeat running one length past the nl + nd code lengths.
Stream RepeatPastTheEnd(int repeat) {
  return Stream()
      .Header(true, 257, repeat == 18 ? 10 : 2, PlainCodeLengths(), {{18, 127}, {18, 107}, {1, 0}, {repeat, 0}})
      .Codes(OnlyEnd(), {})
      .End();
}

// Good streams decode in full (a single 1-bit code is complete); bad ones go
// on as good ones after the fault, so only the fault gives their status.
TEST(InflateTest, EveryKindOfStreamGivesItsStatus) {
  std::vector<int> over = PlainCodeLengths(), incomplete = PlainCodeLengths();
  over[18] = 3;
  incomplete[18] = 0;
  // One length-8 code of 1 bit: its twin taken for a length would leave
  // symbol 0 out of an otherwise complete code of 256 8-bit literals.
  std::vector<int> eight(19, 0);
  eight[8] = 1;
  Stream twinOfEight = Stream().Header(true, 257, 1, eight, {}).Bits(1, 1);
  for (int i = 1; i < 258; i++) twinOfEight.Bits(0, 1);
  twinOfEight.Bits(0xFF, 8);  // the end of block
  const struct {
    const char* what;
    Stream stream;
    int status;
  } cases[] = {
      {"every block type", Mixed(), 0},
      {"leading 16", ShortCodes().Text("ab").Match(3, 1).End(), 0},
      {"one distance code", Stream().Dynamic(true, Wide(), {1}).Text("z").Match(4, 1).End(), 0},
      {"no distance code", Stream().Dynamic(true, Wide(), {0}).Text("a").End(), 0},
      {"one end-of-block code", Stream().Dynamic(true, OnlyEnd(), {0}).End(), 0},
      {"block type 3", Stream().Bits(7, 3).Fixed(true).End(), 2},
      {"stored length", Stream().Stored(true, "abc", 1), 1},
      {"stored length, high byte", Stream().Stored(true, "abc", 0x100), 1},
      {"over-subscribed literal code", Stream().Dynamic(true, Wide(0, 7), kFives).End(), 2},
      {"over-subscribed distance code", Stream().Dynamic(true, Wide(), {1, 1, 1}).End(), 2},
      {"over-subscribed code-length code", Stream().Dynamic(true, Wide(), kFives, over).End(), 2},
      {"incomplete literal code", Stream().Dynamic(true, Wide(285, 0), kFives).Text("a").End(), 1},
      {"incomplete code-length code", Stream().Dynamic(true, Wide(), kFives, incomplete).End(), 1},
      {"no code-length code", Stream().Header(true, 257, 1, std::vector<int>(19, 0), {}), 1},
      {"no literal/length code", Stream().Dynamic(true, std::vector<int>(257, 0), {1}), 1},
      {"16 past the lengths", RepeatPastTheEnd(16), 1},
      {"17 past the lengths", RepeatPastTheEnd(17), 1},
      {"18 past the lengths", RepeatPastTheEnd(18), 1},
      {"length symbol 287", Stream().Fixed(true).Text("a").Symbol(287).Distance(0).End(), 1},
      {"distance code 31", Stream().Dynamic(true, Wide(), std::vector<int>(32, 5)).Text("a").Symbol(257).Distance(31).End(), 1},
      {"length without distance codes", Stream().Dynamic(true, Wide(), {0}).Text("a").Symbol(260).End(), 1},
      {"twin of one end-of-block code", Stream().Dynamic(true, OnlyEnd(), {0}).Bits(1, 1), 1},
      {"twin of one code-length code", twinOfEight, 1},
  };
  for (const auto& c : cases) {
    if (c.status == 0) ExpectDecodes(c.stream, c.what);
    else EXPECT_EQ(c.status, Decode(c.stream.bytes).status) << c.what;
  }
}

int AllocationsLeft;
void* Allocate(uint32_t bytes) { return AllocationsLeft-- > 0 ? malloc(bytes) : nullptr; }

// Memory running out at any table block gives 3, every block freed (as the
// sanitizer's leak check sees).
TEST(InflateTest, OutOfMemoryAtEveryTableBlock) {
  const std::string stream = Mixed().bytes;
  void* (*const saved)(uint32_t) = AllocateTableBlock;
  AllocateTableBlock = Allocate;
  AllocationsLeft = 1 << 30;
  EXPECT_EQ(0, Decode(stream).status);
  for (int n = 0, needed = (1 << 30) - AllocationsLeft; n < needed; n++) {
    AllocationsLeft = n;
    EXPECT_EQ(3, Decode(stream).status) << "failing after " << n << " blocks";
  }
  AllocateTableBlock = saved;
}

// Every cut of a stream ends with a non-zero status, without hanging.
TEST(InflateTest, CutOffStreamsEndWithBadData) {
  const std::string stream = Mixed().bytes;
  for (size_t cut = 0; cut < stream.size(); cut++)
    EXPECT_NE(0, Decode(stream.substr(0, cut), 3, "").status) << "cut at " << cut;
}

// The stream stands right after the deflate data, also when the last 6-bit
// distance lookup fetched bytes beyond it, whatever the refills.
TEST(InflateTest, StreamStandsAfterTheDeflateDataWhereverItEnds) {
  std::vector<int> l(258, 0);
  l['A'] = 1;
  l[256] = l[257] = 2;
  for (int lead = 1; lead <= 8; lead++) {
    Stream s = Stream().Dynamic(true, l, {1, 6, 6}).Text(std::string(lead, 'A')).Match(3, 1).End();
    for (size_t chunk = 1; chunk <= s.bytes.size() + 2; chunk++)
      ExpectDecodes(s.bytes, s.expected, "lead " + std::to_string(lead), chunk);
  }
}

// An error inside a symbol leaves the archive stream right after the byte
// holding the last bit the lookups asked for, as the byte-at-a-time input
// would, in the word-wide loop and with one-byte refills, at every bit
// alignment. Reach: the 5-bit lookup of distance 30; the 7-bit level and
// 1-bit sub-table of length 286; the invalid twin of a single 1-bit distance
// code, also right after a header whose last lookup fetched spare bits.
TEST(InflateTest, AnErrorLeavesTheStreamWhereTheByteInputWould) {
  const std::string tail = std::string(kNextHeader) + std::string(60, 'T');
  for (int lead = 1; lead <= 16; lead++) {
    const std::string text = Bytes(lead, lead);
    Stream prefix;  // empty blocks of 10 and 19 bits move the header
    for (int i = 0; i < lead % 4; i++) prefix.Fixed(false).End();
    if (lead & 4) prefix.Fixed(false).Text("\x90").End();
    Stream cases[] = {Stream().Fixed(true).Text(text).Symbol(257), Stream().Fixed(true).Text(text),
                      Stream().Dynamic(true, Wide(), {1}).Text(text).Symbol(258),
                      ShortCodes(prefix).Text("a").Symbol(257)};
    const size_t reach[] = {cases[0].BitsUsed() + 5, cases[1].BitsUsed() + 8, cases[2].BitsUsed() + 1,
                            cases[3].BitsUsed() + 1};
    cases[0].Distance(30), cases[1].Symbol(286), cases[2].Bits(1, 1), cases[3].Bits(1, 1);
    for (int i = 0; i < 4; i++) {
      const std::string bytes = cases[i].Text(Bytes(40, 7)).End().bytes;  // good data after the fault
      for (size_t chunk : {size_t{1} << 20, size_t{1}}) {
        Decoded d = Decode(bytes, chunk, tail);
        ASSERT_EQ(1, d.status) << "lead " << lead << " chunk " << chunk;
        ASSERT_EQ((bytes + tail).substr((reach[i] + 7) / 8), d.rest) << "lead " << lead << " case " << i;
      }
    }
  }
}

// Long matches of every kind of distance end at every offset around each
// window's end, over more windows than the decoder keeps; whole windows are
// written once, an empty final flush not at all; matches after stored data.
TEST(InflateTest, MatchesEndAtEveryOffsetAroundTheWindowEnds) {
  for (int distance : {1, 3, 8, 12, 16, 40, 32768}) {
    for (int lead = 0; lead < 16; lead++) {
      Stream s = Stream().Fixed(true).Text(Bytes(distance + lead, distance));
      while (s.expected.size() < 4 * kWindowSize + 600) s.Match(258 - lead % 3, distance);
      const std::string what = "distance " + std::to_string(distance) + " lead " + std::to_string(lead);
      ExpectDecodes(s.End(), what);
      const std::vector<size_t> writes = Decode(s.bytes).writes;
      ASSERT_EQ(std::vector<size_t>(4, kWindowSize), std::vector<size_t>(writes.begin(), writes.end() - 1)) << what;
    }
  }
  EXPECT_EQ(std::vector<size_t>{kWindowSize}, Decode(Stream().Stored(true, Bytes(kWindowSize, 1)).bytes).writes);
  Stream wrap;
  wrap.Stored(false, Bytes(kWindowSize - 10, 2)).Fixed(true).Match(258, 300).Match(100, 32768);
  ExpectDecodes(wrap.Match(40, 20000).Text("tail").Match(5, 4).End(), "after a stored block");
}

// The next entry's back-references before its first byte read the window
// as the last entry left it, whatever its size, also after bad data.
TEST(InflateTest, TheWindowCarriesOverToTheNextEntry) {
  for (size_t size : {5, 100, 32767, 32768, 32769, 40000, 70001}) {
    for (bool bad : {false, true}) {
      memset(Expansion.window, 'w', kWindowSize);
      const std::string first = Bytes(size, static_cast<unsigned>(size));
      Stream one = Stream().Fixed(!bad).Text(first).Symbol(bad ? 286 : 256);
      ASSERT_EQ(bad ? 1 : 0, Decode(one.bytes).status) << size;

      Stream next;
      next.history.assign(kWindowSize, 'w');
      for (size_t i = 0; i < size; i++) next.history[i % kWindowSize] = first[i];
      next.Fixed(true).Match(258, 32768).Match(100, 4000).Text("x").Match(30, 32768).Match(9, 2);
      ExpectDecodes(next.End(), "after " + std::to_string(size) + (bad ? " bad" : " good"));
    }
  }
}

}  // namespace
