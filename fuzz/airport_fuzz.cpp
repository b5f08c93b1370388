// libFuzzer target: see files_fuzz_checks.h.
#include "fuzz/files_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  files_fuzz::CheckAirports(data, size);
  return 0;
}
