#include "weather/files/airports.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "link/request_block.h"
#include "weather/allocation.h"
#include "weather/units.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool CodeMatches(const uint8_t* code, const char* typed) {
  for (int i = 0; i < 4; ++i) {
    char a = Upper(typed[i]);
    if (a != Upper(char(code[i]))) return false;
    if (a == 0) return true;
  }
  return true;
}

int AltitudeFeet(float metres) {
  double feet = std::trunc(double(metres) * kFeetPerMetre + 0.5);
  if (std::isnan(feet)) return 0;
  if (feet > 2147483647.0) return 2147483647;
  if (feet < -2147483648.0) return -2147483647 - 1;
  return int(feet);
}

}  // namespace

int AirportSearchCount(size_t tableSize) { return int((tableSize / kAirportRecordSize) & 0xFFFF); }

int FindAirport(const uint8_t* table, size_t tableSize, const char* typed) {
  if (table == nullptr || typed == nullptr) return 0;
  char text[5] = {};
  strncpy(text, typed, 4);
  const int count = AirportSearchCount(tableSize);
  for (int k = 1; k < count; ++k)
    if (CodeMatches(table + size_t(k) * kAirportRecordSize, text)) return k;
  return 0;
}

void FormatAirportText(char* out, size_t size, const uint8_t* table, size_t tableSize,
                       int32_t station) {
  if (size == 0) return;
  out[0] = 0;
  if (table == nullptr || station == 0) return;
  // Unsigned, so that -1 and other negative stations lie far outside any table.
  const uint64_t end = uint64_t(uint32_t(station)) * kAirportRecordSize + kAirportRecordSize;
  if (end > tableSize) return;
  const uint8_t* record = table + (end - kAirportRecordSize);
  snprintf(out, size, " ICAO=%.4s (Alt %dft, Lat %.4f, Long %.4f)",
           reinterpret_cast<const char*>(record), AltitudeFeet(GetF32(record + 12)),
           double(GetF32(record + 4)), double(GetF32(record + 8)));
}

std::unique_ptr<uint8_t[]> ReadAirportFile(WeatherFileSystem& files, const char* path,
                                           size_t& size) {
  size = 0;
  std::unique_ptr<ByteSource> file = files.OpenForReading(path);
  if (!file) return nullptr;
  const uint64_t length = file->Size();
  if (length == 0 || length > kLargestFileBuffer) return nullptr;
  std::unique_ptr<uint8_t[]> bytes = AllocateBytes(size_t(length));
  if (!bytes || ReadExactly(*file, 0, bytes.get(), size_t(length)) != ReadOutcome::kWhole)
    return nullptr;
  size = size_t(length);
  return bytes;
}
