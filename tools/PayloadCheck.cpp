#include "tools/PayloadCheck.h"

#include <cstdio>
#include <map>

#include "archive/EntryName.h"
#include "archive/LittleEndian.h"

namespace {

const uint32_t kCentralSignature = 0x02014B50;
const uint32_t kEndSignature = 0x06054B50;
const uint32_t kZip64LocatorSignature = 0x07064B50;
const size_t kLocalSize = 30, kCentralSize = 46, kEndSize = 22;
const unsigned kLongestName = 39;  // the walk's name buffer holds 39 characters
const uint16_t kZip64ExtraId = 0x0001;
const uint16_t kEncryptedFlag = 1 << 0, kDataDescriptorFlag = 1 << 3;

// Little-endian fields of the archive's bytes; 0 past the end.
struct Bytes {
  const std::string& s;
  bool Has(uint64_t at, uint64_t n) const { return at <= s.size() && n <= s.size() - at; }
  uint32_t U16(uint64_t at) const {
    return Has(at, 2) ? Le16(reinterpret_cast<const uint8_t*>(s.data()) + at) : 0;
  }
  uint32_t U32(uint64_t at) const { return U16(at) | U16(at + 2) << 16; }
  std::string Text(uint64_t at, uint64_t n) const { return Has(at, n) ? s.substr(at, n) : ""; }
};

// One entry's fields as a header (local or central) gives them.
struct Fields {
  std::string name, extra;
  uint32_t flags = 0, method = 0, crc = 0, compressed = 0, size = 0;
};

// The fields of the header at |at|. A central header holds the local
// header's fields two bytes further on, and its name at offset 46, not 30.
Fields ReadFields(const Bytes& b, uint64_t at, bool central) {
  const uint64_t fields = central ? at + 2 : at, name = at + (central ? kCentralSize : kLocalSize);
  Fields f;
  f.flags = b.U16(fields + 6);
  f.method = b.U16(fields + 8);
  f.crc = b.U32(fields + 14);
  f.compressed = b.U32(fields + 18);
  f.size = b.U32(fields + 22);
  const uint32_t nameLength = b.U16(fields + 26);
  f.name = b.Text(name, nameLength);
  f.extra = b.Text(name + nameLength, b.U16(fields + 28));
  return f;
}

bool HasZip64Extra(const std::string& extra) {
  for (size_t at = 0; at + 4 <= extra.size();) {
    Bytes b{extra};
    if (b.U16(at) == kZip64ExtraId) return true;
    at += 4 + b.U16(at + 2);
  }
  return false;
}

// The rules every header of a payload entry must keep.
void CheckFields(const Fields& f, const char* which, std::vector<std::string>* rules) {
  char text[160];
  if (f.method != 0 && f.method != 8) {
    snprintf(text, sizeof text, "%s header: method %u, not stored (0) or deflated (8)", which, f.method);
    rules->push_back(text);
  }
  if (f.flags & kEncryptedFlag) rules->push_back(std::string(which) + " header: encrypted");
  if (f.flags & kDataDescriptorFlag)
    rules->push_back(std::string(which) + " header: sizes in a data descriptor");
  if (HasZip64Extra(f.extra) || f.compressed == 0xFFFFFFFFu || f.size == 0xFFFFFFFFu)
    rules->push_back(std::string(which) + " header: ZIP64 fields");
}

// A name the walk would print, with bytes it cannot show escaped.
std::string Printable(const std::string& name) {
  std::string out;
  for (unsigned char c : name) {
    if (c < 32 || c == 127) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out.empty() ? "(no name)" : out;
}

}  // namespace

std::vector<std::string> CheckPayload(const std::string& archive, const WalkRecord& walk,
                                      ResultLevel walkLevel) {
  std::vector<std::string> problems;
  char text[256];
  Bytes b{archive};
  auto add = [&problems](const std::string& who, const std::string& rule) {
    problems.push_back(who + ": " + rule);
  };

  if (walkLevel != 0) {
    snprintf(text, sizeof text, "the walk ends with level %d, not 0", walkLevel);
    add("archive", text);
  }

  // The end record: the last signature whose comment reaches the file's end.
  uint64_t end = archive.size();
  bool found = false;
  for (uint64_t at = archive.size() >= kEndSize ? archive.size() - kEndSize : 0;; at--) {
    if (b.U32(at) == kEndSignature && at + kEndSize + b.U16(at + 20) == archive.size()) {
      end = at;
      found = true;
      break;
    }
    if (at == 0 || archive.size() - at > kEndSize + 0xFFFF) break;
  }
  if (!found) {
    add("archive", "no end of central directory record");
    return problems;
  }
  const uint32_t count = b.U16(end + 10);
  const uint32_t directorySize = b.U32(end + 12), directoryOffset = b.U32(end + 16);
  if ((end >= 20 && b.U32(end - 20) == kZip64LocatorSignature) || count == 0xFFFF ||
      directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu) {
    add("archive", "ZIP64 end records");
    return problems;
  }
  if (b.U16(end + 4) != 0 || b.U16(end + 6) != 0 || b.U16(end + 8) != count)
    add("archive", "spans several disks");
  if (walk.endOffset != directoryOffset) {
    snprintf(text, sizeof text,
             "the walk stops at offset %llu, the central directory starts at %u",
             static_cast<unsigned long long>(walk.endOffset), directoryOffset);
    add("archive", text);
  }

  std::map<uint64_t, const WalkRecord::Entry*> reached;
  for (const WalkRecord::Entry& e : walk.entries) reached[e.offset] = &e;

  uint64_t at = directoryOffset;
  for (uint32_t i = 0; i < count; i++) {
    if (b.U32(at) != kCentralSignature) {
      snprintf(text, sizeof text, "central directory entry %u of %u is missing", i + 1, count);
      add("archive", text);
      break;
    }
    const Fields central = ReadFields(b, at, true);
    const uint64_t localOffset = b.U32(at + 42);
    at += kCentralSize + central.name.size() + central.extra.size() + b.U16(at + 32);

    const std::string who = Printable(central.name);
    std::vector<std::string> rules;
    if (central.name.find_first_of("/\\") != std::string::npos) {
      rules.push_back("name has a folder part");
    } else if (central.name.size() > kLongestName) {
      snprintf(text, sizeof text, "name of %zu characters, more than %u", central.name.size(), kLongestName);
      rules.push_back(text);
    } else if (central.name.find('\0') != std::string::npos || !NameIsSafe(central.name.c_str())) {
      rules.push_back("name the installer refuses to write");
    }
    CheckFields(central, "central", &rules);

    auto walked = reached.find(localOffset);
    if (walked == reached.end()) {
      rules.push_back("not reached by the walk");
    } else {
      const WalkRecord::Entry& w = *walked->second;
      reached.erase(walked);
      const Fields local = ReadFields(b, localOffset, false);
      CheckFields(local, "local", &rules);
      if (local.name != central.name) rules.push_back("local header names it " + Printable(local.name));
      if (local.crc != central.crc || local.compressed != central.compressed ||
          local.size != central.size)
        rules.push_back("local header differs in CRC or sizes");
      if (w.level != 0) {
        snprintf(text, sizeof text, "the walk gives it level %d", w.level);
        rules.push_back(text);
      } else if (!w.listed) {
        rules.push_back("the walk does not list it as OK");
      }
    }
    for (const std::string& rule : rules) add(who, rule);
  }
  for (const auto& left : reached) {
    snprintf(text, sizeof text, "local header at offset %llu: not in the central directory",
             static_cast<unsigned long long>(left.first));
    add("archive", text);
  }
  return problems;
}
