#include "traffic/traffic_table.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "link/own_position.h"

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kEarthDiameterNm = 6875.5;
constexpr double kEarthRadiusNm = 3437.75;

// Record fields, bytes from the record start.
constexpr size_t kRecId = 0;
constexpr size_t kRecLatitude = 4;
constexpr size_t kRecLongitude = 8;
constexpr size_t kRecAltitude = 12;
constexpr size_t kRecHeading = 16;
constexpr size_t kRecGroundSpeed = 18;
constexpr size_t kRecVerticalSpeed = 20;
constexpr size_t kRecIdentifier = 22;
constexpr size_t kRecIdentifierSize = 16;
constexpr size_t kRecCom1 = 38;

void PutReadRecord(uint8_t* at, uint32_t offset, uint32_t size) {
  PutU32(at, kRecordRead);
  PutU32(at + 4, offset);
  PutU32(at + 8, size);
  PutU32(at + 12, 0);  // destination: replies are read in place
  std::memset(at + kReadHeaderSize, 0, size);
}

// Truncation toward zero that stays defined for any double: the records come from another
// program, and a float far out of range (or NaN) must not reach an int conversion.
int TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return int(value);
}

// "%c%02d  %07.4f" and its longitude twin: hemisphere, whole degrees, minutes (not carried).
void FormatAngle(char* out, double angle, char positive, char negative, const char* format) {
  const double magnitude = std::fabs(angle);
  const int degrees = TruncToInt(magnitude);
  const double minutes = (magnitude - degrees) * 60.0;
  std::snprintf(out, kCellTextSize, format, angle < 0 ? negative : positive, degrees, minutes);
}

int Compare(double a, double b) { return TruncToInt((a - b) * 100.0); }

}  // namespace

void WriteTrafficRequest(uint8_t* block) {
  PutReadRecord(block + kVariationRecordPos, kVariationModuleOffset, kVariationAreaSize);
  PutReadRecord(block + kOwnPositionRecordPos, kOwnPositionModuleOffset, kOwnPositionAreaSize);
  PutReadRecord(block + kTrafficTableRecordPos, kTrafficTableModuleOffset, kTrafficTableAreaSize);
  PutU32(block + kTrafficEndWordPos, kRecordEnd);
}

TrafficTable::TrafficTable() {
  std::memset(variation_, 0, sizeof variation_);
  std::memset(position_, 0, sizeof position_);
  std::memset(table_, 0, sizeof table_);
  std::memset(&keys_, 0, sizeof keys_);
}

bool TrafficTable::FetchTraffic(uint8_t* block, size_t blockSize, IpcTransport& transport) {
  if (!block || blockSize < kTrafficRequestSize) return false;
  WriteTrafficRequest(block);
  for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
    if (transport.Send()) {
      TakeReplies(block);
      return true;
    }
    transport.Pause(kFetchPauseMs);
  }
  return false;
}

void TrafficTable::TakeReplies(const uint8_t* block) {
  std::memcpy(variation_, block + kVariationDataPos, sizeof variation_);
  std::memcpy(position_, block + kOwnPositionDataPos, sizeof position_);
  std::memcpy(table_, block + kTrafficTableDataPos, sizeof table_);
}

int TrafficTable::GetSlotCount() const {
  const size_t recordSize = GetU16(table_);
  const int claimed = GetU16(table_ + 2);
  // Slot n is read from 128 + n * recordSize for at least 40 bytes.
  const size_t span = recordSize > kTrafficRecordUsed ? recordSize : kTrafficRecordUsed;
  if (kTrafficRecordsPos + span > kTrafficTableAreaSize) return 0;
  size_t fitting = kMaxSlots;
  if (recordSize > 0) fitting = (kTrafficTableAreaSize - kTrafficRecordsPos - span) / recordSize + 1;
  int count = claimed < kMaxSlots ? claimed : kMaxSlots;
  if (size_t(count) > fitting) count = int(fitting);
  return count;
}

const uint8_t* TrafficTable::Record(int slot) const {
  if (slot < 0 || slot >= GetSlotCount()) return nullptr;
  return table_ + kTrafficRecordsPos + size_t(slot) * GetU16(table_);
}

bool TrafficTable::SlotOccupied(int slot) const {
  const uint8_t* record = Record(slot);
  return record && GetU32(record + kRecId) != 0;
}

bool TrafficTable::SlotRecord(int slot, TrafficRecordFields& out) const {
  std::memset(&out, 0, sizeof out);
  const uint8_t* record = Record(slot);
  if (!record || GetU32(record + kRecId) == 0) return false;
  out.id = GetU32(record + kRecId);
  out.latitude = GetF32(record + kRecLatitude);
  out.longitude = GetF32(record + kRecLongitude);
  out.altitude = GetF32(record + kRecAltitude);
  out.heading = GetU16(record + kRecHeading);
  out.groundSpeed = GetU16(record + kRecGroundSpeed);
  out.verticalSpeed = GetS16(record + kRecVerticalSpeed);
  return true;
}

OwnPosition TrafficTable::DecodeOwnPosition() const {
  const AircraftPosition p = DecodeAircraftPosition(position_);
  OwnPosition own;
  own.latitude = p.latitude;
  own.longitude = p.longitude;
  own.altitude = p.altitudeFeet;
  own.variation = GetS16(variation_);
  return own;
}

