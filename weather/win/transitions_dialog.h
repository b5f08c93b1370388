// The "&Transitions ..." dialog: the switch, which commands are smoothed and each rate.
#pragma once

#include <windows.h>

#include "weather/transition_control/settings.h"

// Modal; true on OK with `settings` holding what the pilot chose.
bool RunTransitionsDialog(HWND owner, TransitionSettings& settings);
