// libFuzzer target: see traffic_fuzz_checks.h.
#include "fuzz/traffic_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  core_fuzz::CheckTraffic(data, size);
  return 0;
}
