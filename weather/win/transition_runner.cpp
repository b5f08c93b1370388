#include "weather/win/transition_runner.h"

#include <memory>

#include "link/win/ipc_client.h"
#include "resources/ventrel_resource.h"
#include "weather/transition_control/capture.h"
#include "weather/win/frame.h"
#include "weather/win/live_weather.h"
#include "weather/win/profile_window.h"
#include "weather/win/settings.h"
#include "weather/win/supervisor.h"
#include "weather/win/transitions_dialog.h"
#include "weather/win/undo.h"
#include "weather/win/ventrel.h"

namespace {

TransitionSettings settings;
WeatherTransition transition;
bool stoppedByLoss = false;
int startupLoads = 0;
// A tick the message queue delayed is followed by the next on time: a step closer than this to
// the one before waits, so that no rate is ever exceeded within a second.
constexpr DWORD kLeastStepGapMs = kAutoRefreshMs * 9 / 10;
DWORD lastStepAt = 0;

class IniStore : public SettingsStore {
 public:
  void Get(const char* key, char (&value)[kSettingValueSize]) override {
    GetPrivateProfileStringA(kSettingsSection, key, "", value, sizeof value, kSettingsFile);
  }
  void Set(const char* key, const char* value) override {
    WritePrivateProfileStringA(kSettingsSection, key, value, kSettingsFile);
  }
};

void UpdateMenu() {
  const bool running = transition.Running();
  MenuSetGrayed(IDM_TRANSITION_FINISH, !running);
  MenuSetGrayed(IDM_TRANSITION_HOLD, !running);
}

void ShowProgress() {
  UpdateMenu();
  ShowTransitionCaption();
  ProfileTablesChanged();
}

// While AutoRefresh is off the one-second timer runs only for a transition.
void KeepTimer(bool wanted) {
  if (ventrel.autoRefresh || !ventrel.mainWindow) return;
  if (wanted)
    SetTimer(ventrel.mainWindow, kAutoRefreshTimer, kAutoRefreshMs, nullptr);
  else
    KillTimer(ventrel.mainWindow, kAutoRefreshTimer);
}

void Ended() {
  KeepTimer(false);
  ShowProgress();
}

// One exchange with the busy flag held for it alone. A batch that gets no answer means the
// simulator is gone: the transition stops there.
bool Send(const TransitionTables& step, unsigned tables) {
  if (tables == 0) return true;
  ventrel.weather.busy = true;
  const bool sent = QueueTransitionStep(step, tables, IpcClientBatch()) && IpcProcess();
  ventrel.weather.busy = false;
  WeatherChangeSent(true);  // the snapshot no longer shows what is in force
  return sent;
}

void StopLost() {
  if (!transition.Running()) return;
  transition.Stop();
  stoppedByLoss = true;
  Ended();
}

// The target of a command that was captured. True when it is under way, reached already, or
// sent at once because it cannot be reached smoothly.
bool Aim(const TransitionCapture& capture) {
  const TransitionTables& target = capture.Target();
  if (!TransitionTablesUsable(target)) return capture.Replay(IpcClientBatch());
  // From where the simulator is now: the step sent last while one runs, else the snapshot.
  TransitionTables from;
  const bool known = transition.Running()
                         ? CopyTransitionTables(transition.Current(), from)
                         : TransitionTablesFromSnapshot(ventrel.weather.snapshot, from);
  if (known && transition.Start(from, target, settings.rates)) {
    stoppedByLoss = false;
    KeepTimer(true);
    ShowProgress();
    return true;
  }
  Ended();
  // Nothing runs: the target is what is in force already, or the memory was not there, when
  // the command goes as it came.
  if (known && TransitionTablesDiffer(from, target) == 0) return true;
  return capture.Replay(IpcClientBatch());
}

class CommandCapture : public IpcBatch {
 public:
  void Begin(unsigned command) {
    command_ = command;
    capture_.reset();
  }
  void Read(uint32_t offset, uint32_t size, void* destination) override {
    IpcClientBatch().Read(offset, size, destination);
  }
  void Write(uint32_t offset, uint32_t size, const void* source) override {
    if (!capture_) {
      // A command during a transition aims from the transition's target: a Clear of one
      // table leaves the others on their way.
      TransitionTables base;
      const bool based = transition.Running()
                             ? CopyTransitionTables(transition.Target(), base)
                             : TransitionTablesFromSnapshot(ventrel.weather.snapshot, base);
      capture_.reset(new (std::nothrow) TransitionCapture(base, IpcClientBatch().Capacity()));
      if (capture_ && !based) capture_->Read(0, 0, nullptr);  // refuse: send as it comes
    }
    if (capture_) capture_->Write(offset, size, source);
  }
  bool Process() override {
    std::unique_ptr<TransitionCapture> capture = std::move(capture_);
    if (!capture) return IpcClientBatch().Process();
    if (capture->Refused() || capture->Failed()) return capture->Replay(IpcClientBatch());
    return Aim(*capture);
  }
  size_t Capacity() const override { return IpcClientBatch().Capacity(); }

