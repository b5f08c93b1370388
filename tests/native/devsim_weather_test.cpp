#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "devsim/module.h"
#include "devsim_test_batch.h"
#include "weather/records.h"

namespace {

uint32_t ReadDescriptor(DevsimModule& m, int table) {
  uint8_t word[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  DevsimTestBatch b;
  b.Read(WeatherSelector(table, kReadTable), 4, word);
  EXPECT_EQ(b.Run(m), 1u);
  return GetU32(word);
}

std::vector<uint8_t> ReadTable(DevsimModule& m, int table) {
  std::vector<uint8_t> bytes(DescriptorByteLength(ReadDescriptor(m, table)));
  if (!bytes.empty()) {
    DevsimTestBatch b;
    b.Read(WeatherSelector(table, kReadTable), uint32_t(bytes.size()), bytes.data());
    b.Run(m);
  }
  return bytes;
}

std::vector<uint8_t> ReadAt(DevsimModule& m, int table, uint16_t altitude) {
  std::vector<uint8_t> reply(kAtAltitudeReplySize, 0xAA);
  DevsimTestBatch b;
  b.Read(WeatherSelector(table, kReadAtAltitude, altitude), uint32_t(reply.size()), reply.data());
  b.Run(m);
  return reply;
}

void WriteOp(DevsimModule& m, uint32_t selector, const std::vector<uint8_t>& data = {}) {
  DevsimTestBatch b;
  b.Write(selector, uint32_t(data.size()), data.data());
  EXPECT_EQ(b.Run(m), 1u);
}

// The altitude at 4 of every record, and a check of the prefixes on the way.
std::vector<int> Altitudes(const std::vector<uint8_t>& table, size_t recordSize) {
  std::vector<int> altitudes;
  size_t count = table.size() / recordSize;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = table.data() + i * recordSize;
    EXPECT_EQ(GetU16(p), recordSize);
    EXPECT_EQ(GetU16(p + 2), count - 1 - i);
    altitudes.push_back(GetU16(p + 4));
  }
  return altitudes;
}

std::vector<uint8_t> Bytes(void (*encode)(uint8_t*, const CloudLayer&), const CloudLayer& r) {
  std::vector<uint8_t> v(kCloudLayerSize);
  encode(v.data(), r);
  return v;
}
std::vector<uint8_t> TemperatureBytes(uint16_t altitude, int16_t day, uint16_t following = 0) {
  std::vector<uint8_t> v(kTemperatureLayerSize);
  EncodeTemperature(v.data(), {{kTemperatureLayerSize, following}, altitude, day, 3, -2});
  return v;
}
std::vector<uint8_t> WindBytes(uint16_t upper, uint16_t speed, uint16_t direction) {
  std::vector<uint8_t> v(kWindLayerSize);
  EncodeWind(v.data(), {{kWindLayerSize, 0}, upper, speed, 0, direction, 1, 0});
  return v;
}

}  // namespace

TEST(DevsimWeather, StatusWords) {
  DevsimModule m;
  uint8_t signature[2], status[2];
  DevsimTestBatch b;
  b.Read(kInterfaceSignatureOffset, 2, signature);
  b.Read(kWeatherStatusOffset, 2, status);
  b.Run(m);
  EXPECT_EQ(GetU16(signature), 0xFADE);
  EXPECT_EQ(GetU16(status), 1 << 14);

  DevsimOptions o;
  o.signature = 0x1234;
  o.mode = 3;
  DevsimModule other(o);
  DevsimTestBatch c;
  c.Read(kInterfaceSignatureOffset, 2, signature);
  c.Read(kWeatherStatusOffset, 2, status);
  c.Run(other);
  EXPECT_EQ(GetU16(signature), 0x1234);
  EXPECT_EQ(GetU16(status) >> 14, 3);
}

