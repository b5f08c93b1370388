#include "weather/win/icao_dialog.h"

#include "common/win/face_brush.h"
#include "resources/icao_dialog_ids.h"
#include "weather/files/airports.h"
#include "weather/win/settings.h"
#include "weather/win/ventrel.h"
#include "weather/win/weather_files.h"

namespace {

constexpr const char kPlacementKey[] = "GetIcaoWindow";

struct IcaoDialogState {
  FaceBrush face;
};

IcaoDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<IcaoDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR OnInitDialog(HWND dialog, IcaoDialogState* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  state->face.Make();
  RestorePlacement(dialog, kPlacementKey);
  SetFocus(GetDlgItem(dialog, IDC_ICAO_CODE));
  return FALSE;  // the focus is set
}

void Search(HWND dialog) {
  const AirportTable& table = ventrel.airportTable;
  if (ventrel.weather.busy || ventrel.weather.printing || !table.bytes) return;
  char typed[5] = "";
  GetDlgItemTextA(dialog, IDC_ICAO_CODE, typed, sizeof typed);
  const int station = FindAirport(table.bytes.get(), table.size, typed);
  if (station == 0 || !ShowWxStation(station)) MessageBeep(MB_ICONEXCLAMATION);
  // The show load hands the focus to the current pane; the next code is typed here.
  HWND edit = GetDlgItem(dialog, IDC_ICAO_CODE);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
}

void Close(HWND dialog, IcaoDialogState* state) {
  state->face.Reset();
  if (!IsZoomed(dialog) && !IsIconic(dialog)) WritePlacement(dialog, kPlacementKey);
  EndDialog(dialog, IDCANCEL);
}

INT_PTR CALLBACK IcaoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG)
    return OnInitDialog(dialog, reinterpret_cast<IcaoDialogState*>(lParam));
  IcaoDialogState* state = StateOf(dialog);
  if (!state) return FALSE;
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return state->face.ColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                                     reinterpret_cast<HWND>(lParam));
    case WM_SYSCOLORCHANGE:
      state->face.Make();
      return TRUE;
    case WM_COMMAND:
      // No OK button: Enter sends IDOK, the dialog's default command.
      if (LOWORD(wParam) == IDOK) {
        Search(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        Close(dialog, state);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunIcaoDialog(HWND owner) {
  IcaoDialogState state;
  DialogBoxParamA(ventrel.instance, "GETICAO", owner, IcaoDialogProc,
                  reinterpret_cast<LPARAM>(&state));
}
