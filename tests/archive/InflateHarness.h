// Runs the decoder on a stream held in memory, the way the walk runs it on
// an archive: the stream is followed by the next local header.
#pragma once

#include <string>
#include <vector>

#include "archive/ExpandState.h"
#include "archive/Inflate.h"
#include "tests/support/MemoryFile.h"

inline const char kNextHeader[] = "PK\x03\x04";

struct Decoded {
  int status;
  std::string out;            // what reached the output file
  std::vector<size_t> writes;
  std::string rest;           // the archive bytes after the decode
  uint32_t crc;
  uint32_t counted;           // bytesWritten
};

// Decodes |stream| followed by a local header signature, with the archive
// buffer refilled every |chunk| bytes.
inline Decoded Decode(const std::string& stream, size_t chunk = 1 << 20) {
  MemoryFile in(stream + kNextHeader, chunk);
  CaptureFile out;
  AttachArchive(&in);
  Expansion.output = &out;
  Expansion.bytesWritten = 0;
  Expansion.shortWrites = 0;
  CrcUpdate(nullptr, 0);
  Decoded d;
  d.status = Inflate();
  ReleaseFixedTables();
  for (int c; (c = NextByte()) >= 0;) d.rest += static_cast<char>(c);
  d.out = out.bytes;
  d.writes = out.writes;
  d.crc = CrcUpdate(Expansion.window, 0);
  d.counted = Expansion.bytesWritten;
  AttachArchive(nullptr);
  Expansion.output = nullptr;
  return d;
}

