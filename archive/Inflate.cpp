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

// Copies len (at least 3) bytes between regions that do not overlap.
inline void CopyApart(uint8_t* to, const uint8_t* from, uint32_t len) {
  if (len >= 8) {
    uint8_t* const end = to + len;
    do {
      memcpy(to, from, 8);
      to += 8;
      from += 8;
    } while (to + 8 <= end);
    // The last 8 bytes again, overlapping what is done.
    uint32_t tail = static_cast<uint32_t>(end - to);
    memcpy(end - 8, from + tail - 8, 8);
  } else if (len >= 4) {
    uint32_t head, tail;
    memcpy(&head, from, 4);
    memcpy(&tail, from + len - 4, 4);
    memcpy(to, &head, 4);
    memcpy(to + len - 4, &tail, 4);
  } else {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
  }
}

inline void CopyMatch(uint8_t* to, uint32_t distance, uint32_t len) {
  const uint8_t* from = to - distance;
  if (distance >= len) {
    CopyApart(to, from, len);
  } else if (distance == 1) {
    memset(to, *from, len);
  } else if (len <= 16) {
    for (uint32_t i = 0; i < len; i++) to[i] = from[i];
  } else {
    // The output repeats with period distance: each copy takes everything
    // written since from, which doubles what the next copy can take.
    while (len > 0) {
      uint32_t n = static_cast<uint32_t>(to - from);
      if (n > len) n = len;
      memcpy(to, from, n);
      to += n;
      len -= n;
    }
  }
}

// Hands a full window on and starts filling it again; true when it did.
inline bool FlushIfFull(uint32_t& pos) {
  if (pos != kWindowSize) return false;
  FlushWindow(kWindowSize);
  pos = 0;
  return true;
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
    FlushIfFull(pos);
  } while (len != 0);
}

// The bit input of the hot loop, held in locals. Bits of b above k are
// either zero or the stream's next bits, so a wide load can be or-ed in
// again. The count of bytes taken from the stream, and k, stay exactly as a
// byte-at-a-time input that fetches only while it has fewer bits than
// wanted would leave them.
struct BitReader {
  uintptr_t b;
  uint32_t k;
  const uint8_t* in;
  const uint8_t* inEnd;
  uint32_t pastEnd;
};

// Bytes of archive buffer a symbol may take, with the widest load's reach:
// with this many left, the fast input needs no bounds checks.
const ptrdiff_t kFastInputMargin = 16;

template <bool kFast>
inline void Need(BitReader& r, uint32_t n) {
  if (kFast) {
    if (r.k < n) {
      uintptr_t x;
      memcpy(&x, r.in, sizeof x);  // little-endian
      r.b |= x << r.k;
      uint32_t bytes = (n - r.k + 7) >> 3;
      r.in += bytes;
      r.k += 8 * bytes;
    }
  } else {
    while (r.k < n) {
      uintptr_t byte;
      if (r.in < r.inEnd) {
        byte = *r.in++;
      } else {
        Expansion.archive.next = r.in;
        byte = FetchByteSlow();
        r.in = Expansion.archive.next;
        r.inEnd = Expansion.archive.end;
        r.pastEnd = Expansion.bytesPastEnd;
      }
      r.b |= byte << r.k;
      r.k += 8;
    }
  }
}

inline void Dump(BitReader& r, uint32_t n) {
  r.b >>= n;
  r.k -= n;
}

// Looks up one code in a table and its sub-tables; null for an invalid code.
template <bool kFast>
inline const DecodeEntry* Lookup(BitReader& r, const DecodeEntry* table, uint32_t width) {
  Need<kFast>(r, width);
  const DecodeEntry* e = table + (r.b & BitMask[width]);
  while (e->op > kOpLiteral) {
    if (e->op == kOpInvalid) return nullptr;
    Dump(r, e->bits);
    uint32_t j = e->op - kOpLiteral;
    Need<kFast>(r, j);
    e = e->sub + (r.b & BitMask[j]);
  }
  Dump(r, e->bits);
  return e;
}

