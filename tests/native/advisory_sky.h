// A piece of sky for the advisory tests and benchmark: the own aircraft and the traffic move in
// straight lines on a local plane (east and north nm) around a reference point, laid onto the
// sphere by the azimuthal equidistant projection, and every refresh is served to the tracker
// through the module's byte layout and TrafficTable.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "traffic/advisory/advisory.h"
#include "traffic/traffic_table.h"

namespace sky {

constexpr double kPi = 3.14159265358979;
constexpr double kRadiusNm = 3437.75;

// Own altitudes come in whole metres.
inline double Metres(int m) { return m * 3.28084; }

struct Body {
  uint32_t id = 1;
  double t0 = 0;          // s: the time of e, n and alt
  double e = 0, n = 0;    // nm
  double ve = 0, vn = 0;  // kt
  double alt = 0;         // ft
  double vs = 0;          // fpm
  bool present = true;

  double E(double t) const { return e + ve * (t - t0) / 3600; }
  double N(double t) const { return n + vn * (t - t0) / 3600; }
  double Alt(double t) const { return alt + vs * (t - t0) / 60; }
  // Goes on from where it is at `t` with a new velocity.
  void Turn(double t, double newVe, double newVn) {
    e = E(t), n = N(t), alt = Alt(t), t0 = t;
    ve = newVe, vn = newVn;
  }
};

class Sky {
 public:
  Sky(double lat0, double lon0) : block(kTrafficBlockSize, 0) {
    const double phi = lat0 * kPi / 180, lambda = lon0 * kPi / 180;
    const double c[3] = {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda),
                         std::sin(phi)};
    const double e[3] = {-std::sin(lambda), std::cos(lambda), 0};
    const double n[3] = {-std::sin(phi) * std::cos(lambda), -std::sin(phi) * std::sin(lambda),
                         std::cos(phi)};
    std::memcpy(c_, c, sizeof c_);
    std::memcpy(e_, e, sizeof e_);
    std::memcpy(n_, n, sizeof n_);
  }

  void LatLon(double e, double n, double& lat, double& lon) const {
    const double d = std::sqrt(e * e + n * n);
    double p[3];
    for (int k = 0; k < 3; ++k) {
      p[k] = c_[k] * std::cos(d / kRadiusNm);
      if (d > 0) p[k] += (e * e_[k] + n * n_[k]) / d * std::sin(d / kRadiusNm);
    }
    lat = std::asin(std::fmax(-1.0, std::fmin(1.0, p[2]))) * 180 / kPi;
    lon = std::atan2(p[1], p[0]) * 180 / kPi;
  }

  // Lays out the block for time t: 40-byte records, or 39 bytes apart for 100 slots (each COM1
  // then overlaps the next id, written after it).
  void Serve(double t) {
    std::fill(block.begin(), block.end(), 0);
    WriteTrafficRequest(block.data());
    double lat, lon;
    LatLon(own.E(t), own.N(t), lat, lon);
    uint8_t* p = &block[kOwnPositionDataPos];
    const double m = std::fabs(lat) / (90.0 / 10001750.0);
    const double hi = std::floor(m);
    PutU32(p, uint32_t((m - hi) * 4294967295.0));
    PutU32(p + 4, uint32_t(lat < 0 ? -int32_t(hi) : int32_t(hi)));
    const double turns = (lon < 0 ? lon + 360 : lon) / 360 * 4294967296.0;
    const double lonHi = std::floor(turns);
    PutU32(p + 8, uint32_t((turns - lonHi) * 4294967295.0));
    PutU32(p + 12, uint32_t(std::fmod(lonHi, 4294967296.0)));
    PutU32(p + 20, uint32_t(int32_t(std::lround(own.Alt(t) / 3.28084))));

    uint8_t* table = &block[kTrafficTableDataPos];
    const uint16_t stride = targets.size() > 99 ? 39 : 40;
    PutU16(table, stride);
    PutU16(table + 2, uint16_t(targets.size()));
    for (size_t i = 0; i < targets.size(); ++i) {
      const Body& b = targets[i];
      uint8_t* r = table + kTrafficRecordsPos + i * stride;
      if (!b.present) {
        PutU32(r, 0);
        continue;
      }
      LatLon(b.E(t), b.N(t), lat, lon);
      PutU32(r, b.id);
      PutFloat(r + 4, float(lat));
      PutFloat(r + 8, float(lon));
      PutFloat(r + 12, float(b.Alt(t)));
      double heading = std::atan2(b.ve, b.vn) * 180 / kPi;
      if (heading < 0) heading += 360;
      PutU16(r + 16, uint16_t(std::lround(heading * 65536 / 360) & 0xFFFF));
      PutU16(r + 18, uint16_t(std::lround(std::sqrt(b.ve * b.ve + b.vn * b.vn))));
      PutU16(r + 20, uint16_t(int16_t(std::lround(b.vs))));
      std::memcpy(r + 22, "TEST", 5);
    }
    table_.TakeReplies(block.data());
  }

  void Refresh(AdvisoryTracker& tracker, double t) {
    Serve(t);
    tracker.Update(table_, table_.DecodeOwnPosition(), t);
  }

  // Overwrites a served record's float at record byte `at` (4 latitude, 8 longitude, 12 altitude).
  void Spoil(size_t slot, size_t at, float value) {
    uint8_t* table = &block[kTrafficTableDataPos];
    PutFloat(table + kTrafficRecordsPos + slot * GetU16(table) + at, value);
    table_.TakeReplies(block.data());
  }
  const TrafficTable& Table() const { return table_; }

  Body own;
  std::vector<Body> targets;
  std::vector<uint8_t> block;

 private:
  static void PutFloat(uint8_t* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    PutU32(p, bits);
  }

  double c_[3], e_[3], n_[3];
  TrafficTable table_;
};

}  // namespace sky
