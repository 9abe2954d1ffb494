// Name comparison as Windows makes it for file, key and value names, taken
// for the ASCII letters only: A to Z equal a to z, every other byte is
// compared unchanged.
#pragma once

inline char AsciiFoldUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline char AsciiFoldLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a && *b; a++, b++)
    if (AsciiFoldUpper(*a) != AsciiFoldUpper(*b)) return false;
  return *a == *b;
}
