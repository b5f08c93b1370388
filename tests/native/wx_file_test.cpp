#include "weather/files/wx_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "weather/files/file_commands.h"
#include "weather/records.h"
#include "weather_files_fakes.h"
#include "wx_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(WxNearest, HalfUpTowardZeroKeptTo16Bits) {
  const struct {
    double v;
    uint16_t nearest;
    uint16_t clamped;
  } cases[] = {
      {2.5, 3, 3},          {-5.0, 0xFFFC, 0},     {-5.6, 0xFFFB, 0},
      {0.4572, 0, 0},       {-0.3, 0, 0},          {65535.4, 65535, 65535},
      {65536.0, 0, 0},      {70000.0, 4464, 4464}, {-100.0, 0xFF9D, 0},
      {std::nan(""), 0, 0}, {1e30, 0, 0},          {std::numeric_limits<double>::infinity(), 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WxNearest(c.v), c.nearest) << c.v;
    EXPECT_EQ(WxNearestClamped(c.v), c.clamped) << c.v;
  }
}

TEST(WxRecords, DewPointsRoundHalfUpTowardZero) {
  const struct {
    float dew;
    int16_t read;
  } cases[] = {{-5.0f, -4}, {-5.6f, -5}, {2.5f, 3}, {0.0f, 0}};
  for (const auto& c : cases) {
    uint8_t wx[16] = {}, layer[12];
    PutWxF32(wx + 12, c.dew);
    WxTemperatureToLayer(wx, layer);
    TemperatureLayer t = DecodeTemperature(layer);
    EXPECT_EQ(t.dewPoint, c.read) << c.dew;
    EXPECT_EQ(t.prefix.size, 12);
  }
}

TEST(WxRecords, NegativeCloudAltitudes) {
  uint8_t wx[44] = {}, layer[24];
  PutWxF32(wx + 4, -100.0f);  // lower: clamped
  PutWxF32(wx + 8, -100.0f);  // upper: not clamped
  WxCloudToLayer(wx, layer);
  CloudLayer c = DecodeCloud(layer);
  EXPECT_EQ(c.lowerAltitude, 0);
  EXPECT_EQ(c.upperAltitude, 65437);
}

TEST(WxRecords, GroundVisibilityAndLowTemperatureLayer) {
  VisibilityLayer v;
  v.prefix = {10, 0};
  v.lowerAltitude = 0;
  v.upperAltitude = 65500;  // above 65000: written as -36
  uint8_t layer[12], wx[16];
  EncodeVisibility(layer, v);
  LayerToWxVisibility(layer, wx);
  EXPECT_FLOAT_EQ(GetWxF32(wx + 4), 0.4572f);
  EXPECT_FLOAT_EQ(GetWxF32(wx + 8), 65500.0f);  // the upper altitude is written as it is
  WxVisibilityToLayer(wx, layer);
  EXPECT_EQ(DecodeVisibility(layer).lowerAltitude, 0);

  TemperatureLayer t;
  t.prefix = {12, 0};
  t.altitude = 65436;
  EncodeTemperature(layer, t);
  LayerToWxTemperature(layer, wx);
  EXPECT_FLOAT_EQ(GetWxF32(wx), -100.0f);
  WxTemperatureToLayer(wx, layer);
  EXPECT_EQ(DecodeTemperature(layer).altitude, 0);
}

TEST(WxRecords, FullCircleReadsAsNorth) {
  uint8_t wx[28] = {}, layer[16];
  PutWxF32(wx + 12, 360.0f);
  WxWindToLayer(wx, layer);
  EXPECT_EQ(DecodeWind(layer).direction, 0);
  PutWxF32(wx + 12, 90.0f);
  WxWindToLayer(wx, layer);
  EXPECT_EQ(DecodeWind(layer).direction, 16384);
}

TEST(WxWrite, EmptySnapshotGivesThe68ByteEntry) {
  WeatherSnapshot snapshot;
  Bytes entry = EncodeWxEntry(snapshot);
  ASSERT_EQ(entry.size(), 68u);
  const uint32_t header[] = {0, 0, 0, 0, 0, 0xFFFFFFFF, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(GetU32(&entry[size_t(i) * 4]), header[i]) << i;
  EXPECT_FLOAT_EQ(GetWxF32(&entry[28]), 609.6f);
  for (size_t i = 32; i < 56; ++i) EXPECT_EQ(entry[i], 0) << i;
  EXPECT_EQ(GetU32(&entry[56]), 0u);
  EXPECT_FLOAT_EQ(GetWxF32(&entry[60]), 1013.2f);
  EXPECT_FLOAT_EQ(GetWxF32(&entry[64]), 0.0f);
}

void PutTable(WeatherSnapshot& s, int table, const Bytes& block) {
  s.Table(table).data = TableBlock::Copy(block.data(), block.size());
  s.Table(table).descriptor = GetU32(block.data());
  s.Table(table).byteLength = int32_t(block.size());
}

template <typename Record, typename Encode>
Bytes Block(std::vector<Record> records, size_t size, Encode encode) {
  Bytes block(records.size() * size);
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].prefix = {uint16_t(size), uint16_t(records.size() - 1 - i)};
    encode(&block[i * size], records[i]);
  }
  return block;
}

