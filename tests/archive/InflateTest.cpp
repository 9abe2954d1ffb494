// The decoder on hand-built streams: each block type, the statuses, the
// window and its flushes, and where the archive stream stands afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/DecodeTable.h"
#include "archive/ExpandState.h"
#include "archive/Inflate.h"
#include "tests/archive/InflateHarness.h"
#include "tests/archive/StreamWriter.h"
#include "tests/support/MemoryFile.h"

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

// Appends a back-reference to |out| the slow, obvious way.
void Copy(std::string& out, int length, int distance) {
  for (int i = 0; i < length; i++) out += out[out.size() - distance];
}

// Literals and matches after a fixed block header.
struct FixedBlock {
  BitWriter& w;
  std::string& expected;
  HuffmanCode lit = FixedLiteralCode(), dist = FixedDistanceCode();
  FixedBlock(BitWriter& writer, std::string& e, bool last) : w(writer), expected(e) {
    w.Bits(last, 1);
    w.Bits(1, 2);
  }
  void Text(const std::string& s) {
    for (unsigned char c : s) lit.Put(w, c);
    expected += s;
  }
  void Match(int length, int distance) {
    PutMatch(w, lit, dist, length, distance);
    Copy(expected, length, distance);
  }
  void End() { lit.Put(w, 256); }
};

// 286 literal/length symbols of 8 and 9 bits (end of block 9), 30 distance
// codes of 5 bits.
std::vector<int> WideLiteralLengths() {
  std::vector<int> l(286, 8);
  for (int s = 226; s < 286; s++) l[s] = 9;
  return l;
}

// A stored, a fixed and two dynamic blocks, the second fixed block reusing
// the fixed tables.
std::string MixedStream(std::string* expected) {
  BitWriter w;
  w.Stored(false, "Stored first, ");
  *expected = "Stored first, ";
  FixedBlock f(w, *expected, false);
  f.Text("then fixed fixed fixed");
  f.Match(12, 6);
  f.End();
  std::vector<int> litLengths = WideLiteralLengths(), distLengths(30, 5);
  DynamicHeader(w, false, litLengths, distLengths);
  HuffmanCode lit(litLengths), dist(distLengths);
  for (unsigned char c : std::string(" and dynamic")) lit.Put(w, c);
  PutMatch(w, lit, dist, 30, 40);
  *expected += " and dynamic";
  Copy(*expected, 30, 40);
  lit.Put(w, 256);
  FixedBlock g(w, *expected, true);
  g.Text("!");
  g.Match(258, 1);
  g.End();
  return w.bytes();
}

TEST(InflateTest, StoredBlocks) {
  BitWriter w;
  w.Stored(false, "");
  w.Stored(false, "abc");
  w.Stored(true, std::string(70000 % 65536, 'q'));
  ExpectDecodes(w.bytes(), "abc" + std::string(70000 % 65536, 'q'));

  BitWriter bad;
  bad.Bits(1, 1);
  bad.Bits(0, 2);
  bad.Align();
  bad.Bits(3, 16);
  bad.Bits(~3u ^ 1, 16);  // not the ones' complement
  bad.Raw("abc");
  EXPECT_EQ(1, Status(bad.bytes()));
}

TEST(InflateTest, FixedBlockLiteralsAndMatches) {
  BitWriter w;
  std::string expected;
  FixedBlock f(w, expected, true);
  f.Text("Hello, hello, ");
  f.Match(9, 7);  // overlapping: distance shorter than length
  f.Match(3, 14);
  f.Text("x");
  f.Match(258, 1);  // repeats the last byte
  f.End();
  ExpectDecodes(w.bytes(), expected);
  EXPECT_EQ(std::string(259, 'x'), expected.substr(expected.size() - 259));
}

TEST(InflateTest, MixedBlocksDecodeInOneCall) {
  std::string expected;
  std::string stream = MixedStream(&expected);
  ExpectDecodes(stream, expected);
}

int Allocations;
int AllocationsLeft;
void* CountingAllocator(uint32_t bytes) {
  Allocations++;
  if (AllocationsLeft-- <= 0) return nullptr;
  return malloc(bytes);
}

