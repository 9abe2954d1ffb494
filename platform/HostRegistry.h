// The registry of host runs and tests: a tree of keys below
// HKEY_CURRENT_USER with named values, kept in memory and filled by whoever
// runs the logic. It answers the read-only calls as Windows does (error
// codes, buffer sizes, names matched ignoring ASCII case, keys and values
// listed in the order they were added) and counts the keys opened and
// closed, so a test can prove that nothing stays open.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Platform.h"

class HostRegistry {
 public:
  HostRegistry();

  // Creates the key at keyPath ("Software\Microsoft\..." below
  // HKEY_CURRENT_USER, "\"-separated) and its missing parents.
  void AddKey(const char* keyPath);
  // Sets a value under keyPath (created when missing). SetText stores the
  // text with its terminator, as a string value; SetBytes the bytes as given.
  void SetText(const char* keyPath, const char* name, const std::string& text);
  void SetBytes(const char* keyPath, const char* name, const std::string& bytes);
  // Makes an open of the key refuse every access, as for a key whose
  // security does not grant full access.
  void RefuseOpen(const char* keyPath);
  // Drops every key and value. Keys still open stay counted.
  void Clear();

  // Keys opened and not yet closed; closes of a key that was not open.
  int OpenKeys() const { return static_cast<int>(open_.size()); }
  int BadCloses() const { return badCloses_; }

  long EnumSubkey(RegistryKey key, unsigned long index, char* name,
                  unsigned long size);
  long OpenSubkey(RegistryKey key, const char* name, RegistryKey* opened);
  long ValueCount(RegistryKey key, unsigned long* count);
  long EnumValueName(RegistryKey key, unsigned long index, char* name,
                     unsigned long* length);
  long QueryValue(RegistryKey key, const char* name, char* data,
                  unsigned long* size);
  void CloseKey(RegistryKey key);

 private:
  struct Key {
    std::string name;
    bool refused = false;
    std::vector<std::unique_ptr<Key>> subkeys;
    std::vector<std::pair<std::string, std::string>> values;
  };

  Key* Find(RegistryKey key);
  Key* Walk(const char* keyPath);
  void SetValue(const char* keyPath, const char* name, const std::string& data);

  Key root_;
  std::unordered_map<RegistryKey, Key*> open_;
  RegistryKey nextKey_ = 0x100;
  int badCloses_ = 0;
};
