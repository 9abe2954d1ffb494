// The registry part of the Win32 platform: read-only calls on keys under
// HKEY_CURRENT_USER, in their narrow-character forms.
#include <windows.h>

#include "platform/Win32Platform.h"

namespace {

// kCurrentUserKey is the same number on every build; the predefined handle
// is sign-extended on 64-bit Windows.
HKEY ToHkey(RegistryKey key) {
  return key == kCurrentUserKey ? HKEY_CURRENT_USER
                                : reinterpret_cast<HKEY>(key);
}

}  // namespace

long Win32Platform::RegistryEnumSubkey(RegistryKey key, unsigned long index,
                                       char* name, unsigned long size) {
  return RegEnumKeyA(ToHkey(key), index, name, size);
}

long Win32Platform::RegistryOpenSubkey(RegistryKey key, const char* name,
                                       unsigned long access,
                                       RegistryKey* opened) {
  HKEY next = NULL;
  LONG result = RegOpenKeyExA(ToHkey(key), name, 0, access, &next);
  *opened = result == ERROR_SUCCESS && next
                ? reinterpret_cast<RegistryKey>(next)
                : kNoKey;
  return result;
}

long Win32Platform::RegistryValueCount(RegistryKey key, unsigned long* count) {
  // Only the value count is used; the class name buffer is there because
  // the call fills one.
  char className[128];
  DWORD classLength = sizeof className;
  DWORD subkeys, longestSubkey, longestClass, values, longestValueName,
      longestValueData, securityDescriptor;
  FILETIME lastWrite;
  LONG result = RegQueryInfoKeyA(
      ToHkey(key), className, &classLength, NULL, &subkeys, &longestSubkey,
      &longestClass, &values, &longestValueName, &longestValueData,
      &securityDescriptor, &lastWrite);
  *count = result == ERROR_SUCCESS ? values : 0;
  return result;
}

long Win32Platform::RegistryEnumValueName(RegistryKey key, unsigned long index,
                                          char* name, unsigned long* length) {
  DWORD size = *length;
  LONG result =
      RegEnumValueA(ToHkey(key), index, name, &size, NULL, NULL, NULL, NULL);
  *length = size;
  return result;
}

long Win32Platform::RegistryQueryValue(RegistryKey key, const char* name,
                                       char* data, unsigned long* size) {
  DWORD bytes = *size;
  LONG result = RegQueryValueExA(ToHkey(key), name, NULL, NULL,
                                 reinterpret_cast<BYTE*>(data), &bytes);
  *size = bytes;
  return result;
}

void Win32Platform::RegistryCloseKey(RegistryKey key) {
  if (key != kCurrentUserKey) RegCloseKey(ToHkey(key));
}
