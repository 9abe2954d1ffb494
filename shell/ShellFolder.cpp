#include "shell/ShellFolder.h"

#include <cstring>

#include "platform/AsciiCase.h"

namespace {

// The key path below HKEY_CURRENT_USER, walked one component at a time.
const int kLevels = 6;
const char* const kShellFoldersPath[kLevels] = {
    "Software", "Microsoft", "Windows", "CurrentVersion", "Explorer",
    "Shell Folders"};

// The shared result of the lookups.
char ShellFolderPath[kShellFolderSize];

// Finds component among the subkeys of key, comparing names ignoring ASCII
// case, and opens the first match with full access into *next (which stays
// kNoKey if the open fails). false when the enumeration ends without a
// match; a name too long for the buffer ends it too.
bool OpenComponent(Platform& platform, RegistryKey key, const char* component,
                   RegistryKey* next) {
  char name[kShellFolderSize];
  for (unsigned long index = 0;
       platform.RegistryEnumSubkey(key, index, name, sizeof name) == 0;
       index++) {
    if (SameIgnoringAsciiCase(name, component)) {
      platform.RegistryOpenSubkey(key, name, kKeyAllAccess, next);
      return true;
    }
  }
  return false;
}

// Queries valueName and takes the data as text only when it ends within the
// buffer: data that fill it without a terminator would be a cut path, and a
// failed query (data too long, among others) leaves nothing worth reading.
const char* QueryText(Platform& platform, RegistryKey key,
                      const char* valueName) {
  char data[kShellFolderSize];
  unsigned long size = sizeof data;
  if (platform.RegistryQueryValue(key, valueName, data, &size) != 0 ||
      size > sizeof data)
    return nullptr;
  if (!memchr(data, '\0', size)) {
    if (size == sizeof data) return nullptr;
    data[size] = '\0';
  }
  memcpy(ShellFolderPath, data, strlen(data) + 1);
  return ShellFolderPath;
}

}  // namespace

const char* ReadValueByName(Platform& platform, RegistryKey key,
                            const char* valueName) {
  unsigned long count = 0;
  if (platform.RegistryValueCount(key, &count) != 0) count = 0;
  char name[kShellFolderSize];
  for (unsigned long index = 0; index < count; index++) {
    unsigned long length = sizeof name;
    name[0] = '\0';
    if (platform.RegistryEnumValueName(key, index, name, &length) != 0)
      continue;
    // The query names the value as asked, not as enumerated.
    if (SameIgnoringAsciiCase(valueName, name))
      return QueryText(platform, key, valueName);
  }
  return nullptr;
}

const char* LookupShellFolder(Platform& platform, const char* valueName) {
  RegistryKey keys[kLevels + 1] = {kCurrentUserKey};
  bool reached = true;
  for (int level = 0; level < kLevels && reached; level++)
    reached = OpenComponent(platform, keys[level], kShellFoldersPath[level],
                            &keys[level + 1]);
  const char* found =
      reached ? ReadValueByName(platform, keys[kLevels], valueName) : nullptr;
  // The root is predefined and never closed.
  for (int level = 1; level <= kLevels; level++)
    if (keys[level] != kNoKey) platform.RegistryCloseKey(keys[level]);
  return found;
}
