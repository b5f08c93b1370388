#include <cmath>

#include "link/request_block.h"
#include "weather/transition/transition_layers.h"

namespace transition {

namespace {

using M = Move;

constexpr TableShape kShapes[kCloudTable + 1] = {
    {0, 0, {}, {}},
    {kVisibilityLayerSize, 3, {M::LayerAltitude, M::LayerAltitude, M::Range}, {}},
    {kPressureRecordSize, 2, {M::Qnh, M::Drift}, {false, true}},
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

bool MovesInSteps(Move move, int32_t v) {
  switch (move) {
    case M::Qnh: return v >= 13600 && v <= 17600;
    case M::Drift: return v >= -1600 && v <= 1600;
    case M::Temperature: return v >= -100 && v <= 100;
    case M::Speed: return v >= 0 && v <= 400;
    case M::Level: return v >= 0 && v <= 4;
    case M::Cover: return v >= 0 && v <= 8;
    default: return true;
  }
}

namespace {

inline int32_t Step(Move move, int32_t now, int32_t to, const StepRates& r) {
  if (!MovesInSteps(move, now) || !MovesInSteps(move, to)) return to;
  switch (move) {
    case M::LayerAltitude: return Toward(now, to, r.layerMetres);
    case M::CloudAltitude: return Toward(now, to, r.cloudMetres);
    case M::Qnh:
    case M::Drift: return Toward(now, to, r.pressure);
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

}  // namespace

int32_t MoveField(Move move, int32_t now, int32_t to, const StepRates& r) {
  return now == to ? now : Step(move, now, to, r);
}

namespace {

// One table's shape known when compiled, so that each field's move is inlined.
template <int T>
bool StepLayerOf(Layer& l, const StepRates& r, uint8_t* record) {
  constexpr const TableShape& shape = kShapes[T];
  constexpr int moving = T == kCloudTable ? kCoverField + 1 : shape.fields;
  bool changed = false, arrived = true;
#pragma GCC unroll 10
  for (int f = 0; f < moving; ++f) {
    const int32_t was = l.now[f];
    if (was == l.to[f]) continue;
    const int32_t now = Step(shape.moves[f], was, l.to[f], r);
    if (now == was) {
      arrived = false;
      continue;
    }
    l.now[f] = now;
    changed = true;
    arrived &= now == l.to[f];
    if (record) PutU16(record + 4 + 2 * f, uint16_t(now));
  }
  if (T == kCloudTable) {
    const int32_t c = l.now[kCoverField];
    const int32_t done = c > l.fromCover ? c - l.fromCover : l.fromCover - c;
    const int32_t way = l.to[kCoverField] > l.fromCover ? l.to[kCoverField] - l.fromCover : l.fromCover - l.to[kCoverField];
    for (int f = kCoverField + 1; f < shape.fields; ++f) {
      if (l.now[f] == l.to[f]) continue;
      if (2 * done >= way) {
        l.now[f] = l.to[f];
        changed = true;
        if (record) PutU16(record + 4 + 2 * f, uint16_t(l.now[f]));
      } else {
        arrived = false;
      }
    }
  }
  l.arrived = arrived;
  return changed;
}

}  // namespace

bool StepLayer(int table, Layer& l, const StepRates& r, uint8_t* record) {
  switch (table) {
    case kVisibilityTable: return StepLayerOf<kVisibilityTable>(l, r, record);
    case kPressureTable: return StepLayerOf<kPressureTable>(l, r, record);
    case kTemperatureTable: return StepLayerOf<kTemperatureTable>(l, r, record);
    case kWindTable: return StepLayerOf<kWindTable>(l, r, record);
    default: return StepLayerOf<kCloudTable>(l, r, record);
  }
}

namespace {

template <int T>
TableStep StepTableOf(Layer* layers, int count, const StepRates& r, uint8_t* records, bool reshaped) {
  constexpr size_t size = kShapes[T].recordSize;
  TableStep s;
  s.reshaped = reshaped;
  int live = 0;
  for (int k = 0; k < count; ++k) {
    Layer& l = layers[k];
    if (l.fresh) {
      l.fresh = false;
      s.reshaped = true;
    } else if (l.leaving && l.arrived) {
      s.reshaped = true;  // gone with this step
      continue;
    } else if (!l.arrived) {
      // While the table keeps its records in place, what changed is written straight into it.
      uint8_t* record = !s.reshaped && live == k ? records + size_t(k) * size : nullptr;
      if (StepLayerOf<T>(l, r, record)) s.moved = true;
    }
    if (l.leaving || !l.arrived) s.allThere = false;
    if (live != k) layers[live] = l;
    ++live;
  }
  s.count = live;
  return s;
}

}  // namespace

TableStep StepTable(int table, Layer* layers, int count, const StepRates& r, uint8_t* records, bool reshaped) {
  switch (table) {
    case kVisibilityTable: return StepTableOf<kVisibilityTable>(layers, count, r, records, reshaped);
    case kPressureTable: return StepTableOf<kPressureTable>(layers, count, r, records, reshaped);
    case kTemperatureTable: return StepTableOf<kTemperatureTable>(layers, count, r, records, reshaped);
    case kWindTable: return StepTableOf<kWindTable>(layers, count, r, records, reshaped);
    default: return StepTableOf<kCloudTable>(layers, count, r, records, reshaped);
  }
}

}  // namespace transition
