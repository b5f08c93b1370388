// Replays the fuzz seeds and every input that once crashed a fuzz target.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/files_fuzz_checks.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFuzzFolder = fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz";

int Replay(const char* target, void (*check)(const uint8_t*, size_t)) {
  int inputs = 0;
  for (const char* kind : {"seeds", "regressions"}) {
    const fs::path folder = kFuzzFolder / kind / target;
    if (!fs::is_directory(folder)) continue;
    for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
      if (!file.is_regular_file() || file.path().filename().string()[0] == '.') continue;
      std::ifstream in(file.path(), std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
      SCOPED_TRACE(file.path().string());
      check(bytes.data(), bytes.size());
      ++inputs;
    }
  }
  return inputs;
}

TEST(FuzzReplay, SeedsAndRegressionsRunClean) {
  EXPECT_GT(Replay("vtd", files_fuzz::CheckDataFile), 0);
  EXPECT_GT(Replay("wx", files_fuzz::CheckWxFile), 0);
  EXPECT_GT(Replay("airport", files_fuzz::CheckAirports), 0);
}

}  // namespace
