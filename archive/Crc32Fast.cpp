// The fast choice of Crc32Update, for the host tool and the benchmarks:
// eight bytes per step through eight tables (8 KiB), and 128-bit blocks by
// carry-less multiplication where the processor has it.
#include "archive/Crc32.h"
#include "archive/LittleEndian.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define TESMO_HAVE_CLMUL 1
#endif

namespace {

// Table k maps a byte to its CRC contribution k bytes further on, so eight
// bytes are folded in per step (slicing by eight). Table 0 is the standard
// table.
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

// Runs the register c over bytes with the byte-wise tables (slicing by eight).
uint32_t CrcByTables(uint32_t c, const uint8_t* data, size_t length) {
  while (length >= 8) {
    uint32_t lo = c ^ Le32(data);
    uint32_t hi = Le32(data + 4);
    c = kCrc.t[7][lo & 0xFF] ^ kCrc.t[6][(lo >> 8) & 0xFF] ^
        kCrc.t[5][(lo >> 16) & 0xFF] ^ kCrc.t[4][lo >> 24] ^
        kCrc.t[3][hi & 0xFF] ^ kCrc.t[2][(hi >> 8) & 0xFF] ^
        kCrc.t[1][(hi >> 16) & 0xFF] ^ kCrc.t[0][hi >> 24];
    data += 8;
    length -= 8;
  }
  while (length--) c = kCrc.t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
  return c;
}

#ifdef TESMO_HAVE_CLMUL
// Runs the register c over length bytes (at least 64, a multiple of 16) by
// folding 128-bit blocks with carry-less multiplication, then reduces the
// remainder to 32 bits (Barrett reduction). The constants are powers of x
// modulo the reflected polynomial 0xEDB88320.
__attribute__((target("pclmul,sse4.1"))) uint32_t CrcByFolding(uint32_t c,
                                                                const uint8_t* data,
                                                                size_t length) {
  const __m128i k1k2 = _mm_set_epi32(0x00000001, 0xC6E41596, 0x00000001, 0x54442BD4);
  const __m128i k3k4 = _mm_set_epi32(0x00000000, 0xCCAA009E, 0x00000001, 0x751997D0);
  const __m128i k5 = _mm_set_epi32(0x00000000, 0x00000000, 0x00000001, 0x63CD6124);
  const __m128i poly = _mm_set_epi32(0x00000001, 0xF7011641, 0x00000001, 0xDB710641);
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

  __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
  __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16));
  __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32));
  __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 48));
  x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(c)));
  data += 64;
  length -= 64;

  while (length >= 64) {
    __m128i x5 = _mm_clmulepi64_si128(x1, k1k2, 0x00);
    __m128i x6 = _mm_clmulepi64_si128(x2, k1k2, 0x00);
    __m128i x7 = _mm_clmulepi64_si128(x3, k1k2, 0x00);
    __m128i x8 = _mm_clmulepi64_si128(x4, k1k2, 0x00);
    x1 = _mm_clmulepi64_si128(x1, k1k2, 0x11);
    x2 = _mm_clmulepi64_si128(x2, k1k2, 0x11);
    x3 = _mm_clmulepi64_si128(x3, k1k2, 0x11);
    x4 = _mm_clmulepi64_si128(x4, k1k2, 0x11);
    x1 = _mm_xor_si128(_mm_xor_si128(x1, x5),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(data)));
    x2 = _mm_xor_si128(_mm_xor_si128(x2, x6),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16)));
    x3 = _mm_xor_si128(_mm_xor_si128(x3, x7),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32)));
    x4 = _mm_xor_si128(_mm_xor_si128(x4, x8),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 48)));
    data += 64;
    length -= 64;
  }

  // Fold the four lanes into one, then the remaining 16-byte blocks.
  __m128i folds[3] = {x2, x3, x4};
  for (__m128i next : folds) {
    __m128i x5 = _mm_clmulepi64_si128(x1, k3k4, 0x00);
    x1 = _mm_clmulepi64_si128(x1, k3k4, 0x11);
    x1 = _mm_xor_si128(_mm_xor_si128(x1, next), x5);
  }
  while (length >= 16) {
    __m128i x5 = _mm_clmulepi64_si128(x1, k3k4, 0x00);
    x1 = _mm_clmulepi64_si128(x1, k3k4, 0x11);
    x1 = _mm_xor_si128(_mm_xor_si128(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(data))), x5);
    data += 16;
    length -= 16;
  }

  // 128 bits to 64, then Barrett reduction to 32.
  __m128i x2r = _mm_clmulepi64_si128(x1, k3k4, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2r);
  x2r = _mm_srli_si128(x1, 4);
  x1 = _mm_and_si128(x1, low32);
  x1 = _mm_clmulepi64_si128(x1, k5, 0x00);
  x1 = _mm_xor_si128(x1, x2r);
  x2r = _mm_and_si128(x1, low32);
  x2r = _mm_clmulepi64_si128(x2r, poly, 0x10);
  x2r = _mm_and_si128(x2r, low32);
  x2r = _mm_clmulepi64_si128(x2r, poly, 0x00);
  x1 = _mm_xor_si128(x1, x2r);
  return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

// Asked of the processor itself (leaf 1): the compiler's own feature check
// brings in a run-time table bigger than all of the decoder.
bool CpuHasClmul() {
  static const bool has = [] {
    unsigned a, b, c, d;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_PCLMUL) && (c & bit_SSE4_1);
  }();
  return has;
}
#endif

}  // namespace

uint32_t Crc32Update(uint32_t c, const uint8_t* data, size_t length) {
#ifdef TESMO_HAVE_CLMUL
  if (length >= 64 && CpuHasClmul()) {
    size_t bulk = length & ~size_t{15};
    c = CrcByFolding(c, data, bulk);
    data += bulk;
    length -= bulk;
  }
#endif
  return CrcByTables(c, data, length);
}
