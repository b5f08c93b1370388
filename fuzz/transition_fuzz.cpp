// libFuzzer target: see transition_fuzz_checks.h.
#include "fuzz/transition_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  transition_fuzz::CheckTransition(data, size);
  return 0;
}
