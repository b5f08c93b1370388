// The simulator's airport position file as read into memory: 16-byte records (ICAO code, then
// latitude, longitude and altitude in metres as f32), numbered from 0. A .WX station entry
// names its airport by record number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "weather/files/file_system.h"

constexpr size_t kAirportRecordSize = 16;

// Records the search walks: the file size / 16 kept to 16 bits, as station numbers are.
int AirportSearchCount(size_t tableSize);

// The first record from 1 on whose code matches the typed text (at most 4 characters, case
// ignored; a shorter text matches only a code that ends where it ends). 0 when none matches:
// record 0 is never found.
int FindAirport(const uint8_t* table, size_t tableSize, const char* typed);

// " ICAO=%.4s (Alt %dft, Lat %.4f, Long %.4f)" for station record s, or an empty text when
// there is no table, s is 0 or the record does not lie wholly inside the table.
void FormatAirportText(char* out, size_t size, const uint8_t* table, size_t tableSize,
                       int32_t station);

// The airport position file read whole into memory (size bytes); null when it cannot be
// opened, is empty or larger than any buffer a file may fill, the memory is not there, or it
// cannot be read to its end: a table that is only part of the file would give station entries
// the wrong airports, or none.
std::unique_ptr<uint8_t[]> ReadAirportFile(WeatherFileSystem& files, const char* path,
                                           size_t& size);
