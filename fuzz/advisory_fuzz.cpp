// libFuzzer target: see advisory_fuzz_checks.h.
#include "fuzz/advisory_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  core_fuzz::CheckAdvisories(data, size);
  return 0;
}
