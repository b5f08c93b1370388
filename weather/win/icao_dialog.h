// The airport search dialog "GETICAO": an ICAO code typed, the entry of that airport shown
// from the .WX file on show.
#pragma once

#include <windows.h>

void RunIcaoDialog(HWND owner);
