// Table blocks and file buffers come from the non-throwing new, and every caller checks the
// result: running out of memory ends a load or a save quietly instead of the program (in the
// Windows programs the throwing new ends the process).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Null when the memory is not there (or when the tests make it fail); size 0 gives null too.
std::unique_ptr<uint8_t[]> AllocateBytes(size_t size);

// For the tests: the n-th allocation through AllocateBytes from now on (1 = the next one) and
// every one after it fail, as when the memory runs out; 0 ends that.
void FailAllocationsFrom(unsigned long n);
// Allocations asked for through AllocateBytes since the start (failed ones included).
unsigned long AllocationsAsked();
