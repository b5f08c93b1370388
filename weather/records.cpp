#include "weather/records.h"

#include <cstring>

#include "link/request_block.h"

const char* const statusTexts[5] = {
    "No weather to show!",
    "Global weather: read/write",
    "Local weather: not available",
    "Local weather: read only",
    "Not connected to Korvel",
};

size_t TableRecordSize(int table) {
  switch (table) {
    case kVisibilityTable: return kVisibilityLayerSize;
    case kPressureTable: return kPressureRecordSize;
    case kTemperatureTable: return kTemperatureLayerSize;
    case kWindTable: return kWindLayerSize;
    case kCloudTable: return kCloudLayerSize;
    case kAppliedWindTable: return kAppliedWindLayerMinSize;
    case kStationTable: return kStationRecordMinSize;
    default: return 0;
  }
}

RecordPrefix DecodePrefix(const uint8_t* p) { return {GetU16(p), GetU16(p + 2)}; }

void EncodePrefix(uint8_t* p, const RecordPrefix& r) {
  PutU16(p, r.size);
  PutU16(p + 2, r.following);
}

VisibilityLayer DecodeVisibility(const uint8_t* p) {
  VisibilityLayer r;
  r.prefix = DecodePrefix(p);
  r.upperAltitude = GetU16(p + 4);
  r.lowerAltitude = GetU16(p + 6);
  r.range = GetU16(p + 8);
  return r;
}

void EncodeVisibility(uint8_t* p, const VisibilityLayer& r) {
  EncodePrefix(p, r.prefix);
  PutU16(p + 4, r.upperAltitude);
  PutU16(p + 6, r.lowerAltitude);
  PutU16(p + 8, r.range);
}

PressureRecord DecodePressure(const uint8_t* p) {
  PressureRecord r;
  r.prefix = DecodePrefix(p);
  r.qnh = GetU16(p + 4);
  r.drift = GetS16(p + 6);
  return r;
}

void EncodePressure(uint8_t* p, const PressureRecord& r) {
  EncodePrefix(p, r.prefix);
  PutU16(p + 4, r.qnh);
  PutU16(p + 6, uint16_t(r.drift));
}

TemperatureLayer DecodeTemperature(const uint8_t* p) {
  TemperatureLayer r;
  r.prefix = DecodePrefix(p);
  r.altitude = GetU16(p + 4);
  r.dayTemperature = GetS16(p + 6);
  r.dayNightVariation = GetS16(p + 8);
  r.dewPoint = GetS16(p + 10);
  return r;
}

void EncodeTemperature(uint8_t* p, const TemperatureLayer& r) {
  EncodePrefix(p, r.prefix);
  PutU16(p + 4, r.altitude);
  PutU16(p + 6, uint16_t(r.dayTemperature));
  PutU16(p + 8, uint16_t(r.dayNightVariation));
  PutU16(p + 10, uint16_t(r.dewPoint));
}

WindLayer DecodeWind(const uint8_t* p) {
  WindLayer r;
  r.prefix = DecodePrefix(p);
  r.upperAltitude = GetU16(p + 4);
  r.speed = GetU16(p + 6);
  r.gust = GetU16(p + 8);
  r.direction = GetU16(p + 10);
  r.turbulence = GetU16(p + 12);
  r.shear = GetU16(p + 14);
  return r;
}

void EncodeWind(uint8_t* p, const WindLayer& r) {
  EncodePrefix(p, r.prefix);
  PutU16(p + 4, r.upperAltitude);
  PutU16(p + 6, r.speed);
  PutU16(p + 8, r.gust);
  PutU16(p + 10, r.direction);
  PutU16(p + 12, r.turbulence);
  PutU16(p + 14, r.shear);
}

CloudLayer DecodeCloud(const uint8_t* p) {
  CloudLayer r;
  r.prefix = DecodePrefix(p);
  r.upperAltitude = GetU16(p + 4);
  r.lowerAltitude = GetU16(p + 6);
  r.deviation = GetU16(p + 8);
  r.cover = GetU16(p + 10);
  r.cloudType = GetU16(p + 12);
  r.turbulence = GetU16(p + 14);
  r.icing = GetU16(p + 16);
  r.precipitationBase = GetU16(p + 18);
  r.precipitationType = GetU16(p + 20);
  r.precipitationRate = GetU16(p + 22);
  return r;
}

void EncodeCloud(uint8_t* p, const CloudLayer& r) {
  EncodePrefix(p, r.prefix);
  PutU16(p + 4, r.upperAltitude);
  PutU16(p + 6, r.lowerAltitude);
  PutU16(p + 8, r.deviation);
  PutU16(p + 10, r.cover);
  PutU16(p + 12, r.cloudType);
  PutU16(p + 14, r.turbulence);
  PutU16(p + 16, r.icing);
  PutU16(p + 18, r.precipitationBase);
  PutU16(p + 20, r.precipitationType);
  PutU16(p + 22, r.precipitationRate);
}

AppliedWindLayer DecodeAppliedWind(const uint8_t* p) {
  AppliedWindLayer r;
  r.prefix = DecodePrefix(p);
  r.upperAltitude = GetU16(p + 4);
  r.gust = GetU16(p + 8);
  r.turbulence = GetU16(p + 12);
  r.shear = GetU16(p + 14);
  r.appliedSpeed = GetF32(p + 16);
  r.appliedDirection = GetF32(p + 20);
  return r;
}

void EncodeAppliedWind(uint8_t* p, const AppliedWindLayer& r) {
  EncodePrefix(p, r.prefix);
  PutU16(p + 4, r.upperAltitude);
  PutU16(p + 8, r.gust);
  PutU16(p + 12, r.turbulence);
  PutU16(p + 14, r.shear);
  PutF32(p + 16, r.appliedSpeed);
  PutF32(p + 20, r.appliedDirection);
}

StationRecord DecodeStation(const uint8_t* p) {
  StationRecord r;
  r.prefix = DecodePrefix(p);
  std::memcpy(r.icao, p + 4, 4);
  return r;
}

void EncodeStation(uint8_t* p, const StationRecord& r) {
  EncodePrefix(p, r.prefix);
  std::memcpy(p + 4, r.icao, 4);
}
