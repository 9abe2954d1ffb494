// The installer's choice of Crc32Update.
#include "archive/Crc32.h"

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t length) {
  return Crc32ByTable(crc, data, length);
}
