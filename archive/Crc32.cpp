#include "archive/Crc32.h"

namespace {

// Entry i is i put through eight steps of: shift right by one bit, and if
// the bit shifted out was 1, exclusive-or with the polynomial.
struct CrcTable {
  uint32_t t[256];
  constexpr CrcTable() : t() {
    for (uint32_t i = 0; i < 256; i++) {
      uint32_t c = i;
      for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[i] = c;
    }
  }
};

constexpr CrcTable kCrc;

}  // namespace

uint32_t Crc32ByTable(uint32_t crc, const uint8_t* data, size_t length) {
  while (length--) crc = kCrc.t[(crc ^ *data++) & 0xFF] ^ (crc >> 8);
  return crc;
}
