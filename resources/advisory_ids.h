// Palvio's traffic advisories: the "&Advisories" menu after "&Help".
#pragma once

#define IDM_ADVISORIES 42600
#define IDM_FILTER_NORM 42601
#define IDM_FILTER_ABOVE 42602
#define IDM_FILTER_BELOW 42603
#define IDM_FILTER_ALL 42604
#define IDM_ADVISORY_MUTE 42605
