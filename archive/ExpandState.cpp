#include "archive/ExpandState.h"

#include <cstring>

ExpandState Expansion = {};

namespace {

// Table k maps a byte to its CRC contribution k bytes further on, so eight
// bytes are folded in per step (slicing by eight). Table 0 is the standard
// table of the CRC-32 of ZIP (polynomial 0xEDB88320, reflected).
struct CrcTables {
  uint32_t t[8][256];
  constexpr CrcTables() : t() {
    for (uint32_t i = 0; i < 256; i++) {
      uint32_t c = i;
      for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; i++)
      for (int k = 1; k < 8; k++)
        t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};

constexpr CrcTables kCrc;

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Writes count window bytes to the entry's file; true when all were written
// or the shortfall was a broken pipe.
bool WriteWindow(uint32_t count) {
  if (!Expansion.output || count == 0) return true;
  bool brokenPipe = false;
  size_t written = Expansion.output->Write(Expansion.window, count, &brokenPipe);
  return written == count || brokenPipe;
}

}  // namespace

uint32_t CrcUpdate(const uint8_t* data, uint32_t length) {
  if (!data) {
    Expansion.crc = 0xFFFFFFFFu;
    return 0;
  }
  uint32_t c = Expansion.crc;
  while (length >= 8) {
    uint32_t lo = c ^ ReadLe32(data);
    uint32_t hi = ReadLe32(data + 4);
    c = kCrc.t[7][lo & 0xFF] ^ kCrc.t[6][(lo >> 8) & 0xFF] ^
        kCrc.t[5][(lo >> 16) & 0xFF] ^ kCrc.t[4][lo >> 24] ^
        kCrc.t[3][hi & 0xFF] ^ kCrc.t[2][(hi >> 8) & 0xFF] ^
        kCrc.t[1][(hi >> 16) & 0xFF] ^ kCrc.t[0][hi >> 24];
    data += 8;
    length -= 8;
  }
  while (length--) c = kCrc.t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
  Expansion.crc = c;
  return c ^ 0xFFFFFFFFu;
}

int FlushWindow(uint32_t count) {
  CrcUpdate(Expansion.window, count);
  if (!WriteWindow(count)) Expansion.shortWrites++;
  Expansion.bytesWritten += count;
  return 0;
}

bool FlushStored() {
  uint32_t count = Expansion.storedCount;
  CrcUpdate(Expansion.window, count);
  bool fellShort = !WriteWindow(count);
  Expansion.bytesWritten += count;
  Expansion.storedCount = 0;
  return fellShort;
}

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

void GiveBackWholeBytes() {
  uint32_t whole = Expansion.bitCount / 8;
  uint32_t made = Expansion.bytesPastEnd < whole ? Expansion.bytesPastEnd : whole;
  Expansion.bytesPastEnd -= made;
  Expansion.archive.next -= whole - made;
  Expansion.bitCount -= 8 * whole;
  Expansion.bitBuf &= (1u << Expansion.bitCount) - 1;
}