 private:
  unsigned command_ = 0;
  std::unique_ptr<TransitionCapture> capture_;
};

void Finish() {
  if (!transition.Running() || ventrel.weather.busy || ventrel.weather.printing) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  TransitionTables rest;
  unsigned tables = 0;
  transition.FinishNow(rest, tables);
  if (!Send(rest, tables)) stoppedByLoss = true;
  Ended();
}

void Hold() {
  if (!transition.Running()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  transition.HoldHere();
  Ended();
  LiveHeld();  // following would move the weather on at its next update
}

}  // namespace

IpcBatch& CommandBatch(unsigned command) {
  static CommandCapture capture;
  LivePilotSetWeather();  // the pilot's own weather is never overwritten by following
  if (!settings.on || !(settings.commands & command)) {
    HoldTransitionForChange();
    return IpcClientBatch();
  }
  capture.Begin(command);
  return capture;
}

StartupLoadScope::StartupLoadScope() { ++startupLoads; }
StartupLoadScope::~StartupLoadScope() { --startupLoads; }
unsigned SetLoadCommand() { return startupLoads > 0 ? kSmoothStartup : kSmoothSetLoads; }

bool TransitionRunning() { return transition.Running(); }

// While a transition runs, what the pilot chose is its target, not the step in force: that is
// what an undo step keeps, and what a redo after an undo mid-way returns to.
const WeatherSnapshot& ChosenWeather(WeatherSnapshot& scratch) {
  const TransitionTables* target = TransitionTarget();
  if (!target) return ventrel.weather.snapshot;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    const TableBlock& b = target->table[t];
    scratch.Table(t).data = b.Empty() ? TableBlock() : TableBlock::Copy(b.Bytes(), b.Size());
    scratch.Table(t).byteLength = int32_t(scratch.Table(t).data.Size());
  }
  return scratch;
}

const TransitionTables* TransitionTarget() {
  return transition.Running() ? &transition.Target() : nullptr;
}

bool TransitionTick(UINT_PTR timerId) {
  if (!transition.Running()) return false;
  if (!ventrel.simulator || !ventrel.weather.interfaceFlag) {
    StopLost();
    return false;
  }
  if (timerId != kAutoRefreshTimer) {
    KeepTimer(true);  // AutoRefresh was switched off meanwhile
    return false;
  }
  // A step waits for a command or a print that holds the window.
  if (ventrel.weather.busy || ventrel.weather.printing) return false;
  const DWORD now = GetTickCount();
  if (lastStepAt != 0 && now - lastStepAt < kLeastStepGapMs) return false;
  TransitionTables step;
  unsigned tables = 0;
  if (!transition.NextStep(step, tables)) {
    Ended();
    return false;
  }
  if (!Send(step, tables)) {
    StopLost();
    return false;
  }
  lastStepAt = now;
  if (!transition.Running())
    Ended();
  else
    ShowProgress();
  return true;
}

void StopTransitionLost() { StopLost(); }

bool StartLiveTransition(const TransitionTables& target) {
  if (!TransitionTablesUsable(target)) return false;
  // The same target again goes on as it is: its progress does not start over.
  if (transition.Running() && TransitionTablesDiffer(transition.Target(), target) == 0) return true;
  TransitionTables from;
  const bool known = transition.Running()
                         ? CopyTransitionTables(transition.Current(), from)
                         : TransitionTablesFromSnapshot(ventrel.weather.snapshot, from);
  if (!known) return false;
  if (transition.Start(from, target, settings.rates)) {
    stoppedByLoss = false;
    KeepTimer(true);
    ShowProgress();
    return true;
  }
  Ended();
  return false;
}

void HoldTransitionForChange() {
  LivePilotSetWeather();
  if (!transition.Running()) return;
  transition.HoldHere();
  Ended();
}

void OnTransitionCommand(HWND mainWindow, int id) {
  switch (id) {
    case IDM_TRANSITION_FINISH:
      Finish();
      break;
    case IDM_TRANSITION_HOLD:
      Hold();
      break;
    case IDM_TRANSITIONS: {
      TransitionSettings chosen = settings;
      if (RunTransitionsDialog(mainWindow, chosen)) {
        settings = chosen;
        IniStore store;
        WriteTransitionSettings(store, settings);
      }
      break;
    }
  }
}

void LoadTransitionSettings() {
  IniStore store;
  settings = ReadTransitionSettings(store);
  UpdateMenu();
}

void TransitionCaptionText(char* out, size_t size) {
  TransitionProgressText(transition.Running(), stoppedByLoss, transition.StepsDone(),
                         transition.StepsLeft(), out, size);
}
