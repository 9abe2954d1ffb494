// libFuzzer target: whole archives through the walk.
#include "tests/fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzArchive(data, size);
  return 0;
}
