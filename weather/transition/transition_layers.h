// The inside of the transition model: how each table's fields move, a layer on its way, and
// how the layers of two weathers are paired. Used by transition.cpp and the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "weather/transition/transition.h"

namespace transition {

constexpr int kMostFields = 10;  // a cloud layer: ten 16-bit fields after the prefix

enum class Move : uint8_t {
  LayerAltitude,  // metres, layerMetres a step
  CloudAltitude,  // metres, cloudMetres a step
  Range,          // hundredths of a mile, geometric
  Qnh,            // 1/16 mb, the pressure allowance of the step
  Drift,          // 1/16 mb, likewise
  Temperature,    // degrees, only on steps the temperature clock allows
  Speed,          // knots
  Direction,      // 65536ths of a circle, the short way round
  Level,          // turbulence and shear of a wind layer
  Cover,          // eighths, only on steps the cover clock allows
  Switch,         // cloud type, turbulence, icing, precipitation: at once, half-way through the cover
};

struct TableShape {
  size_t recordSize;
  int fields;  // 16-bit fields from offset 4
  Move moves[kMostFields];
  bool isSigned[kMostFields];
};

// Tables 1 to 5.
const TableShape& ShapeOf(int table);

constexpr int kCoverField = 3;  // of a cloud layer

// A layer on its way. Field i is the 16-bit field at offset 4 + 2i, held as its value (signed
// fields sign-extended).
struct Layer {
  int32_t now[kMostFields];
  int32_t to[kMostFields];
  int32_t fromCover;  // clouds: the cover when the layer set out, for the half-way switch
  bool leaving;       // removed once it has reached `to`
  bool fresh;         // appears with this step as it is; moves from the next one
  bool arrived;       // now equals to
};

// A stable insertion sort. Tables come (nearly) in altitude order, so it is about one pass, and
// it takes a fraction of the library's stable sort in the program.
template <typename T, typename Less>
void StableInsertionSort(T* first, int n, Less less) {
  for (int i = 1; i < n; ++i) {
    T value = first[i];
    int j = i;
    for (; j > 0 && less(value, first[j - 1]); --j) first[j] = first[j - 1];
    first[j] = value;
  }
}

// Reads record i of a block of the table's record size; writes one with its prefix.
void DecodeLayerFields(const TableShape& shape, const uint8_t* record, int32_t* fields);
void EncodeLayerFields(const TableShape& shape, const int32_t* fields, int following, uint8_t* record);

// The layers that carry one table from `from` to `to` (records of the table's size, any order):
// layers paired by the matching rule move from one to the other; a layer of `from` without a
// partner goes away, one of `to` appears. For the pressure table, an empty side is the standard
// pressure. Sorted by their ordering altitude. Null, with count 0, when the memory is not there.
std::unique_ptr<Layer[]> PlanLayers(int table, const uint8_t* from, int fromCount, const uint8_t* to,
                                    int toCount, int& count);

// The pairing of two lists of altitude bands sorted by their upper altitude: pair[i] is the
// index in b of a's partner, or -1. Overlapping bands are paired first, walking both lists
// upward; between two such pairs (and below the first, above the last) the layers left are
// paired in altitude order, as many as the shorter side has, choosing the pairs that lie
// nearest in altitude in sum. False when the memory is not there.
struct Band {
  int32_t lower;
  int32_t upper;
};
bool PairBands(const Band* a, int n, const Band* b, int m, int* pair);

// The values a field moves through step by step. A field with an end outside them (a file's or
// a module's nonsense: a cover of 200 eighths, a QNH of 0) takes its target at once, so that no
// transition runs for hours: QNH 850 to 1100 mb, drift up to 100 mb either way, temperatures
// -100 to +100 C, speeds to 400 kn, turbulence and shear 0 to 4, cover 0 to 8. Altitudes,
// ranges and directions always move.
bool MovesInSteps(Move move, int32_t value);

// The next value of one field, toward its target, with the rates and the step's clock.
struct StepRates {
  int32_t layerMetres, cloudMetres, pressure, temperature, speed, direction, level;
  uint32_t rangeRatio16;  // ratio in 1/65536, above 65536
  bool temperatureDue, coverDue;
};
StepRates RatesForStep(const TransitionRates& rates, uint32_t clock);
int32_t MoveField(Move move, int32_t now, int32_t to, const StepRates& r);

// Moves every field of a layer one step (a cloud's switching fields when its cover has passed
// half its way) and sets `arrived`. True when a value changed. With a record, the values that
// changed are written to it as well.
bool StepLayer(int table, Layer& layer, const StepRates& r, uint8_t* record = nullptr);

// One step of a table's layers: each moved (a layer that appears shows first as it is, one that
// has gone its way is dropped), compacted in place. With records (the table in force, the
// layers in its order, reshaped false), the values that change are written into it until the
// first layer appears or goes.
struct TableStep {
  int count = 0;          // layers left
  bool moved = false;     // a value changed
  bool reshaped = false;  // a layer appeared or went: the table must be written whole
  bool allThere = true;   // every layer has reached its target and none is still to go
};
TableStep StepTable(int table, Layer* layers, int count, const StepRates& r, uint8_t* records, bool reshaped);

// The QNH and drift allowance of the step at this clock: the rate per ten steps spread so that
// any ten steps running add up to it exactly.
int32_t PressureAllowance(int perTenSteps, uint32_t clock);

}  // namespace transition
