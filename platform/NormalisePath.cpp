#include "platform/NormalisePath.h"

#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/Platform.h"

namespace {

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
    normalised[out++] = AsciiFoldLower(path[in]);
    if (in == 1 && NeedsSeparatorAfterDrive(path) && out < kPathSize - 1)
      normalised[out++] = '\\';
  }
  normalised[out] = '\0';

  normalised[0] = AsciiFoldUpper(normalised[0]);
  if (normalised[1] == ':') {
    for (unsigned i = 2; normalised[i]; i++)
      if (normalised[i] == '\\') normalised[i + 1] = AsciiFoldUpper(normalised[i + 1]);
  }
  return normalised;
}
