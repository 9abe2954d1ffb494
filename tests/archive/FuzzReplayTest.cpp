// Replays the fuzz seed corpus and every input the fuzzers ever found a
// fault with, through the same checks as the fuzz targets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/fuzz/FuzzTargets.h"

namespace {

namespace fs = std::filesystem;

int Replay(const std::string& target, void (*run)(const uint8_t*, size_t)) {
  int count = 0;
  for (const char* set : {"corpus", "regressions"}) {
    fs::path folder = fs::path("../fuzz") / set / target;
    if (!fs::is_directory(folder)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      SCOPED_TRACE(entry.path().string());
      run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      count++;
    }
  }
  return count;
}

TEST(FuzzReplayTest, InflateInputs) { EXPECT_GT(Replay("inflate", FuzzInflate), 0); }

TEST(FuzzReplayTest, ArchiveInputs) { EXPECT_GT(Replay("archive", FuzzArchive), 0); }

}  // namespace
