// Resource ids of Ventrel. The numbers are the program's command ids and must not change:
// the frame dispatches on them and the tests post them.
#pragma once

// Menu "Ventrel": File
#define IDM_SAVE_AS 40008
#define IDM_LOAD_AND_SET 40009
#define IDM_LOAD_AND_SHOW 40010
#define IDM_PRINT 104
#define IDM_REFRESH 102
#define IDM_AUTO_REFRESH 105
#define IDM_EXIT 101

// Get At
#define IDM_ALT_FEET 1101
#define IDM_ALT_METRES 1102

// Clear
#define IDM_CLEAR_CLOUDS 40002
#define IDM_CLEAR_PRESSURE 40003
#define IDM_CLEAR_TEMPERATURES 40004
#define IDM_CLEAR_VISIBILITIES 40005
#define IDM_CLEAR_WINDS 40006
#define IDM_CLEAR_ALL 40007

// Search
#define IDM_FIND_AIRPORT 40011

// FlightSim
#define IDM_AUTO_CONNECT 40012
#define IDM_CONNECT 40013
#define IDM_DISCONNECT 40014

// Help
#define IDM_ABOUT 103

// File, after the commands above: METAR reports (41000-41999)
#define IDM_LOAD_METAR 41001
#define IDM_COPY_METAR 41002

// Edit, after the specified menus, and the shortcut keys' own command
#define IDM_UNDO 43000
#define IDM_REDO 43001
#define IDM_COPY_PANE 43002
#define IDM_COPY_ROW 43003
#define IDM_KEY_OPEN 43010  // Ctrl+O: "Load and set" or, while that is greyed, "Load and show"

// FlightSim, after the connection commands: weather changes made step by step (44000-44999)
#define IDM_TRANSITION_FINISH 44001
#define IDM_TRANSITION_HOLD 44002
#define IDM_TRANSITIONS 44003

// FlightSim, after the transitions: weather that follows the aircraft (45000-45999)
#define IDM_LIVE_WEATHER 45001
