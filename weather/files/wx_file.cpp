#include "weather/files/wx_file.h"

#include <cmath>
#include <cstring>

#include "link/request_block.h"
#include "weather/records.h"
#include "weather/units.h"

namespace {

// A u16 altitude above 65000 stands for a small negative one.
double SignedAltitude(uint16_t metres) { return metres > 65000 ? metres - 65536.0 : metres; }

constexpr double kNoWindAltitude = 609.6;  // metres: 2000 ft
constexpr double kStandardQnh = 1013.2;    // millibars

}  // namespace

WxEntryHeader DecodeWxHeader(const uint8_t* p) {
  WxEntryHeader h;
  h.windsMinusOne = GetU32(p);
  h.visibilityCount = GetU32(p + 4);
  h.cloudCount = GetU32(p + 8);
  h.temperatureCount = GetU32(p + 12);
  h.stationIndex = int32_t(GetU32(p + 20));
  return h;
}

void EncodeWxHeader(uint8_t* p, const WxEntryHeader& h) {
  PutU32(p, h.windsMinusOne);
  PutU32(p + 4, h.visibilityCount);
  PutU32(p + 8, h.cloudCount);
  PutU32(p + 12, h.temperatureCount);
  PutU32(p + 16, 0);
  PutU32(p + 20, uint32_t(h.stationIndex));
  PutU32(p + 24, 0);
}

uint64_t WxEntryLength(const WxEntryHeader& h) {
  return kWxEmptyEntrySize + uint64_t(kWxWindSize) * h.windsMinusOne +
         uint64_t(kWxVisibilitySize) * h.visibilityCount + uint64_t(kWxCloudSize) * h.cloudCount +
         uint64_t(kWxTemperatureSize) * h.temperatureCount;
}

uint16_t WxStationKey(int32_t stationIndex) {
  uint16_t key = uint16_t(uint32_t(stationIndex));
  return key == 0xFFFF ? 0 : key;
}

uint16_t WxNearest(double v) {
  double t = std::trunc(v + 0.5);
  if (!std::isfinite(t)) return 0;
  double kept = std::fmod(t, 65536.0);
  if (kept < 0) kept += 65536.0;
  return uint16_t(uint32_t(kept));
}

uint16_t WxNearestClamped(double v) { return std::isnan(v) || v < 0 ? 0 : WxNearest(v); }

void WxWindToLayer(const uint8_t* wx, uint8_t* layer) {
  WindLayer r;
  r.prefix.size = uint16_t(kWindLayerSize);
  r.upperAltitude = WxNearestClamped(GetF32(wx));
  r.speed = WxNearest(GetF32(wx + 4));
  r.gust = WxNearest(GetF32(wx + 8));
  r.direction = WxNearest(double(GetF32(wx + 12)) * 65536.0 / 360.0);
  r.turbulence = uint16_t(GetU32(wx + 20));
  r.shear = uint16_t(GetU32(wx + 24));
  EncodeWind(layer, r);
}

void LayerToWxWind(const uint8_t* layer, uint8_t* wx) {
  WindLayer r = DecodeWind(layer);
  PutF32(wx, r.upperAltitude);
  PutF32(wx + 4, r.speed);
  PutF32(wx + 8, r.gust);
  PutF32(wx + 12, r.direction * 360.0 / 65536.0);
  PutU32(wx + 16, 0);
  PutU32(wx + 20, r.turbulence);
  PutU32(wx + 24, r.shear);
}

void WxVisibilityToLayer(const uint8_t* wx, uint8_t* layer) {
  VisibilityLayer r;
  r.prefix.size = uint16_t(kVisibilityLayerSize);
  r.range = WxNearest(double(GetF32(wx)) * kFeetPerMetre / 52.8);
  r.lowerAltitude = WxNearestClamped(GetF32(wx + 4));
  r.upperAltitude = WxNearestClamped(GetF32(wx + 8));
  EncodeVisibility(layer, r);
}

