// libFuzzer target: see live_fuzz_checks.h.
#include "fuzz/live_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  live_fuzz::CheckLive(data, size);
  return 0;
}
