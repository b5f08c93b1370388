// Replays the traffic table's fuzz seeds and crashing inputs (a translation unit of its own:
// the traffic and weather cell sizes share a name).
#include "fuzz/advisory_fuzz_checks.h"
#include "fuzz/traffic_fuzz_checks.h"
#include "tests/native/fuzz_replay.h"

namespace {

TEST(FuzzReplay, HostileTrafficTableRunsClean) {
  EXPECT_GT(fuzz_replay::Replay("traffic", core_fuzz::CheckTraffic), 0);
}

TEST(FuzzReplay, TrafficSequencesKeepTheAdvisoriesSound) {
  EXPECT_GT(fuzz_replay::Replay("advisory", core_fuzz::CheckAdvisories), 0);
}

}  // namespace