void LayerToWxVisibility(const uint8_t* layer, uint8_t* wx) {
  VisibilityLayer r = DecodeVisibility(layer);
  PutF32(wx, r.range * 52.8 / kFeetPerMetre);
  // A lower altitude of exactly 0 is written as 18 inches above the ground.
  PutF32(wx + 4, r.lowerAltitude == 0 ? 0.4572 : SignedAltitude(r.lowerAltitude));
  PutF32(wx + 8, r.upperAltitude);
}

void WxCloudToLayer(const uint8_t* wx, uint8_t* layer) {
  CloudLayer r;
  r.prefix.size = uint16_t(kCloudLayerSize);
  r.cloudType = uint16_t(GetU32(wx));
  r.lowerAltitude = WxNearestClamped(GetF32(wx + 4));
  r.upperAltitude = WxNearest(GetF32(wx + 8));
  r.deviation = WxNearest(GetF32(wx + 12));
  r.cover = uint16_t(GetU32(wx + 16));
  r.turbulence = uint16_t(GetU32(wx + 24));
  r.precipitationType = uint16_t(GetU32(wx + 28));
  r.precipitationBase = WxNearest(GetF32(wx + 32));
  r.precipitationRate = uint16_t(GetU32(wx + 36));
  r.icing = uint16_t(GetU32(wx + 40));
  EncodeCloud(layer, r);
}

void LayerToWxCloud(const uint8_t* layer, uint8_t* wx) {
  CloudLayer r = DecodeCloud(layer);
  PutU32(wx, r.cloudType);
  PutF32(wx + 4, r.lowerAltitude);
  PutF32(wx + 8, r.upperAltitude);
  PutF32(wx + 12, r.deviation);
  PutU32(wx + 16, r.cover);
  PutU32(wx + 20, 0);
  PutU32(wx + 24, r.turbulence);
  PutU32(wx + 28, r.precipitationType);
  PutF32(wx + 32, r.precipitationBase);
  PutU32(wx + 36, r.precipitationRate);
  PutU32(wx + 40, r.icing);
}

void WxTemperatureToLayer(const uint8_t* wx, uint8_t* layer) {
  TemperatureLayer r;
  r.prefix.size = uint16_t(kTemperatureLayerSize);
  r.altitude = WxNearestClamped(GetF32(wx));
  r.dayTemperature = int16_t(WxNearest(GetF32(wx + 4)));
  r.dayNightVariation = int16_t(WxNearest(GetF32(wx + 8)));
  r.dewPoint = int16_t(WxNearest(GetF32(wx + 12)));
  EncodeTemperature(layer, r);
}

void LayerToWxTemperature(const uint8_t* layer, uint8_t* wx) {
  TemperatureLayer r = DecodeTemperature(layer);
  PutF32(wx, SignedAltitude(r.altitude));
  PutF32(wx + 4, r.dayTemperature);
  PutF32(wx + 8, r.dayNightVariation);
  PutF32(wx + 12, r.dewPoint);
}

void WxPressureToRecord(const uint8_t* wx, uint8_t* record) {
  PressureRecord r;
  r.prefix.size = uint16_t(kPressureRecordSize);
  r.qnh = WxNearest(double(GetF32(wx + 4)) * 16.0);
  r.drift = int16_t(WxNearest(double(GetF32(wx + 8)) * 16.0));
  EncodePressure(record, r);
}

void RecordToWxPressure(const uint8_t* record, uint8_t* wx) {
  PutU32(wx, 0);
  if (record == nullptr) {
    PutF32(wx + 4, kStandardQnh);
    PutF32(wx + 8, 0.0);
    return;
  }
  PressureRecord r = DecodePressure(record);
  PutF32(wx + 4, r.qnh / 16.0);
  PutF32(wx + 8, r.drift / 16.0);
}

