// Hand-built deflate streams and ZIP entries for the archive tests: a bit
// writer in deflate's bit order, canonical codes from code lengths, the
// header of a dynamic block, and local file headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bitwise CRC-32 of ZIP, independent of the engine's table and folding code.
inline uint32_t ReferenceCrc(const std::string& data) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char byte : data) {
    c ^= byte;
    for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

class BitWriter {
 public:
  // value's low n bits, least significant first (header fields, extra bits).
  void Bits(uint32_t value, int n) {
    for (int i = 0; i < n; i++, used_ = (used_ + 1) & 7) {
      if (used_ == 0) bytes_.push_back(0);
      bytes_.back() = static_cast<char>(bytes_.back() | ((value >> i & 1) << used_));
    }
  }
  // A Huffman code, most significant bit first.
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; i--) Bits(code >> i, 1);
  }
  // Pads to a byte boundary and appends whole bytes.
  void Raw(const std::string& bytes) {
    used_ = 0;
    bytes_ += bytes;
  }
  void Stored(bool last, const std::string& data) {
    Bits(last, 3);
    Raw("");
    Bits(static_cast<uint32_t>(data.size()), 16);
    Bits(static_cast<uint32_t>(~data.size()), 16);
    Raw(data);
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  int used_ = 0;  // bits used in the last byte, 0 when it is full
};

// The canonical code of a list of code lengths (RFC 1951, 3.2.2).
struct HuffmanCode {
  std::vector<int> lengths;
  std::vector<uint32_t> codes;

  explicit HuffmanCode(std::vector<int> l) : lengths(std::move(l)), codes(lengths.size()) {
    uint32_t count[17] = {}, next[17] = {};
    for (int len : lengths) count[len]++;
    for (int bits = 1; bits <= 16; bits++)
      next[bits] = (next[bits - 1] + (bits > 1 ? count[bits - 1] : 0)) << 1;
    for (size_t s = 0; s < lengths.size(); s++)
      if (lengths[s]) codes[s] = next[lengths[s]]++;
  }
  void Put(BitWriter& w, int symbol) const { w.Code(codes[symbol], lengths[symbol]); }
};

inline HuffmanCode FixedLiteralCode() {
  std::vector<int> l(288);
  for (int s = 0; s < 288; s++) l[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
  return HuffmanCode(l);
}
inline HuffmanCode FixedDistanceCode() { return HuffmanCode(std::vector<int>(32, 5)); }

inline void PutMatch(BitWriter& w, const HuffmanCode& lit, const HuffmanCode& dist, int length,
                     int distance) {
  static const int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const int kDistBase[] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                  33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                  1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  int s = 28, d = 29;
  while (kLengthBase[s] > length) s--;
  while (kDistBase[d] > distance) d--;
  lit.Put(w, 257 + s);
  w.Bits(length - kLengthBase[s], s < 8 || s == 28 ? 0 : (s - 4) / 4);
  dist.Put(w, d);
  w.Bits(distance - kDistBase[d], d < 4 ? 0 : (d - 2) / 2);
}

// A code-length symbol with its repeat bits.
struct LengthSymbol {
  int symbol, extra;
};

// A dynamic block's header: counts, the code-length code (19 lengths by
// symbol), then |sequence| in that code.
inline void DynamicHeader(BitWriter& w, bool last, int nl, int nd, const std::vector<int>& clLengths,
                          const std::vector<LengthSymbol>& sequence) {
  static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  w.Bits(last | 2 << 1 | (nl - 257) << 3 | (nd - 1) << 8 | 15 << 13, 17);
  for (int j = 0; j < 19; j++) w.Bits(clLengths[kOrder[j]], 3);
  HuffmanCode clc(clLengths);
  for (const LengthSymbol& s : sequence) {
    clc.Put(w, s.symbol);
    if (s.symbol >= 16) w.Bits(s.extra, s.symbol == 16 ? 2 : s.symbol == 17 ? 3 : 7);
  }
}

// A complete code-length code: symbols 0-12 of 4 bits, 13-18 of 5 bits.
inline std::vector<int> PlainCodeLengthCode() {
  std::vector<int> l(19, 4);
  for (int s = 13; s < 19; s++) l[s] = 5;
  return l;
}

// A dynamic block's header that sends each code length as itself.
inline void DynamicHeader(BitWriter& w, bool last, const std::vector<int>& literalLengths,
                          const std::vector<int>& distanceLengths) {
  std::vector<LengthSymbol> sequence;
  for (int l : literalLengths) sequence.push_back({l, 0});
  for (int l : distanceLengths) sequence.push_back({l, 0});
  DynamicHeader(w, last, static_cast<int>(literalLengths.size()),
                static_cast<int>(distanceLengths.size()), PlainCodeLengthCode(), sequence);
}

// |data| as one fixed-code block of literals.
inline std::string FixedLiterals(const std::string& data) {
  BitWriter w;
  HuffmanCode lit = FixedLiteralCode();
  w.Bits(3, 3);
  for (unsigned char c : data) lit.Put(w, c);
  lit.Put(w, 256);
  return w.bytes();
}

// One local file header with its name, extra field and data. CRC and size
// come from |content| unless set.
struct ZipEntry {
  std::string name, content;
  int method = 0;
  std::string data;  // the bytes after the header; |content| when stored and empty
  uint16_t dosTime = 0x5A8F, dosDate = 0x44A3;  // 2014-05-03 11:20:30
  long long crc = -1, size = -1;
  std::string extra;

  std::string Bytes() const {
    const std::string& payload = (method == 0 && data.empty()) ? content : data;
    const uint32_t fields[] = {0x04034B50, 20, 0, static_cast<uint32_t>(method), dosTime, dosDate,
                               crc >= 0 ? static_cast<uint32_t>(crc) : ReferenceCrc(content),
                               static_cast<uint32_t>(payload.size()),
                               static_cast<uint32_t>(size >= 0 ? size : content.size()),
                               static_cast<uint32_t>(name.size()),
                               static_cast<uint32_t>(extra.size())};
    const int widths[] = {4, 2, 2, 2, 2, 2, 4, 4, 4, 2, 2};
    std::string out;
    for (int f = 0; f < 11; f++)
      for (int i = 0; i < widths[f]; i++) out += static_cast<char>(fields[f] >> (8 * i));
    return out + name + extra + payload;
  }
};

inline ZipEntry Deflated(const std::string& name, const std::string& content,
                         const std::string& data) {
  ZipEntry e;
  e.name = name;
  e.content = content;
  e.method = 8;
  e.data = data;
  return e;
}

// What follows the last entry of a real archive: a central directory header.
const char kCentralDirectory[] = "PK\x01\x02 central directory";
