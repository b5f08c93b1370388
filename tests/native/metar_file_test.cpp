#include "weather/metar/metar_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

MetarSearch Find(const std::string& text, const char* icao) {
  return FindNewestReport(text.data(), text.size(), icao);
}

struct SearchCase {
  const char* name;
  const char* file;
  const char* icao;
  const char* report;  // nullptr: not found
  int reports;
};

class MetarFileSearch : public testing::TestWithParam<SearchCase> {};

TEST_P(MetarFileSearch, FindsTheNewestReportOfTheStation) {
  const SearchCase& c = GetParam();
  const MetarSearch s = Find(c.file, c.icao);
  EXPECT_EQ(s.found, c.report != nullptr) << c.name;
  if (c.report) {
    EXPECT_EQ(std::string(s.report, s.length), c.report) << c.name;
  }
  EXPECT_EQ(s.reports, c.reports) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MetarFileSearch,
    testing::Values(
        SearchCase{"one a line, the later time wins",
                   "EGLL 081220Z 24010KT Q1013\nEGKK 081250Z 20005KT Q1012\n"
                   "EGLL 081250Z 24015KT Q1012\nEGLL 081150Z 24005KT Q1014\n",
                   "egll", "EGLL 081250Z 24015KT Q1012", 3},
        SearchCase{"cycles with date lines and blank lines",
                   "2026/12/08 12:20\r\nEGLL 081220Z 24010KT Q1013\r\n\r\n"
                   "2026/12/08 12:50\r\nEGLL 081250Z 24015KT Q1012\r\n",
                   "EGLL", "EGLL 081250Z 24015KT Q1012", 2},
        SearchCase{"bulletin: a report over two lines ends at =",
                   "SAUK31 EGRR 081250\nMETAR EGLL 081250Z 24015KT 9999\n      BKN040 12/08 Q1013=\n"
                   "METAR EGKK 081250Z 20005KT=\n",
                   "EGLL", "METAR EGLL 081250Z 24015KT 9999 BKN040 12/08 Q1013", 1},
        SearchCase{"days wrap at the end of the month",
                   "EGLL 312350Z 24010KT Q1013\nEGLL 010020Z 24015KT Q1012\n", "EGLL",
                   "EGLL 010020Z 24015KT Q1012", 2},
        SearchCase{"a correction of the same time, later in the file, wins",
                   "EGLL 081250Z 24010KT Q1013\nMETAR COR EGLL 081250Z 24015KT Q1012\n", "EGLL",
                   "METAR COR EGLL 081250Z 24015KT Q1012", 2},
        SearchCase{"another station, a cut code and a code in the middle of a line",
                   "EGKK 081250Z 20005KT\nEGL 081250Z\nREMARK EGLL 081250Z\n", "EGLL", nullptr, 0},
        SearchCase{"no newline at the end", "EGLL 081250Z 24015KT", "EGLL", "EGLL 081250Z 24015KT", 1}));

TEST(MetarFileSearch, BytesThatAreNoTextAreSkipped) {
  const std::string file("\0\xFF\nEGLL\0081250Z Q1013\nEGLL 081250Z \xFF\0\n", 37);
  const MetarSearch s = Find(file, "EGLL");
  ASSERT_TRUE(s.found);
  EXPECT_EQ(std::string(s.report, s.length), std::string("EGLL 081250Z \xFF\0", 15));
}

TEST(MetarFileSearch, CodesOfOtherLengthsFindNothing) {
  EXPECT_FALSE(Find("EGLL 081250Z 24015KT\n", "EGL").found);
  EXPECT_FALSE(Find("EGLL 081250Z 24015KT\n", "EGLLX").found);
  EXPECT_FALSE(FindNewestReport(nullptr, 10, "EGLL").found);
}

TEST(MetarFileSearch, EndlessReportsAreCut) {
  std::string file = "EGLL 081250Z 24015KT";
  while (file.size() < 3 * kLongestReport) file += "\nRMK AO2 SLP132 T01230045";
  const MetarSearch s = Find(file, "EGLL");
  ASSERT_TRUE(s.found);
  EXPECT_TRUE(s.cut);
  EXPECT_EQ(s.length, kLongestReport);
}

}  // namespace
