// Replays the fuzz seeds and every input that once crashed a fuzz target. Under the sanitizer
// build (build/native-asan) a read past a block fails here as it did under the fuzzer.
#include "fuzz/files_fuzz_checks.h"
#include "fuzz/weather_fuzz_checks.h"
#include "tests/native/fuzz_replay.h"

namespace {

using fuzz_replay::Replay;

TEST(FuzzReplay, SeedsAndRegressionsRunClean) {
  EXPECT_GT(Replay("vtd", files_fuzz::CheckDataFile), 0);
  EXPECT_GT(Replay("wx", files_fuzz::CheckWxFile), 0);
  EXPECT_GT(Replay("airport", files_fuzz::CheckAirports), 0);
}

TEST(FuzzReplay, SettingsCommandLineAndFieldInputsRunClean) {
  EXPECT_GT(Replay("placement", core_fuzz::CheckPlacement), 0);
  EXPECT_GT(Replay("command_line", core_fuzz::CheckCommandLine), 0);
  EXPECT_GT(Replay("field", core_fuzz::CheckField), 0);
}

TEST(FuzzReplay, HostileWeatherModuleRunsClean) {
  EXPECT_GT(Replay("snapshot", core_fuzz::CheckSnapshot), 0);
}

}  // namespace