namespace {

struct Group {
  int table;
  uint64_t count;
  size_t fileRecordSize;
  size_t layerSize;
  void (*convert)(const uint8_t*, uint8_t*);
};

// File records go through a buffer of this size, in pieces of whole records.
constexpr size_t kGroupPieceSize = 16384;

// Reads one group into a whole-table block. False when the file cannot hold it whole (the
// position then moves by what a plain read would have consumed), when the block would be
// larger than any buffer a file may fill, when the memory is not there (the position stays),
// and at a read error (failed set).
bool ReadGroup(ByteSource& file, uint64_t& position, const Group& g, TableBlock& block,
               bool& failed) {
  const uint64_t bytes = g.count * g.fileRecordSize;
  const uint64_t size = file.Size();
  const uint64_t left = position < size ? size - position : 0;
  if (bytes > left) {
    position += left;
    return false;
  }
  if (g.count == 0) return true;
  // Counted in 64 bits: 429,496,730 visibility records are 2^32 + 4 bytes of blocks.
  const uint64_t blockSize = g.count * g.layerSize;
  if (blockSize > kLargestFileBuffer) return false;
  TableBlock made = TableBlock::Allocate(size_t(blockSize));
  if (made.Empty()) return false;
  uint8_t piece[kGroupPieceSize];
  const uint64_t perPiece = sizeof piece / g.fileRecordSize;
  for (uint64_t i = 0; i < g.count;) {
    const uint64_t records = g.count - i < perPiece ? g.count - i : perPiece;
    const size_t want = size_t(records * g.fileRecordSize);
    const ReadOutcome read = ReadExactly(file, position, piece, want);
    if (read != ReadOutcome::kWhole) {
      failed = read == ReadOutcome::kFailed;
      return false;
    }
    position += want;
    for (uint64_t r = 0; r < records; ++r, ++i) {
      uint8_t* layer = made.Bytes() + size_t(i * g.layerSize);
      g.convert(piece + size_t(r * g.fileRecordSize), layer);
      PutU16(layer + 2, uint16_t(g.count - 1 - i));
    }
  }
  block = std::move(made);
  return true;
}

}  // namespace

bool ReadWxEntry(ByteSource& file, uint64_t offset, WxEntryTables& entry) {
  entry = WxEntryTables();
  uint8_t header[kWxHeaderSize];
  const ReadOutcome read = ReadExactly(file, offset, header, sizeof header);
  if (read != ReadOutcome::kWhole) {
    entry.failed = read == ReadOutcome::kFailed;
    return false;
  }
  entry.header = DecodeWxHeader(header);
  uint64_t position = offset + kWxHeaderSize;
  const WxEntryHeader& h = entry.header;
  const Group groups[] = {
      {kWindTable, uint64_t(h.windsMinusOne) + 1, kWxWindSize, kWindLayerSize, WxWindToLayer},
      {kVisibilityTable, h.visibilityCount, kWxVisibilitySize, kVisibilityLayerSize,
       WxVisibilityToLayer},
      {kCloudTable, h.cloudCount, kWxCloudSize, kCloudLayerSize, WxCloudToLayer},
      {kTemperatureTable, h.temperatureCount, kWxTemperatureSize, kTemperatureLayerSize,
       WxTemperatureToLayer},
      {kPressureTable, 1, kWxPressureSize, kPressureRecordSize, WxPressureToRecord},
  };
  for (const Group& g : groups) {
    if (!ReadGroup(file, position, g, entry.blocks[g.table], entry.failed)) {
      entry.complete = false;
      break;
    }
  }
  entry.end = position;
  return true;
}

namespace {

// The records of a snapshot table as the writer steps through them: count from the
// descriptor, records as far apart as it says and never past the block. A record size below
// the table's own gives none.
TableRecords WriterRecords(const WeatherSnapshot& snapshot, int table) {
  TableRecords records;
  const WeatherTableEntry& entry = snapshot.Table(table);
  if (entry.data.Empty()) return records;
  size_t recordSize = DescriptorRecordSize(entry.descriptor);
  size_t count = ((entry.descriptor >> 16) + 1) & 0xFFFF;
  if (recordSize < TableRecordSize(table) || count == 0) return records;
  size_t whole = entry.data.Size() / recordSize;
  records.bytes = entry.data.Bytes();
  records.recordSize = recordSize;
  records.count = int(count < whole ? count : whole);
  return records;
}

}  // namespace

