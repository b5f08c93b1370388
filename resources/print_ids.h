// Controls of the cancel box "PrintDlgBox", shared by both programs.
#pragma once

#define IDC_PRINT_FRAME 106  // owner-drawn: the etched frame
