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

// Code lengths of a dynamic block: first the 19 code-length code lengths,
// then the literal/length and distance code lengths.
unsigned LengthList[288 + 32];
unsigned FixedLengths[288];

// ---- Output. The decoder writes into a linear buffer: the window's history
// in front of the bytes being decoded, so back-references never wrap.
// Windows are flushed as they fill, exactly as the circular window would be;
// the buffer moves back to its front only every kRounds windows. On every
// return the bytes go back into Expansion.window as the circular window
// would hold them, so the next entry's back-references see them there.

const uint32_t kRounds = 2;
// Room after the last window for a match that starts just before its end,
// with the overrun of copies in 16-byte steps.
const uint32_t kOutputSlack = 512;
uint8_t Linear[kWindowSize * (1 + kRounds) + kOutputSlack];
uint8_t* const kLinearLast = Linear + kWindowSize * kRounds;  // start of the last window

struct {
  uint8_t* base;             // first byte of the window being filled
  uint8_t* next;             // next write position
  const uint8_t* lowWater;  // a match from below here needs the old window loaded
} Out;

void StartOutput() {
  Out.base = Out.next = Linear + kWindowSize;
  Out.lowWater = Out.base;
}

// A back-reference reaches before the entry's first byte: it copies what the
// window holds there, the previous entry's bytes or zeros at start.
void LoadHistory() {
  memcpy(Linear, Expansion.window, kWindowSize);
  Out.lowWater = Linear;
}

// The window is full: hand it on, and move the last window's worth of bytes
// back to the front when no room is left for the next one.
void FlushFullWindow() {
  FlushWindow(Out.base, kWindowSize);
  Out.base += kWindowSize;
  if (Out.base > kLinearLast) {
    uint8_t* history = Out.base - kWindowSize;
    const size_t keep = static_cast<size_t>(Out.next - history);
    memmove(Linear, history, keep);
    Out.base = Linear + kWindowSize;
    Out.next = Linear + keep;
    Out.lowWater = Linear;
  }
}

// Leaves the circular window and windowPos as the written design's decoder
// would: this window's bytes from 0, the previous window's after them.
void StoreWindow() {
  const uint32_t pos = static_cast<uint32_t>(Out.next - Out.base);
  memcpy(Expansion.window, Out.base, pos);
  const uint8_t* from = Out.base - (kWindowSize - pos);
  const uint32_t skip = from < Out.lowWater ? static_cast<uint32_t>(Out.lowWater - from) : 0;
  memcpy(Expansion.window + pos + skip, from + skip, kWindowSize - pos - skip);
  Expansion.windowPos = pos;
}

// ---- Bit input of the hot loop. A machine word of bits, topped up once per
// symbol (twice on 32-bit) with one wide load. The written design fetches a
// byte only when a lookup asks for more bits than it holds; |ahead| follows
// how far beyond the bits used its fetches reach, so that on the way out
// the bytes fetched beyond that go back and the stream stands where the
// byte-at-a-time input would have left it.

typedef uintptr_t BitWord;
const uint32_t kWordBits = sizeof(BitWord) * 8;
const uint32_t kFastLiteralBits = 11;
const uint32_t kFastDistanceBits = 8;

// Archive bytes a symbol's wide loads may touch: with this many left the
// hot loop needs no bounds checks.
const ptrdiff_t kFastInputMargin = 16;

struct BitReader {
  BitWord bits;     // bits not used yet, the next in bit 0; above count zero
                    // or the stream's next bits
  uint32_t count;   // valid bits in bits
  uint32_t ahead;   // bits the design's fetches reach beyond the bits used
  const uint8_t* in;
  const uint8_t* inEnd;
  uint32_t pastEnd;  // zero bytes made up after the end of the archive
};

BitReader TakeOverBits() {
  const ExpandState& s = Expansion;
  return {s.bitBuf, s.bitCount, s.bitCount, s.archive.next, s.archive.end, s.bytesPastEnd};
}

// Hands the input back to the byte-at-a-time bit input of the block headers,
// with the bytes fetched beyond the design's reach.
void HandBackReader(const BitReader& r) {
  HandBackBits(r.bits, r.count, r.count - r.ahead, r.in, r.pastEnd);
}

inline BitWord LoadWord(const uint8_t* p) {
  BitWord w;
  memcpy(&w, p, sizeof w);  // little-endian
  return w;
}

// The slow half of the input: the next byte across a refill of the archive
// buffer, or a made-up zero past the end.
BitWord FetchByteSlow(BitReader& r) {
  if (r.in < r.inEnd) return *r.in++;
  Expansion.archive.next = r.in;
  const int c = RefillArchive();
  r.in = Expansion.archive.next;
  r.inEnd = Expansion.archive.end;
  if (c >= 0) return static_cast<BitWord>(c);
  r.pastEnd++;
  return 0;
}

