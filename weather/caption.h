// The main window's caption: the title followed by what the program is connected to.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kCaptionSize = 264;

// After a refresh that reached the simulator: title + ": " + a warning when the weather
// interface is missing + the weather mode's text + "  ICAO=xxxx" in mode 3 with a station.
// The result is cut to fit out.
void ConnectedCaption(char* out, size_t size, const char* title, uint16_t interfaceSignature,
                      int weatherMode, const char* stationIcao);

// While no simulator answers: title + ": Not connected to Korvel" + the .WX browsing text and
// the airport text (either may be null or empty).
void UnreachableCaption(char* out, size_t size, const char* title, const char* browsingText,
                        const char* airportText);
