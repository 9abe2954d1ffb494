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
// Returns 0 complete (also all lengths zero: table null, width 0; or a single
// code of length 1), 1 incomplete (built, with invalid fillers),
// 2 over-subscribed (nothing built), 3 out of memory (nothing left allocated).
int BuildDecodeTable(const unsigned* lengths, unsigned n, unsigned simpleCount,
                     const uint16_t* bases, const uint16_t* extras,
                     DecodeEntry** table, unsigned* lookupBits);

// Frees every block of a table built by BuildDecodeTable; null does nothing.
void FreeDecodeTable(DecodeEntry* table);

// The allocator the tables are built with: malloc, unless a test swaps in
// one that runs out. Blocks are released with free().
extern void* (*AllocateTableBlock)(uint32_t bytes);
