// The user aircraft's position area at module offset 0x0560 (24 bytes): latitude as a signed
// high part in units of 90/10001750 degree with a 2^-32 fraction before it, longitude as 2^64 =
// 360 degrees, then the altitude in whole metres in bytes 20-23.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kAircraftPositionOffset = 0x0560;
constexpr size_t kAircraftPositionSize = 24;

struct AircraftPosition {
  double latitude = 0;   // degrees, north positive
  double longitude = 0;  // degrees, east positive, in (-180, 180]
  double altitudeFeet = 0;
};

AircraftPosition DecodeAircraftPosition(const uint8_t* area);
