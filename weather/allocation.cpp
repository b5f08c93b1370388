#include "weather/allocation.h"

#include <new>

namespace {

unsigned long asked = 0;
unsigned long failFrom = 0;  // 0: nothing fails on purpose

}  // namespace

std::unique_ptr<uint8_t[]> AllocateBytes(size_t size) {
  ++asked;
  if (size == 0) return nullptr;
  if (failFrom != 0 && asked >= failFrom) return nullptr;
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]);
}

void FailAllocationsFrom(unsigned long n) { failFrom = n == 0 ? 0 : asked + n; }

unsigned long AllocationsAsked() { return asked; }
