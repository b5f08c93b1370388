// Long runs of a program against devsim whose weather and traffic keep changing, read from the
// test side: the program's GDI and USER objects, handles and private memory after a warm-up and
// at the end, and whether its request block and atom are gone once it has closed.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Where the system's own counters read 0 (Wine has no GDI, USER or handle counts and no private
// usage), the figures come from elsewhere: GDI objects from the process's shared GDI handle
// table, handles from the system's handle list, private memory from the page-file usage (the
// same number on Windows). USER objects have no such source; `userObjects` then stays 0.
struct ProcessFigures {
  bool read = false;
  DWORD gdiObjects = 0;
  DWORD userObjects = 0;
  DWORD handles = 0;
  unsigned long long privateBytes = 0;
  const char* gdiSource = "none";  // "system", "handle table"
  const char* handleSource = "none";  // "system", "handle list"
  const char* privateSource = "none";  // "private usage", "page-file usage"
};
ProcessFigures ReadProcessFigures(HANDLE process);

// devsim's count of the batches it has carried out; -1 when it does not answer in time.
long long DevsimBatches(HWND devsim, unsigned timeoutMs = 5000);

// "Morvanta:IPC:<pid>:<counter>", both in upper-case hex.
std::string BlockName(DWORD processId, unsigned counter);
// True when no mapping and no global atom of the process's first few block names is left.
bool BlockGone(DWORD processId);

struct SoakPlan {
  const char* label;        // "ventrel", "palvio": the figures' prefix
  const char* executable;   // in the test's own folder
  const char* windowClass;  // the program's main window
  int batchesPerRefresh;    // what one refresh costs devsim
  long long warmUpRefreshes;
  long long refreshes;      // counted after the warm-up
  unsigned timeoutMs;       // for the whole run
  int openCommand = 0;              // a window the run keeps open (0: none), opened by command
  const char* openedClass = nullptr;  // ... and found by this class
};

struct SoakResult {
  bool ran = false;  // the refreshes all happened
  std::string why;   // what went wrong, when something did
  long long refreshes = 0;
  double seconds = 0;
  ProcessFigures start;
  ProcessFigures middle;  // half-way: growth in the second half alone tells a leak from warm-up
  ProcessFigures end;
  bool alive = false;      // still running and answering at the end
  DWORD exitCode = 0;      // after Exit from its menu
  bool exited = false;
  bool blockGone = false;  // no mapping or atom of it afterwards

  long long GdiGrowth() const { return (long long)end.gdiObjects - (long long)start.gdiObjects; }
  long long UserGrowth() const { return (long long)end.userObjects - (long long)start.userObjects; }
  long long HandleGrowth() const { return (long long)end.handles - (long long)start.handles; }
  long long PrivateKbGrowth() const {
    return ((long long)end.privateBytes - (long long)start.privateBytes) / 1024;
  }
  long long LatePrivateKbGrowth() const {
    return ((long long)end.privateBytes - (long long)middle.privateBytes) / 1024;
  }
};

// Starts devsim (changing every second) and the program, lets it refresh, reads the figures,
// closes both. Runs inside an E2E test or on its own.
SoakResult RunSoak(const SoakPlan& plan);

// The figures as "<label>_soak_<name>: N unit" lines on stdout.
void PrintSoakFigures(const SoakPlan& plan, const SoakResult& result);

}  // namespace e2e
