// CRC-32 of ZIP (polynomial 0xEDB88320, reflected). Both functions run the
// register, held inverted, over length bytes and return the new register.
#pragma once

#include <cstddef>
#include <cstdint>

// One table lookup per byte over the standard 256-entry table.
uint32_t Crc32ByTable(uint32_t crc, const uint8_t* data, size_t length);

// The CRC of the expansion, chosen when the program is linked: the installer
// takes the table (Crc32Plain.cpp), since its pauses dwarf any decoding
// time; tesmo-unzip and the benchmarks take the fast path (Crc32Fast.cpp,
// the object library tesmo_crc_fast), which, linked in as an object, comes
// before the archive library's plain one.
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t length);