// Tops the word up to at least kWordBits - 8 bits.
template <bool kFast>
inline void Refill(BitReader& r) {
  if (kFast) {
    r.bits |= LoadWord(r.in) << r.count;
    r.in += (kWordBits - 1 - r.count) >> 3;
    r.count |= kWordBits - 8;
  } else {
    while (r.count <= kWordBits - 8) {
      r.bits |= FetchByteSlow(r) << r.count;
      r.count += 8;
    }
  }
}

inline void Consume(BitReader& r, uint32_t n) {
  r.bits >>= n;
  r.count -= n;
}

// A code's lookups and extra bits as the design asks for them: its reach,
// then the bits it uses.
inline void Account(BitReader& r, FastEntry e) {
  const uint32_t reach = FastReach(e);
  r.ahead = (r.ahead > reach ? r.ahead : reach) - FastTotal(e);
}

inline BitWord LowBits(BitWord bits, uint32_t n) { return bits & ((BitWord{1} << n) - 1); }

// Copies a back-reference of len (3 to 258) bytes, distance 1 to 32768,
// within the linear buffer. Copies in 16- or 8-byte steps may write up to 15
// bytes past the end, into bytes not decoded yet.
inline uint8_t* CopyMatch(uint8_t* out, uint32_t distance, uint32_t len) {
  const uint8_t* src = out - distance;
  uint8_t* const end = out + len;
  if (distance >= 16) {
    do {
      memcpy(out, src, 16);
      out += 16;
      src += 16;
    } while (out < end);
  } else if (distance >= 8) {
    do {
      memcpy(out, src, 8);
      out += 8;
      src += 8;
    } while (out < end);
  } else if (distance == 1) {
    const BitWord run = static_cast<BitWord>(*src) * (~BitWord{0} / 255);
    do {
      memcpy(out, &run, sizeof run);
      out += sizeof run;
    } while (out < end);
  } else {
    // A distance shorter than a step repeats the bytes just written.
    do *out++ = *src++;
    while (out < end);
  }
  return end;
}

// One code of the literal/length or distance alphabet, ready for the loop.
struct Code {
  const DecodeEntry* table;
  unsigned width;
  const FastEntry* fast;
};

enum SymbolResult { kNextSymbol, kEndOfBlock, kBadSymbol };

// What a table builder's status means for the stream: an incomplete code is
// bad data where a complete one is required, an over-subscribed one a bad
// block.
InflateStatus StatusOfTable(TableStatus table) {
  switch (table) {
    case kTableComplete: return kInflateOk;
    case kTableIncomplete: return kInflateBadData;
    case kTableOversubscribed: return kInflateBadBlock;
    case kTableOutOfMemory: return kInflateOutOfMemory;
  }
  return kInflateBadData;
}

