// The few pieces of the C++ runtime the program needs, defined here so the
// linker takes none of libstdc++'s: its operator new throws, which brings
// in the unwinder and the name demangler, several times the program's own
// size. The program is built without exceptions.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

// An allocation that fails (a few bytes for a file object) leaves nothing
// sensible to do.
void* operator new(std::size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (!block) std::abort();
  return block;
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

// Called only through a broken object; never in a sound run.
extern "C" void __cxa_pure_virtual() { std::abort(); }

// Bounded formatting through the system's C library rather than MinGW's own
// (about a fifth of the program). The link sends every snprintf here
// (--wrap); the formats in use ("%s", "%d", "%c" and the like) read alike in
// both. C99's rules are kept: the text always ends with a terminator, and
// the result is the full length even when the text was cut.
extern "C" int __wrap___mingw_vsnprintf(char* buffer, std::size_t size,
                                        const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  int length = size ? _vsnprintf(buffer, size, format, args) : -1;
  if (length < 0 || static_cast<std::size_t>(length) >= size) {
    if (size) buffer[size - 1] = '\0';
    length = _vscprintf(format, again);
  }
  va_end(again);
  return length;
}