TEST(DevsimWeather, DefaultTablesHaveTheirRecordSizesAndAltitudeOrder) {
  DevsimModule m;
  const size_t sizes[] = {0, 10, 8, 12, 16, 24, 24};
  for (int t = 1; t <= 6; ++t) {
    uint32_t d = ReadDescriptor(m, t);
    EXPECT_EQ(DescriptorRecordSize(d), sizes[t]) << t;
    EXPECT_GE(DescriptorRecordCount(d), t == kPressureTable ? 1 : 3) << t;
    std::vector<uint8_t> table = ReadTable(m, t);
    ASSERT_EQ(table.size(), DescriptorByteLength(d));
    EXPECT_EQ(GetU32(table.data()), d) << "the descriptor is the first record's prefix";
    std::vector<int> altitudes = Altitudes(table, sizes[t]);
    if (t != kPressureTable) {
      EXPECT_TRUE(std::is_sorted(altitudes.begin(), altitudes.end())) << t;
    }
  }
  EXPECT_EQ(ReadDescriptor(m, kStationTable), kEmptyDescriptor);
  PressureRecord p = DecodePressure(ReadTable(m, kPressureTable).data());
  EXPECT_NE(p.qnh, kStandardQnh);
  // Rain somewhere in the clouds.
  std::vector<uint8_t> clouds = ReadTable(m, kCloudTable);
  bool rain = false;
  for (size_t at = 0; at < clouds.size(); at += kCloudLayerSize)
    rain |= DecodeCloud(clouds.data() + at).precipitationType == 1;
  EXPECT_TRUE(rain);
}

TEST(DevsimWeather, ReadOfAnotherSizeFillsWhatFitsAndZerosTheRest) {
  DevsimModule m;
  std::vector<uint8_t> table = ReadTable(m, kWindTable);
  std::vector<uint8_t> longer(table.size() + 10, 0xAA), shorter(6, 0xAA);
  DevsimTestBatch b;
  b.Read(WeatherSelector(kWindTable, kReadTable), uint32_t(longer.size()), longer.data());
  b.Read(WeatherSelector(kWindTable, kReadTable), uint32_t(shorter.size()), shorter.data());
  b.Run(m);
  EXPECT_TRUE(std::equal(table.begin(), table.end(), longer.begin()));
  EXPECT_EQ(std::vector<uint8_t>(longer.end() - 10, longer.end()), std::vector<uint8_t>(10, 0));
  EXPECT_TRUE(std::equal(shorter.begin(), shorter.end(), table.begin()));
}

TEST(DevsimWeather, InsertKeepsAltitudeOrder) {
  DevsimModule m;
  CloudLayer c{{24, 0}, 5000, 4000, 100, 4, 8, 1, 0, 0, 0, 0};
  WriteOp(m, WeatherSelector(kCloudTable, kInsertLayer, kNoAltitude), Bytes(EncodeCloud, c));
  c.upperAltitude = 300;
  c.lowerAltitude = 100;
  WriteOp(m, WeatherSelector(kCloudTable, kInsertLayer, 2400), Bytes(EncodeCloud, c));
  EXPECT_EQ(Altitudes(ReadTable(m, kCloudTable), 24), (std::vector<int>{300, 900, 2400, 5000, 7600}));

  WriteOp(m, WeatherSelector(kTemperatureTable, kInsertLayer, kNoAltitude), TemperatureBytes(12000, -55));
  WriteOp(m, WeatherSelector(kTemperatureTable, kInsertLayer, kNoAltitude), TemperatureBytes(700, 9));
  EXPECT_EQ(Altitudes(ReadTable(m, kTemperatureTable), 12),
            (std::vector<int>{0, 700, 1500, 3000, 6000, 10000, 12000}));

  // A payload too short for the record is ignored.
  std::vector<uint8_t> shortRecord = TemperatureBytes(800, 1);
  shortRecord.resize(8);
  WriteOp(m, WeatherSelector(kTemperatureTable, kInsertLayer, kNoAltitude), shortRecord);
  EXPECT_EQ(DescriptorRecordCount(ReadDescriptor(m, kTemperatureTable)), 7);
}

