#include "archive/Inflate.h"

#include <cstring>

#include "archive/DecodeTable.h"
#include "archive/ExpandState.h"

namespace {

// Order in which the code-length code lengths are sent.
const uint8_t CodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                     11, 4, 12, 3, 13, 2, 14, 1, 15};

// Length symbols 257-287; 286 and 287 get extra count 99 so they decode as
// invalid.
const uint16_t LengthBase[31] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,  15,
                                 17, 19, 23, 27, 31, 35, 43, 51,  59,  67,  83,
                                 99, 115, 131, 163, 195, 227, 258, 0, 0};
const uint16_t LengthExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                  3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};

// Distance codes 0-29; codes 30 and 31 have no distance and decode as invalid.
const uint16_t DistanceBase[32] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129, 193,
    257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 0, 0};
const uint16_t DistanceExtra[32] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,  6,
                                    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 99, 99};

const uint16_t BitMask[17] = {0,    1,    3,    7,     15,    31,    63,    127,  255,
                              511,  1023, 2047, 4095,  8191,  16383, 32767, 65535};

const unsigned LiteralLookupBits = 9;
const unsigned DistanceLookupBits = 6;

// The fixed-code tables, built by the first fixed block of an entry and
// released after the entry.
struct {
  DecodeEntry* literals;
  unsigned literalBits;
  DecodeEntry* distances;
  unsigned distanceBits;
} FixedTables;

// Code lengths of a dynamic block: first the 19 code-length code lengths,
// then the literal/length and distance code lengths.
unsigned LengthList[288 + 32];
unsigned FixedLengths[288];

// The slow half of the bit input: refills the archive buffer; past the end
// it makes up a zero byte and counts it.
uint32_t FetchByteSlow() {
  int c = RefillArchive();
  if (c < 0) {
    Expansion.bytesPastEnd++;
    return 0;
  }
  return static_cast<uint32_t>(c);
}

// Copies a match that neither wraps nor crosses the window's end. A
// distance shorter than the length repeats the bytes just written, so copies
// go forward, in steps no longer than the distance.
inline void CopyMatch(uint8_t* to, uint32_t distance, uint32_t len) {
  const uint8_t* from = to - distance;
  if (distance >= 8) {
    if (len >= 8) {
      uint8_t* const end = to + len;
      do {
        memcpy(to, from, 8);
        to += 8;
        from += 8;
      } while (to + 8 <= end);
      // The last 8 bytes again, overlapping what is done: their source lies
      // wholly before them.
      uint32_t tail = static_cast<uint32_t>(end - to);
      memcpy(end - 8, from + tail - 8, 8);
    } else if (len >= 4) {
      uint32_t head, tail;
      memcpy(&head, from, 4);
      memcpy(&tail, from + len - 4, 4);
      memcpy(to, &head, 4);
      memcpy(to + len - 4, &tail, 4);
    } else {
      for (uint32_t i = 0; i < len; i++) to[i] = from[i];
    }
  } else if (distance == 1) {
    memset(to, *from, len);
  } else {
    for (uint32_t i = 0; i < len; i++) to[i] = from[i];
  }
}

// Copies a match in chunks that stop at the window's end, wrapping the source
// and flushing as the window fills. src and pos are window positions.
void CopyWrappingMatch(uint32_t src, uint32_t len, uint32_t& pos) {
  uint8_t* const window = Expansion.window;
  do {
    src &= kWindowSize - 1;
    uint32_t chunk = kWindowSize - (src > pos ? src : pos);
    if (chunk > len) chunk = len;
    len -= chunk;
    if (pos - src >= chunk) {
      // No repeating overlap; a source ahead of the destination may still
      // overlap it, which memmove copies as a forward copy would.
      memmove(window + pos, window + src, chunk);
    } else {
      for (uint32_t i = 0; i < chunk; i++) window[pos + i] = window[src + i];
    }
    pos += chunk;
    src += chunk;
    if (pos == kWindowSize) {
      FlushWindow(kWindowSize);
      pos = 0;
    }
  } while (len != 0);
}