WeatherSnapshot SampleSnapshot() {
  WeatherSnapshot s;
  WindLayer w1, w2;
  w1.upperAltitude = 900, w1.speed = 12, w1.gust = 20, w1.direction = 0x4000, w1.turbulence = 2;
  w2.upperAltitude = 5000, w2.speed = 40, w2.direction = 0xC000, w2.shear = 3;
  PutTable(s, kWindTable, Block<WindLayer>({w1, w2}, 16, EncodeWind));
  VisibilityLayer v;
  v.upperAltitude = 1500, v.lowerAltitude = 300, v.range = 1000;
  PutTable(s, kVisibilityTable, Block<VisibilityLayer>({v}, 10, EncodeVisibility));
  CloudLayer c1, c2, c3;
  c1.upperAltitude = 2000, c1.lowerAltitude = 1000, c1.deviation = 50, c1.cover = 6;
  c1.cloudType = 3, c1.turbulence = 1, c1.icing = 2, c1.precipitationBase = 800;
  c1.precipitationType = 1, c1.precipitationRate = 4;
  c2.upperAltitude = 6000, c2.lowerAltitude = 5000, c2.cover = 2;
  c3.upperAltitude = 9000, c3.lowerAltitude = 8000, c3.cover = 8, c3.cloudType = 10;
  PutTable(s, kCloudTable, Block<CloudLayer>({c1, c2, c3}, 24, EncodeCloud));
  TemperatureLayer t1, t2;
  t1.altitude = 0, t1.dayTemperature = 15, t1.dayNightVariation = 6, t1.dewPoint = 3;
  t2.altitude = 3000, t2.dayTemperature = 2, t2.dewPoint = 1;
  PutTable(s, kTemperatureTable, Block<TemperatureLayer>({t1, t2}, 12, EncodeTemperature));
  PressureRecord p;
  p.qnh = 16211, p.drift = 8;
  PutTable(s, kPressureTable, Block<PressureRecord>({p}, 8, EncodePressure));
  return s;
}

TEST(WxWrite, SnapshotReadsBackRecordForRecord) {
  WeatherSnapshot s = SampleSnapshot();
  Bytes entry = EncodeWxEntry(s);
  EXPECT_EQ(entry.size(), 68u + 28 + 12 + 3 * 44 + 2 * 16);
  MemorySource source(entry.data(), entry.size());
  WxEntryTables read;
  ASSERT_TRUE(ReadWxEntry(source, 0, read));
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(read.end, entry.size());
  EXPECT_EQ(read.header.stationIndex, -1);
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    const TableBlock& original = s.Table(t).data;
    ASSERT_EQ(read.blocks[t].Size(), original.Size()) << t;
    EXPECT_EQ(0, std::memcmp(read.blocks[t].Bytes(), original.Bytes(), original.Size())) << t;
  }
}

TEST(WxWrite, WholeNegativeValuesReadBackOneHigher) {
  // v + 0.5 truncated toward zero: -3.0 reads as -2, the file format's own rounding.
  WeatherSnapshot s = SampleSnapshot();
  TemperatureLayer t;
  t.prefix = {12, 0};
  t.dayTemperature = -20;
  t.dewPoint = -3;
  PutTable(s, kTemperatureTable, Block<TemperatureLayer>({t}, 12, EncodeTemperature));
  Bytes entry = EncodeWxEntry(s);
  MemorySource source(entry.data(), entry.size());
  WxEntryTables read;
  ASSERT_TRUE(ReadWxEntry(source, 0, read));
  TemperatureLayer back = DecodeTemperature(read.blocks[kTemperatureTable].Bytes());
  EXPECT_EQ(back.dayTemperature, -19);
  EXPECT_EQ(back.dewPoint, -2);
}

TEST(WxWrite, BlocksThatLieAboutTheirRecordsAreBounded) {
  WeatherSnapshot s = SampleSnapshot();
  s.Table(kCloudTable).descriptor = 0x00FF0018;  // 256 records claimed, 3 held
  s.Table(kWindTable).descriptor = 0x0001000C;   // records smaller than a wind layer
  Bytes entry = EncodeWxEntry(s);
  WxEntryHeader h = DecodeWxHeader(entry.data());
  EXPECT_EQ(h.cloudCount, 3u);
  EXPECT_EQ(h.windsMinusOne, 0u);  // none: the standard wind record
  EXPECT_EQ(entry.size(), WxEntryLength(h));
  EXPECT_FLOAT_EQ(GetWxF32(&entry[28]), 609.6f);
}

