// "Palvio.ini", section "Settings", beside Ventrel's settings file: the advisory choices and the
// scope's placement. Read and written when needed; a missing or unreadable file gives the
// defaults, and one that cannot be written is simply not remembered.
#pragma once

#include <windows.h>

#include "common/placement.h"
#include "traffic/advisory_display.h"

constexpr const char kPalvioSettingsFile[] = "Palvio.ini";

AdvisoryChoices ReadAdvisoryChoices();
void WriteAdvisoryChoices(const AdvisoryChoices& choices);
bool ReadScopePlacement(Placement& out);
void WriteScopePlacement(HWND scope);
