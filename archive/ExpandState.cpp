#include "archive/ExpandState.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define TESMO_HAVE_CLMUL 1
#endif

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

// Runs the register c over bytes with the byte-wise tables (slicing by eight).
uint32_t CrcByTables(uint32_t c, const uint8_t* data, uint32_t length) {
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
  return c;
}

#ifdef TESMO_HAVE_CLMUL
// Runs the register c over length bytes (at least 64, a multiple of 16) by
// folding 128-bit blocks with carry-less multiplication, then reduces the
// remainder to 32 bits (Barrett reduction). The constants are powers of x
// modulo the reflected polynomial 0xEDB88320.
__attribute__((target("pclmul,sse4.1"))) uint32_t CrcByFolding(uint32_t c,
                                                                const uint8_t* data,
                                                                uint32_t length) {
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

// Writes count bytes to the entry's file; true when all were written or the
// shortfall was a broken pipe.
bool WriteBytes(const uint8_t* bytes, uint32_t count) {
  if (!Expansion.output || count == 0) return true;
  bool brokenPipe = false;
  size_t written = Expansion.output->Write(bytes, count, &brokenPipe);
  return written == count || brokenPipe;
}

}  // namespace

uint32_t CrcUpdate(const uint8_t* data, uint32_t length) {
  if (!data) {
    Expansion.crc = 0xFFFFFFFFu;
    return 0;
  }
  uint32_t c = Expansion.crc;
#ifdef TESMO_HAVE_CLMUL
  if (length >= 64 && CpuHasClmul()) {
    uint32_t bulk = length & ~15u;
    c = CrcByFolding(c, data, bulk);
    data += bulk;
    length -= bulk;
  }
#endif
  c = CrcByTables(c, data, length);
  Expansion.crc = c;
  return c ^ 0xFFFFFFFFu;
}

// What both flushes do: CRC, write and count, whatever the write achieved.
// False when the write fell short.
bool FlushBytes(const uint8_t* bytes, uint32_t count) {
  CrcUpdate(bytes, count);
  bool written = WriteBytes(bytes, count);
  Expansion.bytesWritten += count;
  return written;
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

void GiveBackWholeBytes() {
  uint32_t whole = Expansion.bitCount / 8;
  uint32_t made = Expansion.bytesPastEnd < whole ? Expansion.bytesPastEnd : whole;
  Expansion.bytesPastEnd -= made;
  Expansion.archive.next -= whole - made;
  Expansion.bitCount -= 8 * whole;
  Expansion.bitBuf &= (1u << Expansion.bitCount) - 1;
}
