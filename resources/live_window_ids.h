// Controls of the "Live &weather ..." window "LIVEWX".
#pragma once

#define IDC_LIVE_FILE 45101            // report file, or a folder: its newest file
#define IDC_LIVE_BROWSE_FILE 45102     // "&File ..."
#define IDC_LIVE_BROWSE_FOLDER 45103   // "F&older ..."
#define IDC_LIVE_STATIONS 45104        // station list (used beside the airport file)
#define IDC_LIVE_BROWSE_STATIONS 45105 // "&Stations ..."
#define IDC_LIVE_RADIUS 45106          // nm
#define IDC_LIVE_COUNT 45107           // stations in the blend
#define IDC_LIVE_FOLLOW 45108          // "&Follow the aircraft"
#define IDC_LIVE_AT_STARTUP 45109      // "Follow at start-&up"
#define IDC_LIVE_POSITION 45110        // the aircraft's position
#define IDC_LIVE_FILE_STATUS 45111     // when the file was last read, what it held
#define IDC_LIVE_NEXT 45112            // the next update
#define IDC_LIVE_STATUS 45113          // following, stopped and why, nothing usable
#define IDC_LIVE_BLEND 45114           // list: the stations in the blend
#define IDC_LIVE_SKIPPED 45115         // list: old, unreadable and unplaced stations
