#include "weather/win/at_altitude_dialog.h"

#include <cstdint>

#include "common/win/about_box.h"
#include "link/win/ipc_client.h"
#include "weather/at_altitude.h"
#include "common/win/face_brush.h"
#include "weather/win/settings.h"
#include "weather/win/ventrel.h"

namespace {

constexpr const char kPlacementKey[] = "GetAtWindow";
constexpr int kUnitLabelChars = 15;

struct AtAltitudeDialog {
  bool feet = false;
  FaceBrush brush;
};

INT_PTR OnInitDialog(HWND dialog, AtAltitudeDialog* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  state->brush.Make();
  SetDlgItemTextA(dialog, kUnitLabel, UnitLabelText(state->feet));
  RestorePlacement(dialog, kPlacementKey);
  return TRUE;
}

// Enter: six ReadAtAltitude reads in one exchange. The unit is taken from the label, the
// altitude field is corrected before the exchange and stays so when it fails.
void Lookup(HWND dialog) {
  WeatherState& w = ventrel.weather;
  if (w.busy || w.printing) return;
  w.busy = true;
  char label[kUnitLabelChars + 1];
  GetDlgItemTextA(dialog, kUnitLabel, label, sizeof label);
  char text[kAltitudeTextChars + 1];
  GetDlgItemTextA(dialog, kAltitudeField, text, sizeof text);
  const AltitudeEntry entry = ReadAltitudeEntry(text, UnitLabelIsFeet(label));
  if (entry.corrected) SetDlgItemTextA(dialog, kAltitudeField, entry.correction);

  uint8_t buffers[6][kAtAltitudeReplySize] = {};
  for (int t = 1; t <= 6; ++t)
    IpcRead(AtAltitudeSelector(t, entry.metres), kAtAltitudeReplySize, buffers[t - 1]);
  if (IpcProcess()) {
    const uint8_t* const replies[6] = {buffers[0], buffers[1], buffers[2],
                                       buffers[3], buffers[4], buffers[5]};
    AtAltitudeTexts texts;
    FormatAtAltitude(replies, texts);
    for (int id = kFirstAtAltitudeField; id <= kLastAtAltitudeField; ++id)
      SetDlgItemTextA(dialog, id, texts.Text(id));
  }
  w.busy = false;
}

void Close(HWND dialog, AtAltitudeDialog* state) {
  state->brush.Reset();
  if (!IsZoomed(dialog) && !IsIconic(dialog)) WritePlacement(dialog, kPlacementKey);
  EndDialog(dialog, IDCANCEL);
}

INT_PTR CALLBACK AtAltitudeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG)
    return OnInitDialog(dialog, reinterpret_cast<AtAltitudeDialog*>(lParam));
  auto* state = reinterpret_cast<AtAltitudeDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!state) return FALSE;
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        Lookup(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {  // "Exit", Escape and the close box
        Close(dialog, state);
        return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORSTATIC:
      return state->brush.ColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                                      reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
      DrawEtchedFrame(int(wParam), reinterpret_cast<const DRAWITEMSTRUCT*>(lParam),
                      state->brush.Get());
      return TRUE;
    case WM_SYSCOLORCHANGE:
      state->brush.Make();
      return TRUE;
    case WM_DESTROY:
      state->brush.Reset();
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunAtAltitudeDialog(HWND owner, bool feet) {
  AtAltitudeDialog state;
  state.feet = feet;
  DialogBoxParamA(ventrel.instance, "GETATDLG", owner, AtAltitudeProc,
                  reinterpret_cast<LPARAM>(&state));
}
