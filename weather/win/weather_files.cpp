#include "weather/win/weather_files.h"

#include <commdlg.h>

#include "link/win/ipc_client.h"
#include "resources/ventrel_resource.h"
#include "weather/caption.h"
#include "weather/files/file_commands.h"
#include "weather/undo_history.h"
#include "weather/win/frame.h"
#include "weather/win/panes.h"
#include "weather/win/settings.h"
#include "weather/win/transition_runner.h"
#include "weather/win/undo.h"
#include "weather/win/ventrel.h"
#include "weather/win/win_file_system.h"

char weatherFilePath[kWeatherPathSize] = "";
WxBrowseState wxBrowse;

namespace {

constexpr const char kPathKey[] = "VTDpath";

class FrameFileReactions : public FileReactions {
 public:
  void ShowError(int code, const char* text) override {
    ::ShowError(ventrel.mainWindow, code, text);
  }
  void Beep() override { MessageBeep(MB_ICONEXCLAMATION); }
  void GrayFindAirport() override { MenuSetGrayed(IDM_FIND_AIRPORT, true); }
  void OfferFindAirport() override {
    if (ventrel.airportTable.bytes) MenuSetGrayed(IDM_FIND_AIRPORT, false);
  }
  void RefreshShown() override { Refresh(true); }
  void ActivateCurrentPane() override { ActivatePane(-1, Select); }
};

// The IPC client's batch, counting the writes queued while connected: a set load that queued
// none (a file that could not be read, a load too large to send) changed nothing to undo.
class WriteCountingBatch : public IpcBatch {
 public:
  void Read(uint32_t offset, uint32_t size, void* destination) override {
    IpcClientBatch().Read(offset, size, destination);
  }
  // A set load's writes go where CommandBatch says: a transition may carry them.
  void Write(uint32_t offset, uint32_t size, const void* source) override {
    if (Capacity() > 0) ++writes;
    if (!command) command = &CommandBatch(SetLoadCommand());
    command->Write(offset, size, source);
  }
  bool Process() override {
    IpcBatch& batch = command ? *command : IpcClientBatch();
    command = nullptr;
    return batch.Process();
  }
  size_t Capacity() const override { return IpcClientBatch().Capacity(); }

  int writes = 0;
  IpcBatch* command = nullptr;
};

WriteCountingBatch& Batch() {
  static WriteCountingBatch batch;
  return batch;
}

FileContext& Context() {
  static Win32WeatherFileSystem files;
  static FrameFileReactions view;
  static FileContext context{files, ventrel.weather, Batch(), view};
  return context;
}

// Every load into the simulator comes here: the tables it replaces are kept for undo first.
bool SetLoad(int kind) {
  char label[kUndoLabelSize];
  SetLoadLabel(weatherFilePath, label, sizeof label);
  KeepWeatherForUndo(kAllSetTables, label);
  Batch().writes = 0;
  bool loaded = true;
  if (kind == kDataFileKind) loaded = LoadDataFile(Context(), weatherFilePath, true);
  if (kind == kWxFileKind)
    loaded = LoadWxEntry(Context(), wxBrowse, weatherFilePath, WxLoad::kSet, -1, 0);
  WeatherChangeSent(Batch().writes > 0);
  return loaded;
}

bool LoadChosenFile(int kind, bool setInSimulator) {
  if (kind != kDataFileKind && kind != kWxFileKind) return true;
  if (setInSimulator) return SetLoad(kind);
  if (kind == kDataFileKind) return LoadDataFile(Context(), weatherFilePath, false);
  return LoadWxEntry(Context(), wxBrowse, weatherFilePath, WxLoad::kShow, -1, 0);
}

// The open or save dialog over weatherFilePath; false when it brought no file.
bool RunFileDialog(bool forSave) {
  char remembered[kWeatherPathSize] = "";
  GetPrivateProfileStringA(kSettingsSection, kPathKey, "", remembered, sizeof remembered,
                           kSettingsFile);
  FileDialogSetup setup;
  PrepareFileDialog(forSave, remembered, ventrel.simulatorFolder, setup);

  weatherFilePath[0] = 0;
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ventrel.mainWindow;
  dialog.lpstrFilter = setup.filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = weatherFilePath;
  dialog.nMaxFile = kWeatherPathSize - 1;
  dialog.lpstrInitialDir = setup.initialFolder[0] ? setup.initialFolder : nullptr;
  dialog.lpstrTitle = setup.title;
  dialog.lpstrDefExt = setup.defaultExtension;
  if (forSave) {
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;
    if (GetSaveFileNameA(&dialog)) return true;
  } else {
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (GetOpenFileNameA(&dialog)) return true;
  }
  weatherFilePath[0] = 0;
  // A cancel by the user has code 0 and shows nothing.
  const DWORD code = CommDlgExtendedError();
  if (code != 0) ::ShowError(ventrel.mainWindow, int(code), kDialogErrorText);
  return false;
}

}  // namespace

