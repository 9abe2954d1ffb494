// Hand-made deflate streams and archive entries, and the decoder run on a
// stream as the walk runs it: from the archive stream, with the next local
// header after it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/ExpandState.h"
#include "archive/Inflate.h"
#include "tests/support/MemoryFile.h"

// Bitwise CRC-32 of ZIP, independent of the engine's tables and folding.
inline uint32_t ReferenceCrc(const std::string& data) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char byte : data) {
    c ^= byte;
    for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// The canonical code of a list of code lengths (RFC 1951, 3.2.2).
struct HuffmanCode {
  std::vector<int> lengths;
  std::vector<uint32_t> codes;
  HuffmanCode(std::vector<int> l = {}) : lengths(std::move(l)), codes(lengths.size()) {
    uint32_t count[17] = {}, next[17] = {};
    for (int len : lengths) count[len]++;
    for (int bits = 2; bits <= 16; bits++) next[bits] = (next[bits - 1] + count[bits - 1]) << 1;
    for (size_t s = 0; s < lengths.size(); s++)
      if (lengths[s]) codes[s] = next[lengths[s]]++;
  }
};

// A complete code-length code: symbols 0-12 of 4 bits, 13-18 of 5 bits.
inline std::vector<int> PlainCodeLengths() {
  std::vector<int> l(19, 4);
  for (int s = 13; s < 19; s++) l[s] = 5;
  return l;
}

// A deflate stream built block by block, with the output it stands for.
struct Stream {
  // |value|'s low n bits, least significant first (header fields, extra bits).
  Stream& Bits(uint32_t value, int n) {
    for (int i = 0; i < n; i++, used = (used + 1) & 7) {
      if (used == 0) bytes.push_back(0);
      bytes.back() = static_cast<char>(bytes.back() | ((value >> i & 1) << used));
    }
    return *this;
  }
  // |lengthError| is xor-ed into the length's complement.
  Stream& Stored(bool last, const std::string& data, uint32_t lengthError = 0) {
    Bits(last, 3);
    used = 0;  // to the byte boundary
    Bits(static_cast<uint32_t>(data.size()), 16).Bits(~data.size() ^ lengthError, 16);
    bytes += data;
    expected += data;
    return *this;
  }
  Stream& Fixed(bool last) {
    std::vector<int> l(288);
    for (int s = 0; s < 288; s++) l[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    return Codes(l, std::vector<int>(32, 5)).Bits(last | 1 << 1, 3);
  }
  // A dynamic block's header: counts, the code-length code (19 lengths by
  // symbol), then code-length symbols with their repeat bits.
  Stream& Header(bool last, int nl, int nd, const std::vector<int>& codeLengthCode,
                 const std::vector<std::pair<int, int>>& sequence) {
    static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    Bits(last | 2 << 1 | (nl - 257) << 3 | (nd - 1) << 8 | 15 << 13, 17);
    for (int j = 0; j < 19; j++) Bits(codeLengthCode[kOrder[j]], 3);
    HuffmanCode code(codeLengthCode);
    for (const auto& s : sequence) {
      Put(code, s.first);
      if (s.first >= 16) Bits(s.second, s.first == 16 ? 2 : s.first == 17 ? 3 : 7);
    }
    return *this;
  }
  // A dynamic block whose header sends each code length as itself.
  Stream& Dynamic(bool last, const std::vector<int>& literals, const std::vector<int>& distances,
                  const std::vector<int>& codeLengthCode = PlainCodeLengths()) {
    std::vector<std::pair<int, int>> sequence;
    for (int l : literals) sequence.push_back({l, 0});
    for (int l : distances) sequence.push_back({l, 0});
    return Header(last, static_cast<int>(literals.size()), static_cast<int>(distances.size()),
                  codeLengthCode, sequence)
        .Codes(literals, distances);
  }
  // The codes the block's symbols are sent in.
  Stream& Codes(const std::vector<int>& literals, const std::vector<int>& distances) {
    lit = HuffmanCode(literals);
    dist = HuffmanCode(distances);
    return *this;
  }
  // A Huffman code goes most significant bit first.
  Stream& Put(const HuffmanCode& c, int symbol) {
    for (int i = c.lengths[symbol] - 1; i >= 0; i--) Bits(c.codes[symbol] >> i, 1);
    return *this;
  }
  Stream& Symbol(int symbol) { return Put(lit, symbol); }
  Stream& Distance(int code) { return Put(dist, code); }
  Stream& End() { return Symbol(256); }
  Stream& Text(const std::string& s) {
    for (unsigned char c : s) Symbol(c);
    expected += s;
    return *this;
  }
  // A match; the bases are summed from the extra-bit counts (RFC 1951, 3.2.5).
  Stream& Match(int length, int distance) {
    int s = 0, base = 3, d = 0, dbase = 1;
    auto lengthExtra = [](int s) { return s < 8 ? 0 : (s - 4) / 4; };
    auto distanceExtra = [](int d) { return d < 4 ? 0 : (d - 2) / 2; };
    for (; length < 258 && base + (1 << lengthExtra(s)) <= length; s++) base += 1 << lengthExtra(s);
    for (; dbase + (1 << distanceExtra(d)) <= distance; d++) dbase += 1 << distanceExtra(d);
    if (length == 258) Symbol(285);
    else Symbol(257 + s).Bits(length - base, lengthExtra(s));
    Distance(d).Bits(distance - dbase, distanceExtra(d));
    // Before the first byte the window holds |history|, circularly.
    for (int i = 0; i < length; i++) {
      const long from = static_cast<long>(expected.size()) - distance;
      expected += from >= 0 ? expected[from] : history[(from + kWindowSize) % kWindowSize];
    }
    return *this;
  }
  // Bits used so far.
  size_t BitsUsed() const { return 8 * bytes.size() - (used ? 8 - used : 0); }

  std::string bytes, expected;
  std::string history = std::string(kWindowSize, '\0');  // the window before the entry
  HuffmanCode lit, dist;
  int used = 0;  // bits used in the last byte, 0 when it is full
};

inline const char kNextHeader[] = "PK\x03\x04";

struct Decoded {
  int status;
  std::string out;             // what reached the output file
  std::vector<size_t> writes;  // the size of each write
  std::string rest;            // the archive bytes after the decode
  uint32_t crc, counted;       // CRC and bytesWritten of the entry
};

// Decodes |stream| then |tail|, the archive buffer refilled every |chunk| bytes.
inline Decoded Decode(const std::string& stream, size_t chunk = 1 << 20,
                      const std::string& tail = kNextHeader) {
  MemoryFile in(stream + tail, chunk);
  CaptureFile out;
  AttachArchive(&in);
  Expansion.output = &out;
  Expansion.bytesWritten = 0;
  CrcUpdate(nullptr, 0);
  const int status = Inflate();
  ReleaseFixedTables();
  std::string rest;
  for (int c; (c = NextByte()) >= 0;) rest += static_cast<char>(c);
  Decoded d = {status, out.bytes, out.writes, rest, CrcUpdate(Expansion.window, 0), Expansion.bytesWritten};
  AttachArchive(nullptr);
  Expansion.output = nullptr;
  return d;
}

// Expects status 0, |expected| in the file, the CRC and the count, and the
// archive stream at the next header.
inline void ExpectDecodes(const std::string& stream, const std::string& expected,
                          const std::string& what, size_t chunk = 1 << 20) {
  Decoded d = Decode(stream, chunk);
  ASSERT_EQ(0, d.status) << what;
  ASSERT_TRUE(d.out == expected) << what << ": output differs";
  ASSERT_EQ(ReferenceCrc(expected), d.crc) << what;
  ASSERT_EQ(expected.size(), d.counted) << what;
  ASSERT_EQ(kNextHeader, d.rest) << what << ": stream position";
}
inline void ExpectDecodes(const Stream& s, const std::string& what) {
  ExpectDecodes(s.bytes, s.expected, what);
}

// A local file header with its name, extra field and data. CRC, size and a
// deflated entry's data (one fixed block) come from |content| unless set.
struct Entry {
  Entry(const std::string& n, const std::string& c, int m) : name(n), content(c), method(m) {}
  std::string name, content;
  int method;
  uint16_t dosTime = 0x5A8F, dosDate = 0x44A3;  // 2014-05-03 11:20:30
  long long crc = -1, size = -1;
  std::string extra, data;

  std::string Bytes() const {
    std::string payload = data;
    if (payload.empty()) payload = method ? Stream().Fixed(true).Text(content).End().bytes : content;
    auto le = [](uint64_t value, int bytes) {
      std::string s;
      for (int i = 0; i < bytes; i++) s += static_cast<char>(value >> 8 * i);
      return s;
    };
    return "PK\x03\x04" + le(20, 2) + le(0, 2) + le(method, 2) + le(dosTime, 2) + le(dosDate, 2) +
           le(crc >= 0 ? crc : ReferenceCrc(content), 4) + le(payload.size(), 4) +
           le(size >= 0 ? size : content.size(), 4) + le(name.size(), 2) + le(extra.size(), 2) + name +
           extra + payload;
  }
};

inline Entry Stored(const std::string& name, const std::string& content) { return Entry(name, content, 0); }
inline Entry Deflated(const std::string& name, const std::string& content) { return Entry(name, content, 8); }

// What follows the last entry of a real archive, as long as a header.
inline const std::string kCentralDirectory = "PK\x01\x02" + std::string(40, 'c');

// The entries' local headers one after another, then |tail|: an archive as
// far as the walk reads it.
inline std::string Archive(const std::vector<Entry>& entries, const std::string& tail = kCentralDirectory) {
  std::string out;
  for (const Entry& e : entries) out += e.Bytes();
  return out + tail;
}