TEST(DevsimWeather, ReplaceNamesTheLayerByAltitude) {
  DevsimModule m;
  WriteOp(m, WeatherSelector(kWindTable, kReplaceLayer, 2000), WindBytes(2000, 44, 0x4000));
  std::vector<uint8_t> winds = ReadTable(m, kWindTable);
  EXPECT_EQ(Altitudes(winds, 16), (std::vector<int>{600, 2000, 5000, 9000, 12000}));
  WindLayer w = DecodeWind(winds.data() + 16);
  EXPECT_EQ(w.speed, 44);
  EXPECT_EQ(w.direction, 0x4000);
  EXPECT_EQ(w.prefix.following, 3);

  // No layer at that altitude: nothing changes.
  WriteOp(m, WeatherSelector(kWindTable, kReplaceLayer, 2001), WindBytes(2001, 5, 0));
  EXPECT_EQ(ReadTable(m, kWindTable), winds);

  // Pressure: always its one record, whatever the altitude.
  std::vector<uint8_t> p(8);
  EncodePressure(p.data(), {{8, 0}, 16000, 5});
  WriteOp(m, WeatherSelector(kPressureTable, kReplaceLayer, kNoAltitude), p);
  EXPECT_EQ(ReadTable(m, kPressureTable), p);
}

TEST(DevsimWeather, DeleteRemovesTheLayerAtThatAltitude) {
  DevsimModule m;
  WriteOp(m, WeatherSelector(kVisibilityTable, kDeleteLayer, 3000));
  EXPECT_EQ(Altitudes(ReadTable(m, kVisibilityTable), 10), (std::vector<int>{900, 12000}));
  WriteOp(m, WeatherSelector(kCloudTable, kDeleteLayer, 1200));  // a lower altitude matches too
  EXPECT_EQ(Altitudes(ReadTable(m, kCloudTable), 24), (std::vector<int>{900, 7600}));
  WriteOp(m, WeatherSelector(kTemperatureTable, kDeleteLayer, 1501));
  EXPECT_EQ(DescriptorRecordCount(ReadDescriptor(m, kTemperatureTable)), 5);
}

TEST(DevsimWeather, ClearOneTableAllTablesAndThePressure) {
  DevsimModule m;
  WriteOp(m, WeatherSelector(kCloudTable, kClearTable));
  EXPECT_EQ(ReadDescriptor(m, kCloudTable), kEmptyDescriptor);
  EXPECT_NE(ReadDescriptor(m, kWindTable), kEmptyDescriptor);

  WriteOp(m, WeatherSelector(kPressureTable, kClearTable));
  PressureRecord p = DecodePressure(ReadTable(m, kPressureTable).data());
  EXPECT_EQ(p.qnh, 16211);
  EXPECT_EQ(p.drift, 0);

  WriteOp(m, WeatherSelector(kWindTable, kReplaceLayer, 600), WindBytes(600, 1, 2));
  WriteOp(m, 0x50000);  // all tables
  for (int t : {1, 3, 4, 5, 6}) EXPECT_EQ(ReadDescriptor(m, t), kEmptyDescriptor) << t;
  EXPECT_EQ(ReadDescriptor(m, kPressureTable), MakeDescriptor(8, 1));
  EXPECT_EQ(DecodePressure(ReadTable(m, kPressureTable).data()).qnh, 16211);
}

