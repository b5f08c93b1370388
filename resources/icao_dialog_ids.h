// Controls of the airport search dialog "GETICAO".
#pragma once

#define IDC_ICAO_CODE 1040
