// Replays the METAR fuzz seeds and every input that once crashed those targets.
#include "fuzz/live_fuzz_checks.h"
#include "fuzz/metar_fuzz_checks.h"
#include "tests/native/fuzz_replay.h"

namespace {

TEST(FuzzReplay, ReportsAndFilesOfReportsRunClean) {
  EXPECT_GT(fuzz_replay::Replay("metar", metar_fuzz::CheckMetar), 0);
  EXPECT_GT(fuzz_replay::Replay("metar_file", metar_fuzz::CheckMetarFile), 0);
  EXPECT_GT(fuzz_replay::Replay("live", live_fuzz::CheckLive), 0);
}

}  // namespace
