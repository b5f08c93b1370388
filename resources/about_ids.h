// Controls of the about box "AboutBox", shared by both programs.
#pragma once

#define IDC_ABOUT_TITLE 101
#define IDC_ABOUT_VERSION 102
#define IDC_ABOUT_KEYS 43100  // the shortcut keys, in small text
#define IDC_ETCHED_FRAME 106
