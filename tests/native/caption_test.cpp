#include "weather/caption.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ConnectedCaptionTest, ModesInterfaceAndStation) {
  struct Case {
    uint16_t signature;
    int mode;
    const char* icao;
    const char* caption;
  } cases[] = {
      {0xFADE, 0, "", "Nimbrel: No weather to show!"},
      {0xFADE, 1, "", "Nimbrel: Global weather: read/write"},
      {0xFADE, 2, "EGLL", "Nimbrel: Local weather: not available"},
      {0xFADE, 3, "", "Nimbrel: Local weather: read only"},
      {0xFADE, 3, "EGLL", "Nimbrel: Local weather: read only  ICAO=EGLL"},
      {0x0000, 1, "", "Nimbrel: No advanced weather interface! Global weather: read/write"},
      {0x1234, 3, "KSEA",
       "Nimbrel: No advanced weather interface! Local weather: read only  ICAO=KSEA"},
      {0xFADE, 3, nullptr, "Nimbrel: Local weather: read only"},
  };
  for (const Case& c : cases) {
    char out[kCaptionSize];
    ConnectedCaption(out, sizeof out, "Nimbrel", c.signature, c.mode, c.icao);
    EXPECT_STREQ(out, c.caption);
  }
}

TEST(UnreachableCaptionTest, BrowsingAndAirportTexts) {
  struct Case {
    const char* browsing;
    const char* airport;
    const char* caption;
  } cases[] = {
      {nullptr, nullptr, "Nimbrel: Not connected to Korvel"},
      {"", "", "Nimbrel: Not connected to Korvel"},
      {": Showing .WX at index=3", "",
       "Nimbrel: Not connected to Korvel: Showing .WX at index=3"},
      {": Showing .WX at index=3", " ICAO=EGLL (Alt 83ft, Lat 51.4775, Long -0.4614)",
       "Nimbrel: Not connected to Korvel: Showing .WX at index=3 ICAO=EGLL (Alt 83ft, Lat "
       "51.4775, Long -0.4614)"},
  };
  for (const Case& c : cases) {
    char out[kCaptionSize];
    UnreachableCaption(out, sizeof out, "Nimbrel", c.browsing, c.airport);
    EXPECT_STREQ(out, c.caption);
  }
}

TEST(CaptionTest, NeverWritesPastTheBuffer) {
  std::string longText(400, 'a');
  char out[kCaptionSize + 8];
  memset(out, '#', sizeof out);
  UnreachableCaption(out, kCaptionSize, "Nimbrel", longText.c_str(), longText.c_str());
  EXPECT_EQ(strlen(out), kCaptionSize - 1);
  for (size_t i = kCaptionSize; i < sizeof out; ++i) EXPECT_EQ(out[i], '#');

  char small[12];
  ConnectedCaption(small, sizeof small, "Nimbrel", 0, 3, "EGLL");
  EXPECT_STREQ(small, "Nimbrel: No");
  ConnectedCaption(small, 0, "Nimbrel", 0, 3, "EGLL");  // nothing written, no crash
}

}  // namespace
