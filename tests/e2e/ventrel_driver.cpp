#include "tests/e2e/ventrel_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "tests/e2e/listview.h"

namespace e2e {

namespace {

const char* const kPaneTitles[kPanes] = {"Visibility", "Pressure",      "Temperature",
                                         "Winds Set",  "Cloud",         "Winds Applied"};

const char* const kSimulatorKeys[] = {
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0",
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1",
    "SOFTWARE\\Microsoft\\Microsoft Games\\Combat Flight Simulator\\1.00",
    "SOFTWARE\\Microsoft\\Games\\Flight Simulator\\6.0",
};

}  // namespace

bool VentrelRun::Start(const std::string& arguments) {
  std::string command = "\"" + ExeFolder() + "Ventrel.exe\"";
  if (!arguments.empty()) command += " " + arguments;
  if (!(window = StartWithWindow(process, command, "Ventrel"))) return false;
  WaitUntil([&] { return (panes = FindPanes(window))[kPanes - 1] != nullptr; }, 15000);
  return panes[kPanes - 1] != nullptr;
}

bool VentrelRun::Close() {
  if (window && process.Running()) {
    PostMessageA(window, WM_COMMAND, 101, 0);  // E&xit
    process.Wait(5000);
  }
  window = nullptr;
  return !process.Running();
}

std::string VentrelRun::Caption() const {
  char text[300] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool VentrelRun::WaitForCaption(const std::string& text, unsigned timeoutMs) const {
  return WaitUntil([&] { return Caption() == text; }, timeoutMs);
}

void VentrelRun::Command(int id) const { PostMessageA(window, WM_COMMAND, WPARAM(id), 0); }

void VentrelRun::CommandNow(int id) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, WM_COMMAND, WPARAM(id), 0, SMTO_BLOCK, 30000, &result);
}

std::string VentrelIniPath() {
  char folder[MAX_PATH] = "";
  GetWindowsDirectoryA(folder, sizeof folder);
  return std::string(folder) + "\\Ventrel.ini";
}

bool WriteVentrelIni(const std::string& text) {
  FILE* f = std::fopen(VentrelIniPath().c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && written;
}

void ForgetVentrelSettings() {
  DeleteFileA(VentrelIniPath().c_str());
  for (const char* key : kSimulatorKeys) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY, 0);  // where the simulator's live
  }
}

bool StartConnected(DevsimRun& sim, VentrelRun& app, const std::string& switches, int cloudRows,
                    unsigned timeoutMs) {
  if (!sim.Start(switches) || !app.Start()) return false;
  return WaitUntil([&] { return app.Caption() != "Nimbrel: Not connected to Korvel" &&
                                LvRowCount(app.panes[4]) == cloudRows; },
                   timeoutMs);
}

std::array<HWND, kPanes> FindPanes(HWND main) {
  std::array<HWND, kPanes> panes = {};
  for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    if (std::strcmp(className, "SysListView32") != 0) continue;
    const std::vector<LvColumn> columns = LvColumns(child);
    if (columns.empty()) continue;
    for (int p = 0; p < kPanes; ++p)
      if (columns[0].header == kPaneTitles[p]) panes[p] = child;
  }
  return panes;
}

namespace {

// Runs the probe on Ventrel's thread; false when it did not answer.
bool RunMenuProbe(HWND main, const std::vector<UINT>& ids, MenuProbe& result) {
  bool answered = false;
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(MenuProbe), kMenuProbeMapping);
  if (!mapping) return false;
  auto* probe = static_cast<MenuProbe*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  HMODULE module = LoadLibraryA((ExeFolder() + "ventrel_menu_probe.dll").c_str());
  auto hookProc = module ? reinterpret_cast<HOOKPROC>(
                               reinterpret_cast<void*>(GetProcAddress(module, "MenuProbeHook")))
                         : nullptr;
  const DWORD thread = GetWindowThreadProcessId(main, nullptr);
  HHOOK hook = hookProc ? SetWindowsHookExA(WH_GETMESSAGE, hookProc, module, thread) : nullptr;
  if (probe && hook) {
    std::memset(probe, 0, sizeof *probe);
    probe->count = uint32_t(ids.size() < kMenuProbeMax ? ids.size() : kMenuProbeMax);
    for (uint32_t i = 0; i < probe->count; ++i) probe->ids[i] = ids[i];
    PostMessageA(main, RegisterWindowMessageA(kMenuProbeMessage), 0, 0);
    if (WaitUntil([&] { return probe->done != 0; }, 5000)) {
      std::memcpy(&result, probe, sizeof result);
      answered = true;
    }
  }
  if (hook) UnhookWindowsHookEx(hook);
  if (module) FreeLibrary(module);
  if (probe) UnmapViewOfFile(probe);
  CloseHandle(mapping);
  return answered;
}

}  // namespace

std::vector<UINT> MenuStates(HWND main, const std::vector<UINT>& ids) {
  std::vector<UINT> states(ids.size(), 0xFFFFFFFF);
  static MenuProbe result;
  if (RunMenuProbe(main, ids, result))
    for (uint32_t i = 0; i < result.count; ++i) states[i] = result.states[i];
  return states;
}

std::string MenuText(HWND main, UINT id) {
  static MenuProbe result;
  if (!RunMenuProbe(main, {id}, result)) return "";
  result.texts[0][sizeof result.texts[0] - 1] = 0;
  return result.texts[0];
}

bool MenuGrayed(HWND main, UINT id) {
  const UINT state = MenuStates(main, {id})[0];
  return state != 0xFFFFFFFF && (state & MF_GRAYED) != 0;
}

bool MenuChecked(HWND main, UINT id) {
  const UINT state = MenuStates(main, {id})[0];
  return state != 0xFFFFFFFF && (state & MF_CHECKED) != 0;
}

HWND FocusOfThread(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool ProcessMemoryContains(DWORD processId, const std::string& bytes) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return false;
  bool found = false;
  std::string chunk;
  MEMORY_BASIC_INFORMATION info;
  for (uint8_t* at = nullptr; !found && VirtualQueryEx(process, at, &info, sizeof info) == sizeof info;
       at = static_cast<uint8_t*>(info.BaseAddress) + info.RegionSize) {
    if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) ||
        !(info.Protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE)))
      continue;
    chunk.resize(info.RegionSize);
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, info.BaseAddress, &chunk[0], info.RegionSize, &read)) continue;
    chunk.resize(read);
    found = chunk.find(bytes) != std::string::npos;
  }
  CloseHandle(process);
  return found;
}

RECT ChildRect(HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace e2e
