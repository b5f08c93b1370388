// Replays the transition fuzz seeds and every input that once broke a check.
#include "fuzz/transition_fuzz_checks.h"
#include "tests/native/fuzz_replay.h"

namespace {

TEST(FuzzReplay, TransitionPairsRunClean) {
  EXPECT_GT(fuzz_replay::Replay("transition", transition_fuzz::CheckTransition), 0);
}

}  // namespace
