// Driving Ventrel from a test process: starting it beside devsim, reading its list views
// across processes, and reading its menu states from inside its own thread.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "tests/e2e/devsim_run.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"

namespace e2e {

constexpr int kPanes = 6;

// Ventrel.exe from the test's folder; closed through its menu at scope end, killed if it stays.
struct VentrelRun {
  Process process;
  HWND window = nullptr;
  std::array<HWND, kPanes> panes = {};

  VentrelRun() = default;
  VentrelRun(const VentrelRun&) = delete;
  VentrelRun& operator=(const VentrelRun&) = delete;
  ~VentrelRun() { Close(); }
  bool Start(const std::string& arguments = "");
  // Exit through the menu; true when the process ended.
  bool Close();
  std::string Caption() const;
  bool WaitForCaption(const std::string& text, unsigned timeoutMs) const;
  // The command as the menu sends it (posted; menu states are not consulted).
  void Command(int id) const;
  // Sent: returns once the command has run.
  void CommandNow(int id) const;
};

// A fresh start: no "Ventrel.ini" and none of the simulator's registry keys.
void ForgetVentrelSettings();
std::string VentrelIniPath();
// Ventrel.ini made anew with this text; false when it cannot be written.
bool WriteVentrelIni(const std::string& text);
// Ventrel started beside devsim with these switches, connected once the cloud pane has
// `cloudRows` rows (its insertion row counted).
bool StartConnected(DevsimRun& sim, VentrelRun& app, const std::string& switches, int cloudRows,
                    unsigned timeoutMs = 8000);

// The pane windows of Ventrel's main window, by pane index, found by their first headers.
std::array<HWND, kPanes> FindPanes(HWND main);

// Menu states (GetMenuState flags, or 0xFFFFFFFF when not read) read on Ventrel's thread.
constexpr const char kMenuProbeMessage[] = "VentrelTest.MenuProbe";
constexpr const char kMenuProbeMapping[] = "VentrelTest.MenuProbe";
constexpr uint32_t kMenuProbeMax = 32;
struct MenuProbe {
  uint32_t count;
  uint32_t ids[kMenuProbeMax];
  uint32_t states[kMenuProbeMax];
  volatile LONG done;
  char texts[kMenuProbeMax][96];  // GetMenuStringA of each item
};
std::vector<UINT> MenuStates(HWND main, const std::vector<UINT>& ids);
bool MenuGrayed(HWND main, UINT id);
bool MenuChecked(HWND main, UINT id);
// The item's text as the menu shows it ("" when not read).
std::string MenuText(HWND main, UINT id);

// The window that has the keyboard focus on the thread that owns `window`.
HWND FocusOfThread(HWND window);
// Whether any committed memory of the process holds these bytes.
bool ProcessMemoryContains(DWORD processId, const std::string& bytes);
// The window's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);

}  // namespace e2e
