// Paths composed with a format into a fixed buffer, whole or not at all: a
// path cut at the buffer's end would name some other file or folder.
#pragma once

#include <cstddef>

// The longest path plus its terminator (MAX_PATH).
const int kShellPathSize = 260;

// Formats into buffer (size bytes). false when the text would not fit, and
// buffer then holds the empty string.
bool ComposePath(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
