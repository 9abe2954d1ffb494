// The multi-level lookup tables: every code decodes to its symbol with its
// own length, widths follow the requested width and the end-of-block rule.
// Running out of memory is tested through the decoder (InflateTest).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "archive/DecodeTable.h"
#include "tests/archive/StreamWriter.h"

namespace {

uint16_t Bases[31], Extras[31];

struct Built {
  int status;
  DecodeEntry* table = nullptr;
  unsigned width;
  ~Built() { FreeDecodeTable(table); }
};

void Build(const std::vector<int>& lengths, unsigned width, Built* out,
           unsigned simpleCount = 257) {
  for (int i = 0; i < 31; i++) {
    Bases[i] = static_cast<uint16_t>(1000 + i);
    Extras[i] = static_cast<uint16_t>(i % 6);
  }
  std::vector<unsigned> l(lengths.begin(), lengths.end());
  out->width = width;
  out->status = BuildDecodeTable(l.data(), static_cast<unsigned>(l.size()), simpleCount, Bases,
                                 Extras, &out->table, &out->width);
}

struct Found {
  const DecodeEntry* entry;
  unsigned consumed;  // bits the levels took
  unsigned fetched;   // bits the deepest lookup needed in bitBuf
};

// Follows a lookup as the decoder does, for input bits in bitBuf order.
Found Lookup(const DecodeEntry* table, unsigned width, uint32_t bits) {
  const DecodeEntry* e = table + (bits & ((1u << width) - 1));
  unsigned consumed = 0, fetched = width;
  while (e->op > kOpLiteral && e->op != kOpInvalid) {
    consumed += e->bits;
    bits >>= e->bits;
    unsigned j = e->op - kOpLiteral;
    fetched = consumed + j;
    e = e->sub + (bits & ((1u << j) - 1));
  }
  return {e, consumed + e->bits, fetched};
}

uint32_t Reversed(uint32_t code, int length) {
  uint32_t r = 0;
  for (int i = 0; i < length; i++) r |= (code >> i & 1) << (length - 1 - i);
  return r;
}

// Every symbol's canonical code, followed by arbitrary bits, decodes to the
// symbol's entry and takes exactly the code's length.
void ExpectEveryCodeDecodes(const std::vector<int>& lengths, const Built& b,
                            unsigned simpleCount = 257) {
  HuffmanCode code(lengths);
  for (size_t v = 0; v < lengths.size(); v++) {
    if (!lengths[v]) continue;
    for (uint32_t tail : {0u, 0xFFFFFFu, 0x5A5A5Au}) {
      uint32_t bits = Reversed(code.codes[v], lengths[v]) | tail << lengths[v];
      Found f = Lookup(b.table, b.width, bits);
      ASSERT_EQ(static_cast<unsigned>(lengths[v]), f.consumed) << "symbol " << v;
      if (v < simpleCount) {
        ASSERT_EQ(v < 256 ? kOpLiteral : kOpEndOfBlock, f.entry->op) << "symbol " << v;
        ASSERT_EQ(v, f.entry->value);
      } else {
        ASSERT_EQ(Extras[v - simpleCount], f.entry->op) << "symbol " << v;
        ASSERT_EQ(Bases[v - simpleCount], f.entry->value);
      }
      if (v == 256) {
        EXPECT_LE(f.fetched, static_cast<unsigned>(lengths[v]));
      }
    }
  }
}

std::vector<int> FixedLiteralLengths() { return FixedLiteralCode().lengths; }

TEST(DecodeTableTest, FirstLevelWidthFollowsRequestCodeLengthsAndEndOfBlock) {
  Built fixed;
  Build(FixedLiteralLengths(), 7, &fixed);
  EXPECT_EQ(0, fixed.status);
  EXPECT_EQ(7u, fixed.width);
  ExpectEveryCodeDecodes(FixedLiteralLengths(), fixed);

  // The end-of-block code is 7 bits long: 9 requested, 7 built, so its
  // lookup never fetches bits beyond it.
  Built eob7;
  Build(FixedLiteralLengths(), 9, &eob7);
  EXPECT_EQ(7u, eob7.width);
  ExpectEveryCodeDecodes(FixedLiteralLengths(), eob7);

  std::vector<int> bytes(256, 8);  // no end-of-block symbol: no such rule
  Built raised, lowered;
  Build(bytes, 7, &raised);
  EXPECT_EQ(8u, raised.width);  // raised to the shortest code
  Build(bytes, 12, &lowered);
  EXPECT_EQ(8u, lowered.width);  // lowered to the longest code
  ExpectEveryCodeDecodes(bytes, lowered);
}

// Random complete codes over the literal/length alphabet, built by splitting
// leaves of a code tree, in every width the decoder asks for.
TEST(DecodeTableTest, RandomCompleteCodesDecodeEverySymbol) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 300; round++) {
    std::vector<int> leaves = {1, 1};
    int count = 2 + static_cast<int>(rng() % 286);
    while (static_cast<int>(leaves.size()) < count) {
      size_t i = rng() % leaves.size();
      if (leaves[i] >= 15) continue;
      leaves[i]++;
      leaves.push_back(leaves[i]);
    }
    std::vector<int> symbols(288);
    for (int s = 0; s < 288; s++) symbols[s] = s;
    std::shuffle(symbols.begin(), symbols.end(), rng);
    if (round % 2) std::swap(*std::find(symbols.begin(), symbols.end(), 256), symbols[0]);
    std::vector<int> lengths(288, 0);
    for (int i = 0; i < count; i++) lengths[symbols[i]] = leaves[i];
    Built b;
    Build(lengths, round % 3 == 0 ? 9 : round % 3 == 1 ? 7 : 6, &b);
    ASSERT_EQ(0, b.status) << "round " << round;
    ExpectEveryCodeDecodes(lengths, b);
    if (HasFailure()) return;
  }
}

TEST(DecodeTableTest, Statuses) {
  Built none;
  Build(std::vector<int>(30, 0), 6, &none);
  EXPECT_EQ(0, none.status);
  EXPECT_EQ(nullptr, none.table);
  EXPECT_EQ(0u, none.width);

  // A single code of length 1 counts as complete; the other code is invalid.
  std::vector<int> single(30, 0);
  single[3] = 1;
  Built one;
  Build(single, 6, &one, 0);
  EXPECT_EQ(0, one.status);
  EXPECT_EQ(1u, one.width);
  EXPECT_EQ(Bases[3], Lookup(one.table, 1, 0).entry->value);
  EXPECT_EQ(kOpInvalid, Lookup(one.table, 1, 1).entry->op);

  // Incomplete: built, the unused codes are invalid fillers.
  std::vector<int> incomplete = {2, 2, 2, 0, 0};
  Built inc;
  Build(incomplete, 7, &inc, 5);
  EXPECT_EQ(1, inc.status);
  ASSERT_NE(nullptr, inc.table);
  ExpectEveryCodeDecodes(incomplete, inc, 5);
  EXPECT_EQ(kOpInvalid, Lookup(inc.table, inc.width, 3).entry->op);  // code 11

  Built over;
  Build({1, 1, 2, 0}, 7, &over, 4);
  EXPECT_EQ(2, over.status);
  EXPECT_EQ(nullptr, over.table);
  // Over-subscribed only once the longest codes are counted: 20 five-bit
  // codes beside a one-bit code.
  std::vector<int> deepOver(20, 5);
  deepOver.push_back(1);
  Built over2;
  Build(deepOver, 9, &over2, 21);
  EXPECT_EQ(2, over2.status);
}

}  // namespace
