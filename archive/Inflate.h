// Deflate decoder (RFC 1951) for one archive entry: reads the archive stream
// through the bit input of Expansion and writes into its output window.
#pragma once

#include <cstddef>

// Decoder statuses.
enum InflateStatus : int {
  kInflateOk = 0,
  kInflateBadData = 1,        // bad lengths, invalid code, incomplete code, cut-off stream
  kInflateBadBlock = 2,       // block type 3 or an over-subscribed code
  kInflateOutOfMemory = 3,
};

// Decodes the whole deflate stream of the current entry, which starts at the
// archive stream's position. On success every output byte has been flushed
// and the stream stands right after the byte holding the last bit used.
InflateStatus Inflate();

// Frees the cached fixed-code tables, if built. Called after every entry.
int ReleaseFixedTables();
