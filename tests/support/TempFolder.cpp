#include "tests/support/TempFolder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static unsigned counter = 0;
  fs::path base = fs::temp_directory_path();
  unsigned long long stamp = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  for (;;) {
    char name[64];
    snprintf(name, sizeof name, "tesmo-%llx-%u", stamp, counter++);
    fs::path candidate = base / name;
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
    if (error) {
      fprintf(stderr, "cannot create a temp folder in %s: %s\n",
              base.string().c_str(), error.message().c_str());
      abort();
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}
