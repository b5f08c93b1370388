// Controls of the about box "AboutBox", shared by both programs.
#pragma once

#define IDC_ABOUT_TITLE 101
#define IDC_ABOUT_VERSION 102
#define IDC_ETCHED_FRAME 106
