// The simulator's weather interface as the weather station uses it: status words, selectors,
// table descriptors and the seven record layouts. Records are decoded and encoded field by
// field, little-endian, so nothing depends on struct packing or the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>

// Status words, always read together.
constexpr uint32_t kInterfaceSignatureOffset = 0x04D6;
constexpr uint32_t kWeatherStatusOffset = 0x04DC;
constexpr uint16_t kInterfaceSignature = 0xFADE;

constexpr int kFirstTable = 1;
constexpr int kLastTable = 7;
constexpr int kTableCount = 7;
constexpr int kPaneCount = 6;

enum WeatherTable : int {
  kVisibilityTable = 1,
  kPressureTable = 2,
  kTemperatureTable = 3,
  kWindTable = 4,
  kCloudTable = 5,
  kAppliedWindTable = 6,
  kStationTable = 7,
};

enum WeatherOperation : uint32_t {
  kReadAtAltitude = 0,
  kInsertLayer = 1,
  kDeleteLayer = 2,
  kReplaceLayer = 3,
  kReadTable = 4,
  kClearTable = 5,
  kSetTable = 6,
};

constexpr uint16_t kNoAltitude = 0xFFFF;
constexpr uint32_t kEmptyDescriptor = 0xFFFF0000;
constexpr size_t kAtAltitudeReplySize = 64;

// Table in bits 20-23, operation in bits 16-19, altitude in metres in bits 0-15.
constexpr uint32_t WeatherSelector(int table, uint32_t operation, uint16_t altitude = 0) {
  return (uint32_t(table & 0xF) << 20) | ((operation & 0xF) << 16) | altitude;
}
constexpr int SelectorTable(uint32_t selector) { return int((selector >> 20) & 0xF); }
constexpr uint32_t SelectorOperation(uint32_t selector) { return (selector >> 16) & 0xF; }
constexpr uint16_t SelectorAltitude(uint32_t selector) { return uint16_t(selector); }

// A table descriptor is the prefix of the table's first record: record size in the low half,
// index of the last record in the high half (0xFFFF: empty).
constexpr uint32_t DescriptorRecordSize(uint32_t d) { return d & 0xFFFF; }
constexpr uint32_t DescriptorByteLength(uint32_t d) {
  return (d >> 16) == 0xFFFF ? 0 : (d & 0xFFFF) * ((d >> 16) + 1);
}
constexpr int DescriptorRecordCount(uint32_t d) {
  return (d & 0xFFFF) == 0 ? 0 : int(int16_t(uint16_t(d >> 16))) + 1;
}
constexpr uint32_t MakeDescriptor(uint16_t recordSize, int count) {
  return count <= 0 ? kEmptyDescriptor : (uint32_t(uint16_t(count - 1)) << 16) | recordSize;
}

// Fixed record sizes of tables 1 to 5, and the least a record of tables 6 and 7 must hold for
// the fields the program reads.
constexpr size_t kVisibilityLayerSize = 10;
constexpr size_t kPressureRecordSize = 8;
constexpr size_t kTemperatureLayerSize = 12;
constexpr size_t kWindLayerSize = 16;
constexpr size_t kCloudLayerSize = 24;
constexpr size_t kAppliedWindLayerMinSize = 24;
constexpr size_t kStationRecordMinSize = 8;

// Record size a table is expected to have (tables 1-5), or the least it must have (6, 7).
size_t TableRecordSize(int table);

struct RecordPrefix {
  uint16_t size = 0;
  uint16_t following = 0;
};

struct VisibilityLayer {
  RecordPrefix prefix;
  uint16_t upperAltitude = 0;
  uint16_t lowerAltitude = 0;
  uint16_t range = 0;  // hundredths of a statute mile
};

struct PressureRecord {
  RecordPrefix prefix;
  uint16_t qnh = 0;  // sixteenths of a millibar
  int16_t drift = 0;
};

struct TemperatureLayer {
  RecordPrefix prefix;
  uint16_t altitude = 0;
  int16_t dayTemperature = 0;
  int16_t dayNightVariation = 0;
  int16_t dewPoint = 0;
};

struct WindLayer {
  RecordPrefix prefix;
  uint16_t upperAltitude = 0;
  uint16_t speed = 0;
  uint16_t gust = 0;
  uint16_t direction = 0;  // 65536ths of a circle, true
  uint16_t turbulence = 0;
  uint16_t shear = 0;
};

struct CloudLayer {
  RecordPrefix prefix;
  uint16_t upperAltitude = 0;
  uint16_t lowerAltitude = 0;
  uint16_t deviation = 0;
  uint16_t cover = 0;
  uint16_t cloudType = 0;
  uint16_t turbulence = 0;
  uint16_t icing = 0;
  uint16_t precipitationBase = 0;
  uint16_t precipitationType = 0;
  uint16_t precipitationRate = 0;
};

struct AppliedWindLayer {
  RecordPrefix prefix;
  uint16_t upperAltitude = 0;
  uint16_t gust = 0;
  uint16_t turbulence = 0;
  uint16_t shear = 0;
  float appliedSpeed = 0;      // knots
  float appliedDirection = 0;  // degrees true
};

struct StationRecord {
  RecordPrefix prefix;
  char icao[4] = {0, 0, 0, 0};
};

// Decode reads exactly the record's layout from p; Encode writes it (prefix included) to p,
// which must hold the record size. The applied-wind and station encoders write the fields
// the program knows and leave the rest of the record alone.
RecordPrefix DecodePrefix(const uint8_t* p);
void EncodePrefix(uint8_t* p, const RecordPrefix& r);
VisibilityLayer DecodeVisibility(const uint8_t* p);
void EncodeVisibility(uint8_t* p, const VisibilityLayer& r);
PressureRecord DecodePressure(const uint8_t* p);
void EncodePressure(uint8_t* p, const PressureRecord& r);
TemperatureLayer DecodeTemperature(const uint8_t* p);
void EncodeTemperature(uint8_t* p, const TemperatureLayer& r);
WindLayer DecodeWind(const uint8_t* p);
void EncodeWind(uint8_t* p, const WindLayer& r);
CloudLayer DecodeCloud(const uint8_t* p);
void EncodeCloud(uint8_t* p, const CloudLayer& r);
AppliedWindLayer DecodeAppliedWind(const uint8_t* p);
void EncodeAppliedWind(uint8_t* p, const AppliedWindLayer& r);
StationRecord DecodeStation(const uint8_t* p);
void EncodeStation(uint8_t* p, const StationRecord& r);

// The caption texts indexed by weather mode; entry 4 when the simulator cannot be reached.
extern const char* const statusTexts[5];
constexpr int kNotConnectedStatus = 4;