// Decodes symbols into the output until the end of the block or a bad code.
// The fast kind runs while the archive buffer holds a symbol's widest reads;
// the other decodes one symbol with bounds checks and the made-up bytes
// past the end of the archive.
template <bool kFast>
SymbolResult DecodeSymbols(BitReader& reader, const Code& lit, const Code& dist) {
  // Locals, so that the byte stores into the output cannot make the
  // compiler reload them from memory.
  BitReader r = reader;
  const FastEntry* const lt = lit.fast;
  const FastEntry* const dt = dist.fast;
  const DecodeEntry* const litTable = lit.table;
  const DecodeEntry* const distTable = dist.table;
  const unsigned litWidth = lit.width, distWidth = dist.width;
  const BitWord litMask = (1u << kFastLiteralBits) - 1;
  const BitWord distMask = (1u << kFastDistanceBits) - 1;
  const uint8_t* const fastEnd = r.inEnd - kFastInputMargin;
  uint8_t* out = Out.next;
  uint8_t* flushAt = Out.base + kWindowSize;
  SymbolResult result = kNextSymbol;
  do {
    // A cut-off stream: bits of made-up bytes have been used.
    if (!kFast && r.count < 8 * r.pastEnd) {
      result = kBadSymbol;
      break;
    }
    Refill<kFast>(r);
    FastEntry e = lt[r.bits & litMask];
    if (e == kFastLonger) e = ResolveFastEntry(litTable, litWidth, r.bits);
    if (e & kFastLiteral) {
      Account(r, e);
      Consume(r, FastTotal(e));
      *out++ = static_cast<uint8_t>(e >> 16);
    } else {
      const uint32_t base = e >> 16;
      if (base == 0) {  // end of block or invalid code
        Account(r, e);
        Consume(r, FastTotal(e));
        result = FastTotal(e) ? kEndOfBlock : kBadSymbol;
        break;
      }
      Account(r, e);
      const uint32_t len = base + static_cast<uint32_t>(LowBits(r.bits, FastTotal(e)) >> FastCodeBits(e));
      Consume(r, FastTotal(e));

      if (kWordBits < 64) Refill<kFast>(r);
      FastEntry d = dt[r.bits & distMask];
      if (d == kFastLonger) d = ResolveFastEntry(distTable, distWidth, r.bits);
      Account(r, d);
      if ((d >> 16) == 0) {  // invalid code, or no distance code at all
        result = kBadSymbol;
        break;
      }
      uint32_t distance;
      if (kWordBits < 64 && FastTotal(d) > r.count) {
        // 32 bits hold the code but not always all 13 extra bits too.
        Consume(r, FastCodeBits(d));
        Refill<kFast>(r);
        const uint32_t extra = FastTotal(d) - FastCodeBits(d);
        distance = (d >> 16) + static_cast<uint32_t>(LowBits(r.bits, extra));
        Consume(r, extra);
      } else {
        distance = (d >> 16) + static_cast<uint32_t>(LowBits(r.bits, FastTotal(d)) >> FastCodeBits(d));
        Consume(r, FastTotal(d));
      }
      if (out - distance < Out.lowWater) LoadHistory();
      out = CopyMatch(out, distance, len);
    }
    if (out >= flushAt) {
      Out.next = out;
      FlushFullWindow();
      out = Out.next;
      flushAt = Out.base + kWindowSize;
    }
  } while (kFast && r.in < fastEnd);
  Out.next = out;
  reader = r;
  return result;
}

// The literal/length and distance codes of one block, until its end-of-block
// code: the hot loop of the decoder.
InflateStatus DecodeCodes(const Code& lit, const Code& dist) {
  BitReader r = TakeOverBits();
  SymbolResult result;
  do {
    if (r.inEnd - r.in > kFastInputMargin) result = DecodeSymbols<true>(r, lit, dist);
    else result = DecodeSymbols<false>(r, lit, dist);
  } while (result == kNextSymbol);
  HandBackReader(r);
  return result == kBadSymbol ? kInflateBadData : kInflateOk;
}

// The fixed-code tables, built by the first fixed block of an entry and
// released after the entry, with their flat tables.
struct {
  DecodeEntry* literals;
  unsigned literalBits;
  DecodeEntry* distances;
  unsigned distanceBits;
  FastEntry fastLiterals[1u << kFastLiteralBits];
  FastEntry fastDistances[1u << kFastDistanceBits];
} FixedTables;

// The flat tables of the current dynamic block.
FastEntry FastLiterals[1u << kFastLiteralBits];
FastEntry FastDistances[1u << kFastDistanceBits];

InflateStatus StoredBlock() {
  ExpandState& s = Expansion;
  DumpBits(s.bitCount & 7);
  NeedBits(16);
  uint32_t len = s.bitBuf & 0xFFFF;
  DumpBits(16);
  NeedBits(16);
  if ((s.bitBuf & 0xFFFF) != (~len & 0xFFFF)) return kInflateBadData;
  DumpBits(16);
  if (RanPastEnd()) return kInflateBadData;

  // The bit buffer is empty now, so the bytes come straight from the
  // archive buffer.
  while (len > 0) {
    uint32_t n = static_cast<uint32_t>(Out.base + kWindowSize - Out.next);
    if (n > len) n = len;
    const uint32_t taken = TakeArchiveBytes(Out.next, n);
    Out.next += taken;
    if (taken < n) return kInflateBadData;  // stream cut off inside the block
    len -= n;
    if (Out.next == Out.base + kWindowSize) FlushFullWindow();
  }
  return kInflateOk;
}

