#include "weather/win/metar_dialog.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/win/face_brush.h"
#include "link/win/ipc_client.h"
#include "resources/metar_dialog_ids.h"
#include "resources/ventrel_resource.h"
#include "weather/files/file_commands.h"
#include "weather/files/vtd_file.h"
#include "weather/metar/metar_file.h"
#include "weather/metar/metar_report.h"
#include "weather/metar/metar_tables.h"
#include "weather/undo_history.h"
#include "weather/units.h"
#include "weather/win/frame.h"
#include "weather/win/panes.h"
#include "weather/win/profile_window.h"
#include "weather/win/settings.h"
#include "weather/win/transition_runner.h"
#include "weather/win/undo.h"
#include "weather/win/ventrel.h"
#include "weather/win/weather_files.h"
#include "weather/win/win_file_system.h"

namespace {

constexpr const char kPlacementKey[] = "MetarWindow";
constexpr const char kFileKey[] = "MetarFile";
constexpr UINT_PTR kButtonTimer = 1;
constexpr UINT kButtonTimerMs = 500;
constexpr int kLongestTyped = 16384;
constexpr size_t kLargestReportFile = 64u << 20;

struct MetarDialogState {
  FaceBrush face;
  ByteBuffer file;  // the file of reports opened last, whole
  bool fileLoaded = false;
  std::vector<char> decoded;  // the text the report was decoded from
  MetarReport report;
  MetarTables tables;
  int elevation = 0;
};

MetarDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<MetarDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void SetNote(HWND dialog, const char* text) { SetDlgItemTextA(dialog, IDC_METAR_NOTE, text); }

// Set only while the advanced weather interface answers, Show only while it does not.
void UpdateButtons(HWND dialog) {
  const bool answers = ventrel.weather.interfaceFlag && ventrel.simulator;
  EnableWindow(GetDlgItem(dialog, IDC_METAR_SET), answers);
  EnableWindow(GetDlgItem(dialog, IDC_METAR_SHOW), !answers);
}

// Decodes the report box when its text changed. An edit control does not tell of every change
// (a text set from outside it need not come with EN_CHANGE): the button timer asks here too.
void Decode(HWND dialog, MetarDialogState* state) {
  std::vector<char> text(kLongestTyped + 1);
  const int n = GetDlgItemTextA(dialog, IDC_METAR_TEXT, text.data(), int(text.size()));
  const size_t length = size_t(n > 0 ? n : 0);
  text.resize(length);
  if (text == state->decoded && !state->decoded.empty()) return;
  state->decoded = text;
  state->report = DecodeMetar(text.data(), length);

  HWND list = GetDlgItem(dialog, IDC_METAR_GROUPS);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const MetarGroup& g : state->report.groups) {
    char line[kMetarGroupTextSize + kMetarWordsSize + 24];
    snprintf(line, sizeof line, "%s%s: %s", g.error ? "UNREADABLE " : "", g.text, g.words);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);

  const AirportTable& airports = ventrel.airportTable;
  const bool known = StationElevation(airports.bytes.get(), airports.size, state->report.station,
                                      &state->elevation);
  if (!known) state->elevation = 0;
  state->tables = TablesFromMetar(state->report, state->elevation);
  char note[200];
  if (length == 0)
    note[0] = 0;
  else if (known)
    snprintf(note, sizeof note, "Station elevation %d ft from the airport file.",
             int(state->elevation * kFeetPerMetre + 0.5));
  else
    snprintf(note, sizeof note, "%s is not in the airport file: heights are above sea level.",
             state->report.station[0] ? state->report.station : "The station");
  if (state->tables.precipitationWithoutCloud)
    std::strncat(note, " The precipitation has no cloud layer and is left out.",
                 sizeof note - std::strlen(note) - 1);
  SetNote(dialog, note);
}