// The literal/length and distance codes of one block, until its end-of-block
// code. The bit input lives in locals here, the hot loop of the decoder.
int DecodeCodes(const DecodeEntry* lt, const DecodeEntry* dt, unsigned lw, unsigned dw) {
  ExpandState& s = Expansion;
  uint8_t* const window = s.window;
  uint32_t b = s.bitBuf;
  uint32_t k = s.bitCount;
  uint32_t pos = s.windowPos;
  uint32_t pastEnd = s.bytesPastEnd;
  const uint8_t* in = s.archive.next;
  const uint8_t* inEnd = s.archive.end;
  int status = 0;

#define NEEDBITS(n)                               \
  while (k < (n)) {                               \
    uint32_t byte_;                               \
    if (in < inEnd) {                             \
      byte_ = *in++;                              \
    } else {                                      \
      s.archive.next = in;                        \
      byte_ = FetchByteSlow();                    \
      in = s.archive.next;                        \
      inEnd = s.archive.end;                      \
      pastEnd = s.bytesPastEnd;                   \
    }                                             \
    b |= byte_ << k;                              \
    k += 8;                                       \
  }
#define DUMPBITS(n) \
  do {              \
    b >>= (n);      \
    k -= (n);       \
  } while (0)

  for (;;) {
    // A cut-off stream: bits of made-up bytes have been used.
    if (pastEnd && k < 8 * pastEnd) {
      status = 1;
      break;
    }
    NEEDBITS(lw);
    const DecodeEntry* e = lt + (b & BitMask[lw]);
    while (e->op > kOpLiteral) {
      if (e->op == kOpInvalid) {
        status = 1;
        goto done;
      }
      DUMPBITS(e->bits);
      unsigned j = e->op - kOpLiteral;
      NEEDBITS(j);
      e = e->sub + (b & BitMask[j]);
    }
    DUMPBITS(e->bits);

    if (e->op == kOpLiteral) {
      window[pos++] = static_cast<uint8_t>(e->value);
      if (pos == kWindowSize) {
        FlushWindow(kWindowSize);
        pos = 0;
      }
      continue;
    }
    if (e->op == kOpEndOfBlock) break;

    // A length, then its distance.
    unsigned extra = e->op;
    NEEDBITS(extra);
    uint32_t len = e->value + (b & BitMask[extra]);
    DUMPBITS(extra);

    if (!dt) {  // a block without distance codes has no back-references
      status = 1;
      break;
    }
    NEEDBITS(dw);
    const DecodeEntry* d = dt + (b & BitMask[dw]);
    while (d->op > kOpLiteral) {
      if (d->op == kOpInvalid) {
        status = 1;
        goto done;
      }
      DUMPBITS(d->bits);
      unsigned j = d->op - kOpLiteral;
      NEEDBITS(j);
      d = d->sub + (b & BitMask[j]);
    }
    DUMPBITS(d->bits);
    extra = d->op;
    NEEDBITS(extra);
    // Reaching before the entry's first byte copies whatever the window
    // holds there; the window is circular.
    uint32_t distance = d->value + (b & BitMask[extra]);
    DUMPBITS(extra);
    if (distance <= pos && len <= kWindowSize - pos) {
      CopyMatch(window + pos, distance, len);
      pos += len;
      if (pos == kWindowSize) {
        FlushWindow(kWindowSize);
        pos = 0;
      }
      continue;
    }
    CopyWrappingMatch(pos - distance, len, pos);
  }

done:
#undef NEEDBITS
#undef DUMPBITS
  s.bitBuf = b;
  s.bitCount = k;
  s.windowPos = pos;
  s.archive.next = in;
  return status;
}

int StoredBlock() {
  ExpandState& s = Expansion;
  DumpBits(s.bitCount & 7);
  NeedBits(16);
  uint32_t len = s.bitBuf & 0xFFFF;
  DumpBits(16);
  NeedBits(16);
  if ((s.bitBuf & 0xFFFF) != (~len & 0xFFFF)) return 1;
  DumpBits(16);
  if (RanPastEnd()) return 1;

  // The bit buffer is empty now, so the bytes come straight from the
  // archive buffer, as many at a time as both buffers allow.
  while (len > 0) {
    ArchiveStream& a = s.archive;
    if (a.next == a.end) {
      int c = RefillArchive();
      if (c < 0) return 1;  // stream cut off inside the block
      a.next--;
    }
    uint32_t n = static_cast<uint32_t>(a.end - a.next);
    if (n > len) n = len;
    if (n > kWindowSize - s.windowPos) n = kWindowSize - s.windowPos;
    memcpy(s.window + s.windowPos, a.next, n);
    a.next += n;
    s.windowPos += n;
    len -= n;
    if (s.windowPos == kWindowSize) {
      FlushWindow(kWindowSize);
      s.windowPos = 0;
    }
  }
  return 0;
}

int FixedBlock() {
  if (!FixedTables.literals) {
    unsigned i = 0;
    for (; i < 144; i++) FixedLengths[i] = 8;
    for (; i < 256; i++) FixedLengths[i] = 9;
    for (; i < 280; i++) FixedLengths[i] = 7;
    for (; i < 288; i++) FixedLengths[i] = 8;
    DecodeEntry* literals;
    unsigned literalBits = 7;
    int r = BuildDecodeTable(FixedLengths, 288, 257, LengthBase, LengthExtra, &literals,
                             &literalBits);
    if (r != 0) {
      FreeDecodeTable(literals);
      return r;
    }
    for (i = 0; i < 30; i++) FixedLengths[i] = 5;
    DecodeEntry* distances;
    unsigned distanceBits = 5;
    // Incomplete by design: 30 of the 32 five-bit codes are used.
    r = BuildDecodeTable(FixedLengths, 30, 0, DistanceBase, DistanceExtra, &distances,
                         &distanceBits);
    if (r > 1) {
      FreeDecodeTable(literals);
      return r;
    }
    FixedTables.literals = literals;
    FixedTables.literalBits = literalBits;
    FixedTables.distances = distances;
    FixedTables.distanceBits = distanceBits;
  }
  return DecodeCodes(FixedTables.literals, FixedTables.distances, FixedTables.literalBits,
                     FixedTables.distanceBits) != 0;
}

