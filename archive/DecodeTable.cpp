#include "archive/DecodeTable.h"

#include <cstdlib>

namespace {

void* AllocateWithMalloc(uint32_t bytes) { return malloc(bytes); }

const unsigned kMaxCodeLength = 16;
const unsigned kMaxSymbols = 288;

}  // namespace

void* (*AllocateTableBlock)(uint32_t bytes) = AllocateWithMalloc;

// Symbols of the code being built, sorted by code length, then by symbol.
static unsigned ValueList[kMaxSymbols];

TableStatus BuildDecodeTable(const unsigned* lengths, unsigned n, unsigned simpleCount,
                             const uint16_t* bases, const uint16_t* extras,
                             DecodeEntry** table, unsigned* lookupBits) {
  // Length of the end-of-block code, so that it ends exactly at the last bit
  // of a table and its lookup never fetches a byte past the stream.
  const unsigned eob = n > 256 ? lengths[256] : kMaxCodeLength;
  *table = nullptr;

  unsigned count[kMaxCodeLength + 1] = {};
  for (unsigned i = 0; i < n; i++) count[lengths[i]]++;
  if (count[0] == n) {
    *lookupBits = 0;
    return kTableComplete;
  }

  unsigned minLen = 1, maxLen = kMaxCodeLength;
  while (count[minLen] == 0) minLen++;
  while (count[maxLen] == 0) maxLen--;
  unsigned width = *lookupBits;
  if (width < minLen) width = minLen;
  if (width > maxLen) width = maxLen;

  // Over-subscription check; the codes left over become filler codes of the
  // longest length, which decode as invalid.
  int spare = 1 << minLen;
  for (unsigned len = minLen; len < maxLen; len++) {
    spare -= count[len];
    if (spare < 0) return kTableOversubscribed;
    spare *= 2;
  }
  spare -= count[maxLen];
  if (spare < 0) return kTableOversubscribed;
  count[maxLen] += spare;

  unsigned offset[kMaxCodeLength + 2];
  offset[1] = 0;
  for (unsigned len = 1; len < maxLen; len++) offset[len + 1] = offset[len] + count[len];
  unsigned values = 0;
  for (unsigned v = 0; v < n; v++) {
    if (lengths[v] != 0) {
      ValueList[offset[lengths[v]]++] = v;
      values++;
    }
  }

  // Walk the codes in canonical order, bit-reversed, opening a table one
  // level deeper whenever a code is longer than the open tables index.
  // Level h is stored at [h + 1] so that level -1 (none open) has a slot.
  unsigned levelBits[kMaxCodeLength + 2] = {};   // index width of level h
  DecodeEntry* levelTable[kMaxCodeLength + 2] = {};
  unsigned levelPrefix[kMaxCodeLength + 2] = {};  // code prefix it serves
  int h = -1;
  unsigned w = 0;  // bits indexed by the levels above the open one
  unsigned code = 0;
  unsigned p = 0;
  DecodeEntry** link = table;  // where the next block gets chained in

  for (unsigned k = minLen; k <= maxLen; k++) {
    for (unsigned a = count[k]; a-- > 0;) {
      while (k > w + levelBits[h + 1]) {
        w += levelBits[h + 1];
        h++;
        unsigned limit = maxLen - w < width ? maxLen - w : width;
        unsigned j = k - w;
        unsigned f = 1u << j;
        if (f > a + 1) {
          // Too few codes of length k to fill a j-bit table: grow it while
          // the longer codes can fill it. j grows once before it meets the
          // limit, so a table opened at the limit is one bit wider.
          f -= a + 1;
          unsigned next = k;
          while (++j < limit) {
            f <<= 1;
            if (f <= count[++next]) break;
            f -= count[next];
          }
        }
        if (w < eob && w + j > eob) j = eob - w;

        DecodeEntry* block = static_cast<DecodeEntry*>(
            AllocateTableBlock(((1u << j) + 1) * sizeof(DecodeEntry)));
        if (!block) {
          FreeDecodeTable(*table);
          *table = nullptr;
          return kTableOutOfMemory;
        }
        block[0].op = 0;
        block[0].bits = 0;
        block[0].sub = nullptr;
        *link = block + 1;
        link = &block[0].sub;

        levelBits[h + 1] = j;
        levelTable[h + 1] = block + 1;
        if (h > 0) {
          levelPrefix[h + 1] = code;
          unsigned parentBits = levelBits[h];
          DecodeEntry* parent = levelTable[h];
          DecodeEntry& entry = parent[(code & ((1u << w) - 1)) >> (w - parentBits)];
          entry.op = static_cast<uint8_t>(kOpLiteral + j);
          entry.bits = static_cast<uint8_t>(parentBits);
          entry.sub = block + 1;
        }
      }

      DecodeEntry entry;
      entry.bits = static_cast<uint8_t>(k - w);
      entry.value = 0;
      if (p == values) {
        entry.op = kOpInvalid;
      } else {
        unsigned v = ValueList[p++];
        if (v < simpleCount) {
          entry.op = v < 256 ? kOpLiteral : kOpEndOfBlock;
          entry.value = static_cast<uint16_t>(v);
        } else {
          entry.op = static_cast<uint8_t>(extras[v - simpleCount]);
          entry.value = bases[v - simpleCount];
        }
      }

      DecodeEntry* open = levelTable[h + 1];
      unsigned size = 1u << levelBits[h + 1];
      for (unsigned i = code >> w; i < size; i += 1u << (k - w)) open[i] = entry;

      // Next code, bit-reversed: add 1 at the top bit of a k-bit number.
      unsigned bit = 1u << (k - 1);
      while (code & bit) {
        code ^= bit;
        bit >>= 1;
      }
      code ^= bit;

      // Close the tables whose codes are all done.
      while ((code & ((1u << w) - 1)) != levelPrefix[h + 1]) {
        h--;
        w -= levelBits[h + 1];
      }
    }
  }

  *lookupBits = levelBits[1];
  return (spare != 0 && maxLen != 1) ? kTableIncomplete : kTableComplete;
}