TEST(DevsimWeather, SetTableTakesAGoodBlockAndIgnoresAMalformedOne) {
  DevsimModule m;
  std::vector<uint8_t> block;
  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> r = TemperatureBytes(uint16_t(3000 - i * 1000), int16_t(i), uint16_t(2 - i));
    block.insert(block.end(), r.begin(), r.end());
  }
  WriteOp(m, WeatherSelector(kTemperatureTable, kSetTable), block);
  EXPECT_EQ(Altitudes(ReadTable(m, kTemperatureTable), 12), (std::vector<int>{1000, 2000, 3000}));

  std::vector<uint8_t> wrongSize = block;
  PutU16(wrongSize.data(), 10);
  std::vector<uint8_t> tooFew(block.begin(), block.begin() + 24);  // claims 3, holds 2
  std::vector<uint8_t> laterRecordWrong = block;
  PutU16(laterRecordWrong.data() + 12, 16);
  for (const auto& bad : {wrongSize, tooFew, laterRecordWrong, std::vector<uint8_t>{1, 2}}) {
    WriteOp(m, WeatherSelector(kTemperatureTable, kSetTable), bad);
    EXPECT_EQ(Altitudes(ReadTable(m, kTemperatureTable), 12), (std::vector<int>{1000, 2000, 3000}));
  }
  // The wind block goes to table 4 and table 6 follows it.
  std::vector<uint8_t> winds = WindBytes(1000, 20, 0);
  WriteOp(m, WeatherSelector(kWindTable, kSetTable), winds);
  EXPECT_EQ(ReadDescriptor(m, kAppliedWindTable), MakeDescriptor(24, 1));
  WriteOp(m, WeatherSelector(kWindTable, kSetTable), {});  // an empty block empties the table
  EXPECT_EQ(ReadDescriptor(m, kWindTable), kEmptyDescriptor);
}

TEST(DevsimWeather, ReadAtAltitude) {
  DevsimModule m;
  CloudLayer cloud = DecodeCloud(ReadAt(m, kCloudTable, 1500).data());
  EXPECT_EQ(cloud.prefix.size, 24);
  EXPECT_EQ(cloud.prefix.following, 0);
  EXPECT_EQ(cloud.lowerAltitude, 1200);
  EXPECT_EQ(cloud.upperAltitude, 2400);

  std::vector<uint8_t> none = ReadAt(m, kCloudTable, 5000);
  EXPECT_LT(GetS16(none.data() + 2), 0);
  none[2] = none[3] = 0;
  EXPECT_EQ(none, std::vector<uint8_t>(64, 0));

  EXPECT_EQ(DecodeTemperature(ReadAt(m, kTemperatureTable, 2000).data()).altitude, 3000);
  EXPECT_EQ(DecodeTemperature(ReadAt(m, kTemperatureTable, 20000).data()).altitude, 10000);
  EXPECT_EQ(DecodeWind(ReadAt(m, kWindTable, 600).data()).upperAltitude, 600);
  EXPECT_EQ(DecodeAppliedWind(ReadAt(m, kAppliedWindTable, 601).data()).upperAltitude, 2000);
  EXPECT_EQ(DecodeVisibility(ReadAt(m, kVisibilityTable, 0).data()).upperAltitude, 900);
  EXPECT_EQ(DecodePressure(ReadAt(m, kPressureTable, 1234).data()).qnh, 16310);
  std::vector<uint8_t> reply = ReadAt(m, kPressureTable, 0);
  EXPECT_EQ(std::vector<uint8_t>(reply.begin() + 8, reply.end()), std::vector<uint8_t>(56, 0));

  WriteOp(m, WeatherSelector(kWindTable, kClearTable));
  EXPECT_LT(GetS16(ReadAt(m, kWindTable, 100).data() + 2), 0);
  EXPECT_LT(GetS16(ReadAt(m, kAppliedWindTable, 100).data() + 2), 0);
}

TEST(DevsimWeather, AppliedWindsFollowTheWindsSet) {
  DevsimModule m;
  WriteOp(m, WeatherSelector(kWindTable, kInsertLayer, kNoAltitude), WindBytes(3000, 50, 0x8000));
  std::vector<uint8_t> set = ReadTable(m, kWindTable), applied = ReadTable(m, kAppliedWindTable);
  ASSERT_EQ(set.size() / 16, applied.size() / 24);
  for (size_t i = 0; i < set.size() / 16; ++i) {
    WindLayer w = DecodeWind(set.data() + i * 16);
    AppliedWindLayer a = DecodeAppliedWind(applied.data() + i * 24);
    EXPECT_EQ(a.prefix.size, 24);
    EXPECT_EQ(a.upperAltitude, w.upperAltitude);
    EXPECT_EQ(a.gust, w.gust);
    EXPECT_NEAR(a.appliedSpeed, w.speed, w.speed * 0.05 + 0.01);
    double degrees = w.direction * 360.0 / 65536;
    double difference = std::fabs(std::remainder(a.appliedDirection - degrees, 360.0));
    EXPECT_LT(difference, 5.0) << i;
    EXPECT_GE(a.appliedDirection, 0.0f);
    EXPECT_LT(a.appliedDirection, 360.0f);
  }
}

