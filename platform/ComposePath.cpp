#include "platform/ComposePath.h"

#include <cstdarg>
#include <cstdio>

bool ComposePath(char* buffer, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int length = vsnprintf(buffer, size, format, args);
  va_end(args);
  return length >= 0 && static_cast<size_t>(length) < size;
}