int ChooseWeatherFile(bool forSave, const char* givenPath) {
  EndWxBrowsing(wxBrowse);
  MenuSetGrayed(IDM_FIND_AIRPORT, true);
  if (givenPath)
    SetWeatherFilePath(weatherFilePath, givenPath);
  else if (!RunFileDialog(forSave))
    return 0;
  // Remembered before the file is opened, so also when it then cannot be.
  WritePrivateProfileStringA(kSettingsSection, kPathKey, weatherFilePath, kSettingsFile);
  return WeatherFileKind(weatherFilePath);
}

void OnFileCommand(int id) {
  if (ventrel.weather.busy || ventrel.weather.printing) return;
  ventrel.weather.busy = true;
  if (id == IDM_SAVE_AS) {
    const int kind = ChooseWeatherFile(true, nullptr);
    if (kind == kDataFileKind) SaveDataFile(Context(), weatherFilePath);
    if (kind == kWxFileKind) SaveWxFile(Context(), weatherFilePath);
  } else {
    LoadChosenFile(ChooseWeatherFile(false, nullptr), id == IDM_LOAD_AND_SET);
  }
  ventrel.weather.busy = false;
  ActivatePane(-1, Select);
}

void LoadStartupFile(int kind) {
  // Each tick posts the load while it is pending; only the first message runs it, and one
  // arriving inside another command's dialog waits for the next tick.
  if (ventrel.pendingStartupFile == 0 || ventrel.weather.busy || ventrel.weather.printing)
    return;
  ventrel.weather.busy = true;
  ventrel.pendingStartupFile = 0;
  const StartupLoadScope startup;
  if (!LoadChosenFile(kind, ventrel.weather.interfaceFlag))
    PostMessageA(ventrel.mainWindow, WM_CLOSE, 0, 0);
  ventrel.weather.busy = false;
}

bool BrowseWxKey(WORD key) {
  if (wxBrowse.wxShownIndex == 0 || (key != VK_NEXT && key != VK_PRIOR)) return false;
  if (ventrel.weather.busy || ventrel.weather.printing) return true;
  LoadWxEntry(Context(), wxBrowse, weatherFilePath, WxLoad::kBrowse, key == VK_NEXT ? 1 : -1, 0);
  return true;
}

bool ShowWxStation(int station) {
  return LoadWxEntry(Context(), wxBrowse, weatherFilePath, WxLoad::kShow, 0, station);
}

void WxUnreachableCaption(char* out, size_t size) {
  char browsing[64];
  char airport[200];
  FormatWxCaptionTexts(wxBrowse, ventrel.airportTable.bytes.get(), ventrel.airportTable.size,
                       browsing, sizeof browsing, airport, sizeof airport);
  UnreachableCaption(out, size, kVentrelTitle, browsing, airport);
}

void EndWxShow() { wxBrowse.wxShowing = false; }

FileContext& WeatherFileContext() { return Context(); }
