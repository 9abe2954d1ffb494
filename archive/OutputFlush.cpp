// The CRC register of the entry and the two flushes of the output window.
#include "archive/Crc32.h"
#include "archive/ExpandState.h"

namespace {

// Writes count bytes to the entry's file; true when all were written or the
// shortfall was a broken pipe.
bool WriteBytes(const uint8_t* bytes, uint32_t count) {
  if (!Expansion.output || count == 0) return true;
  bool brokenPipe = false;
  size_t written = Expansion.output->Write(bytes, count, &brokenPipe);
  return written == count || brokenPipe;
}

// What both flushes do: CRC, write and count, whatever the write achieved.
// False when the write fell short.
bool FlushBytes(const uint8_t* bytes, uint32_t count) {
  CrcUpdate(bytes, count);
  bool written = WriteBytes(bytes, count);
  Expansion.bytesWritten += count;
  return written;
}

}  // namespace

uint32_t CrcUpdate(const uint8_t* data, uint32_t length) {
  if (!data) {
    Expansion.crc = 0xFFFFFFFFu;
    return 0;
  }
  Expansion.crc = Crc32Update(Expansion.crc, data, length);
  return Expansion.crc ^ 0xFFFFFFFFu;
}

int FlushWindow(const uint8_t* bytes, uint32_t count) {
  if (!FlushBytes(bytes, count)) Expansion.shortWrites++;
  return 0;
}

bool FlushStored() {
  bool fellShort = !FlushBytes(Expansion.window, Expansion.storedCount);
  Expansion.storedCount = 0;
  return fellShort;
}
