// devsim's stand-in for the module's advanced weather interface: the seven tables
// and the operations on weather selectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "devsim/options.h"
#include "weather/records.h"

constexpr size_t kDevsimAppliedWindSize = 24;  // table 6: the WindLayer's 16 bytes, 2 floats
constexpr size_t kDevsimStationSize = 16;      // table 7: icao at 4, the rest zero
constexpr size_t kDevsimMaxLayers = 2000;      // per table; inserts beyond it are dropped
constexpr uint16_t kStandardQnh = 16211;       // 1013.2 mb in sixteenths

class WeatherModel {
 public:
  WeatherModel();  // the built-in weather, mode 1, station "EGLL"

  void LoadDefault();
  // Every table empty, the pressure standard (1013.2 mb, drift 0).
  void ClearAll();
  // Replace the weather by a text file in devsim's own format (README.md). On failure the
  // weather is unchanged and `error` says which line was wrong.
  bool LoadFile(const std::string& path, std::string* error = nullptr);
  bool LoadText(const std::string& text, std::string* error = nullptr);

  void SetMode(int mode);
  int Mode() const { return mode_; }
  void SetIcao(const std::string& icao);

  // A read or write of a weather selector. False when the selector names no table and
  // operation the interface has in that direction (the caller logs it as unknown; a read
  // then gets zeros). Reads fill `out` with what fits and zero the rest.
  bool Read(uint32_t selector, uint8_t* out, size_t size) const;
  bool Write(uint32_t selector, const uint8_t* data, size_t size);

  // One small step of weather change for --change-every: pressure, surface wind or surface
  // temperature moves a little.
  void Change();

  // From now on a 4-byte read of a table gives this kind of lie instead of its descriptor.
  void SetDescriptorLie(DescriptorLie lie) { lie_ = lie; }

  size_t Count(int table) const;
  uint32_t Descriptor(int table) const;
  // The descriptor as a 4-byte read returns it, lie included.
  uint32_t ServedDescriptor(int table) const;
  // The table as a ReadTable of its byte length returns it.
  std::vector<uint8_t> TableBytes(int table) const;
  // The same straight into a reply: what fits, the rest zeroed.
  void CopyTable(int table, uint8_t* out, size_t size) const;

 private:
  using Record = std::vector<uint8_t>;  // prefix included; `following` is set on output

  bool InsertLayer(int table, const uint8_t* data, size_t size);
  void DeleteLayer(int table, uint16_t altitude);
  void ReplaceLayer(int table, uint16_t altitude, const uint8_t* data, size_t size);
  void ClearTable(int table);
  void SetTable(int table, const uint8_t* data, size_t size);
  void ReadAtAltitude(int table, uint16_t altitude, uint8_t* out, size_t size) const;
  int FindLayer(int table, uint16_t altitude) const;
  void Derive();  // tables 6 and 7 from table 4 and the mode

  std::vector<Record> tables_[kLastTable + 1];  // index 1 to 7
  std::vector<uint8_t> flat_[kLastTable + 1];   // the same, back to back as read
  int mode_ = 1;
  std::string icao_ = "EGLL";
  uint32_t changeCount_ = 0;
  DescriptorLie lie_ = DescriptorLie::kNone;
};
