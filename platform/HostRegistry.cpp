#include "platform/HostRegistry.h"

#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/HostPlatform.h"

namespace {

// The Windows error codes the registry calls give.
const long kFileNotFound = 2;
const long kAccessDenied = 5;
const long kInvalidHandle = 6;
const long kMoreData = 234;
const long kNoMoreItems = 259;

// Copies a name into a buffer of size bytes with its terminator, or
// refuses as Windows does when it does not fit.
long CopyName(const std::string& from, char* name, unsigned long size) {
  if (from.size() + 1 > size) return kMoreData;
  memcpy(name, from.c_str(), from.size() + 1);
  return 0;
}

}  // namespace

HostRegistry::HostRegistry() { root_.name = "HKEY_CURRENT_USER"; }

HostRegistry::Key* HostRegistry::Walk(const char* keyPath) {
  Key* key = &root_;
  std::string rest = keyPath ? keyPath : "";
  while (!rest.empty()) {
    size_t cut = rest.find('\\');
    std::string part = rest.substr(0, cut);
    rest = cut == std::string::npos ? "" : rest.substr(cut + 1);
    if (part.empty()) continue;
    Key* next = nullptr;
    for (auto& sub : key->subkeys)
      if (SameIgnoringAsciiCase(sub->name.c_str(), part.c_str())) next = sub.get();
    if (!next) {
      key->subkeys.emplace_back(new Key);
      next = key->subkeys.back().get();
      next->name = part;
    }
    key = next;
  }
  return key;
}

void HostRegistry::AddKey(const char* keyPath) { Walk(keyPath); }

void HostRegistry::SetValue(const char* keyPath, const char* name,
                            const std::string& data) {
  Key* key = Walk(keyPath);
  for (auto& value : key->values) {
    if (SameIgnoringAsciiCase(value.first.c_str(), name)) {
      value.second = data;
      return;
    }
  }
  key->values.emplace_back(name, data);
}

void HostRegistry::SetText(const char* keyPath, const char* name,
                           const std::string& text) {
  SetValue(keyPath, name, std::string(text.c_str(), text.size() + 1));
}

void HostRegistry::SetBytes(const char* keyPath, const char* name,
                            const std::string& bytes) {
  SetValue(keyPath, name, bytes);
}

void HostRegistry::RefuseOpen(const char* keyPath) { Walk(keyPath)->refused = true; }

void HostRegistry::Clear() {
  // Open handles keep pointing at the old keys' memory no more: forget
  // what they stood for but keep them counted as open.
  root_.subkeys.clear();
  root_.values.clear();
  for (auto& entry : open_) entry.second = nullptr;
}

HostRegistry::Key* HostRegistry::Find(RegistryKey key) {
  if (key == kCurrentUserKey) return &root_;
  auto it = open_.find(key);
  return it == open_.end() ? nullptr : it->second;
}

long HostRegistry::EnumSubkey(RegistryKey key, unsigned long index, char* name,
                              unsigned long size) {
  Key* k = Find(key);
  if (!k) return kInvalidHandle;
  if (index >= k->subkeys.size()) return kNoMoreItems;
  return CopyName(k->subkeys[index]->name, name, size);
}

long HostRegistry::OpenSubkey(RegistryKey key, const char* name,
                              RegistryKey* opened) {
  *opened = kNoKey;
  Key* k = Find(key);
  if (!k) return kInvalidHandle;
  for (auto& sub : k->subkeys) {
    if (!SameIgnoringAsciiCase(sub->name.c_str(), name)) continue;
    if (sub->refused) return kAccessDenied;
    *opened = nextKey_++;
    open_[*opened] = sub.get();
    return 0;
  }
  return kFileNotFound;
}

long HostRegistry::ValueCount(RegistryKey key, unsigned long* count) {
  *count = 0;
  Key* k = Find(key);
  if (!k) return kInvalidHandle;
  *count = static_cast<unsigned long>(k->values.size());
  return 0;
}

long HostRegistry::EnumValueName(RegistryKey key, unsigned long index,
                                 char* name, unsigned long* length) {
  Key* k = Find(key);
  if (!k) return kInvalidHandle;
  if (index >= k->values.size()) return kNoMoreItems;
  const std::string& found = k->values[index].first;
  long result = CopyName(found, name, *length);
  if (result == 0) *length = static_cast<unsigned long>(found.size());
  return result;
}

long HostRegistry::QueryValue(RegistryKey key, const char* name, char* data,
                              unsigned long* size) {
  Key* k = Find(key);
  if (!k) return kInvalidHandle;
  for (auto& value : k->values) {
    if (!SameIgnoringAsciiCase(value.first.c_str(), name)) continue;
    const std::string& bytes = value.second;
    const unsigned long room = *size;
    *size = static_cast<unsigned long>(bytes.size());
    if (bytes.size() > room) return kMoreData;
    memcpy(data, bytes.data(), bytes.size());
    return 0;
  }
  return kFileNotFound;
}

void HostRegistry::CloseKey(RegistryKey key) {
  if (key == kCurrentUserKey) return;
  if (open_.erase(key) == 0) badCloses_++;
}

// The host platform's registry calls go to its in-memory registry. The
// access mask is not checked: a key is either refused or open to all.
long HostPlatform::RegistryEnumSubkey(RegistryKey key, unsigned long index,
                                      char* name, unsigned long size) {
  return registry_.EnumSubkey(key, index, name, size);
}

long HostPlatform::RegistryOpenSubkey(RegistryKey key, const char* name,
                                      unsigned long, RegistryKey* opened) {
  return registry_.OpenSubkey(key, name, opened);
}

long HostPlatform::RegistryValueCount(RegistryKey key, unsigned long* count) {
  return registry_.ValueCount(key, count);
}

long HostPlatform::RegistryEnumValueName(RegistryKey key, unsigned long index,
                                         char* name, unsigned long* length) {
  return registry_.EnumValueName(key, index, name, length);
}

long HostPlatform::RegistryQueryValue(RegistryKey key, const char* name,
                                      char* data, unsigned long* size) {
  return registry_.QueryValue(key, name, data, size);
}

void HostPlatform::RegistryCloseKey(RegistryKey key) { registry_.CloseKey(key); }
