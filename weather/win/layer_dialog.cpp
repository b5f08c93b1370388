#include "weather/win/layer_dialog.h"

#include <commctrl.h>

#include <cstdint>

#include "common/win/about_box.h"
#include "link/win/ipc_client.h"
#include "weather/layer_fields.h"
#include "weather/undo_history.h"
#include "common/win/face_brush.h"
#include "weather/win/supervisor.h"
#include "weather/win/undo.h"
#include "weather/win/transition_runner.h"
#include "weather/win/ventrel.h"

namespace {

constexpr int kCellChars = 63;  // read from a pane cell

// What one layer dialog works on, from opening to the request that follows its OK.
struct LayerEdit {
  int editPane = 0;
  int editRow = 0;
  bool insertMode = false;
  uint8_t editRecord[kLayerRecordSize] = {};
  int recordLength = 0;
  FaceBrush brush;
};

void PaneCellText(int pane, int row, int column, char* out, int size) {
  out[0] = 0;
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = out;
  item.cchTextMax = size;
  SendMessageA(ventrel.panes[pane], LVM_GETITEMTEXTA, WPARAM(row), LPARAM(&item));
}

// Edit fills every field from its cell and locks the altitudes that name the layer.
void FillFields(HWND dialog, const LayerEdit& edit) {
  const LayerDialog* d = LayerDialogOf(edit.editPane);
  for (int i = 0; i < d->fieldCount; ++i) {
    const LayerField& f = d->fields[i];
    char cell[kCellChars + 1];
    char text[kFieldTextChars];
    PaneCellText(edit.editPane, edit.editRow, f.column, cell, sizeof cell);
    FillFieldFromRow(edit.editPane, f.column, cell, text, sizeof text);
    SetDlgItemTextA(dialog, f.id, text);
    if (f.lockedOnEdit) {
      SendDlgItemMessageA(dialog, f.id, EM_SETREADONLY, TRUE, 0);
      EnableWindow(GetDlgItem(dialog, f.id), FALSE);
    }
  }
}

INT_PTR OnInitDialog(HWND dialog, LayerEdit* edit) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(edit));
  edit->brush.Make();
  char caption[kLayerCaptionSize];
  LayerDialogCaption(edit->editPane, edit->insertMode, caption, sizeof caption);
  SetWindowTextA(dialog, caption);
  if (!edit->insertMode) FillFields(dialog, *edit);
  return TRUE;  // the focus goes to the first field that is not locked
}

void OnOk(HWND dialog, LayerEdit* edit) {
  const LayerDialog* d = LayerDialogOf(edit->editPane);
  char texts[kMaxLayerFields][kFieldTextChars + 1];
  const char* fieldTexts[kMaxLayerFields];
  for (int i = 0; i < d->fieldCount; ++i) {
    GetDlgItemTextA(dialog, d->fields[i].id, texts[i], sizeof texts[i]);
    fieldTexts[i] = texts[i];
  }
  edit->recordLength = BuildLayerRecord(edit->editPane, fieldTexts, edit->editRecord);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK LayerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog(dialog, reinterpret_cast<LayerEdit*>(lParam));
  auto* edit = reinterpret_cast<LayerEdit*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!edit) return FALSE;
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOk(dialog, edit);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {  // also Escape and the close box
        edit->brush.Reset();
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORSTATIC:
      return edit->brush.ColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                                     reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
      DrawEtchedFrame(int(wParam), reinterpret_cast<const DRAWITEMSTRUCT*>(lParam),
                      edit->brush.Get());
      return TRUE;
    case WM_SYSCOLORCHANGE:
      edit->brush.Make();
      return TRUE;
    case WM_DESTROY:
      edit->brush.Reset();
      return FALSE;
    default:
      return FALSE;
  }
}

// The dialogs are owned by the main window, so they are modal to it; their template
// positions put them beside the pane they edit, never over it.
bool RunLayerDialog(LayerEdit& edit) {
  const LayerDialog* d = LayerDialogOf(edit.editPane);
  return DialogBoxParamA(ventrel.instance, d->templateName, ventrel.mainWindow, LayerDialogProc,
                         reinterpret_cast<LPARAM>(&edit)) == 1;
}

void KeepLayerForUndo(int table, LayerChange change) {
  HoldTransitionForChange();
  char label[kUndoLabelSize];
  LayerChangeLabel(table, change, label, sizeof label);
  KeepWeatherForUndo(TableBit(table), label);
}

bool ConfirmDelete() {
  return MessageBoxA(ventrel.mainWindow, "Delete selected entry?", "Confirm delete!",
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

void RunLayerAction(int pane, int row, PaneAction action) {
  if (action == Select || !LayerDialogOf(pane)) return;
  if (ventrel.weather.printing) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  ventrel.weather.busy = true;
  const int table = pane + 1;
  const int openRow = int(SendMessageA(ventrel.panes[pane], LVM_GETITEMCOUNT, 0, 0)) - 1;
  char cell[kCellChars + 1] = "";
  if (row < openRow && AltitudeColumn(pane) > 0)
    PaneCellText(pane, row, AltitudeColumn(pane), cell, sizeof cell);
  const uint16_t altitude = SelectedLayerAltitude(pane, row, openRow, cell);

  bool changed = false;
  if (action == Delete) {
    if (row < openRow && ConfirmDelete()) {
      KeepLayerForUndo(table, LayerChange::kDelete);
      IpcWrite(WeatherSelector(table, kDeleteLayer, altitude), 0, nullptr);
      changed = true;
    }
  } else {
    LayerEdit edit;
    edit.editPane = pane;
    edit.editRow = row;
    // Insert on the pressure pane edits its one record.
    edit.insertMode = action == Insert && table != kPressureTable;
    if (RunLayerDialog(edit)) {
      KeepLayerForUndo(table, edit.insertMode ? LayerChange::kInsert : LayerChange::kEdit);
      IpcWrite(WeatherSelector(table, edit.insertMode ? kInsertLayer : kReplaceLayer, altitude),
               uint32_t(edit.recordLength), edit.editRecord);
      changed = true;
    }
  }

  // Also after Cancel or No: the (maybe empty) batch goes, and without AutoRefresh timer 1011
  // brings the result within one tick.
  IpcProcess();
  if (changed) WeatherChangeSent(true);
  if (!ventrel.autoRefresh)
    SetTimer(ventrel.mainWindow, kFirstRefreshTimer, kSlowTickMs, nullptr);
  ventrel.weather.busy = false;
}
