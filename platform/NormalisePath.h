#pragma once

// Case normalisation of output paths and help file names: all lower case,
// then the first character upper case and, for a path with a drive prefix, a
// "\" after the colon and the character after each "\" upper case. ASCII
// letters only. Returns the copy in a buffer of its own that the next call
// overwrites; a result that would not fit in 259 characters is cut there.
const char* NormalisePath(const char* path);

// Length of NormalisePath(path) had it room enough (an inserted "\"
// included), so callers can refuse a path that would be cut.
unsigned NormalisedLength(const char* path);
