#include "ui/FileCountText.h"

#include <cstdio>

void FormatFileCount(int count, char* out, size_t size) {
  snprintf(out, size, "%d Files", count);
}