void TrafficTable::FormatSlot(int slot, const OwnPosition& own, SlotTexts& out) {
  std::memset(&out, 0, sizeof out);
  const uint8_t* record = Record(slot);
  if (!record) return;
  const uint32_t id = GetU32(record + kRecId);
  if (id == 0) return;

  const double lat = GetF32(record + kRecLatitude);
  const double lon = GetF32(record + kRecLongitude);
  const double alt = GetF32(record + kRecAltitude);
  const int variation = own.variation;
  char(&cell)[kSlotColumns][kCellTextSize] = out.cell;

  // Column 4: height difference in hundreds of feet, sign kept for values rounding to 0.
  const double heightDiff = (alt - own.altitude) / 100.0;
  keys_.heightDiff[slot] = heightDiff;
  std::snprintf(cell[3], kCellTextSize, "%c%d", heightDiff < 0 ? '-' : '+',
                TruncToInt(std::fabs(heightDiff) + 0.5));

  FormatAngle(cell[4], lat, 'N', 'S', "%c%02d  %07.4f");
  FormatAngle(cell[5], lon, 'E', 'W', "%c%03d  %07.4f");
  std::snprintf(cell[6], kCellTextSize, "%d", TruncToInt(alt + 0.5));

  // Heading in 32-bit integers: the division truncates toward zero, so up to 182 units
  // below the variation still shows 000.
  int heading = (int(GetU16(record + kRecHeading)) - variation) * 360 / 65536;
  if (heading < 0) heading += 360;
  if (heading > 360) heading -= 360;
  std::snprintf(cell[7], kCellTextSize, "%03d", heading);

  std::snprintf(cell[8], kCellTextSize, "%u", unsigned(GetU16(record + kRecGroundSpeed)));
  std::snprintf(cell[9], kCellTextSize, "%d", int(GetS16(record + kRecVerticalSpeed)));

  // COM1 as four BCD digits without the leading 1.
  const uint16_t com1 = GetU16(record + kRecCom1);
  if (com1 != 0) std::snprintf(cell[10], kCellTextSize, "1%02X.%02X", com1 >> 8, com1 & 0xFF);

  std::snprintf(cell[11], kCellTextSize, "%d", -int(int16_t(uint16_t(id & 0xFFFF))));

  // The identifier need not end in a zero within its 16 bytes.
  const char* identifier = reinterpret_cast<const char*>(record + kRecIdentifier);
  std::memcpy(cell[0], identifier, strnlen(identifier, kRecIdentifierSize));

  // Distance: the flat separation in degrees as a chord in nm, then the arc over it. The
  // longitude difference is deliberately not folded into +-180.
  const double x = std::cos(std::fabs(lat + own.latitude) * kPi / 360.0) * (lon - own.longitude);
  const double z = std::sqrt((own.latitude - lat) * (own.latitude - lat) + x * x);
  double ratio = z * 60.0 / kEarthDiameterNm;
  if (ratio > 1.0) ratio = 1.0;  // beyond half the globe: the antipode, 10800 nm
  const double distance = 2.0 * std::asin(ratio) * kEarthRadiusNm;
  keys_.distance[slot] = distance;
  std::snprintf(cell[1], kCellTextSize, "%d nm", TruncToInt(distance + 0.5));

  // Bearing: the angle off the north-south line, put into its quadrant.
  double bearing = 90.0;
  if (lat != own.latitude) bearing = std::atan(std::fabs(x / (lat - own.latitude))) * 180.0 / kPi;
  if (lat > own.latitude) {
    if (lon < own.longitude) bearing = 360.0 - bearing;
  } else {
    bearing = lon > own.longitude ? 180.0 - bearing : 180.0 + bearing;
  }
  bearing -= variation * 360.0 / 65536.0;
  if (bearing < 0) bearing += 360.0;
  if (bearing > 360.0) bearing -= 360.0;
  keys_.bearing[slot] = bearing;
  std::snprintf(cell[2], kCellTextSize, "%03d", TruncToInt(bearing + 0.5));
}

int TrafficTable::CompareSlots(int a, int b, int column) const {
  if (!SlotOccupied(a)) return 1;
  if (!SlotOccupied(b)) return -1;
  switch (column) {
    case kColumnId: {
      const char* left = reinterpret_cast<const char*>(Record(a) + kRecIdentifier);
      const char* right = reinterpret_cast<const char*>(Record(b) + kRecIdentifier);
      for (size_t i = 0; i < kRecIdentifierSize; ++i) {
        int l = static_cast<unsigned char>(left[i]);
        int r = static_cast<unsigned char>(right[i]);
        if (l >= 'A' && l <= 'Z') l += 'a' - 'A';
        if (r >= 'A' && r <= 'Z') r += 'a' - 'A';
        if (l != r || l == 0) return l - r;
      }
      return 0;
    }
    case kColumnDistance: return Compare(keys_.distance[a], keys_.distance[b]);
    case kColumnBearing: return Compare(keys_.bearing[a], keys_.bearing[b]);
    case kColumnAltDiff: return Compare(keys_.heightDiff[a], keys_.heightDiff[b]);
    default: return a - b;
  }
}