InflateStatus FixedBlock() {
  if (!FixedTables.literals) {
    unsigned i = 0;
    for (; i < 144; i++) FixedLengths[i] = 8;
    for (; i < 256; i++) FixedLengths[i] = 9;
    for (; i < 280; i++) FixedLengths[i] = 7;
    for (; i < 288; i++) FixedLengths[i] = 8;
    DecodeEntry* literals;
    unsigned literalBits = 7;
    TableStatus r = BuildDecodeTable(FixedLengths, 288, 257, LengthBase, LengthExtra,
                                     &literals, &literalBits);
    if (r != kTableComplete) {
      FreeDecodeTable(literals);
      return StatusOfTable(r);
    }
    for (i = 0; i < 30; i++) FixedLengths[i] = 5;
    DecodeEntry* distances;
    unsigned distanceBits = 5;
    // Incomplete by design: 30 of the 32 five-bit codes are used.
    r = BuildDecodeTable(FixedLengths, 30, 0, DistanceBase, DistanceExtra, &distances,
                         &distanceBits);
    if (r != kTableComplete && r != kTableIncomplete) {
      FreeDecodeTable(literals);
      return StatusOfTable(r);
    }
    FixedTables.literals = literals;
    FixedTables.literalBits = literalBits;
    FixedTables.distances = distances;
    FixedTables.distanceBits = distanceBits;
    BuildFastTable(literals, literalBits, kFastLiteralBits, FixedTables.fastLiterals);
    BuildFastTable(distances, distanceBits, kFastDistanceBits, FixedTables.fastDistances);
  }
  const Code lit = {FixedTables.literals, FixedTables.literalBits, FixedTables.fastLiterals};
  const Code dist = {FixedTables.distances, FixedTables.distanceBits, FixedTables.fastDistances};
  return DecodeCodes(lit, dist);
}

InflateStatus DynamicBlock() {
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
  if (RanPastEnd()) return kInflateBadData;

  DecodeEntry* table;
  unsigned w = 7;
  TableStatus r = BuildDecodeTable(LengthList, 19, 19, nullptr, nullptr, &table, &w);
  if (r == kTableIncomplete) FreeDecodeTable(table);
  if (r != kTableComplete) return StatusOfTable(r);
  if (!table) return kInflateBadData;  // no code-length code at all

  const unsigned total = nl + nd;
  unsigned i = 0, prev = 0;
  while (i < total) {
    NeedBits(w);
    const DecodeEntry& e = table[s.bitBuf & BitMask[w]];
    DumpBits(e.bits);
    if (e.op == kOpInvalid || RanPastEnd()) {
      FreeDecodeTable(table);
      return kInflateBadData;
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
      return kInflateBadData;
    }
    while (count--) LengthList[i++] = value;
  }
  FreeDecodeTable(table);
  if (RanPastEnd()) return kInflateBadData;

  DecodeEntry* literals;
  unsigned literalBits = LiteralLookupBits;
  r = BuildDecodeTable(LengthList, nl, 257, LengthBase, LengthExtra, &literals, &literalBits);
  if (r == kTableIncomplete) FreeDecodeTable(literals);
  if (r != kTableComplete) return StatusOfTable(r);

  DecodeEntry* distances;
  unsigned distanceBits = DistanceLookupBits;
  // An incomplete distance code is accepted (a single code of length 1).
  r = BuildDecodeTable(LengthList + nl, nd, 0, DistanceBase, DistanceExtra, &distances,
                       &distanceBits);
  if (r != kTableComplete && r != kTableIncomplete) {
    FreeDecodeTable(literals);
    return StatusOfTable(r);
  }
  if (!literals) {  // no literal/length code: not even an end of block
    FreeDecodeTable(distances);
    return kInflateBadData;
  }
  BuildFastTable(literals, literalBits, kFastLiteralBits, FastLiterals);
  BuildFastTable(distances, distanceBits, kFastDistanceBits, FastDistances);
  const InflateStatus status =
      DecodeCodes({literals, literalBits, FastLiterals}, {distances, distanceBits, FastDistances});
  FreeDecodeTable(literals);
  FreeDecodeTable(distances);
  return status;
}

InflateStatus DecodeBlock(int* last) {
  ExpandState& s = Expansion;
  NeedBits(1);
  *last = s.bitBuf & 1;
  DumpBits(1);
  NeedBits(2);
  unsigned type = s.bitBuf & 3;
  DumpBits(2);
  if (RanPastEnd()) return kInflateBadData;
  switch (type) {
    case 0: return StoredBlock();
    case 1: return FixedBlock();
    case 2: return DynamicBlock();
    default: return kInflateBadBlock;
  }
}

}  // namespace

InflateStatus Inflate() {
  ExpandState& s = Expansion;
  s.windowPos = 0;
  s.bitBuf = 0;
  s.bitCount = 0;
  s.bytesPastEnd = 0;
  StartOutput();
  InflateStatus r;
  int last;
  do r = DecodeBlock(&last);
  while (r == kInflateOk && !last);
  if (r == kInflateOk && RanPastEnd()) r = kInflateBadData;
  if (r == kInflateOk) {
    FlushWindow(Out.base, static_cast<uint32_t>(Out.next - Out.base));
    HandBackBits(s.bitBuf, s.bitCount, s.bitCount, s.archive.next, s.bytesPastEnd);
  }
  StoreWindow();
  return r;
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
