#include "weather/win/transitions_dialog.h"

#include "common/win/face_brush.h"
#include "resources/transitions_dialog_ids.h"
#include "weather/win/ventrel.h"

namespace {

struct TransitionsDialogState {
  TransitionSettings* settings;
  FaceBrush face;
};

const struct {
  int id;
  unsigned command;
} kCommandBoxes[] = {{IDC_TRANS_SET_LOADS, kSmoothSetLoads},
                     {IDC_TRANS_UNDO, kSmoothUndo},
                     {IDC_TRANS_STARTUP, kSmoothStartup},
                     {IDC_TRANS_CLEARS, kSmoothClears}};

TransitionsDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<TransitionsDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void Fill(HWND dialog, const TransitionSettings& s) {
  CheckDlgButton(dialog, IDC_TRANS_ON, s.on ? BST_CHECKED : BST_UNCHECKED);
  for (const auto& box : kCommandBoxes)
    CheckDlgButton(dialog, box.id, (s.commands & box.command) ? BST_CHECKED : BST_UNCHECKED);
  for (int i = 0; i < kTransitionRateCount; ++i) {
    SetDlgItemTextA(dialog, IDC_TRANS_LABEL0 + i, kTransitionRateItems[i].label);
    SetDlgItemInt(dialog, IDC_TRANS_RATE0 + i, UINT(kTransitionRateItems[i].get(s.rates)), FALSE);
  }
}

// False, with the field selected, when a rate is not a number within its range.
bool Take(HWND dialog, TransitionSettings& s) {
  TransitionSettings chosen = s;
  chosen.on = IsDlgButtonChecked(dialog, IDC_TRANS_ON) == BST_CHECKED;
  chosen.commands = 0;
  for (const auto& box : kCommandBoxes)
    if (IsDlgButtonChecked(dialog, box.id) == BST_CHECKED) chosen.commands |= box.command;
  for (int i = 0; i < kTransitionRateCount; ++i) {
    char text[16] = "";
    GetDlgItemTextA(dialog, IDC_TRANS_RATE0 + i, text, sizeof text);
    const TransitionRateItem& item = kTransitionRateItems[i];
    int value = 0;
    if (!ParseSettingNumber(text, item.least, item.most, value)) {
      MessageBeep(MB_ICONEXCLAMATION);
      HWND field = GetDlgItem(dialog, IDC_TRANS_RATE0 + i);
      SetFocus(field);
      SendMessageA(field, EM_SETSEL, 0, -1);
      return false;
    }
    item.set(chosen.rates, value);
  }
  s = chosen;
  return true;
}

void OnCommand(HWND dialog, TransitionsDialogState* state, int id) {
  switch (id) {
    case IDOK:
      if (!Take(dialog, *state->settings)) return;
      state->face.Reset();
      EndDialog(dialog, IDOK);
      break;
    case IDCANCEL:
      state->face.Reset();
      EndDialog(dialog, IDCANCEL);
      break;
    case IDC_TRANS_DEFAULTS: {
      TransitionSettings defaults;
      defaults.on = IsDlgButtonChecked(dialog, IDC_TRANS_ON) == BST_CHECKED;
      Fill(dialog, defaults);
      break;
    }
  }
}

INT_PTR CALLBACK TransitionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<TransitionsDialogState*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, LONG_PTR(state));
    state->face.Make();
    Fill(dialog, *state->settings);
    return TRUE;
  }
  TransitionsDialogState* state = StateOf(dialog);
  if (!state) return FALSE;
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return state->face.ColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                                     reinterpret_cast<HWND>(lParam));
    case WM_SYSCOLORCHANGE:
      state->face.Make();
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, state, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace

bool RunTransitionsDialog(HWND owner, TransitionSettings& settings) {
  TransitionsDialogState state{&settings, {}};
  return DialogBoxParamA(ventrel.instance, "TRANSDLG", owner, TransitionsDialogProc,
                         LPARAM(&state)) == IDOK;
}
