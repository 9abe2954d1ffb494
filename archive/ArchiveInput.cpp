// The archive stream's buffer and the bit input's hand-back of bytes it
// fetched but did not use; and the one instance of the shared state.
#include <cstring>

#include "archive/ExpandState.h"

ExpandState Expansion = {};

void AttachArchive(File* file) {
  ArchiveStream& a = Expansion.archive;
  a.file = file;
  memset(a.buffer, 0, kPutBackSize);
  a.next = a.end = a.buffer + kPutBackSize;
  a.atEnd = false;
}

int RefillArchive() {
  ArchiveStream& a = Expansion.archive;
  if (a.atEnd || !a.file) return -1;
  // Keep the last bytes handed out in front of the new ones, so a give-back
  // never reaches outside the buffer.
  memmove(a.buffer, a.end - kPutBackSize, kPutBackSize);
  size_t n = a.file->Read(a.buffer + kPutBackSize, kArchiveBufferSize);
  a.next = a.buffer + kPutBackSize;
  a.end = a.next + n;
  if (n == 0) {
    a.atEnd = true;
    return -1;
  }
  return *a.next++;
}

uint32_t TakeArchiveBytes(uint8_t* to, uint32_t count) {
  ArchiveStream& a = Expansion.archive;
  uint32_t taken = 0;
  while (taken < count) {
    if (a.next == a.end) {
      if (RefillArchive() < 0) break;
      a.next--;  // the refill handed out the first byte; take it with the rest
    }
    uint32_t n = static_cast<uint32_t>(a.end - a.next);
    if (n > count - taken) n = count - taken;
    if (to) memcpy(to + taken, a.next, n);
    a.next += n;
    taken += n;
  }
  return taken;
}

void HandBackBits(uint64_t bits, uint32_t count, uint32_t spare, const uint8_t* next,
                  uint32_t pastEnd) {
  ExpandState& s = Expansion;
  const uint32_t giveBack = spare / 8;
  // Made-up bytes past the end go back first: they were never in the buffer.
  const uint32_t made = pastEnd < giveBack ? pastEnd : giveBack;
  s.bytesPastEnd = pastEnd - made;
  s.archive.next = next - (giveBack - made);
  s.bitCount = count - 8 * giveBack;
  s.bitBuf = static_cast<uint32_t>(bits & ((uint64_t{1} << s.bitCount) - 1));
}
