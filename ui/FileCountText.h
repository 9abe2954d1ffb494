// The progress window's count of listed files.
#pragma once

#include <cstddef>

const int kCountTextSize = 32;

// "%d Files" of count: "1 Files", "2 Files"; there is no singular form.
void FormatFileCount(int count, char* out, size_t size);