enum SymbolResult { kNextSymbol, kEndOfBlock, kBadSymbol };

// Decodes one literal, match or end of block into the window.
template <bool kFast>
inline SymbolResult DecodeSymbol(BitReader& r, uint32_t& pos, const DecodeEntry* lt,
                                 const DecodeEntry* dt, uint32_t lw, uint32_t dw) {
  uint8_t* const window = Expansion.window;
  const DecodeEntry* e = Lookup<kFast>(r, lt, lw);
  if (!e) return kBadSymbol;
  while (e->op == kOpLiteral) {
    window[pos++] = static_cast<uint8_t>(e->value);
    if (FlushIfFull(pos)) return kNextSymbol;
    // Literals come in runs: go on while the input needs no bounds checks.
    if (!kFast || r.inEnd - r.in < kFastInputMargin) return kNextSymbol;
    e = Lookup<kFast>(r, lt, lw);
    if (!e) return kBadSymbol;
  }
  if (e->op == kOpEndOfBlock) return kEndOfBlock;

  uint32_t extra = e->op;
  Need<kFast>(r, extra);
  uint32_t len = e->value + static_cast<uint32_t>(r.b & BitMask[extra]);
  Dump(r, extra);

  if (!dt) return kBadSymbol;  // a block without distance codes has no matches
  const DecodeEntry* d = Lookup<kFast>(r, dt, dw);
  if (!d) return kBadSymbol;
  extra = d->op;
  Need<kFast>(r, extra);
  // Reaching before the entry's first byte copies whatever the window holds
  // there; the window is circular.
  uint32_t distance = d->value + static_cast<uint32_t>(r.b & BitMask[extra]);
  Dump(r, extra);
  uint32_t src = (pos - distance) & (kWindowSize - 1);
  if (len <= kWindowSize - pos && len <= kWindowSize - src) {
    // Neither source nor destination crosses the window's end.
    if (src < pos) {
      CopyMatch(window + pos, distance, len);
    } else if (src >= pos + len) {
      CopyApart(window + pos, window + src, len);  // wrapped to the far end
    } else {
      memmove(window + pos, window + src, len);  // source ahead, overlapping
    }
    pos += len;
    FlushIfFull(pos);
  } else {
    CopyWrappingMatch(src, len, pos);
  }
  return kNextSymbol;
}

// The literal/length and distance codes of one block, until its end-of-block
// code: the hot loop of the decoder.
int DecodeCodes(const DecodeEntry* lt, const DecodeEntry* dt, unsigned lw, unsigned dw) {
  ExpandState& s = Expansion;
  BitReader r = {s.bitBuf, s.bitCount, s.archive.next, s.archive.end, s.bytesPastEnd};
  uint32_t pos = s.windowPos;
  SymbolResult result;
  for (;;) {
    if (r.inEnd - r.in >= kFastInputMargin) {
      result = DecodeSymbol<true>(r, pos, lt, dt, lw, dw);
    } else {
      // A cut-off stream: bits of made-up bytes have been used.
      if (r.pastEnd && r.k < 8 * r.pastEnd) {
        result = kBadSymbol;
        break;
      }
      result = DecodeSymbol<false>(r, pos, lt, dt, lw, dw);
    }
    if (result != kNextSymbol) break;
  }
  s.bitCount = r.k;
  s.bitBuf = static_cast<uint32_t>(r.b) & ((1u << r.k) - 1);
  s.windowPos = pos;
  s.archive.next = r.in;
  return result == kBadSymbol ? 1 : 0;
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
  // archive buffer.
  while (len > 0) {
    uint32_t n = kWindowSize - s.windowPos;
    if (n > len) n = len;
    uint32_t taken = TakeArchiveBytes(s.window + s.windowPos, n);
    s.windowPos += taken;
    if (taken < n) return 1;  // stream cut off inside the block
    len -= n;
    FlushIfFull(s.windowPos);
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