void FreeDecodeTable(DecodeEntry* table) {
  while (table) {
    DecodeEntry* block = table - 1;
    table = block[0].sub;
    free(block);
  }
}

namespace {

FastEntry MakeFastEntry(const DecodeEntry& e, unsigned codeBits, unsigned reach) {
  if (e.op == kOpInvalid) return kFastInvalid | reach << 5;
  const unsigned total = codeBits + (e.op < kOpEndOfBlock ? e.op : 0);
  if (reach < total) reach = total;
  const FastEntry f = total | reach << 5 | codeBits << 10;
  if (e.op == kOpLiteral) return f | kFastLiteral | (e.value & 0xFFu) << 16;
  if (e.op == kOpEndOfBlock) return f;
  return f | static_cast<FastEntry>(e.value) << 16;
}

bool IsLink(const DecodeEntry& e) { return e.op > kOpLiteral && e.op != kOpInvalid; }

// Fills the fast entries whose low w bits are prefix from a table of width
// |width| opened after w bits; each entry lands at every index that shares
// the bits it decodes.
void FillFast(FastEntry* fast, unsigned fastBits, const DecodeEntry* table, unsigned width,
              unsigned w, unsigned prefix) {
  const unsigned size = 1u << fastBits, stride = 1u << (w + width);
  for (unsigned r = 0; r < (1u << width); r++) {
    const DecodeEntry& e = table[r];
    const unsigned index = prefix | r << w;
    FastEntry f;
    if (!IsLink(e)) {
      f = MakeFastEntry(e, w + e.bits, w + width);
    } else if (w + width + (e.op - kOpLiteral) <= fastBits) {
      FillFast(fast, fastBits, e.sub, e.op - kOpLiteral, w + width, index);
      continue;
    } else {
      f = kFastLonger;
    }
    for (unsigned i = index; i < size; i += stride) fast[i] = f;
  }
}

}  // namespace

void BuildFastTable(const DecodeEntry* table, unsigned width, unsigned fastBits, FastEntry* fast) {
  if (table && width <= fastBits) {
    FillFast(fast, fastBits, table, width, 0, 0);
    return;
  }
  const FastEntry f = table ? kFastLonger : kFastInvalid;
  for (unsigned i = 0; i < (1u << fastBits); i++) fast[i] = f;
}

FastEntry ResolveFastEntry(const DecodeEntry* table, unsigned width, uint64_t bits) {
  unsigned w = 0;
  const DecodeEntry* e = table + (bits & ((1u << width) - 1));
  while (IsLink(*e)) {
    w += e->bits;
    width = e->op - kOpLiteral;
    e = e->sub + ((bits >> w) & ((1u << width) - 1));
  }
  return MakeFastEntry(*e, w + e->bits, w + width);
}
