// Multi-level lookup tables for the canonical Huffman codes of deflate.
#pragma once

#include <cstdint>

// One entry of a lookup table.
//   op 0-13   length or distance base in value, followed by op extra bits
//   op 15     end of block
//   op 16     literal (or code-length symbol) in value
//   op 17-32  link: the code goes on in sub, indexed by the next op-16 bits
//   op 99     invalid code
// bits is the number of bits this table level consumes.
struct DecodeEntry {
  uint8_t op;
  uint8_t bits;
  union {
    uint16_t value;
    DecodeEntry* sub;
  };
};

const uint8_t kOpEndOfBlock = 15;
const uint8_t kOpLiteral = 16;
const uint8_t kOpInvalid = 99;

// Builds the lookup table of the code given by |lengths| (n code lengths,
// 0-16). Symbols below simpleCount stand for themselves; symbol v above
// stands for row v - simpleCount of bases and extras. lookupBits comes in as
// the wanted first-level width and goes out as the width built.
enum TableStatus : int {
  // Also all lengths zero (table null, width 0) and a single code of length 1.
  kTableComplete = 0,
  kTableIncomplete = 1,      // built, with invalid fillers
  kTableOversubscribed = 2,  // nothing built
  kTableOutOfMemory = 3,     // nothing left allocated
};

TableStatus BuildDecodeTable(const unsigned* lengths, unsigned n, unsigned simpleCount,
                             const uint16_t* bases, const uint16_t* extras,
                             DecodeEntry** table, unsigned* lookupBits);

// Frees every block of a table built by BuildDecodeTable; null does nothing.
void FreeDecodeTable(DecodeEntry* table);

// A flat table derived from a DecodeTable for the decoder's hot loop: entry
// i resolves, in one step, the code whose bits start with the low fastBits
// bits of i, through every table level those bits cover.
//   bits 0-4    total: code length plus extra-bit count (0 for the specials)
//   bits 5-9    reach: the most bits the table lookups and the extra bits of
//               the code ask for at once, counted from the code's first bit
//   bits 10-14  code length
//   bits 16-31  literal: kFastLiteral and the byte in bits 16-23; length or
//               distance: the base; 0 for end of block and the specials
// Specials: an invalid code (kFastInvalid, with its reach), and a code that
// needs more bits than the index has (kFastLonger), resolved by
// ResolveFastEntry from the DecodeTable itself.
typedef uint32_t FastEntry;
const FastEntry kFastLiteral = 0x80000000u;
const FastEntry kFastInvalid = 0;
const FastEntry kFastLonger = 1u << 10;

inline uint32_t FastTotal(FastEntry e) { return e & 31; }
inline uint32_t FastReach(FastEntry e) { return (e >> 5) & 31; }
inline uint32_t FastCodeBits(FastEntry e) { return (e >> 10) & 31; }

// Fills fast (2^fastBits entries) from a table of first-level width
// |width|; a null table gives invalid entries that ask for no bits.
void BuildFastTable(const DecodeEntry* table, unsigned width, unsigned fastBits, FastEntry* fast);

// The fast entry of the code that starts at bit 0 of |bits|, which must
// hold every bit its lookups ask for (at most 16).
FastEntry ResolveFastEntry(const DecodeEntry* table, unsigned width, uint64_t bits);

// The allocator the tables are built with: malloc, unless a test swaps in
// one that runs out. Blocks are released with free().
extern void* (*AllocateTableBlock)(uint32_t bytes);