void OpenReportFile(HWND dialog, MetarDialogState* state) {
  char path[MAX_PATH] = "";
  GetPrivateProfileStringA(kSettingsSection, kFileKey, "", path, sizeof path, kSettingsFile);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = "Reports (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrTitle = "Open a file of METAR reports";
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&ofn)) return;
  WritePrivateProfileStringA(kSettingsSection, kFileKey, path, kSettingsFile);

  Win32WeatherFileSystem files;
  std::unique_ptr<ByteSource> source = files.OpenForReading(path);
  state->file = ByteBuffer();
  state->fileLoaded = false;
  if (!source || source->Size() > kLargestReportFile || !ReadWhole(*source, state->file)) {
    SetNote(dialog, "The file of reports cannot be read (or is larger than 64 MB).");
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  state->fileLoaded = true;
  char note[120];
  snprintf(note, sizeof note, "%u bytes of reports read: type an ICAO code and pick its newest.",
           unsigned(state->file.Size()));
  SetNote(dialog, note);
  SetFocus(GetDlgItem(dialog, IDC_METAR_ICAO));
}

void PickNewest(HWND dialog, MetarDialogState* state) {
  char icao[8] = "";
  GetDlgItemTextA(dialog, IDC_METAR_ICAO, icao, sizeof icao);
  if (!state->fileLoaded) {
    SetNote(dialog, "Open a file of reports first.");
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  const MetarSearch found = FindNewestReport(reinterpret_cast<const char*>(state->file.Bytes()),
                                             state->file.Size(), icao);
  if (!found.found) {
    char note[80];
    snprintf(note, sizeof note, "No report of \"%.4s\" in the file.", icao);
    SetNote(dialog, note);
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  SetDlgItemTextA(dialog, IDC_METAR_TEXT, found.report);
  Decode(dialog, state);
}

bool AnyTableFilled(const MetarTables& t) {
  for (int table = kVisibilityTable; table <= kCloudTable; ++table)
    if (t.filled[table]) return true;
  return false;
}

// Nothing goes anywhere with an unreadable group unless the pilot says so.
bool ConfirmSending(HWND dialog, const MetarDialogState* state) {
  if (!AnyTableFilled(state->tables)) {
    MessageBoxA(dialog, "The report fills no weather table: nothing to send.", "Load METAR",
                MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const MetarGroup* bad = state->report.FirstError();
  if (!bad) return true;
  char text[300];
  snprintf(text, sizeof text,
           "The group \"%s\" cannot be read (%s).\n\nUse the groups that could be read?", bad->text,
           bad->words);
  return MessageBoxA(dialog, text, "Load METAR", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) ==
         IDYES;
}

bool KeepOthers(HWND dialog) {
  return IsDlgButtonChecked(dialog, IDC_METAR_CLEAR_OTHERS) != BST_CHECKED;
}

bool CanSet() {
  const WeatherState& w = ventrel.weather;
  return w.interfaceFlag && ventrel.simulator && !w.busy && !w.printing;
}

bool CanShow() {
  const WeatherState& w = ventrel.weather;
  return !w.interfaceFlag && !w.busy && !w.printing;
}

void NotDone(HWND dialog, const char* note) {
  SetNote(dialog, note);
  MessageBeep(MB_ICONEXCLAMATION);
}

constexpr const char kInterfaceGone[] = "Not sent: the simulator's weather interface is gone.";
constexpr const char kNotAnswered[] = "Not sent: the simulator did not answer.";

void SetReport(HWND dialog, MetarDialogState* state) {
  if (!CanSet()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  Decode(dialog, state);
  if (!ConfirmSending(dialog, state)) return;
  // The box ran the timer: the connection may have gone meanwhile.
  if (!CanSet()) return NotDone(dialog, kInterfaceGone);
  char label[kUndoLabelSize];
  std::snprintf(label, sizeof label, "set METAR %s",
                state->report.station[0] ? state->report.station : "report");
  // A change no refresh has read yet (a Clear) is read first, so the tables kept beside the
  // report and the undo step are both the simulator's as they stand.
  const bool current = KeepWeatherForUndo(kAllSetTables, label);
  if (!current || !CanSet()) {
    WeatherChangeSent(false);
    return NotDone(dialog, CanSet() ? kNotAnswered : kInterfaceGone);
  }
  // During a transition the tables kept beside the report are its target's, not a step's.
  WeatherSnapshot scratch;
  const std::vector<uint8_t> image =
      MetarSetImage(state->tables, KeepOthers(dialog), ChosenWeather(scratch));
  ventrel.weather.busy = true;
  IpcBatch& batch = CommandBatch(kSmoothSetLoads);
  const bool sent =
      QueueDataFileSet(image.data(), image.size(), batch) == DataFileSet::kQueued &&
      batch.Process();
  ventrel.weather.busy = false;
  WeatherChangeSent(sent);
  if (!sent) return NotDone(dialog, kNotAnswered);
  SetNote(dialog, "Sent to the simulator; the panes show it after the next refresh.");
}

// Connected without the weather interface, a refresh leaves the panes alone: they are filled
// here from the tables just shown.
void RefillShownPanes() {
  for (int p = 0; p < kPaneCount; ++p) RefillPane(p);
  ProfileTablesChanged();
  ActivatePane(-1, Select);
}

void ShowReport(HWND dialog, MetarDialogState* state) {
  if (!CanShow()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  Decode(dialog, state);
  if (!ConfirmSending(dialog, state)) return;
  constexpr const char kInterfaceCame[] =
      "Not shown: the simulator's weather interface answers now; use Set.";
  if (!CanShow()) return NotDone(dialog, kInterfaceCame);
  EndWxBrowsing(wxBrowse);
  MenuSetGrayed(IDM_FIND_AIRPORT, true);
  ShowMetarTables(state->tables, KeepOthers(dialog), ventrel.weather.snapshot);
  if (!Refresh(true)) {
    // The refresh reached a simulator: with its weather interface there now, the panes
    // show what it holds.
    if (ventrel.weather.interfaceFlag) return NotDone(dialog, kInterfaceCame);
    RefillShownPanes();
  }
  SetNote(dialog, "The panes show the report.");
}

INT_PTR OnInitDialog(HWND dialog, MetarDialogState* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  state->face.Make();
  SendDlgItemMessageA(dialog, IDC_METAR_TEXT, EM_LIMITTEXT, kLongestTyped, 0);
  SendDlgItemMessageA(dialog, IDC_METAR_ICAO, EM_LIMITTEXT, 4, 0);
  CheckDlgButton(dialog, IDC_METAR_CLEAR_OTHERS, BST_CHECKED);
  RestorePlacement(dialog, kPlacementKey);
  UpdateButtons(dialog);
  SetTimer(dialog, kButtonTimer, kButtonTimerMs, nullptr);
  SetFocus(GetDlgItem(dialog, IDC_METAR_TEXT));
  return FALSE;  // the focus is set
}

void Close(HWND dialog, MetarDialogState* state) {
  KillTimer(dialog, kButtonTimer);
  state->face.Reset();
  if (!IsZoomed(dialog) && !IsIconic(dialog)) WritePlacement(dialog, kPlacementKey);
  EndDialog(dialog, IDCANCEL);
}

INT_PTR OnCommand(HWND dialog, MetarDialogState* state, WORD id, WORD code) {
  switch (id) {
    case IDC_METAR_TEXT:
      if (code == EN_CHANGE) Decode(dialog, state);
      return TRUE;
    case IDC_METAR_OPEN: OpenReportFile(dialog, state); return TRUE;
    case IDC_METAR_PICK: PickNewest(dialog, state); return TRUE;
    case IDC_METAR_SET: SetReport(dialog, state); return TRUE;
    case IDC_METAR_SHOW: ShowReport(dialog, state); return TRUE;
    case IDOK:  // Enter in the ICAO box picks
      if (GetFocus() == GetDlgItem(dialog, IDC_METAR_ICAO)) PickNewest(dialog, state);
      return TRUE;
    case IDCANCEL: Close(dialog, state); return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK MetarDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG)
    return OnInitDialog(dialog, reinterpret_cast<MetarDialogState*>(lParam));
  MetarDialogState* state = StateOf(dialog);
  if (!state) return FALSE;
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return state->face.ColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                                     reinterpret_cast<HWND>(lParam));
    case WM_SYSCOLORCHANGE:
      state->face.Make();
      return TRUE;
    case WM_TIMER:
      UpdateButtons(dialog);
      Decode(dialog, state);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, state, LOWORD(wParam), HIWORD(wParam));
    default:
      return FALSE;
  }
}

}  // namespace

void RunMetarDialog(HWND owner) {
  MetarDialogState state;
  DialogBoxParamA(ventrel.instance, "METAR", owner, MetarDialogProc,
                  reinterpret_cast<LPARAM>(&state));
}
