#include "weather/win/edit_commands.h"

#include <commctrl.h>

#include "common/win/list_copy.h"
#include "common/win/shortcut_keys.h"
#include "resources/ventrel_resource.h"
#include "weather/win/panes.h"
#include "weather/win/undo.h"
#include "weather/win/ventrel.h"

namespace {

// The pane Ctrl+C copies: the one last activated.
HWND CopiedPane() {
  const int pane = currentPane >= 0 && currentPane < kPaneCount ? currentPane : 1;
  return ventrel.panes[pane];
}

// Every pane ends with its open row, which holds nothing to copy.
int FilledRows(HWND pane) {
  const int rows = int(SendMessageA(pane, LVM_GETITEMCOUNT, 0, 0));
  return rows > 0 ? rows - 1 : 0;
}

void CopyPane() {
  HWND pane = CopiedPane();
  if (!pane || !CopyListRows(ventrel.mainWindow, pane, FilledRows(pane)))
    MessageBeep(MB_ICONEXCLAMATION);
}

void CopyRow() {
  HWND pane = CopiedPane();
  const int row = pane ? ListSelectedRow(pane) : -1;
  if (row < 0 || row >= FilledRows(pane) || !CopyListRow(ventrel.mainWindow, pane, row))
    MessageBeep(MB_ICONEXCLAMATION);
}

}  // namespace

UINT ShortcutCommand(UINT id) {
  if (id == IDM_KEY_OPEN) {
    if (!MenuCommandGrayed(ventrel.mainWindow, IDM_LOAD_AND_SET)) return IDM_LOAD_AND_SET;
    if (!MenuCommandGrayed(ventrel.mainWindow, IDM_LOAD_AND_SHOW)) return IDM_LOAD_AND_SHOW;
    return 0;
  }
  return MenuCommandGrayed(ventrel.mainWindow, id) ? 0 : id;
}

void OnEditCommand(UINT id) {
  switch (id) {
    case IDM_UNDO:
      UndoCommand();
      break;
    case IDM_REDO:
      RedoCommand();
      break;
    case IDM_COPY_PANE:
      CopyPane();
      break;
    case IDM_COPY_ROW:
      CopyRow();
      break;
  }
  ActivatePane(-1, Select);
}
