// Palvio's traffic scope window: the command that opens it and its own menu.
#pragma once

#define IDM_SCOPE 42500
#define IDM_SCOPE_PRINT 42501
#define IDM_SCOPE_CLOSE 42502
#define IDM_SCOPE_RANGE_UP 42503
#define IDM_SCOPE_RANGE_DOWN 42504