TEST(WxRead, EntryCutShortKeepsTheGroupsBefore) {
  Bytes entry = WxEntryBytes({419, 2, 1, 3, 2});
  const size_t cloudsStart = 28 + 2 * 28 + 12;
  entry.resize(cloudsStart + 44 * 2 + 5);
  MemorySource source(entry.data(), entry.size());
  WxEntryTables read;
  ASSERT_TRUE(ReadWxEntry(source, 0, read));
  EXPECT_FALSE(read.complete);
  EXPECT_EQ(read.end, entry.size());
  EXPECT_EQ(read.blocks[kWindTable].Size(), 32u);
  EXPECT_EQ(read.blocks[kVisibilityTable].Size(), 10u);
  EXPECT_TRUE(read.blocks[kCloudTable].Empty());
  EXPECT_TRUE(read.blocks[kTemperatureTable].Empty());
  EXPECT_TRUE(read.blocks[kPressureTable].Empty());
  // Winds number their records count - 1 - index.
  EXPECT_EQ(GetU32(read.blocks[kWindTable].Bytes()), 0x00010010u);
}

TEST(WxRead, CountsFarPastTheEndAllocateNothing) {
  Bytes entry = WxEntryBytes({-1, 1, 0, 0, 0});
  PutU32(&entry[8], 0xFFFFFFFF);  // clouds
  PutU32(&entry[0], 0xFFFFFFFF);  // winds minus one: 2^32 records
  WxEntryHeader h = DecodeWxHeader(entry.data());
  EXPECT_EQ(WxEntryLength(h), 68 + 28 * 0xFFFFFFFFull + 44 * 0xFFFFFFFFull);
  MemorySource source(entry.data(), entry.size());
  WxEntryTables read;
  ASSERT_TRUE(ReadWxEntry(source, 0, read));
  EXPECT_FALSE(read.complete);
  for (const TableBlock& b : read.blocks) EXPECT_TRUE(b.Empty());
  EXPECT_FALSE(ReadWxEntry(source, entry.size() - 27, read));
}

TEST(SaveWxFile, KeepsTheStationEntriesByteForByte) {
  FileBench bench;
  bench.weather.snapshot = SampleSnapshot();
  Bytes old = WxFile({{-1, 3, 2, 1, 1}, {17, 1, 0, 2, 0}, {419, 2, 1, 0, 3}, {900, 1, 0, 0, 0}});
  const size_t firstLength = WxEntryBytes({-1, 3, 2, 1, 1}).size();
  bench.files.files["C:\\wx\\a.wx"] = old;
  SaveWxFile(bench.context, "C:\\wx\\a.wx");
  EXPECT_TRUE(bench.view.errors.empty());
  Bytes saved = bench.files.files["C:\\wx\\a.wx"];
  Bytes first = EncodeWxEntry(bench.weather.snapshot);
  ASSERT_EQ(saved.size(), first.size() + old.size() - firstLength);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), saved.begin()));
  EXPECT_TRUE(
      std::equal(old.begin() + long(firstLength), old.end(), saved.begin() + long(first.size())));
  EXPECT_EQ(bench.files.files.size(), 1u);
}

TEST(SaveWxFile, OddExistingFilesKeepNothing) {
  const Bytes olds[] = {
      {},                              // empty
      Bytes(27, 1),                    // a header cut short
      WxEntryBytes({-1, 1, 0, 0, 0}),  // one entry only
      [] {
        Bytes b = WxEntryBytes({-1, 1, 0, 0, 0});
        PutU32(&b[4], 1000);
        return b;
      }(),
  };
  for (const Bytes& old : olds) {
    FileBench bench;
    bench.files.files["b.wx"] = old;
    SaveWxFile(bench.context, "b.wx");
    EXPECT_EQ(bench.files.files["b.wx"].size(), 68u);
  }
}

TEST(SaveWxFile, FailedWriteKeepsTheOldFile) {
  FileBench bench;
  Bytes old = WxFile({{-1, 1, 0, 0, 0}, {5, 1, 0, 0, 0}});
  bench.files.files["c.wx"] = old;
  bench.files.failWriteAfter = 40;
  SaveWxFile(bench.context, "c.wx");
  EXPECT_EQ(bench.files.files["c.wx"], old);
  ASSERT_EQ(bench.view.errors.size(), 1u);
  EXPECT_EQ(bench.view.errors[0], "0 creating WX file!");
}

}  // namespace