struct AllocatorSwap {
  void* (*saved)(uint32_t) = AllocateTableBlock;
  explicit AllocatorSwap(int left) {
    AllocateTableBlock = CountingAllocator;
    Allocations = 0;
    AllocationsLeft = left;
  }
  ~AllocatorSwap() { AllocateTableBlock = saved; }
};

TEST(InflateTest, FixedTablesAreBuiltOncePerEntry) {
  std::string expected;
  BitWriter one;
  FixedBlock(one, expected, true).End();
  BitWriter three;
  for (int i = 0; i < 3; i++) FixedBlock(three, expected, i == 2).End();
  AllocatorSwap swap(1 << 30);
  ASSERT_EQ(0, Status(one.bytes()));
  int forOne = Allocations;
  Allocations = 0;
  ASSERT_EQ(0, Status(three.bytes()));
  EXPECT_EQ(forOne, Allocations);
  Allocations = 0;
  ASSERT_EQ(0, Status(three.bytes()));  // released after the entry: built anew
  EXPECT_EQ(forOne, Allocations);
}

// Memory running out at any table block ends the decode with 3 and leaks
// nothing (AddressSanitizer checks); enough memory decodes as usual.
TEST(InflateTest, OutOfMemoryAtEveryTableBlock) {
  std::string expected;
  std::string stream = MixedStream(&expected);
  int needed;
  {
    AllocatorSwap swap(1 << 30);
    ASSERT_EQ(0, Status(stream));
    needed = Allocations;
  }
  for (int n = 0; n < needed; n++) {
    AllocatorSwap swap(n);
    EXPECT_EQ(3, Status(stream)) << "failing after " << n << " blocks";
  }
  ExpectDecodes(stream, expected);
}

TEST(InflateTest, BadBlockTypeAndOverSubscribedCodesAre2) {
  BitWriter type3;
  type3.Bits(1, 1);
  type3.Bits(3, 2);
  EXPECT_EQ(2, Status(type3.bytes()));

  std::vector<int> over = WideLiteralLengths();
  over[0] = 7;
  BitWriter lit;
  DynamicHeader(lit, true, over, std::vector<int>(30, 5));
  EXPECT_EQ(2, Status(lit.bytes()));

  BitWriter dist;
  DynamicHeader(dist, true, WideLiteralLengths(), {1, 1, 1});
  EXPECT_EQ(2, Status(dist.bytes()));

  std::vector<int> cl = PlainCodeLengthCode();
  cl[18] = 3;
  BitWriter lengths;
  DynamicHeader(lengths, true, 257, 1, cl, {});
  EXPECT_EQ(2, Status(lengths.bytes()));
}

TEST(InflateTest, IncompleteOrMissingCodesAreBadData) {
  std::vector<int> incomplete = WideLiteralLengths();
  incomplete[285] = 0;
  BitWriter lit;
  DynamicHeader(lit, true, incomplete, std::vector<int>(30, 5));
  EXPECT_EQ(1, Status(lit.bytes()));

  std::vector<int> cl = PlainCodeLengthCode();
  cl[18] = 0;
  BitWriter lengths;
  DynamicHeader(lengths, true, 257, 1, cl, {});
  EXPECT_EQ(1, Status(lengths.bytes()));

  // No code-length code at all.
  BitWriter none;
  DynamicHeader(none, true, 257, 1, std::vector<int>(19, 0), {});
  EXPECT_EQ(1, Status(none.bytes()));
}

// Code-length repeats: 16 first repeats 0, and no repeat may run past the
// nl + nd lengths.
TEST(InflateTest, CodeLengthRepeats) {
  // Literals 'a' (97) and 'b' of 2 bits, end of block and 257 of 2 bits;
  // one distance code of 1 bit. "16 first" makes symbols 0-2 zero.
  std::vector<LengthSymbol> seq = {{16, 0}, {18, 83}};  // 3 + 94 = 97 zeros
  seq.push_back({2, 0});
  seq.push_back({2, 0});                         // 'a', 'b'
  seq.push_back({18, 127});                      // 138 zeros: 99..236
  seq.push_back({18, 8});                        // 19 zeros: 237..255
  seq.push_back({2, 0});                         // 256
  seq.push_back({2, 0});                         // 257
  seq.push_back({1, 0});                         // distance code 0
  std::vector<int> litLengths(258, 0);
  litLengths[97] = litLengths[98] = litLengths[256] = litLengths[257] = 2;
  HuffmanCode lit(litLengths), dist(std::vector<int>{1});
  BitWriter ok;
  DynamicHeader(ok, true, 258, 1, PlainCodeLengthCode(), seq);
  lit.Put(ok, 97);
  lit.Put(ok, 98);
  PutMatch(ok, lit, dist, 3, 1);
  lit.Put(ok, 256);
  ExpectDecodes(ok.bytes(), "abbbb");

  for (int repeat : {16, 17, 18}) {
    std::vector<LengthSymbol> past = {{1, 0}};
    for (int i = 0; i < 60; i++) past.push_back({repeat, repeat == 16 ? 3 : 7});
    BitWriter w;
    DynamicHeader(w, true, 257, 1, PlainCodeLengthCode(), past);
    EXPECT_EQ(1, Status(w.bytes())) << "repeat " << repeat;
  }
}

