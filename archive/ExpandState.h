// The state that the archive walk and the inflate decoder share while one
// entry is expanded: the 32768-byte output window, the bit input from the
// archive stream, the running CRC-32 and the count of bytes written. The
// archive input lives in ArchiveInput.cpp, the CRC register and the flushes
// in OutputFlush.cpp.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

const uint32_t kWindowSize = 32768;

// Bytes kept in front of the archive buffer across a refill, so the decoder
// can give back whole bytes it fetched but never used.
const uint32_t kPutBackSize = 8;
const uint32_t kArchiveBufferSize = 65536;

// Buffered binary input over the archive file. Bytes are taken from the
// buffer; the file is read only when the buffer runs dry.
struct ArchiveStream {
  File* file;
  const uint8_t* next;  // next unread byte
  const uint8_t* end;   // end of the valid bytes
  bool atEnd;           // the file has no more bytes
  uint8_t buffer[kPutBackSize + kArchiveBufferSize];
};

struct ExpandState {
  // Output bytes of a stored entry not yet flushed. The decoder works in a
  // buffer of its own and leaves its last bytes here as a circular window,
  // which the next entry's back-references before its first byte copy
  // from. Never cleared.
  uint8_t window[kWindowSize];
  uint32_t windowPos;     // where the decoder's next byte would go in window
  uint32_t storedCount;   // bytes of a stored entry in window
  uint32_t bitBuf;        // input bits not yet used, the next one in bit 0
  uint32_t bitCount;      // valid bits in bitBuf
  uint32_t crc;           // CRC-32 register, held inverted
  uint32_t bytesWritten;  // bytes handed to the output file for this entry
  // Zero bytes the bit input made up after the end of the archive; a decode
  // that uses any of their bits has run off a cut-off stream.
  uint32_t bytesPastEnd;
  // Decoder flushes whose write fell short (disk full), for the walk to
  // report once the decode has returned.
  uint32_t shortWrites;
  ArchiveStream archive;
  File* output;  // null when the entry's file could not be created
};

// The one process-wide instance. The walk is not re-entrant.
extern ExpandState Expansion;

// Starts reading |file| (owned by the caller) from its current position.
void AttachArchive(File* file);

// CRC-32 of ZIP. With no data, resets the register and returns 0; otherwise
// runs the register over the bytes and returns the CRC so far. The register
// carries over from call to call.
uint32_t CrcUpdate(const uint8_t* data, uint32_t length);

// The decoder's flush of |count| output bytes at |bytes| (a full window or
// the end of the entry): CRC, write, count. A short write is counted in
// shortWrites. Returns 0.
int FlushWindow(const uint8_t* bytes, uint32_t count);

// The stored path's flush of storedCount window bytes. Returns true when the
// write fell short for another reason than a broken pipe.
bool FlushStored();

// Refills the archive buffer and returns the next byte, or -1 at the end.
int RefillArchive();

// Takes up to count bytes from the archive stream into |to|, or drops them
// when |to| is null, straight from the buffer as many at a time as it holds.
// Returns the count taken: fewer only at the end of the archive.
uint32_t TakeArchiveBytes(uint8_t* to, uint32_t count);

// The next archive byte 0..255, or -1 at the end of the archive stream.
inline int NextByte() {
  ArchiveStream& a = Expansion.archive;
  if (a.next < a.end) return *a.next++;
  return RefillArchive();
}

// Makes sure bitBuf holds at least n bits (n <= 24), fetching whole bytes,
// least significant bit first. Past the end of the archive zero bytes are
// made up and counted in bytesPastEnd.
inline void NeedBits(uint32_t n) {
  while (Expansion.bitCount < n) {
    int b = NextByte();
    if (b < 0) {
      b = 0;
      Expansion.bytesPastEnd++;
    }
    Expansion.bitBuf |= static_cast<uint32_t>(b) << Expansion.bitCount;
    Expansion.bitCount += 8;
  }
}

inline void DumpBits(uint32_t n) {
  Expansion.bitBuf >>= n;
  Expansion.bitCount -= n;
}

// True when the decoder has used bits of made-up bytes past the end.
inline bool RanPastEnd() {
  return Expansion.bitCount < 8 * Expansion.bytesPastEnd;
}

// Leaves the bit input with the |count| bits in |bits| (the next in bit 0),
// read from the archive buffer up to |next|, |pastEnd| of their bytes made
// up past the end. The whole bytes among the last |spare| of those bits
// (fetched, never used) go back to the archive stream, so that it stands
// right after the byte that holds the last bit used.
void HandBackBits(uint64_t bits, uint32_t count, uint32_t spare, const uint8_t* next,
                  uint32_t pastEnd);
