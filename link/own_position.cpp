#include "link/own_position.h"

#include <cmath>

#include "link/request_block.h"

namespace {

// One unit of the latitude's high part is 90/10001750 degree; the low part counts 2^32ths.
constexpr double kLatitudeUnit = 90.0 / 10001750.0;
constexpr double kLatitudeFraction = 90.0 / 42957189152768000.0;
constexpr double kFeetPerMetre = 3.28084;

}  // namespace

AircraftPosition DecodeAircraftPosition(const uint8_t* area) {
  AircraftPosition p;
  const uint32_t latLow = GetU32(area);
  const int32_t latHigh = int32_t(GetU32(area + 4));
  // The low part adds to the magnitude, also south of the equator.
  const double latMagnitude = std::fabs(double(latHigh)) * kLatitudeUnit + latLow * kLatitudeFraction;
  p.latitude = latHigh < 0 ? -latMagnitude : latMagnitude;

  // 2^64 = 360 degrees; above 180 is west.
  const uint32_t lonLow = GetU32(area + 8);
  const uint32_t lonHigh = GetU32(area + 12);
  p.longitude = lonHigh * 360.0 / 4294967296.0 + lonLow * 360.0 / 18446744073709551616.0;
  if (p.longitude > 180.0) p.longitude -= 360.0;

  p.altitudeFeet = int32_t(GetU32(area + 20)) * kFeetPerMetre;
  return p;
}