// Codes that no symbol takes: length symbols 286 and 287, distance codes 30
// and 31, the unused half of a one-code distance code, fillers of an
// incomplete code, and a length in a block without distance codes.
TEST(InflateTest, InvalidCodesAreBadData) {
  HuffmanCode lit = FixedLiteralCode(), dist = FixedDistanceCode();
  for (int symbol : {286, 287}) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(1, 2);
    lit.Put(w, 'a');
    lit.Put(w, symbol);
    EXPECT_EQ(1, Status(w.bytes())) << "length symbol " << symbol;
  }
  for (int code : {30, 31}) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(1, 2);
    lit.Put(w, 'a');
    lit.Put(w, 257);
    dist.Put(w, code);
    EXPECT_EQ(1, Status(w.bytes())) << "distance code " << code;
  }

  // One distance code of 1 bit is accepted; its unused twin is invalid.
  std::vector<int> litLengths = WideLiteralLengths();
  HuffmanCode wide(litLengths);
  for (uint32_t used : {0u, 1u}) {
    BitWriter w;
    std::vector<int> distLengths = {1};
    DynamicHeader(w, true, litLengths, distLengths);
    wide.Put(w, 'z');
    PutMatch(w, wide, HuffmanCode(distLengths), 4, 1);
    if (used) {  // replace the last bit (code 0) by 1: the unused code
      std::string s = w.bytes();
      size_t bit = w.BitLength() - 1;
      s[bit / 8] = static_cast<char>(s[bit / 8] | 1 << (bit % 8));
      EXPECT_EQ(1, Status(s));
    } else {
      wide.Put(w, 256);
      ExpectDecodes(w.bytes(), "zzzzz");
    }
  }

  BitWriter noDistances;
  DynamicHeader(noDistances, true, litLengths, {0});
  wide.Put(noDistances, 'a');
  wide.Put(noDistances, 256);
  ExpectDecodes(noDistances.bytes(), "a");  // literals only are fine
  BitWriter lengthWithout;
  DynamicHeader(lengthWithout, true, litLengths, {0});
  wide.Put(lengthWithout, 'a');
  wide.Put(lengthWithout, 260);
  EXPECT_EQ(1, Status(lengthWithout.bytes()));

  // A code-length code of a single 1-bit code (for length 8): its twin is a
  // filler and must not pass for a length (here it would leave symbol 0
  // without a code, and the rest would be a complete code).
  std::vector<int> onlyEight(19, 0);
  onlyEight[8] = 1;
  BitWriter eights;
  DynamicHeader(eights, true, 257, 1, onlyEight, {});
  eights.Bits(1, 1);
  for (int i = 1; i < 258; i++) eights.Bits(0, 1);
  eights.Code(0xFF, 8);  // end of block
  EXPECT_EQ(1, Status(eights.bytes()));

  // A single literal/length code of 1 bit counts as complete; its twin is
  // a filler.
  std::vector<int> onlyEnd(257, 0);
  onlyEnd[256] = 1;
  BitWriter end;
  DynamicHeader(end, true, onlyEnd, {0});
  end.Bits(0, 1);
  ExpectDecodes(end.bytes(), "");
  BitWriter filler;
  DynamicHeader(filler, true, onlyEnd, {0});
  filler.Bits(1, 1);
  EXPECT_EQ(1, Status(filler.bytes()));
}

std::string Literals(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; i++) s[i] = static_cast<char>((seed = seed * 69069 + 1) >> 24);
  return s;
}

