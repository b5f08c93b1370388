#include "weather/transition_control/settings.h"

#include <cmath>
#include <cstdio>

namespace {

int VisibilityPercent(const TransitionRates& r) {
  return int(std::lround((r.visibilityRatio - 1.0) * 100.0));
}

}  // namespace

// Keys in the dialog's order; the ranges keep a transition from taking days or jumping.
const TransitionRateItem kTransitionRateItems[kTransitionRateCount] = {
    {"TransitionPressure", "Pressure, 1/16 mb per 10 s", 1, 1600,
     [](const TransitionRates& r) { return r.pressurePerTenSteps16; },
     [](TransitionRates& r, int v) { r.pressurePerTenSteps16 = v; }},
    {"TransitionWindDirection", "Wind direction, degrees per s", 1, 180,
     [](const TransitionRates& r) { return r.windDirectionDegrees; },
     [](TransitionRates& r, int v) { r.windDirectionDegrees = v; }},
    {"TransitionWindSpeed", "Wind speed and gust, kt per s", 1, 100,
     [](const TransitionRates& r) { return r.windSpeedKnots; },
     [](TransitionRates& r, int v) { r.windSpeedKnots = v; }},
    {"TransitionWindLevels", "Turbulence and shear, levels per s", 1, 4,
     [](const TransitionRates& r) { return r.windLevels; },
     [](TransitionRates& r, int v) { r.windLevels = v; }},
    {"TransitionTemperature", "Temperature, degrees C per step", 1, 50,
     [](const TransitionRates& r) { return r.temperatureDegrees; },
     [](TransitionRates& r, int v) { r.temperatureDegrees = v; }},
    {"TransitionTemperatureEvery", "Temperature steps, one every s", 1, 600,
     [](const TransitionRates& r) { return r.temperatureEverySeconds; },
     [](TransitionRates& r, int v) { r.temperatureEverySeconds = v; }},
    {"TransitionVisibility", "Visibility, per cent per s", 1, 100, VisibilityPercent,
     [](TransitionRates& r, int v) { r.visibilityRatio = 1.0 + v / 100.0; }},
    {"TransitionCloudMetres", "Cloud base and top, m per s", 1, 5000,
     [](const TransitionRates& r) { return r.cloudMetres; },
     [](TransitionRates& r, int v) { r.cloudMetres = v; }},
    {"TransitionCoverEvery", "Cloud cover, one eighth every s", 1, 600,
     [](const TransitionRates& r) { return r.cloudCoverEverySeconds; },
     [](TransitionRates& r, int v) { r.cloudCoverEverySeconds = v; }},
    {"TransitionLayerMetres", "Other layers' altitudes, m per s", 1, 5000,
     [](const TransitionRates& r) { return r.layerMetres; },
     [](TransitionRates& r, int v) { r.layerMetres = v; }},
};

bool ParseSettingNumber(const char* text, int least, int most, int& out) {
  if (!text) return false;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  long long value = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9' && digits < 10; ++p, ++digits) value = value * 10 + (*p - '0');
  while (*p == ' ' || *p == '\t') ++p;
  if (digits == 0 || *p != 0) return false;
  if (negative) value = -value;
  if (value < least || value > most) return false;
  out = int(value);
  return true;
}

TransitionSettings ReadTransitionSettings(SettingsStore& store) {
  TransitionSettings s;
  char text[kSettingValueSize];
  int value = 0;
  store.Get(kTransitionsKey, text);
  if (ParseSettingNumber(text, 0, 1, value)) s.on = value == 1;
  store.Get(kTransitionCommandsKey, text);
  if (ParseSettingNumber(text, 0, int(kSmoothAll), value)) s.commands = unsigned(value);
  for (const TransitionRateItem& item : kTransitionRateItems) {
    store.Get(item.key, text);
    if (ParseSettingNumber(text, item.least, item.most, value)) item.set(s.rates, value);
  }
  return s;
}

void WriteTransitionSettings(SettingsStore& store, const TransitionSettings& settings) {
  char text[16];
  store.Set(kTransitionsKey, settings.on ? "1" : "0");
  std::snprintf(text, sizeof text, "%u", settings.commands & kSmoothAll);
  store.Set(kTransitionCommandsKey, text);
  for (const TransitionRateItem& item : kTransitionRateItems) {
    std::snprintf(text, sizeof text, "%d", item.get(settings.rates));
    store.Set(item.key, text);
  }
}

void TransitionProgressText(bool running, bool stopped, int stepsDone, int stepsLeft, char* out,
                            size_t size) {
  if (size == 0) return;
  out[0] = 0;
  if (running) {
    if (stepsDone < 0) stepsDone = 0;
    if (stepsLeft < 0) stepsLeft = 0;
    const long long all = (long long)stepsDone + stepsLeft;
    const int percent = all > 0 ? int(stepsDone * 100LL / all) : 0;
    // One step a second: steps left are seconds left.
    std::snprintf(out, size, "  [changing %d%%, %d:%02d left]", percent, stepsLeft / 60,
                  stepsLeft % 60);
  } else if (stopped) {
    std::snprintf(out, size, "  [change stopped]");
  }
}
