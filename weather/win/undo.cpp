#include "weather/win/undo.h"

#include <utility>

#include "link/win/ipc_client.h"
#include "resources/ventrel_resource.h"
#include "weather/undo_history.h"
#include "weather/win/frame.h"
#include "weather/win/transition_runner.h"
#include "weather/win/ventrel.h"

namespace {

UndoHistory history;
// A change went since the last refresh read the simulator, so the snapshot may not show it.
bool snapshotStale = false;
bool keptForChange = false;

uintptr_t SimulatorId() { return reinterpret_cast<uintptr_t>(ventrel.simulator); }

void SetEditItem(UINT id, const char* verb, const char* label, const char* key, bool enabled) {
  char text[kUndoLabelSize * 2 + 32];
  EditMenuText(verb, label, key, text, sizeof text);
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text;
  SetMenuItemInfoA(GetMenu(ventrel.mainWindow), id, FALSE, &info);
  MenuSetGrayed(id, !enabled);
}

void UpdateEditMenu() {
  SetEditItem(IDM_UNDO, "&Undo", history.UndoLabel(), "Ctrl+Z", history.CanUndo());
  SetEditItem(IDM_REDO, "&Redo", history.RedoLabel(), "Ctrl+Y", history.CanRedo());
}

// The tables are kept as the last refresh read them; after a change that no refresh has read
// yet (AutoRefresh off, or two changes within a tick) that would be the state before it, so a
// refresh comes first. Commands call this with the busy flag set: it is lifted meanwhile.
void RefreshIfStale() {
  if (!snapshotStale) return;
  const bool busy = ventrel.weather.busy;
  ventrel.weather.busy = false;
  Refresh(false);
  ventrel.weather.busy = busy;
}

bool CanSend() {
  const WeatherState& w = ventrel.weather;
  return ventrel.simulator && w.interfaceFlag && !w.busy && !w.printing &&
         history.Owner() == SimulatorId();
}

void SendStep(bool undo) {
  const KeptTables* next = undo ? history.NextUndo() : history.NextRedo();
  if (!next || !CanSend()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  RefreshIfStale();
  next = undo ? history.NextUndo() : history.NextRedo();  // a refresh may have dropped it
  KeptTables replaced;
  WeatherSnapshot scratch;
  if (!next || snapshotStale || !CanSend() ||
      !KeepTables(ChosenWeather(scratch), next->tables, replaced)) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  // A step of tables that were never read restores nothing: it only moves across.
  bool sent = next->tables == 0;
  if (!sent) {
    ventrel.weather.busy = true;
    IpcBatch& batch = CommandBatch(kSmoothUndo);
    const bool queued = QueueKeptTables(*next, batch);
    // A batch that got no answer leaves the step where it is: sending it again does no harm.
    sent = queued && batch.Process();
    ventrel.weather.busy = false;
  }
  if (!sent) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  if (undo)
    history.Undone(std::move(replaced));
  else
    history.Redone(std::move(replaced));
  snapshotStale = true;
  UpdateEditMenu();
  Refresh(false);
}

}  // namespace

bool KeepWeatherForUndo(unsigned tables, const char* label) {
  keptForChange = false;
  if (!ventrel.simulator || !ventrel.weather.interfaceFlag) return false;
  RefreshIfStale();
  if (!ventrel.simulator || !ventrel.weather.interfaceFlag) return false;
  WeatherSnapshot scratch;
  keptForChange = history.Keep(ChosenWeather(scratch), tables, label, SimulatorId());
  UpdateEditMenu();
  return !snapshotStale;
}

void WeatherChangeSent(bool queued) {
  if (queued) {
    snapshotStale = true;
    history.Sent();
  } else if (keptForChange) {
    history.Withdraw();
    UpdateEditMenu();
  }
  keptForChange = false;
}

void UndoCommand() { SendStep(true); }
void RedoCommand() { SendStep(false); }

void DropUndoHistory() {
  keptForChange = false;
  snapshotStale = false;
  if (!history.CanUndo() && !history.CanRedo() && history.Owner() == 0) return;
  history.Drop();
  if (ventrel.mainWindow) UpdateEditMenu();
}

void NoteWeatherRefreshed() { snapshotStale = false; }
