#include "weather/win/live_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "resources/live_window_ids.h"
#include "weather/transition_control/settings.h"
#include "weather/win/live_weather.h"
#include "weather/win/settings.h"
#include "weather/win/ventrel.h"

namespace {

constexpr const char kLivePlacementKey[] = "LiveWindow";
constexpr size_t kLineSize = 256;

HWND liveWindow = nullptr;
bool filling = false;  // the edits are being filled: their changes are not the pilot's
std::vector<LiveRow> shownBlend, shownSkipped;

struct Column {
  const char* title;
  int width;
};
constexpr Column kBlendColumns[] = {
    {"Station", 52}, {"Distance (nm)", 88}, {"Weight (%)", 74}, {"Age (h:mm)", 76}, {"Report", 420}};
constexpr Column kSkippedColumns[] = {{"Station", 72}, {"Why", 200}};

void SetTextIfChanged(HWND dialog, int id, const char* text) {
  char shown[kLineSize];
  GetDlgItemTextA(dialog, id, shown, sizeof shown);
  if (std::strcmp(shown, text) != 0) SetDlgItemTextA(dialog, id, text);
}

void AddColumns(HWND list, const Column* columns, int count) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (int c = 0; c < count; ++c) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(columns[c].title);
    column.cx = columns[c].width;
    column.iSubItem = c;
    SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(c), reinterpret_cast<LPARAM>(&column));
  }
}

// Fills the list again only when its rows changed, so a steady tick repaints nothing.
void FillList(HWND list, const std::vector<LiveRow>& rows, int columns, std::vector<LiveRow>& shown) {
  if (rows == shown) return;
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = int(i);
    item.pszText = const_cast<char*>(rows[i].cell[0].c_str());
    const int at = int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0) break;
    for (int c = 1; c < columns; ++c) {
      item.iSubItem = c;
      item.pszText = const_cast<char*>(rows[i].cell[c].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, WPARAM(at), reinterpret_cast<LPARAM>(&item));
    }
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  shown = rows;
}

void Paint(HWND dialog) {
  LiveView view;
  GetLiveView(view);
  char text[kLineSize];
  LiveStatusText(view.state, LiveChoicesInUse().radiusNm, view.stationsInBlend, text, sizeof text);
  SetTextIfChanged(dialog, IDC_LIVE_STATUS, text);
  if (view.havePosition)
    LivePositionText(view.position, text, sizeof text);
  else
    std::strcpy(text, "Aircraft: read only while following");
  SetTextIfChanged(dialog, IDC_LIVE_POSITION, text);
  LiveFileStatusText(view.file, text, sizeof text);
  if (view.stationListUnread) {
    const size_t length = std::strlen(text);
    std::snprintf(text + length, sizeof text - length, " (the station list cannot be read)");
  }
  SetTextIfChanged(dialog, IDC_LIVE_FILE_STATUS, text);
  LiveNextText(view.secondsToNext >= 0, view.secondsToNext, text, sizeof text);
  SetTextIfChanged(dialog, IDC_LIVE_NEXT, text);
  const UINT follow = LiveFollowing() ? BST_CHECKED : BST_UNCHECKED;
  if (IsDlgButtonChecked(dialog, IDC_LIVE_FOLLOW) != follow) CheckDlgButton(dialog, IDC_LIVE_FOLLOW, follow);
  FillList(GetDlgItem(dialog, IDC_LIVE_BLEND), view.blend, 5, shownBlend);
  FillList(GetDlgItem(dialog, IDC_LIVE_SKIPPED), view.skipped, 2, shownSkipped);
}

void SetNumber(HWND dialog, int id, int value) { SetDlgItemInt(dialog, id, UINT(value), FALSE); }

