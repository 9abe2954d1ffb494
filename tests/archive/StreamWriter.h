// Hand-built deflate streams and ZIP archives for the archive tests: a bit
// writer in deflate's bit order, canonical Huffman codes from code lengths,
// the fixed codes, the header of a dynamic block, and local file headers.
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
    for (int i = 0; i < n; i++) {
      if (count_ == 0) bytes_.push_back(0);
      bytes_.back() = static_cast<char>(bytes_.back() | ((value >> i & 1) << count_));
      count_ = (count_ + 1) & 7;
    }
  }
  // A Huffman code, most significant bit first.
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; i--) Bits(code >> i, 1);
  }
  void Align() { count_ = 0; }
  void Raw(const std::string& bytes) {
    Align();
    bytes_ += bytes;
  }
  // A stored block holding |data| (at most 65535 bytes).
  void Stored(bool last, const std::string& data) {
    Bits(last, 1);
    Bits(0, 2);
    Align();
    Bits(static_cast<uint32_t>(data.size()), 16);
    Bits(static_cast<uint32_t>(~data.size()), 16);
    Raw(data);
  }
  // Bits written so far.
  size_t BitLength() const { return bytes_.size() * 8 - (count_ ? 8 - count_ : 0); }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  int count_ = 0;  // bits used in the last byte, 0 when it is full
};

// The canonical code of a list of code lengths (RFC 1951, 3.2.2).
struct HuffmanCode {
  std::vector<int> lengths;
  std::vector<uint32_t> codes;

  explicit HuffmanCode(std::vector<int> l) : lengths(std::move(l)), codes(lengths.size()) {
    int count[17] = {};
    for (int len : lengths) count[len]++;
    count[0] = 0;
    uint32_t next[17] = {}, code = 0;
    for (int bits = 1; bits <= 16; bits++) {
      code = (code + count[bits - 1]) << 1;
      next[bits] = code;
    }
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

// Writes a match with the given literal/length and distance codes.
inline void PutMatch(BitWriter& w, const HuffmanCode& lit, const HuffmanCode& dist,
                     int length, int distance) {
  static const int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const int kDistBase[] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                  33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                  1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  int s = 28;
  while (kLengthBase[s] > length) s--;
  lit.Put(w, 257 + s);
  int extra = s < 8 || s == 28 ? 0 : (s - 4) / 4;
  w.Bits(length - kLengthBase[s], extra);
  int d = 29;
  while (kDistBase[d] > distance) d--;
  dist.Put(w, d);
  w.Bits(distance - kDistBase[d], d < 4 ? 0 : (d - 2) / 2);
}

// A code-length symbol with its repeat bits, as the header of a dynamic
// block sends it.
struct LengthSymbol {
  int symbol;
  int extra;
};

// The header of a dynamic block: counts, code-length code, then |sequence|
// coded with |codeLengthCode| (19 lengths, by symbol).
inline void DynamicHeader(BitWriter& w, bool last, int nl, int nd,
                          const std::vector<int>& codeLengthLengths,
                          const std::vector<LengthSymbol>& sequence) {
  static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  w.Bits(last, 1);
  w.Bits(2, 2);
  w.Bits(nl - 257, 5);
  w.Bits(nd - 1, 5);
  w.Bits(19 - 4, 4);
  for (int j = 0; j < 19; j++) w.Bits(codeLengthLengths[kOrder[j]], 3);
  HuffmanCode clc(codeLengthLengths);
  for (const LengthSymbol& s : sequence) {
    clc.Put(w, s.symbol);
    if (s.symbol == 16) w.Bits(s.extra, 2);
    if (s.symbol == 17) w.Bits(s.extra, 3);
    if (s.symbol == 18) w.Bits(s.extra, 7);
  }
}

// A complete code-length code: symbols 0-12 of 4 bits, 13-18 of 5 bits.
inline std::vector<int> PlainCodeLengthCode() {
  std::vector<int> l(19, 4);
  for (int s = 13; s < 19; s++) l[s] = 5;
  return l;
}

// The header of a dynamic block for the given literal/length and distance
// code lengths, each length sent as itself.
inline void DynamicHeader(BitWriter& w, bool last, const std::vector<int>& literalLengths,
                          const std::vector<int>& distanceLengths) {
  std::vector<LengthSymbol> sequence;
  for (int l : literalLengths) sequence.push_back({l, 0});
  for (int l : distanceLengths) sequence.push_back({l, 0});
  DynamicHeader(w, last, static_cast<int>(literalLengths.size()),
                static_cast<int>(distanceLengths.size()), PlainCodeLengthCode(), sequence);
}

// |data| as one fixed-code block of literals only.
inline std::string FixedLiterals(const std::string& data) {
  BitWriter w;
  HuffmanCode lit = FixedLiteralCode();
  w.Bits(1, 1);
  w.Bits(1, 2);
  for (unsigned char c : data) lit.Put(w, c);
  lit.Put(w, 256);
  return w.bytes();
}

// One local file header with its name and data. Sizes and CRC come from
// |content| unless given.
struct ZipEntry {
  std::string name;
  std::string content;  // the uncompressed bytes
  int method = 0;
  std::string data;     // the stored bytes; content itself when empty and stored
  uint16_t dosTime = 0x5A8F;  // 11:20:30
  uint16_t dosDate = 0x44A3;  // 2014-05-03
  long long crc = -1;
  long long size = -1;
  std::string extra;

  std::string Bytes() const {
    std::string out;
    auto le = [&out](uint32_t v, int n) {
      for (int i = 0; i < n; i++) out += static_cast<char>(v >> (8 * i));
    };
    const std::string& payload = (method == 0 && data.empty()) ? content : data;
    le(0x04034B50, 4);
    le(20, 2);
    le(0, 2);
    le(method, 2);
    le(dosTime, 2);
    le(dosDate, 2);
    le(crc >= 0 ? static_cast<uint32_t>(crc) : ReferenceCrc(content), 4);
    le(static_cast<uint32_t>(payload.size()), 4);
    le(size >= 0 ? static_cast<uint32_t>(size) : static_cast<uint32_t>(content.size()), 4);
    le(static_cast<uint32_t>(name.size()), 2);
    le(static_cast<uint32_t>(extra.size()), 2);
    return out + name + extra + payload;
  }
};

// A deflated entry whose stream is |data|.
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
