// libFuzzer target: any bytes as a file of reports, searched for the station its first four
// bytes name. The report found is a bounded, terminated part of the file's lines.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "weather/metar/metar_file.h"
#include "weather/metar/metar_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char icao[5] = {};
  core_fuzz::ByteStream in(data, size);
  in.Fill(reinterpret_cast<uint8_t*>(icao), 4);
  const size_t n = size > 4 ? size - 4 : 0;
  std::unique_ptr<char[]> text = in.RestAsText();
  const MetarSearch found = FindNewestReport(text.get(), n, icao);
  FUZZ_REQUIRE(found.length <= kLongestReport && found.report[found.length] == 0);
  FUZZ_REQUIRE(found.found || (found.length == 0 && found.reports == 0));
  FUZZ_REQUIRE(!found.found || found.reports > 0);
  if (found.found) DecodeMetar(found.report, found.length);
  return 0;
}
