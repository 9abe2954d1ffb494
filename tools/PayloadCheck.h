// The publishers' check of a payload archive: does the installer's walk
// expand it cleanly, and does what the walk met agree with the archive's
// central directory?
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/Expander.h"

// What the walk reported, kept for the check.
class WalkRecord : public WalkObserver {
 public:
  struct Entry {
    uint64_t offset;  // of the local header
    bool written, listed;
    ResultLevel level;
  };
  void EntryDone(const WalkEntry& entry) override {
    entries.push_back({entry.headerOffset, entry.written, entry.listed, entry.level});
  }
  void WalkEnded(uint64_t offset) override { endOffset = offset; }

  std::vector<Entry> entries;
  uint64_t endOffset = 0;
};

// The problems of the archive whose bytes are given, after the walk that
// |walk| recorded returned |walkLevel|: one line each, "<entry>: <rule>"
// (or "<archive>: <rule>" for the archive as a whole). None for a payload
// the installer expands cleanly.
std::vector<std::string> CheckPayload(const std::string& archive, const WalkRecord& walk,
                                      ResultLevel walkLevel);