TEST(DevsimWeather, StationTableOnlyInMode3) {
  DevsimModule m;
  EXPECT_EQ(ReadDescriptor(m, kStationTable), kEmptyDescriptor);
  DevsimOptions o = m.Options();
  ASSERT_TRUE(ParseDevsimOptions("--mode=3 --icao=LFPG", o));
  m.Apply(o);
  std::vector<uint8_t> station = ReadTable(m, kStationTable);
  ASSERT_EQ(station.size(), 16u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(station.data() + 4), 4), "LFPG");
  ASSERT_TRUE(ParseDevsimOptions("--mode=2", o));
  m.Apply(o);
  EXPECT_EQ(ReadDescriptor(m, kStationTable), kEmptyDescriptor);
  EXPECT_EQ(ReadDescriptor(m, kCloudTable), MakeDescriptor(24, 3)) << "weather not reloaded";
}

TEST(DevsimWeather, TextFormat) {
  WeatherModel w;
  std::string error;
  ASSERT_TRUE(w.LoadText(
      "# comment\n"
      "cloud upper=3000 lower=1200 deviation=100 cover=5 type=8 preciptype=2 preciprate=3\r\n"
      "\n"
      "cloud upper=800 lower=300   # low stuff\n"
      "temperature altitude=0 day=-5 variation=4 dew=-9\n"
      "wind upper=1000 speed=12 gust=20 direction=16384\n",
      &error))
      << error;
  EXPECT_EQ(w.Count(kCloudTable), 2u);
  EXPECT_EQ(w.Count(kVisibilityTable), 0u);
  EXPECT_EQ(w.Count(kAppliedWindTable), 1u);
  std::vector<uint8_t> clouds = w.TableBytes(kCloudTable);
  CloudLayer c = DecodeCloud(clouds.data() + 24);
  EXPECT_EQ(c.upperAltitude, 3000);
  EXPECT_EQ(c.cover, 5);
  EXPECT_EQ(c.precipitationType, 2);
  EXPECT_EQ(DecodeTemperature(w.TableBytes(kTemperatureTable).data()).dewPoint, -9);
  EXPECT_EQ(DecodePressure(w.TableBytes(kPressureTable).data()).qnh, kStandardQnh);

  for (const char* bad : {"fog upper=3", "cloud upper", "cloud top=3", "cloud upper=70000",
                          "temperature day=x", "wind speed=-1"}) {
    EXPECT_FALSE(w.LoadText(std::string("wind upper=1\n") + bad + "\n", &error)) << bad;
    EXPECT_EQ(error.compare(0, 7, "line 2:"), 0) << error;
  }
  EXPECT_EQ(w.Count(kCloudTable), 2u) << "a failed load leaves the weather alone";
}

TEST(DevsimWeather, WeatherFileAndEmptyWeatherSwitches) {
  std::string path = ::testing::TempDir() + "devsim_weather_test.txt";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fputs("pressure qnh=16000 drift=-2\nvisibility upper=500 lower=0 range=50\n", f);
  std::fclose(f);
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions(("--weather=\"" + path + "\"").c_str(), o));
  DevsimModule m(o);
  EXPECT_TRUE(m.Error().empty()) << m.Error();
  EXPECT_EQ(DecodePressure(ReadTable(m, kPressureTable).data()).qnh, 16000);
  EXPECT_EQ(ReadDescriptor(m, kVisibilityTable), MakeDescriptor(10, 1));
  EXPECT_EQ(ReadDescriptor(m, kCloudTable), kEmptyDescriptor);

  ASSERT_TRUE(ParseDevsimOptions("--empty-weather", o));
  EXPECT_TRUE(m.Apply(o));
  EXPECT_EQ(ReadDescriptor(m, kVisibilityTable), kEmptyDescriptor);
  EXPECT_EQ(DecodePressure(ReadTable(m, kPressureTable).data()).qnh, kStandardQnh);

  ASSERT_TRUE(ParseDevsimOptions("--weather=/nonexistent/devsim.txt", o));
  EXPECT_FALSE(m.Apply(o));
  std::remove(path.c_str());
}

