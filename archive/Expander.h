// The archive walk: expands a ZIP archive from its local headers into a
// folder, checks CRC and length of every file and restores its time stamp.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "state/ProgressSink.h"

// Severity of an expansion. Combined by taking the larger (Worse).
enum ResultLevel : int {
  kLevelSuccess = 0,
  kLevelNotFatal = 1,  // the installation may be incomplete
  kLevelFatal = 2,
};

inline ResultLevel Worse(ResultLevel a, ResultLevel b) { return a > b ? a : b; }

// Creates targetFolder (last component only), enters it and expands
// "<sourceFolder>\<archiveName>" into it. A target folder that cannot be
// entered gives 0 with nothing done.
ResultLevel ExpandIntoFolder(Platform& platform, ProgressSink& progress,
                             const char* sourceFolder, const char* archiveName,
                             const char* targetFolder);

// What the walk made of one local header, for callers that check an archive
// against its central directory (the publishers' check). The installer
// watches nothing.
struct WalkEntry {
  uint64_t headerOffset;   // of the local header in the archive file
  const uint8_t* header;   // its 30 bytes
  const char* name;        // as stored, up to 39 characters or a NUL byte
  bool written;            // the output file was created and written
  bool listed;             // listed "... OK"
  ResultLevel level;
};

class WalkObserver {
 public:
  virtual ~WalkObserver() {}
  virtual void EntryDone(const WalkEntry& entry) = 0;
  // The offset of the first byte at which no local header stood.
  virtual void WalkEnded(uint64_t offset) = 0;
};

// Expands the archive at archivePath; targetPrefix ("<folder>\") is put in
// front of every entry name.
ResultLevel ExpandArchive(Platform& platform, ProgressSink& progress,
                          const char* archivePath, const char* targetPrefix,
                          WalkObserver* observer = nullptr);