int DynamicBlock() {
  ExpandState& s = Expansion;
  NeedBits(5);
  unsigned nl = 257 + (s.bitBuf & 0x1F);
  DumpBits(5);
  NeedBits(5);
  unsigned nd = 1 + (s.bitBuf & 0x1F);
  DumpBits(5);
  NeedBits(4);
  unsigned nc = 4 + (s.bitBuf & 0xF);
  DumpBits(4);

  unsigned j = 0;
  for (; j < nc; j++) {
    NeedBits(3);
    LengthList[CodeLengthOrder[j]] = s.bitBuf & 7;
    DumpBits(3);
  }
  for (; j < 19; j++) LengthList[CodeLengthOrder[j]] = 0;
  if (RanPastEnd()) return 1;

  DecodeEntry* table;
  unsigned w = 7;
  int r = BuildDecodeTable(LengthList, 19, 19, nullptr, nullptr, &table, &w);
  if (r == 1) FreeDecodeTable(table);
  if (r != 0) return r;
  if (!table) return 1;  // no code-length code at all

  const unsigned total = nl + nd;
  unsigned i = 0, prev = 0;
  while (i < total) {
    NeedBits(w);
    const DecodeEntry& e = table[s.bitBuf & BitMask[w]];
    DumpBits(e.bits);
    if (e.op == kOpInvalid || RanPastEnd()) {
      FreeDecodeTable(table);
      return 1;
    }
    unsigned sym = e.value;
    if (sym < 16) {
      LengthList[i++] = prev = sym;
      continue;
    }
    unsigned count, value;
    if (sym == 16) {
      NeedBits(2);
      count = 3 + (s.bitBuf & 3);
      DumpBits(2);
      value = prev;
    } else if (sym == 17) {
      NeedBits(3);
      count = 3 + (s.bitBuf & 7);
      DumpBits(3);
      value = prev = 0;
    } else {
      NeedBits(7);
      count = 11 + (s.bitBuf & 0x7F);
      DumpBits(7);
      value = prev = 0;
    }
    if (i + count > total) {
      FreeDecodeTable(table);
      return 1;
    }
    while (count--) LengthList[i++] = value;
  }
  FreeDecodeTable(table);
  if (RanPastEnd()) return 1;

  DecodeEntry* literals;
  unsigned literalBits = LiteralLookupBits;
  r = BuildDecodeTable(LengthList, nl, 257, LengthBase, LengthExtra, &literals, &literalBits);
  if (r == 1) FreeDecodeTable(literals);
  if (r != 0) return r;

  DecodeEntry* distances;
  unsigned distanceBits = DistanceLookupBits;
  // An incomplete distance code is accepted (a single code of length 1).
  r = BuildDecodeTable(LengthList + nl, nd, 0, DistanceBase, DistanceExtra, &distances,
                       &distanceBits);
  if (r > 1) {
    FreeDecodeTable(literals);
    return r;
  }
  if (!literals) {  // no literal/length code: not even an end of block
    FreeDecodeTable(distances);
    return 1;
  }
  r = DecodeCodes(literals, distances, literalBits, distanceBits);
  FreeDecodeTable(literals);
  FreeDecodeTable(distances);
  return r != 0;
}

int DecodeBlock(int* last) {
  ExpandState& s = Expansion;
  NeedBits(1);
  *last = s.bitBuf & 1;
  DumpBits(1);
  NeedBits(2);
  unsigned type = s.bitBuf & 3;
  DumpBits(2);
  if (RanPastEnd()) return 1;
  switch (type) {
    case 0: return StoredBlock();
    case 1: return FixedBlock();
    case 2: return DynamicBlock();
    default: return 2;
  }
}

}  // namespace

int Inflate() {
  ExpandState& s = Expansion;
  s.windowPos = 0;
  s.bitBuf = 0;
  s.bitCount = 0;
  s.bytesPastEnd = 0;
  int last;
  do {
    int r = DecodeBlock(&last);
    if (r != 0) return r;
  } while (!last);
  if (RanPastEnd()) return 1;
  FlushWindow(s.windowPos);
  GiveBackWholeBytes();
  return 0;
}

int ReleaseFixedTables() {
  if (FixedTables.literals) {
    FreeDecodeTable(FixedTables.distances);
    FreeDecodeTable(FixedTables.literals);
    FixedTables.literals = nullptr;
    FixedTables.distances = nullptr;
  }
  return 0;
}
