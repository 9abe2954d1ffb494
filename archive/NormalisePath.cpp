#include "archive/NormalisePath.h"

#include <cstring>

namespace {

const unsigned kPathSize = 260;

char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool NeedsSeparatorAfterDrive(const char* path) {
  return path[0] && path[1] == ':' && path[2] != '\\';
}

}  // namespace

unsigned NormalisedLength(const char* path) {
  if (!path) return 0;
  return static_cast<unsigned>(strlen(path)) + (NeedsSeparatorAfterDrive(path) ? 1 : 0);
}

const char* NormalisePath(const char* path) {
  static char normalised[kPathSize];
  normalised[0] = '\0';
  if (!path || !*path) return normalised;

  unsigned out = 0;
  for (unsigned in = 0; path[in] && out < kPathSize - 1; in++) {
    normalised[out++] = ToLower(path[in]);
    if (in == 1 && NeedsSeparatorAfterDrive(path) && out < kPathSize - 1)
      normalised[out++] = '\\';
  }
  normalised[out] = '\0';

  normalised[0] = ToUpper(normalised[0]);
  if (normalised[1] == ':') {
    for (unsigned i = 2; normalised[i]; i++)
      if (normalised[i] == '\\') normalised[i + 1] = ToUpper(normalised[i + 1]);
  }
  return normalised;
}
