// A short soak: a few hundred fast refreshes of each program against a changing devsim, with the
// same leak checks as the long one in bench/wine/soak_bench.cpp and generous bounds.
#include "tests/e2e/harness.h"
#include "tests/e2e/soak_run.h"

namespace {

// Growth allowed over a few hundred refreshes. A leak of one object, handle or block per
// refresh would pass all of them several times over.
constexpr long long kObjectSlack = 20;
constexpr long long kHandleSlack = 20;
constexpr long long kPrivateKbSlack = 2048;

void CheckSoak(const e2e::SoakPlan& plan) {
  const e2e::SoakResult r = e2e::RunSoak(plan);
  e2e::PrintSoakFigures(plan, r);
  if (!r.why.empty()) e2e::ReportFailure(__FILE__, __LINE__, r.why);
  CHECK(r.ran);
  CHECK(r.alive);
  REQUIRE(r.start.read && r.end.read);
  CHECK(r.GdiGrowth() <= kObjectSlack);
  CHECK(r.UserGrowth() <= kObjectSlack);
  CHECK(r.HandleGrowth() <= kHandleSlack);
  CHECK(r.PrivateKbGrowth() <= kPrivateKbSlack);
  CHECK(r.exited);
  CHECK_EQ(r.exitCode, DWORD(0));
  CHECK(r.blockGone);
}

E2E_TEST(Soak, VentrelStaysFlat) {
  CheckSoak({"ventrel", "Ventrel_soak.exe", "Ventrel", 3, 100, 500, 90000});
}

// The same with the picture windows open: every refresh repaints them.
E2E_TEST(Soak, VentrelWithProfileStaysFlat) {
  CheckSoak({"profile", "Ventrel_soak.exe", "Ventrel", 3, 100, 500, 90000, 42000, "VentrelProfile"});
}

E2E_TEST(Soak, PalvioStaysFlat) {
  CheckSoak({"palvio", "Palvio_soak.exe", "Palvio", 1, 100, 500, 90000});
}

E2E_TEST(Soak, PalvioWithScopeStaysFlat) {
  CheckSoak({"scope", "Palvio_soak.exe", "Palvio", 1, 100, 500, 90000, 42500, "PalvioScope"});
}

}  // namespace
