// What the fuzz targets do with one input, apart from libFuzzer, so that a
// unit test can replay the corpus and every crasher ever found. Both abort
// with "fuzz check failed" when a check fails.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes the bytes as one raw deflate stream. Where zlib decodes them too,
// output and end of stream must be zlib's: the decoder may accept more than
// zlib, never less.
void FuzzInflate(const uint8_t* data, size_t size);

// Walks the bytes as an archive on an in-memory platform that keeps no
// output; the level must be 0, 1 or 2 and every message fit its buffer.
void FuzzArchive(const uint8_t* data, size_t size);
