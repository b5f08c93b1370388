// Ventrel's weather profile window: the command that opens it and its own menu.
#pragma once

#define IDM_WEATHER_PROFILE 42000
#define IDM_PROFILE_PRINT 42001
#define IDM_PROFILE_CLOSE 42002
