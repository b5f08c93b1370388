// The simulator's weather file (.WX): entries back to back, each a 28-byte header, its wind,
// visibility, cloud and temperature records and one pressure record, reals as f32. Reading
// turns an entry into whole-table blocks of tables 1 to 5; writing turns the snapshot into a
// first entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "weather/allocation.h"
#include "weather/files/file_system.h"
#include "weather/snapshot.h"

constexpr size_t kWxHeaderSize = 28;
constexpr size_t kWxWindSize = 28;
constexpr size_t kWxVisibilitySize = 12;
constexpr size_t kWxCloudSize = 44;
constexpr size_t kWxTemperatureSize = 16;
constexpr size_t kWxPressureSize = 12;
constexpr size_t kWxEmptyEntrySize = kWxHeaderSize + kWxWindSize + kWxPressureSize;  // 68

struct WxEntryHeader {
  uint32_t windsMinusOne = 0;
  uint32_t visibilityCount = 0;
  uint32_t cloudCount = 0;
  uint32_t temperatureCount = 0;
  int32_t stationIndex = -1;  // record of the airport file; -1 for the global entry
};

WxEntryHeader DecodeWxHeader(const uint8_t* p);
void EncodeWxHeader(uint8_t* p, const WxEntryHeader& h);

// Entry length in bytes. Counted in 64 bits: counts far past the end of any file must not
// wrap round to a small length.
uint64_t WxEntryLength(const WxEntryHeader& h);

// The station by which entries are ordered and searched: the low 16 bits, 0xFFFF counting 0.
uint16_t WxStationKey(int32_t stationIndex);

// Nearest: v + 0.5 truncated toward zero, kept to 16 bits. Clamped: 0 for a negative v or
// one that is not a number. Values too large for any integer wrap like the 16-bit result.
uint16_t WxNearest(double v);
uint16_t WxNearestClamped(double v);

// One file record into a table record (prefix included) and back; each works on whole records.
void WxWindToLayer(const uint8_t* wx, uint8_t* layer);
void LayerToWxWind(const uint8_t* layer, uint8_t* wx);
void WxVisibilityToLayer(const uint8_t* wx, uint8_t* layer);
void LayerToWxVisibility(const uint8_t* layer, uint8_t* wx);
void WxCloudToLayer(const uint8_t* wx, uint8_t* layer);
void LayerToWxCloud(const uint8_t* layer, uint8_t* wx);
void WxTemperatureToLayer(const uint8_t* wx, uint8_t* layer);
void LayerToWxTemperature(const uint8_t* layer, uint8_t* wx);
void WxPressureToRecord(const uint8_t* wx, uint8_t* record);
void RecordToWxPressure(const uint8_t* record, uint8_t* wx);  // null record: 1013.2 mb, no drift

// One entry read from a file, its groups turned into whole-table blocks.
struct WxEntryTables {
  WxEntryHeader header;
  TableBlock blocks[kCloudTable + 1];  // by table number 1 to 5; empty for no records
  bool complete = true;                // false when a group was cut short (it and the rest dropped)
  bool failed = false;                 // a read error: the entry must not be used at all
  uint64_t end = 0;                    // file position reached
};

// Reads the entry whose header starts at offset. False, with nothing read, when no whole
// header is there (failed tells a read error from the end of the file). A group that the file
// cannot hold whole ends the entry: the groups before it are kept. Nothing is allocated for
// records the file does not have.
bool ReadWxEntry(ByteSource& file, uint64_t offset, WxEntryTables& entry);

// The entry for the snapshot's tables 1 to 5 (counts from the descriptors, records bounded by
// the blocks). An empty snapshot gives the 68-byte entry: one wind record topping at 609.6 m
// and 1013.2 mb. EncodeWxEntryInto fills WxEntrySize bytes at out.
size_t WxEntrySize(const WeatherSnapshot& snapshot);
void EncodeWxEntryInto(const WeatherSnapshot& snapshot, uint8_t* out);
std::vector<uint8_t> EncodeWxEntry(const WeatherSnapshot& snapshot);

// The bytes of an existing file that follow its first entry (the station entries); empty when
// it has none or is shorter than a header. False when they are too many to hold, the memory
// is not there, or the header or any of them cannot be read: the file cannot be saved over
// then without losing them.
bool WxStationEntries(ByteSource& existing, ByteBuffer& tail);
