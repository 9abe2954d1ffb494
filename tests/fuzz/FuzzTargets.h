// What the fuzz targets do with one input, apart from libFuzzer, so that a
// unit test can replay the corpus and every crasher ever found.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes the bytes as one raw deflate stream, from memory into nowhere.
// When zlib decodes them too, both outputs must be the same; the decoder may
// accept more than zlib, never less. Aborts on a mismatch.
void FuzzInflate(const uint8_t* data, size_t size);

// Walks the bytes as an archive, on an in-memory platform that keeps no
// output; checks that the walk's level is 0, 1 or 2.
void FuzzArchive(const uint8_t* data, size_t size);
