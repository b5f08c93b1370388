// Controls of the "&Transitions ..." dialog "TRANSDLG".
#pragma once

#define IDC_TRANS_ON 44101
#define IDC_TRANS_SET_LOADS 44102
#define IDC_TRANS_UNDO 44103
#define IDC_TRANS_STARTUP 44104
#define IDC_TRANS_CLEARS 44105
#define IDC_TRANS_DEFAULTS 44106
// Rate i: its label 44110 + i, its field 44130 + i (i = 0 to 9)
#define IDC_TRANS_LABEL0 44110
#define IDC_TRANS_RATE0 44130
