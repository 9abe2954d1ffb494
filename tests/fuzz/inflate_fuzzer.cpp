// libFuzzer target: raw deflate streams into the decoder.
#include "tests/fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInflate(data, size);
  return 0;
}
