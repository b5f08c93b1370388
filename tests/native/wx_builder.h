// .WX entries for tests and benchmarks, with recognisable records.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "link/request_block.h"
#include "weather/files/wx_file.h"

inline void PutWxF32(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(p, bits);
}

inline float GetWxF32(const uint8_t* p) {
  uint32_t bits = GetU32(p);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

struct WxEntryShape {
  int32_t station = -1;
  uint32_t winds = 1;
  uint32_t visibility = 0;
  uint32_t clouds = 0;
  uint32_t temperatures = 0;
};

inline std::vector<uint8_t> WxEntryBytes(const WxEntryShape& shape) {
  WxEntryHeader h;
  h.windsMinusOne = shape.winds - 1;
  h.visibilityCount = shape.visibility;
  h.cloudCount = shape.clouds;
  h.temperatureCount = shape.temperatures;
  h.stationIndex = shape.station;
  std::vector<uint8_t> bytes(size_t(WxEntryLength(h)), 0);
  EncodeWxHeader(bytes.data(), h);
  uint8_t* p = bytes.data() + kWxHeaderSize;
  for (uint32_t i = 0; i < shape.winds; ++i, p += kWxWindSize) {
    PutWxF32(p, 1000.0f * (i + 1));
    PutWxF32(p + 4, 10.0f + i);
    PutWxF32(p + 12, 90.0f);
    PutU32(p + 20, 1);
  }
  for (uint32_t i = 0; i < shape.visibility; ++i, p += kWxVisibilitySize) {
    PutWxF32(p, 16093.0f);
    PutWxF32(p + 4, 0.4572f);
    PutWxF32(p + 8, 3000.0f + i);
  }
  for (uint32_t i = 0; i < shape.clouds; ++i, p += kWxCloudSize) {
    PutU32(p, 1);
    PutWxF32(p + 4, 1000.0f + 100 * i);
    PutWxF32(p + 8, 2000.0f + 100 * i);
    PutU32(p + 16, 4);
  }
  for (uint32_t i = 0; i < shape.temperatures; ++i, p += kWxTemperatureSize) {
    PutWxF32(p, 500.0f * i);
    PutWxF32(p + 4, 15.0f - i);
  }
  PutWxF32(p + 4, 1013.2f);
  return bytes;
}

inline std::vector<uint8_t> WxFile(std::initializer_list<WxEntryShape> entries) {
  std::vector<uint8_t> file;
  for (const WxEntryShape& e : entries) {
    std::vector<uint8_t> bytes = WxEntryBytes(e);
    file.insert(file.end(), bytes.begin(), bytes.end());
  }
  return file;
}
