// The body of the advisory tracker's fuzz target, shared with the native test that replays the
// seeds and every input that once crashed: random sequences of traffic tables, served through
// the module's byte layout, with a clock that may stand still, go back or leap forward.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_input.h"
#include "link/request_block.h"
#include "traffic/advisory/advisory.h"
#include "traffic/traffic_table.h"

namespace core_fuzz {

struct FuzzAircraft {
  uint32_t id = 0;
  double lat = 0, lon = 0, alt = 0;  // degrees, degrees, feet
  double ve = 0, vn = 0, vs = 0;     // kt, kt, fpm
  bool raw = false;                  // keeps whatever bytes were put into its record
};

inline void PutFuzzFloat(uint8_t* p, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU32(p, bits);
}

inline double Signed(uint8_t b) { return double(int8_t(b)); }

// A double as the module's float; beyond the float range it stays infinite or NaN.
inline float ToFloat(double v) {
  if (std::isnan(v)) return std::nanf("");
  if (v > 3e38) return HUGE_VALF;
  if (v < -3e38) return -HUGE_VALF;
  return float(v);
}

inline void MoveFuzzAircraft(FuzzAircraft& a, double dt) {
  a.lat += a.vn * dt / 216000;
  const double c = std::cos(a.lat * 3.14159265358979 / 180);
  if (std::fabs(c) > 1e-3) a.lon += a.ve * dt / 216000 / c;
  if (a.lat > 90 || a.lat < -90) a.lat = std::fmod(a.lat, 90.0);
  if (a.lon > 180 || a.lon < -180) a.lon = std::fmod(a.lon, 180.0);
  a.alt += a.vs * dt / 60;
}

// Byte 0: slot count (0 to 100), byte 1: record stride (40 below 128, else the byte - 128). Then
// steps, each: a clock byte (0-199 on by n/50 s, 200-229 back by n-199 s, 230-249 on by
// (n-229) x 600 s, 250-254 standing, 255 not a number), an own-aircraft byte (fly on, jump,
// new velocity, 24 raw bytes), and up to 7 slot changes (id, place near the own aircraft,
// velocity, one raw float, empty, a far jump, 40 raw bytes, everyone to one point).
inline void CheckAdvisories(const uint8_t* data, size_t size) {
  int step = 0;
  ByteStream in(data, size);
  const int count = in.Byte() % (kMaxSlots + 1);
  const uint8_t strideByte = in.Byte();
  const size_t stride = strideByte < 128 ? 40 : strideByte - 128;
  std::unique_ptr<uint8_t[]> block(new uint8_t[kTrafficRequestSize]);
  std::unique_ptr<FuzzAircraft[]> traffic(new FuzzAircraft[kMaxSlots]);
  std::unique_ptr<AdvisoryTracker> tracker(new AdvisoryTracker);
  TrafficTable table;
  FuzzAircraft own;
  own.lat = 51.5, own.lon = -0.45, own.alt = 7000, own.vn = 200;
  uint8_t ownRaw[kOwnPositionAreaSize];
  bool ownIsRaw = false;

  // What the checks know of the tracker's input: samples of each slot's id since it last changed.
  int seen[kMaxSlots] = {};
  uint32_t lastId[kMaxSlots] = {};
  int ownSeen = 0;
  double now = 0, last = 0;
  bool started = false;

  for (step = 0; step < 300 && (step == 0 || !in.Empty()); ++step) {
    const uint8_t clock = in.Byte();
    double dt = 0;
    bool nanClock = false;
    if (clock < 200)
      dt = clock / 50.0;
    else if (clock < 230)
      dt = -(clock - 199.0);
    else if (clock < 250)
      dt = (clock - 229.0) * 600;
    else if (clock == 255)
      nanClock = true;
    now += dt;

    const uint8_t ownOp = in.Byte();
    ownIsRaw = false;
    switch (ownOp % 4) {
      case 0: MoveFuzzAircraft(own, dt > 0 ? dt : 0); break;
      case 1: own.lat += Signed(in.Byte()) / 120, own.lon += Signed(in.Byte()) / 120; break;
      case 2:
        own.ve = Signed(in.Byte()) * 4, own.vn = Signed(in.Byte()) * 4,
        own.vs = Signed(in.Byte()) * 100;
        break;
      default: in.Fill(ownRaw, sizeof ownRaw), ownIsRaw = true; break;
    }
    if (!(own.lat >= -90 && own.lat <= 90)) own.lat = 0;
    if (!(own.alt > -1e5 && own.alt < 1e5)) own.alt = 0;
    for (int i = 0; i < kMaxSlots; ++i) {
      if (!traffic[i].raw) MoveFuzzAircraft(traffic[i], dt > 0 ? dt : 0);
    }

    std::memset(block.get(), 0, kTrafficRequestSize);
    WriteTrafficRequest(block.get());
    uint8_t* t = block.get() + kTrafficTableDataPos;
    const int changes = in.Byte() % 8;
    for (int c = 0; c < changes && count > 0; ++c) {
      FuzzAircraft& a = traffic[in.Byte() % count];
      const uint8_t kind = in.Byte() % 8;
      if (kind != 3 && kind != 6) a.raw = false;
      switch (kind) {
        case 0: a.id = 1 + in.Byte() % 4; break;
        case 1:
          a.lat = own.lat + Signed(in.Byte()) / 1200, a.lon = own.lon + Signed(in.Byte()) / 1200;
          a.alt = own.alt + Signed(in.Byte()) * 50;
          if (!a.id) a.id = 1;
          break;
        case 2:
          a.ve = Signed(in.Byte()) * 4, a.vn = Signed(in.Byte()) * 4,
          a.vs = Signed(in.Byte()) * 100;
          break;
        case 3: {
          const int which = in.Byte() % 3;
          uint32_t bits = in.U32();
          float value;
          std::memcpy(&value, &bits, sizeof value);
          (which == 0 ? a.lat : which == 1 ? a.lon : a.alt) = value;
          break;
        }
        case 4: a.id = 0; break;
        case 5: a.lat += Signed(in.Byte()) / 30, a.lon += Signed(in.Byte()) / 30; break;
        case 6: a.raw = true; break;
        default:
          for (int i = 0; i < count; ++i) {
            traffic[i].lat = a.lat, traffic[i].lon = a.lon, traffic[i].alt = a.alt;
            traffic[i].raw = false;
          }
          break;
      }
      if (a.raw) {
        const size_t at = kTrafficRecordsPos + size_t(&a - traffic.get()) * stride;
        if (at + 40 <= kTrafficTableAreaSize) in.Fill(t + at, 40);
      }
    }

    // Lay out the refresh.
    PutU16(t, uint16_t(stride));
    PutU16(t + 2, uint16_t(count));
    for (int i = 0; i < count; ++i) {
      const size_t at = kTrafficRecordsPos + size_t(i) * stride;
      if (traffic[i].raw || at + 40 > kTrafficTableAreaSize) continue;
      uint8_t* r = t + at;
      PutU32(r, traffic[i].id);
      PutFuzzFloat(r + 4, ToFloat(traffic[i].lat));
      PutFuzzFloat(r + 8, ToFloat(traffic[i].lon));
      PutFuzzFloat(r + 12, ToFloat(traffic[i].alt));
    }
    uint8_t* p = block.get() + kOwnPositionDataPos;
    if (ownIsRaw) {
      std::memcpy(p, ownRaw, sizeof ownRaw);
    } else {
      const double m = std::fabs(own.lat) / (90.0 / 10001750.0);
      PutU32(p + 4, uint32_t(own.lat < 0 ? -int32_t(m) : int32_t(m)));
      double lon = std::fmod(own.lon, 360.0);
      if (!(lon >= 0)) lon = lon < 0 ? lon + 360 : 0;
      PutU32(p + 12, uint32_t(std::fmin(lon / 360 * 4294967296.0, 4294967295.0)));
      PutU32(p + 20, uint32_t(int32_t(own.alt / 3.28084)));
    }
    table.TakeReplies(block.get());
    tracker->Update(table, table.DecodeOwnPosition(), nanClock ? std::nan("") : now);

    // The checks' own account of how many samples in a row each track can have.
    bool fresh = false;
    if (!nanClock && (!started || now != last)) {
      fresh = !started || now < last || now - last > 20;
      if (fresh) {
        ownSeen = 0;
        for (int& s : seen) s = 0;
      }
      started = true;
      last = now;
      ++ownSeen;
      for (int i = 0; i < kMaxSlots; ++i) {
        TrafficRecordFields fields;
        const bool occupied = table.SlotRecord(i, fields);
        // A slot empty for a while keeps its track: the same aircraft may come back.
        if (!occupied) continue;
        seen[i] = fields.id == lastId[i] && seen[i] > 0 ? seen[i] + 1 : 1;
        lastId[i] = fields.id;
      }
    }

    int advisories = 0;
    for (int i = -1; i <= kMaxSlots; ++i) {
      const TargetAdvisory& a = tracker->Target(i);
      if (!table.SlotOccupied(i)) FUZZ_REQUIRE(!a.tracked);
      if (!a.tracked) {
        FUZZ_REQUIRE(a.level == kThreatNone && !a.began);
        continue;
      }
      FUZZ_REQUIRE(a.level >= kThreatOther && a.level <= kThreatResolution);
      FUZZ_REQUIRE(std::isfinite(a.range) && a.range >= 0 && std::isfinite(a.rangeRate));
      FUZZ_REQUIRE(std::isfinite(a.relativeAltitude) && std::isfinite(a.verticalRate));
      FUZZ_REQUIRE(std::isfinite(a.closestRange) && a.closestRange >= 0);
      FUZZ_REQUIRE(a.closestTime == -1 || (std::isfinite(a.closestTime) && a.closestTime >= 0));
      FUZZ_REQUIRE(a.bearing >= 0 && a.bearing < 360);
      if (a.began) FUZZ_REQUIRE(a.level >= kThreatTraffic);
      if (a.level >= kThreatTraffic) {
        ++advisories;
        // Never from fewer than three samples of the target and of the own aircraft.
        FUZZ_REQUIRE(seen[i] >= 3 && ownSeen >= 3);
      }
    }
    FUZZ_REQUIRE(advisories == tracker->AdvisoryCount());
    if (fresh) FUZZ_REQUIRE(advisories == 0);
    const int strongest = tracker->StrongestSlot();
    FUZZ_REQUIRE((strongest >= 0) == (advisories > 0));
    for (int i = 0; i < count; ++i) {
      if (strongest >= 0) FUZZ_REQUIRE(CompareThreat(*tracker, strongest, i) <= 0);
      const int j = (i * 37 + step) % count;
      const int ij = CompareThreat(*tracker, i, j), ji = CompareThreat(*tracker, j, i);
      FUZZ_REQUIRE((ij < 0) == (ji > 0) && (ij == 0) == (i == j));
    }
  }
}

}  // namespace core_fuzz
