#include "weather/caption.h"

#include <cstdio>

#include "weather/records.h"

namespace {

const char* OrEmpty(const char* s) { return s ? s : ""; }

}  // namespace

void ConnectedCaption(char* out, size_t size, const char* title, uint16_t interfaceSignature,
                      int weatherMode, const char* stationIcao) {
  if (size == 0) return;
  const char* prefix =
      interfaceSignature == kInterfaceSignature ? "" : "No advanced weather interface! ";
  // The mode is the top two bits of the status word, so 0 to 3.
  const char* status = statusTexts[weatherMode & 3];
  stationIcao = OrEmpty(stationIcao);
  if ((weatherMode & 3) == 3 && stationIcao[0] != 0)
    snprintf(out, size, "%s: %s%s  ICAO=%s", OrEmpty(title), prefix, status, stationIcao);
  else
    snprintf(out, size, "%s: %s%s", OrEmpty(title), prefix, status);
}

void UnreachableCaption(char* out, size_t size, const char* title, const char* browsingText,
                        const char* airportText) {
  if (size == 0) return;
  snprintf(out, size, "%s: %s%s%s", OrEmpty(title), statusTexts[kNotConnectedStatus],
           OrEmpty(browsingText), OrEmpty(airportText));
}
