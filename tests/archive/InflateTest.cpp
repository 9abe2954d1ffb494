// The decoder on hand-built streams: each block type, the statuses, the
// window and its flushes, and where the archive stream stands afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/DecodeTable.h"
#include "tests/archive/InflateHarness.h"
#include "tests/archive/StreamWriter.h"

namespace {

void ExpectDecodes(const std::string& stream, const std::string& expected) {
  Decoded d = Decode(stream);
  EXPECT_EQ(0, d.status);
  EXPECT_EQ(expected, d.out);
  EXPECT_EQ(kNextHeader, d.rest);
  EXPECT_EQ(ReferenceCrc(expected), d.crc);
  EXPECT_EQ(expected.size(), d.counted);
}

int Status(const std::string& stream) { return Decode(stream).status; }

// A block's literals and matches, with the output they stand for.
struct Block {
  BitWriter& w;
  std::string& expected;
  HuffmanCode lit, dist;
  // A fixed block.
  Block(BitWriter& writer, std::string& e, bool last)
      : w(writer), expected(e), lit(FixedLiteralCode()), dist(FixedDistanceCode()) {
    w.Bits(last, 1);
    w.Bits(1, 2);
  }
  // A dynamic block.
  Block(BitWriter& writer, std::string& e, bool last, std::vector<int> l, std::vector<int> d)
      : w(writer), expected(e), lit(l), dist(d) {
    DynamicHeader(w, last, l, d);
  }
  Block& Text(const std::string& s) {
    for (unsigned char c : s) lit.Put(w, c);
    expected += s;
    return *this;
  }
  Block& Match(int length, int distance) {
    PutMatch(w, lit, dist, length, distance);
    for (int i = 0; i < length; i++) expected += expected[expected.size() - distance];
    return *this;
  }
  void End() { lit.Put(w, 256); }
};

// 286 literal/length codes of 8 and 9 bits, end of block among the 9.
std::vector<int> WideLengths() {
  std::vector<int> l(286, 8);
  for (int s = 226; s < 286; s++) l[s] = 9;
  return l;
}

// Stored blocks (one empty), fixed blocks before and after a dynamic one.
std::string MixedStream(std::string* expected) {
  BitWriter w;
  w.Stored(false, "");
  w.Stored(false, "Stored first, ");
  *expected = "Stored first, ";
  Block(w, *expected, false).Text("then fixed, fixed").Match(12, 6).Match(3, 14).End();
  Block(w, *expected, false, WideLengths(), std::vector<int>(30, 5))
      .Text(" and dynamic")
      .Match(30, 40)
      .End();
  Block(w, *expected, true).Text("!").Match(258, 1).End();  // repeats the last byte
  return w.bytes();
}

TEST(InflateTest, EveryBlockTypeInOneStream) {
  std::string expected;
  std::string stream = MixedStream(&expected);
  ExpectDecodes(stream, expected);
  EXPECT_EQ(std::string(259, '!'), expected.substr(expected.size() - 259));
}

int Allocations, AllocationsLeft;
void* CountingAllocator(uint32_t bytes) {
  Allocations++;
  return AllocationsLeft-- > 0 ? malloc(bytes) : nullptr;
}

// Memory running out at any table block ends the decode with 3 and leaks
// nothing (AddressSanitizer checks). The fixed tables are built once per
// entry: a second fixed block allocates nothing.
TEST(InflateTest, OutOfMemoryAtEveryTableBlockAndFixedTablesBuiltOnce) {
  std::string expected;
  std::string stream = MixedStream(&expected);
  void* (*saved)(uint32_t) = AllocateTableBlock;
  AllocateTableBlock = CountingAllocator;
  BitWriter one, two;
  Block(one, expected, true).End();
  Block(two, expected, false).End();
  Block(two, expected, true).End();
  AllocationsLeft = 1 << 30;
  Allocations = 0;
  ASSERT_EQ(0, Status(one.bytes()));
  const int fixed = Allocations;
  ASSERT_EQ(0, Status(two.bytes()));
  EXPECT_EQ(2 * fixed, Allocations);  // and built anew for the next entry
  Allocations = 0;
  ASSERT_EQ(0, Status(stream));
  const int needed = Allocations;
  for (int n = 0; n < needed; n++) {
    AllocationsLeft = n;
    EXPECT_EQ(3, Status(stream)) << "failing after " << n << " blocks";
  }
  AllocateTableBlock = saved;
  ExpectDecodes(stream, expected);
}

TEST(InflateTest, BadBlockTypeStoredLengthAndOverSubscribedCodes) {
  BitWriter type3;
  type3.Bits(7, 3);
  EXPECT_EQ(2, Status(type3.bytes()));

  BitWriter stored;
  stored.Bits(1, 3);
  stored.Raw("");
  stored.Bits(3, 16);
  stored.Bits(~3u ^ 1, 16);  // not the ones' complement
  stored.Raw("abc");
  EXPECT_EQ(1, Status(stored.bytes()));

  std::vector<int> over = WideLengths();
  over[0] = 7;
  BitWriter lit, dist, lengths;
  DynamicHeader(lit, true, over, std::vector<int>(30, 5));
  EXPECT_EQ(2, Status(lit.bytes()));
  DynamicHeader(dist, true, WideLengths(), {1, 1, 1});
  EXPECT_EQ(2, Status(dist.bytes()));
  std::vector<int> cl = PlainCodeLengthCode();
  cl[18] = 3;
  DynamicHeader(lengths, true, 257, 1, cl, {});
  EXPECT_EQ(2, Status(lengths.bytes()));
}

TEST(InflateTest, IncompleteCodesAndCodeLengthRepeats) {
  std::vector<int> incomplete = WideLengths();
  incomplete[285] = 0;
  BitWriter lit, lengths, none;
  DynamicHeader(lit, true, incomplete, std::vector<int>(30, 5));
  EXPECT_EQ(1, Status(lit.bytes()));
  std::vector<int> cl = PlainCodeLengthCode();
  cl[18] = 0;
  DynamicHeader(lengths, true, 257, 1, cl, {});
  EXPECT_EQ(1, Status(lengths.bytes()));
  DynamicHeader(none, true, 257, 1, std::vector<int>(19, 0), {});
  EXPECT_EQ(1, Status(none.bytes()));

  // 16 first repeats 0: 'a', 'b', end of block and 257 get 2 bits, all
  // else none, one distance code of 1 bit.
  std::vector<LengthSymbol> seq = {{16, 0}, {18, 83}, {2, 0}, {2, 0}, {18, 127},
                                   {18, 8}, {2, 0},   {2, 0}, {1, 0}};
  std::vector<int> l(258, 0);
  l['a'] = l['b'] = l[256] = l[257] = 2;
  HuffmanCode code(l), dist(std::vector<int>{1});
  BitWriter ok;
  DynamicHeader(ok, true, 258, 1, PlainCodeLengthCode(), seq);
  code.Put(ok, 'a');
  code.Put(ok, 'b');
  PutMatch(ok, code, dist, 3, 1);
  code.Put(ok, 256);
  ExpectDecodes(ok.bytes(), "abbbb");

  // No repeat may run past the nl + nd lengths.
  for (int repeat : {16, 17, 18}) {
    std::vector<LengthSymbol> past = {{1, 0}};
    for (int i = 0; i < 60; i++) past.push_back({repeat, repeat == 16 ? 3 : 7});
    BitWriter w;
    DynamicHeader(w, true, 257, 1, PlainCodeLengthCode(), past);
    EXPECT_EQ(1, Status(w.bytes())) << "repeat " << repeat;
  }
}

// Codes that no symbol takes are bad data when met: length symbols 286 and
// 287, distance codes 30 and 31, the twin of a single 1-bit code, and a
// length in a block without distance codes.
TEST(InflateTest, InvalidCodesAreBadData) {
  std::string unused;
  for (int symbol : {286, 287}) {
    BitWriter w;
    Block b(w, unused, true);
    b.Text("a").lit.Put(w, symbol);
    EXPECT_EQ(1, Status(w.bytes())) << "length symbol " << symbol;
  }
  for (int code : {30, 31}) {
    BitWriter w;
    Block b(w, unused, true);
    b.Text("a").lit.Put(w, 257);
    b.dist.Put(w, code);
    EXPECT_EQ(1, Status(w.bytes())) << "distance code " << code;
  }

  // One distance code of 1 bit is accepted; its twin (bit 1) is invalid.
  std::string expected;
  BitWriter single, twin;
  Block(single, expected, true, WideLengths(), {1}).Text("z").Match(4, 1).End();
  ExpectDecodes(single.bytes(), "zzzzz");
  Block t(twin, unused, true, WideLengths(), {1});
  t.Text("z").lit.Put(twin, 258);
  twin.Bits(1, 1);
  EXPECT_EQ(1, Status(twin.bytes()));

  expected.clear();
  BitWriter literalsOnly, lengthWithout;
  Block(literalsOnly, expected, true, WideLengths(), {0}).Text("a").End();
  ExpectDecodes(literalsOnly.bytes(), "a");
  Block(lengthWithout, unused, true, WideLengths(), {0}).Text("a").lit.Put(lengthWithout, 260);
  EXPECT_EQ(1, Status(lengthWithout.bytes()));

  // A lone end-of-block code of 1 bit is a complete code; its twin is not.
  std::vector<int> onlyEnd(257, 0);
  onlyEnd[256] = 1;
  for (int bit : {0, 1}) {
    BitWriter w;
    DynamicHeader(w, true, onlyEnd, {0});
    w.Bits(bit, 1);
    EXPECT_EQ(bit, Status(w.bytes()));
  }

  // The same for a code-length code of one 1-bit code (length 8): taking
  // its twin for a length would leave symbol 0 out of an otherwise
  // complete code.
  std::vector<int> onlyEight(19, 0);
  onlyEight[8] = 1;
  BitWriter eights;
  DynamicHeader(eights, true, 257, 1, onlyEight, {});
  eights.Bits(1, 1);
  for (int i = 1; i < 258; i++) eights.Bits(0, 1);
  eights.Code(0xFF, 8);  // end of block
  EXPECT_EQ(1, Status(eights.bytes()));
}

std::string Bytes(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>((seed = seed * 69069 + 1) >> 24);
  return s;
}

// The window is flushed each time it fills and once at the end (a flush of
// 0 writes nothing); matches wrap around it and may reach 32768 back.
TEST(InflateTest, WindowFlushesAndWrap) {
  const std::string window = Bytes(kWindowSize, 1);
  BitWriter exact, five;
  exact.Stored(true, window);
  Decoded d = Decode(exact.bytes());
  EXPECT_EQ(window, d.out);
  EXPECT_EQ(std::vector<size_t>{kWindowSize}, d.writes);
  five.Stored(false, window);
  five.Stored(true, "12345");
  EXPECT_EQ((std::vector<size_t>{kWindowSize, 5}), Decode(five.bytes()).writes);

  BitWriter matches;  // 1 + 127 * 258 + 7 = 32774 bytes through matches
  std::string expected;
  Block m(matches, expected, true);
  m.Text("y");
  for (int i = 0; i < 127; i++) m.Match(258, 1);
  m.Match(7, 1).End();
  d = Decode(matches.bytes());
  EXPECT_EQ(expected, d.out);
  EXPECT_EQ((std::vector<size_t>{kWindowSize, 6}), d.writes);

  BitWriter wrap;
  expected = Bytes(kWindowSize - 10, 2);
  wrap.Stored(false, expected);
  Block(wrap, expected, true)
      .Match(258, 300)  // crosses the window's end
      .Match(100, 32768)
      .Match(40, 20000)
      .Text("tail")
      .Match(5, 4)
      .End();
  ExpectDecodes(wrap.bytes(), expected);
}

// A distance reaching before the entry's first byte copies what the window
// holds there: here its last bytes, as a previous entry left them.
TEST(InflateTest, BackReferenceBeforeTheFirstByteCopiesTheWindow) {
  memset(Expansion.window, 'w', kWindowSize);
  memcpy(Expansion.window + kWindowSize - 3, "END", 3);
  BitWriter w;
  std::string unused;
  Block b(w, unused, true);
  PutMatch(w, b.lit, b.dist, 5, 3);
  b.End();
  ExpectDecodes(w.bytes(), "ENDEN");
}

// After the decode the stream stands right after the deflate data, also
// when the last match's 6-bit distance lookup fetched a byte beyond it, and
// also when that byte came with a refill of the archive buffer.
TEST(InflateTest, StreamStandsAfterTheDeflateDataWhereverItEnds) {
  std::vector<int> l(258, 0);
  l['A'] = 1;
  l[256] = l[257] = 2;
  for (int lead = 1; lead <= 8; lead++) {
    BitWriter w;
    std::string expected;
    Block(w, expected, true, l, {1, 6, 6}).Text(std::string(lead, 'A')).Match(3, 1).End();
    for (size_t chunk = 1; chunk <= w.bytes().size() + 2; chunk++) {
      Decoded d = Decode(w.bytes(), chunk);
      ASSERT_EQ(0, d.status) << "lead " << lead << " chunk " << chunk;
      ASSERT_EQ(expected, d.out);
      ASSERT_EQ(kNextHeader, d.rest) << "lead " << lead << " chunk " << chunk;
    }
  }
}

// Every cut of a stream ends with a non-zero status and without hanging:
// the bits past the end of the archive are never taken for data.
TEST(InflateTest, CutOffStreamsEndWithBadData) {
  std::string expected;
  const std::string stream = MixedStream(&expected);
  for (size_t cut = 0; cut < stream.size(); cut++) {
    MemoryFile in(stream.substr(0, cut), 3);
    NullFile out;
    AttachArchive(&in);
    Expansion.output = &out;
    EXPECT_NE(0, Inflate()) << "cut at " << cut;
    ReleaseFixedTables();
  }
  AttachArchive(nullptr);
  Expansion.output = nullptr;
}

}  // namespace
