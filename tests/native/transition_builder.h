// Tables for the transition tests, built record by record.
#pragma once

#include <cstdint>
#include <vector>

#include "link/request_block.h"
#include "weather/records.h"
#include "weather/transition/transition.h"

namespace transition_test {

inline uint16_t Degrees(int d) { return uint16_t(d * 65536 / 360); }

struct Weather {
  std::vector<VisibilityLayer> visibility;
  std::vector<PressureRecord> pressure;
  std::vector<TemperatureLayer> temperature;
  std::vector<WindLayer> wind;
  std::vector<CloudLayer> cloud;
};

template <typename R, typename E>
TableBlock Block(const std::vector<R>& records, size_t size, E encode) {
  TableBlock b = TableBlock::Allocate(size * records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    R r = records[i];
    r.prefix = {uint16_t(size), uint16_t(records.size() - 1 - i)};
    encode(b.Bytes() + i * size, r);
  }
  return b;
}

inline TransitionTables Tables(const Weather& w) {
  TransitionTables t;
  t.table[kVisibilityTable] = Block(w.visibility, kVisibilityLayerSize, EncodeVisibility);
  t.table[kPressureTable] = Block(w.pressure, kPressureRecordSize, EncodePressure);
  t.table[kTemperatureTable] = Block(w.temperature, kTemperatureLayerSize, EncodeTemperature);
  t.table[kWindTable] = Block(w.wind, kWindLayerSize, EncodeWind);
  t.table[kCloudTable] = Block(w.cloud, kCloudLayerSize, EncodeCloud);
  return t;
}

inline PressureRecord Qnh(int sixteenths) { return {{}, uint16_t(sixteenths), 0}; }
inline WindLayer Wind(int upper, int speed, int degrees) {
  return {{}, uint16_t(upper), uint16_t(speed), 0, Degrees(degrees), 0, 0};
}
inline CloudLayer Cloud(int lower, int upper, int cover, int type = 8) {
  CloudLayer c;
  c.lowerAltitude = uint16_t(lower);
  c.upperAltitude = uint16_t(upper);
  c.cover = uint16_t(cover);
  c.cloudType = uint16_t(type);
  return c;
}

inline int Count(const TableBlock& b, size_t size) { return int(b.Size() / size); }
inline const uint8_t* Record(const TableBlock& b, size_t size, int i) { return b.Bytes() + size * size_t(i); }

}  // namespace transition_test
