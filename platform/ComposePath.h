// Paths composed with a format into a fixed buffer, whole or not at all: a
// path cut at the buffer's end would name some other file or folder.
#pragma once

#include <cstddef>

// Formats into buffer (size bytes). false when the text would not fit: the
// path is refused, and buffer holds only as much of it as fits, for the
// message that reports it, never to be used as a path.
[[nodiscard]] bool ComposePath(char* buffer, size_t size, const char* format,
                               ...) __attribute__((format(printf, 3, 4)));