void OnInit(HWND dialog) {
  liveWindow = dialog;
  shownBlend.clear();
  shownSkipped.clear();
  AddColumns(GetDlgItem(dialog, IDC_LIVE_BLEND), kBlendColumns, 5);
  AddColumns(GetDlgItem(dialog, IDC_LIVE_SKIPPED), kSkippedColumns, 2);
  const LiveChoices& c = LiveChoicesInUse();
  filling = true;
  SendDlgItemMessageA(dialog, IDC_LIVE_FILE, EM_LIMITTEXT, kLivePathSize - 1, 0);
  SendDlgItemMessageA(dialog, IDC_LIVE_STATIONS, EM_LIMITTEXT, kLivePathSize - 1, 0);
  SendDlgItemMessageA(dialog, IDC_LIVE_RADIUS, EM_LIMITTEXT, 3, 0);
  SendDlgItemMessageA(dialog, IDC_LIVE_COUNT, EM_LIMITTEXT, 1, 0);
  SetDlgItemTextA(dialog, IDC_LIVE_FILE, c.reports);
  SetDlgItemTextA(dialog, IDC_LIVE_STATIONS, c.stations);
  SetNumber(dialog, IDC_LIVE_RADIUS, c.radiusNm);
  SetNumber(dialog, IDC_LIVE_COUNT, c.stationCount);
  CheckDlgButton(dialog, IDC_LIVE_AT_STARTUP, c.followAtStartup ? BST_CHECKED : BST_UNCHECKED);
  filling = false;
  Placement p;
  if (ReadPlacement(kLivePlacementKey, p))
    SetWindowPos(dialog, nullptr, p.left, p.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Paint(dialog);
}

// "F&older ..." picks any file of the folder and keeps the folder: the file dialog works
// everywhere, where the folder pickers do not.
void Browse(HWND dialog, int id) {
  char path[MAX_PATH] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = "Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
  ofn.nFilterIndex = 2;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  int edit = IDC_LIVE_FILE;
  switch (id) {
    case IDC_LIVE_BROWSE_FILE:
      ofn.lpstrTitle = "Choose the file of current reports";
      break;
    case IDC_LIVE_BROWSE_FOLDER:
      ofn.lpstrTitle = "Choose any file in the folder of reports";
      break;
    default:
      ofn.lpstrTitle = "Choose the station list";
      edit = IDC_LIVE_STATIONS;
      break;
  }
  if (!GetOpenFileNameA(&ofn)) return;
  // The dialog ran the timer: the window may have been closed meanwhile.
  if (dialog != liveWindow) return;
  if (id == IDC_LIVE_BROWSE_FOLDER && ofn.nFileOffset > 0 && ofn.nFileOffset < sizeof path) {
    const WORD cut = ofn.nFileOffset;
    // Keep the backslash of a drive's root ("C:\").
    path[cut > 3 ? cut - 1 : cut] = 0;
  }
  SetDlgItemTextA(dialog, edit, path);
}

void NumberChanged(HWND dialog, int id) {
  char text[16];
  GetDlgItemTextA(dialog, id, text, sizeof text);
  int value = 0;
  if (id == IDC_LIVE_RADIUS) {
    if (ParseSettingNumber(text, kLiveLeastRadius, kLiveMostRadius, value)) ChooseLiveRadius(value);
  } else if (ParseSettingNumber(text, kLiveLeastCount, kLiveMostCount, value)) {
    ChooseLiveCount(value);
  }
}

void OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDC_LIVE_FILE:
    case IDC_LIVE_STATIONS:
      if (code == EN_CHANGE && !filling) {
        char path[kLivePathSize];
        GetDlgItemTextA(dialog, id, path, sizeof path);
        if (id == IDC_LIVE_FILE)
          ChooseLiveReports(path);
        else
          ChooseLiveStations(path);
        Paint(dialog);
      }
      break;
    case IDC_LIVE_RADIUS:
    case IDC_LIVE_COUNT:
      if (code == EN_CHANGE && !filling) NumberChanged(dialog, id);
      break;
    case IDC_LIVE_BROWSE_FILE:
    case IDC_LIVE_BROWSE_FOLDER:
    case IDC_LIVE_BROWSE_STATIONS:
      Browse(dialog, id);
      break;
    case IDC_LIVE_FOLLOW:
      SetLiveFollowing(IsDlgButtonChecked(dialog, IDC_LIVE_FOLLOW) == BST_CHECKED);
      break;
    case IDC_LIVE_AT_STARTUP:
      ChooseLiveAtStartup(IsDlgButtonChecked(dialog, IDC_LIVE_AT_STARTUP) == BST_CHECKED);
      break;
    case IDCANCEL:
      CloseLiveWindow();
      break;
  }
}

INT_PTR CALLBACK LiveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog);
      SetFocus(GetDlgItem(dialog, IDC_LIVE_FOLLOW));
      return FALSE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      CloseLiveWindow();
      return TRUE;
    case WM_DESTROY:
      if (dialog == liveWindow) liveWindow = nullptr;
      return FALSE;
  }
  return FALSE;
}

bool Create() {
  CreateDialogParamA(ventrel.instance, "LIVEWX", ventrel.mainWindow, LiveProc, 0);
  if (!liveWindow) {
    MessageBeep(MB_ICONEXCLAMATION);
    return false;
  }
  LiveWatchChanged();
  return true;
}

}  // namespace

void OpenLiveWindow(HWND mainWindow) {
  (void)mainWindow;
  if (liveWindow) {
    if (IsIconic(liveWindow)) ShowWindow(liveWindow, SW_RESTORE);
    SetForegroundWindow(liveWindow);
    return;
  }
  if (Create()) ShowWindow(liveWindow, SW_SHOW);
}

void ShowLiveWindowQuietly() {
  if (liveWindow) {
    Paint(liveWindow);
    return;
  }
  if (ventrel.mainWindow && Create()) ShowWindow(liveWindow, SW_SHOWNOACTIVATE);
}

void LiveWindowChanged() {
  if (liveWindow) Paint(liveWindow);
}

void CloseLiveWindow() {
  if (!liveWindow) return;
  HWND window = liveWindow;
  if (!IsIconic(window)) WritePlacement(window, kLivePlacementKey);
  DestroyWindow(window);
  liveWindow = nullptr;
  shownBlend.clear();
  shownSkipped.clear();
  LiveWatchChanged();
}

HWND LiveWindow() { return liveWindow; }