TEST(DevsimWeather, ChangeEveryMovesTheWeatherAndKeepsTable6Derived) {
  DevsimOptions o;
  o.changeEveryMs = 500;
  DevsimModule m(o);
  std::vector<uint8_t> pressure = ReadTable(m, kPressureTable);
  m.Advance(0.4);
  EXPECT_EQ(ReadTable(m, kPressureTable), pressure);
  m.Advance(0.2);
  EXPECT_NE(ReadTable(m, kPressureTable), pressure);
  for (int i = 0; i < 5000; ++i) m.Advance(1.0);
  int qnh = DecodePressure(ReadTable(m, kPressureTable).data()).qnh;
  EXPECT_GE(qnh, 15500);
  EXPECT_LE(qnh, 16900);
  WindLayer w = DecodeWind(ReadTable(m, kWindTable).data());
  AppliedWindLayer a = DecodeAppliedWind(ReadTable(m, kAppliedWindTable).data());
  EXPECT_NEAR(a.appliedSpeed, w.speed, w.speed * 0.05 + 0.01);

  DevsimModule still;  // --change-every=0: never
  std::vector<uint8_t> before = ReadTable(still, kPressureTable);
  still.Advance(3600);
  EXPECT_EQ(ReadTable(still, kPressureTable), before);
}

TEST(DevsimWeather, LyingDescriptorsLeaveTheRecordsAlone) {
  struct Case {
    const char* switches;
    uint32_t visibility;  // the default weather: three 10-byte layers
    uint32_t pressure;    // one 8-byte record
  };
  const Case cases[] = {
      {"--lie-descriptors=none", 0x0002000A, 0x00000008},
      {"--lie-descriptors=more", 0x002A000A, 0x00280008},
      {"--lie-descriptors=huge", 0xFFFEFFFF, 0xFFFEFFFF},
      {"--lie-descriptors=size0", 0x00020000, 0x00000000},
      {"--lie-descriptors=small", 0x000E0002, 0x00030002},
  };
  for (const Case& c : cases) {
    DevsimOptions o;
    ASSERT_TRUE(ParseDevsimOptions(c.switches, o)) << c.switches;
    DevsimModule m(o);
    EXPECT_EQ(ReadDescriptor(m, kVisibilityTable), c.visibility) << c.switches;
    EXPECT_EQ(ReadDescriptor(m, kPressureTable), c.pressure) << c.switches;
    EXPECT_EQ(ReadDescriptor(m, kStationTable), kEmptyDescriptor) << c.switches;  // empty stays so
    // The records read back as ever, zeros beyond them.
    std::vector<uint8_t> records(40, 0xAA);
    DevsimTestBatch b;
    b.Read(WeatherSelector(kVisibilityTable, kReadTable), uint32_t(records.size()), records.data());
    b.Run(m);
    const std::vector<uint8_t> truth = m.Weather().TableBytes(kVisibilityTable);
    ASSERT_EQ(truth.size(), 30u);
    EXPECT_TRUE(std::equal(truth.begin(), truth.end(), records.begin())) << c.switches;
    EXPECT_TRUE(std::all_of(records.begin() + 30, records.end(), [](uint8_t x) { return x == 0; }));
  }

  // Switched at run time, and back.
  DevsimModule m;
  DevsimOptions o = m.Options();
  ASSERT_TRUE(ParseDevsimOptions("--lie-descriptors=more", o));
  m.Apply(o);
  EXPECT_EQ(ReadDescriptor(m, kVisibilityTable), 0x002A000Au);
  ASSERT_TRUE(ParseDevsimOptions("--lie-descriptors=none", o));
  m.Apply(o);
  EXPECT_EQ(ReadDescriptor(m, kVisibilityTable), 0x0002000Au);
}
