// libFuzzer target: see metar_fuzz_checks.h.
#include "fuzz/metar_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  metar_fuzz::CheckMetarFile(data, size);
  return 0;
}
