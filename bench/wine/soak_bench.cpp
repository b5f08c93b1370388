// The long soak: ten thousand refreshes of each program (the test-only builds whose AutoRefresh
// timer runs every few milliseconds) against devsim whose weather and traffic change every
// second. Prints the growth of GDI objects, handles and private memory per program and summed,
// and whether each program left its request block or atom behind.
#include <cstddef>
#include <cstdio>

#include "tests/e2e/soak_run.h"

int main() {
  const e2e::SoakPlan plans[] = {
      {"ventrel", "Ventrel_soak.exe", "Ventrel", 3, 500, 10000, 1200000, 42000, "VentrelProfile"},
      {"palvio", "Palvio_soak.exe", "Palvio", 1, 500, 10000, 1200000, 42500, "PalvioScope"},
  };
  // Each program runs with its picture window open, repainted at every refresh.
  const char* const pictures[] = {"profile", "scope"};
  long long gdi = 0, user = 0, handles = 0, privateKb = 0, refreshes = 0;
  bool sound = true;
  for (size_t i = 0; i < sizeof plans / sizeof plans[0]; ++i) {
    const e2e::SoakPlan& plan = plans[i];
    const e2e::SoakResult r = e2e::RunSoak(plan);
    e2e::PrintSoakFigures(plan, r);
    std::printf("soak_%s_gdi_growth: %lld objects\n", pictures[i], r.GdiGrowth());
    std::printf("soak_%s_handle_growth: %lld handles\n", pictures[i], r.HandleGrowth());
    std::printf("soak_%s_private_kb_growth: %lld KB\n", pictures[i], r.PrivateKbGrowth());
    if (!r.why.empty()) std::printf("soak: %s: %s\n", plan.label, r.why.c_str());
    sound = sound && r.ran && r.alive && r.exited && r.exitCode == 0 && r.blockGone &&
            r.start.read && r.end.read;
    gdi += r.GdiGrowth();
    user += r.UserGrowth();
    handles += r.HandleGrowth();
    privateKb += r.PrivateKbGrowth();
    refreshes += r.refreshes;
  }
  std::printf("soak_refreshes: %lld refreshes\n", refreshes);
  std::printf("soak_gdi_growth: %lld objects\n", gdi);
  std::printf("soak_user_growth: %lld objects\n", user);
  std::printf("soak_handle_growth: %lld handles\n", handles);
  std::printf("soak_private_kb_growth: %lld KB\n", privateKb);
  std::printf("soak: %s\n", sound ? "sound" : "FAILED");
  return sound ? 0 : 1;
}
