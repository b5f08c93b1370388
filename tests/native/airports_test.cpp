#include "weather/files/airports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/request_block.h"

namespace {

struct Airport {
  const char* code;  // up to 4 characters, copied without a terminator
  float latitude, longitude, metres;
};

std::vector<uint8_t> AirportFile(std::initializer_list<Airport> airports) {
  std::vector<uint8_t> file;
  for (const Airport& a : airports) {
    uint8_t r[16] = {};
    std::memcpy(r, a.code, strnlen(a.code, 4));
    PutF32(r + 4, a.latitude);
    PutF32(r + 8, a.longitude);
    PutF32(r + 12, a.metres);
    file.insert(file.end(), r, r + 16);
  }
  return file;
}

const std::vector<uint8_t> kTable = AirportFile({{"EGLL", 0, 0, 0},  // record 0: never found
                                                 {"EGLL", 51.4775f, -0.4614f, 100.0f},
                                                 {"EGL", 1, 2, 3},
                                                 {"LFPG", 49.0f, 2.5f, 119.0f},
                                                 {"EGLL", 9, 9, 9},
                                                 {"KJFK", 40.6f, -73.8f, 4.0f}});

TEST(AirportSearch, FirstMatchFromRecordOneCaseIgnored) {
  const struct {
    const char* typed;
    int record;
  } cases[] = {{"EGLL", 1}, {"egll", 1},  {"EgLl", 1}, {"EGL", 2},  {"LFPG", 3},
               {"KJFK", 5}, {"KJFKX", 5}, {"KJF", 0},  {"ZZZZ", 0}, {"E", 0}};
  for (const auto& c : cases)
    EXPECT_EQ(FindAirport(kTable.data(), kTable.size(), c.typed), c.record) << c.typed;
  EXPECT_EQ(FindAirport(nullptr, 0, "EGLL"), 0);
}

TEST(AirportSearch, TrailingPieceIsIgnored) {
  std::vector<uint8_t> table = kTable;
  table.resize(table.size() - 1);  // KJFK is no longer whole
  EXPECT_EQ(AirportSearchCount(table.size()), 5);
  EXPECT_EQ(FindAirport(table.data(), table.size(), "KJFK"), 0);
  const uint8_t tail[] = {'K', 'J', 'F'};
  EXPECT_EQ(FindAirport(tail, sizeof tail, "KJF"), 0);
}

TEST(AirportSearch, CountIsKeptTo16Bits) {
  EXPECT_EQ(AirportSearchCount(65535u * 16), 65535);
  EXPECT_EQ(AirportSearchCount(65536u * 16 + 15), 0);
  EXPECT_EQ(AirportSearchCount(65538u * 16), 2);
}

TEST(AirportText, WorkedExample) {
  char text[96];
  FormatAirportText(text, sizeof text, kTable.data(), kTable.size(), 1);
  EXPECT_STREQ(text, " ICAO=EGLL (Alt 328ft, Lat 51.4775, Long -0.4614)");
  FormatAirportText(text, sizeof text, kTable.data(), kTable.size(), 2);
  EXPECT_STREQ(text, " ICAO=EGL (Alt 10ft, Lat 1.0000, Long 2.0000)");
}

TEST(AirportText, EmptyOutsideTheTable) {
  std::vector<uint8_t> cut = kTable;
  cut.resize(cut.size() - 4);
  const struct {
    const uint8_t* table;
    size_t size;
    int32_t station;
  } cases[] = {{kTable.data(), kTable.size(), 0},
               {kTable.data(), kTable.size(), -1},
               {kTable.data(), kTable.size(), 6},
               {cut.data(), cut.size(), 5},
               {nullptr, 0, 1},
               {kTable.data(), kTable.size(), 0x10000001},
               {kTable.data(), kTable.size(), INT32_MIN}};
  for (const auto& c : cases) {
    char text[96] = "x";
    FormatAirportText(text, sizeof text, c.table, c.size, c.station);
    EXPECT_STREQ(text, "") << c.station;
  }
  char text[96];
  FormatAirportText(text, sizeof text, cut.data(), cut.size(), 4);
  EXPECT_STREQ(text, " ICAO=EGLL (Alt 30ft, Lat 9.0000, Long 9.0000)");
}

}  // namespace
