#include <cmath>

#include "link/request_block.h"
#include "weather/transition/transition_layers.h"

namespace transition {

namespace {

using M = Move;

const TableShape kShapes[kCloudTable + 1] = {
    {0, 0, {}, {}},
    {kVisibilityLayerSize, 3, {M::LayerAltitude, M::LayerAltitude, M::Range}, {}},
    {kPressureRecordSize, 2, {M::Pressure, M::Pressure}, {false, true}},
    {kTemperatureLayerSize, 4, {M::LayerAltitude, M::Temperature, M::Temperature, M::Temperature},
     {false, true, true, true}},
    {kWindLayerSize, 6, {M::LayerAltitude, M::Speed, M::Speed, M::Direction, M::Level, M::Level}, {}},
    // Deviation moves like an altitude; precipitation base switches with the precipitation.
    {kCloudLayerSize, 10,
     {M::CloudAltitude, M::CloudAltitude, M::CloudAltitude, M::Cover, M::Switch, M::Switch, M::Switch,
      M::Switch, M::Switch, M::Switch},
     {}},
};

int32_t Toward(int32_t now, int32_t to, int32_t most) {
  if (to > now) return to - now <= most ? to : now + most;
  return now - to <= most ? to : now - most;
}

}  // namespace

const TableShape& ShapeOf(int table) { return kShapes[table]; }

void DecodeLayerFields(const TableShape& shape, const uint8_t* record, int32_t* fields) {
  for (int i = 0; i < shape.fields; ++i) {
    uint16_t v = GetU16(record + 4 + 2 * i);
    fields[i] = shape.isSigned[i] ? int32_t(int16_t(v)) : int32_t(v);
  }
}

void EncodeLayerFields(const TableShape& shape, const int32_t* fields, int following, uint8_t* record) {
  PutU16(record, uint16_t(shape.recordSize));
  PutU16(record + 2, uint16_t(following));
  for (int i = 0; i < shape.fields; ++i) PutU16(record + 4 + 2 * i, uint16_t(fields[i]));
}

int32_t PressureAllowance(int perTenSteps, uint32_t clock) {
  uint64_t rate = uint64_t(perTenSteps < 1 ? 1 : perTenSteps);
  return int32_t(rate * (uint64_t(clock) + 1) / 10 - rate * uint64_t(clock) / 10);
}

StepRates RatesForStep(const TransitionRates& rates, uint32_t clock) {
  auto least1 = [](int v) { return v < 1 ? 1 : v; };
  StepRates r;
  r.layerMetres = least1(rates.layerMetres);
  r.cloudMetres = least1(rates.cloudMetres);
  r.pressure = PressureAllowance(rates.pressurePerTenSteps16, clock);
  r.temperature = least1(rates.temperatureDegrees);
  r.speed = least1(rates.windSpeedKnots);
  // 2 degrees is 364 of 65536; above half a circle every turn ends in one step anyway.
  int degrees = rates.windDirectionDegrees < 1 ? 1 : rates.windDirectionDegrees > 180 ? 180 : rates.windDirectionDegrees;
  r.direction = int32_t(degrees * 65536 / 360);
  r.level = least1(rates.windLevels);
  double ratio = rates.visibilityRatio;
  if (!(ratio >= 1.001)) ratio = 1.001;  // NaN too
  if (ratio > 1000.0) ratio = 1000.0;
  r.rangeRatio16 = uint32_t(std::lround(ratio * 65536.0));
  r.temperatureDue = clock % uint32_t(least1(rates.temperatureEverySeconds)) == 0;
  r.coverDue = clock % uint32_t(least1(rates.cloudCoverEverySeconds)) == 0;
  return r;
}

int32_t MoveField(Move move, int32_t now, int32_t to, const StepRates& r) {
  if (now == to) return now;
  switch (move) {
    case M::LayerAltitude: return Toward(now, to, r.layerMetres);
    case M::CloudAltitude: return Toward(now, to, r.cloudMetres);
    case M::Pressure: return Toward(now, to, r.pressure);
    case M::Temperature: return r.temperatureDue ? Toward(now, to, r.temperature) : now;
    case M::Speed: return Toward(now, to, r.speed);
    case M::Level: return Toward(now, to, r.level);
    case M::Cover: return r.coverDue ? Toward(now, to, 1) : now;
    case M::Switch: return now;  // the layer decides when
    case M::Direction: {
      // Clockwise when the target lies up to half a circle clockwise, so 180 degrees veers.
      int32_t clockwise = (to - now) & 0xFFFF;
      if (clockwise <= 0x8000) return clockwise <= r.direction ? to : (now + r.direction) & 0xFFFF;
      int32_t back = 0x10000 - clockwise;
      return back <= r.direction ? to : (now - r.direction) & 0xFFFF;
    }
    case M::Range: {
      // At least one hundredth a step, so a range of 0 or 1 gets going.
      uint64_t n = uint64_t(now);
      if (to > now) {
        uint64_t next = n * r.rangeRatio16 >> 16;
        if (next < n + 1) next = n + 1;
        return next >= uint64_t(to) ? to : int32_t(next);
      }
      uint64_t next = (n * 65536 + r.rangeRatio16 - 1) / r.rangeRatio16;
      if (next > n - 1) next = n - 1;
      return next <= uint64_t(to) ? to : int32_t(next);
    }
  }
  return to;
}

}  // namespace transition