TEST(InflateTest, FullWindowsAreFlushedAsTheyFill) {
  const std::string exact = Literals(kWindowSize, 1);
  BitWriter w;
  w.Stored(true, exact);
  Decoded d = Decode(w.bytes());
  EXPECT_EQ(exact, d.out);
  EXPECT_EQ(std::vector<size_t>{kWindowSize}, d.writes);  // then a flush of 0
  EXPECT_EQ(kWindowSize, d.counted);

  // Through matches too: 1 + 127 * 258 + 7 = 32774 bytes.
  BitWriter m;
  std::string expected;
  FixedBlock f(m, expected, true);
  f.Text("y");
  for (int i = 0; i < 127; i++) f.Match(258, 1);
  f.Match(7, 1);
  f.End();
  d = Decode(m.bytes());
  EXPECT_EQ(expected, d.out);
  EXPECT_EQ((std::vector<size_t>{kWindowSize, 6}), d.writes);

  BitWriter five;
  five.Stored(false, exact);
  five.Stored(true, "12345");
  d = Decode(five.bytes());
  EXPECT_EQ((std::vector<size_t>{kWindowSize, 5}), d.writes);
  EXPECT_EQ(ReferenceCrc(exact + "12345"), d.crc);
}

TEST(InflateTest, BackReferencesWrapAroundTheWindow) {
  BitWriter w;
  std::string expected = Literals(kWindowSize - 10, 2);
  w.Stored(false, expected);
  FixedBlock f(w, expected, true);
  f.Match(258, 300);    // crosses the window's end
  f.Match(100, 32768);  // the farthest distance, from the wrapped window
  f.Match(40, 20000);
  f.Text("tail");
  f.Match(5, 4);
  f.End();
  ExpectDecodes(w.bytes(), expected);
}

// A distance reaching before the entry's first byte copies what the window
// holds there: here its last bytes, as a previous entry left them.
TEST(InflateTest, BackReferenceBeforeTheFirstByteCopiesTheWindow) {
  memset(Expansion.window, 'w', kWindowSize);
  memcpy(Expansion.window + kWindowSize - 3, "END", 3);
  BitWriter w;
  std::string expected = "ENDEN";
  HuffmanCode lit = FixedLiteralCode(), dist = FixedDistanceCode();
  w.Bits(1, 1);
  w.Bits(1, 2);
  PutMatch(w, lit, dist, 5, 3);
  lit.Put(w, 256);
  ExpectDecodes(w.bytes(), expected);
}

// After the decode the stream stands right after the deflate data, also
// when the last match's distance lookup fetched a byte beyond it, and also
// when that byte came with a refill of the archive buffer.
TEST(InflateTest, StreamStandsAfterTheDeflateDataWhereverItEnds) {
  std::vector<int> litLengths(258, 0);
  litLengths['A'] = 1;
  litLengths[256] = litLengths[257] = 2;
  std::vector<int> distLengths = {1, 6, 6};  // lookup width 6, code 0 of 1 bit
  HuffmanCode lit(litLengths), dist(distLengths);
  for (int lead = 0; lead < 8; lead++) {
    BitWriter w;
    DynamicHeader(w, true, litLengths, distLengths);
    for (int i = 0; i < lead; i++) lit.Put(w, 'A');
    lit.Put(w, 'A');
    PutMatch(w, lit, dist, 3, 1);
    lit.Put(w, 256);
    const std::string stream = w.bytes();
    for (size_t chunk = 1; chunk <= stream.size() + 2; chunk++) {
      Decoded d = Decode(stream, chunk);
      ASSERT_EQ(0, d.status) << "lead " << lead << " chunk " << chunk;
      ASSERT_EQ(std::string(lead + 4, 'A'), d.out);
      ASSERT_EQ(kNextHeader, d.rest) << "lead " << lead << " chunk " << chunk;
    }
  }
  std::string expected;
  std::string mixed = MixedStream(&expected);
  for (size_t chunk : {size_t{1}, size_t{5}, size_t{64}}) EXPECT_EQ(kNextHeader, Decode(mixed, chunk).rest);
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
    int status = Inflate();
    ReleaseFixedTables();
    EXPECT_NE(0, status) << "cut at " << cut;
  }
  AttachArchive(nullptr);
  Expansion.output = nullptr;
}

}  // namespace