namespace {

struct WriterTables {
  TableRecords winds, visibility, clouds, temperatures, pressure;
  WxEntryHeader header;
};

WriterTables TablesToWrite(const WeatherSnapshot& snapshot) {
  WriterTables t;
  t.winds = WriterRecords(snapshot, kWindTable);
  t.visibility = WriterRecords(snapshot, kVisibilityTable);
  t.clouds = WriterRecords(snapshot, kCloudTable);
  t.temperatures = WriterRecords(snapshot, kTemperatureTable);
  t.pressure = WriterRecords(snapshot, kPressureTable);
  WxEntryHeader& h = t.header;
  h.windsMinusOne = t.winds.count > 0 ? uint32_t(t.winds.count - 1) : 0;
  h.visibilityCount = uint32_t(t.visibility.count);
  h.cloudCount = uint32_t(t.clouds.count);
  h.temperatureCount = uint32_t(t.temperatures.count);
  h.stationIndex = -1;
  return t;
}

}  // namespace

size_t WxEntrySize(const WeatherSnapshot& snapshot) {
  // At most 65536 records of each table: a few megabytes.
  return size_t(WxEntryLength(TablesToWrite(snapshot).header));
}

void EncodeWxEntryInto(const WeatherSnapshot& snapshot, uint8_t* out) {
  const WriterTables t = TablesToWrite(snapshot);
  uint8_t* p = out;
  std::memset(p, 0, size_t(WxEntryLength(t.header)));
  EncodeWxHeader(p, t.header);
  p += kWxHeaderSize;
  if (t.winds.count == 0) {
    PutF32(p, kNoWindAltitude);  // the other fields stay 0
    p += kWxWindSize;
  }
  for (int i = 0; i < t.winds.count; ++i, p += kWxWindSize) LayerToWxWind(t.winds.Record(i), p);
  for (int i = 0; i < t.visibility.count; ++i, p += kWxVisibilitySize)
    LayerToWxVisibility(t.visibility.Record(i), p);
  for (int i = 0; i < t.clouds.count; ++i, p += kWxCloudSize)
    LayerToWxCloud(t.clouds.Record(i), p);
  for (int i = 0; i < t.temperatures.count; ++i, p += kWxTemperatureSize)
    LayerToWxTemperature(t.temperatures.Record(i), p);
  RecordToWxPressure(t.pressure.count > 0 ? t.pressure.Record(0) : nullptr, p);
}

std::vector<uint8_t> EncodeWxEntry(const WeatherSnapshot& snapshot) {
  std::vector<uint8_t> out(WxEntrySize(snapshot));
  EncodeWxEntryInto(snapshot, out.data());
  return out;
}

bool WxStationEntries(ByteSource& existing, ByteBuffer& tail) {
  tail = ByteBuffer();
  uint8_t header[kWxHeaderSize];
  const ReadOutcome read = ReadExactly(existing, 0, header, sizeof header);
  if (read == ReadOutcome::kEnd) return true;  // shorter than a header: nothing to keep
  if (read == ReadOutcome::kFailed) return false;
  const uint64_t first = WxEntryLength(DecodeWxHeader(header));
  const uint64_t size = existing.Size();
  if (size <= first) return true;
  // Compared in 64 bits: the tail of a file of 4 GiB or more must not wrap to a short one.
  if (size - first > kLargestFileBuffer) return false;
  tail = ByteBuffer::Allocate(size_t(size - first));
  if (tail.Empty()) return false;
  // Kept whole or not at all: station entries cut mid-record would damage the file.
  if (ReadExactly(existing, first, tail.Bytes(), tail.Size()) == ReadOutcome::kWhole) return true;
  tail = ByteBuffer();
  return false;
}
