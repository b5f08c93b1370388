// libFuzzer target: see weather_fuzz_checks.h.
#include "fuzz/weather_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  core_fuzz::CheckPlacement(data, size);
  return 0;
}
