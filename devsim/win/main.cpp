// devsim's window: a top-level window of class FS98MAIN that answers "Morvanta:IPC" by running
// the request block through DevsimModule, as the simulator's module would.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "devsim/module.h"

namespace {

constexpr UINT_PTR kAdvanceTimer = 1;
constexpr ULONG_PTR kControlMagic = 0x56454444;  // WM_COPYDATA dwData of a switch text
constexpr UINT kBatchCountMessage = WM_APP + 1;  // answered with the batches carried out so far

DevsimModule* module = nullptr;
UINT ipcMessage = 0;
DWORD lastTick = 0;

// A request block opened by its name.
class MappedBlock {
 public:
  explicit MappedBlock(const char* name) {
    mapping_ = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!mapping_) return;
    view_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    MEMORY_BASIC_INFORMATION info;
    if (view_ && VirtualQuery(view_, &info, sizeof info) == sizeof info) size_ = info.RegionSize;
  }
  ~MappedBlock() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
  }
  MappedBlock(const MappedBlock&) = delete;
  MappedBlock& operator=(const MappedBlock&) = delete;

  uint8_t* Data() const { return size_ ? static_cast<uint8_t*>(view_) : nullptr; }
  size_t Size() const { return size_; }

 private:
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  size_t size_ = 0;
};

// Once a second, or as often as --change-every asks (not below 50 ms).
void StartAdvanceTimer(HWND window) {
  uint32_t every = module->Options().changeEveryMs;
  UINT period = every && every < 1000 ? (every < 50 ? 50 : every) : 1000;
  SetTimer(window, kAdvanceTimer, period, nullptr);
}

// The last block served stays mapped while messages keep coming, so a busy client costs one
// atom look-up per message; it is let go after half a second without any, so that a client
// that closes its block fully really gets rid of it.
std::unique_ptr<MappedBlock> lastBlock;
std::string lastBlockName;
DWORD lastIpcTick = 0;
constexpr DWORD kReleaseAfterMs = 500;

void ReleaseIdleBlock() {
  if (lastBlock && GetTickCount() - lastIpcTick >= kReleaseAfterMs) {
    lastBlock.reset();
    lastBlockName.clear();
  }
}

// An encounter or a flight is served as it stands at the very moment of the read, not at the
// last tick, so that a display's warnings and a followed position can be timed to the second.
void CatchUpMotion() {
  if (module->Traffic().CurrentEncounter() == Encounter::kNone && !module->Traffic().Flying()) return;
  const DWORD now = GetTickCount();
  module->Advance((now - lastTick) / 1000.0);
  lastTick = now;
}

LRESULT OnIpc(WPARAM wParam) {
  uint32_t answer = 0;
  CatchUpMotion();
  char name[256];
  if (GlobalGetAtomNameA(static_cast<ATOM>(wParam), name, sizeof name)) {
    if (!lastBlock || lastBlockName != name) {
      lastBlock = std::make_unique<MappedBlock>(name);
      lastBlockName = name;
    }
    if (lastBlock->Data()) answer = module->Execute(lastBlock->Data(), lastBlock->Size());
  }
  lastIpcTick = GetTickCount();
  if (module->Options().hangMs) Sleep(module->Options().hangMs);
  return LRESULT(answer);
}

LRESULT OnCopyData(HWND window, const COPYDATASTRUCT* data) {
  if (!data || data->dwData != kControlMagic || !data->lpData) return FALSE;
  std::string text(static_cast<const char*>(data->lpData), data->cbData);
  text = text.c_str();  // up to the terminator
  CatchUpMotion();  // a flight going on loses no time to a switch that leaves it alone
  DevsimOptions options = module->Options();
  if (!ParseDevsimOptions(text.c_str(), options)) return FALSE;
  bool applied = module->Apply(options);
  lastTick = GetTickCount();  // a new encounter or flight starts now
  SetWindowTextA(window, module->Options().title.c_str());
  StartAdvanceTimer(window);
  InvalidateRect(window, nullptr, TRUE);
  return applied ? TRUE : FALSE;
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  char lines[6][96];
  std::snprintf(lines[0], sizeof lines[0], "Batches: %llu", (unsigned long long)module->Batches());
  std::snprintf(lines[1], sizeof lines[1], "Reads: %llu   Writes: %llu", (unsigned long long)module->Reads(),
                (unsigned long long)module->Writes());
  std::snprintf(lines[2], sizeof lines[2], "Last answer: %lu%s", (unsigned long)module->LastAnswer(),
                module->Options().noModule ? "   (no module)" : "");
  std::snprintf(lines[3], sizeof lines[3], "Aircraft: %d in %d slots", module->Traffic().AircraftCount(),
                module->Traffic().SlotCount());
  std::snprintf(lines[4], sizeof lines[4], "Weather mode: %d   Signature: %04X", module->Options().mode,
                module->Options().signature);
  const FlightPoint own = module->Traffic().OwnPoint();
  std::snprintf(lines[5], sizeof lines[5], "Own position: %.4f %.4f %.0f ft%s", own.latitude, own.longitude,
                own.feet, module->Traffic().Flying() ? "   (flying)" : "");
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < 6; ++i) TextOutA(dc, 12, 10 + i * 20, lines[i], int(strlen(lines[i])));
  EndPaint(window, &ps);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ipcMessage && ipcMessage != 0 && !module->Options().noModule) return OnIpc(wParam);
  switch (message) {
    case WM_COPYDATA:
      return OnCopyData(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kBatchCountMessage:
      return LRESULT(module->Batches());
    case WM_TIMER: {
      DWORD now = GetTickCount();
      module->Advance((now - lastTick) / 1000.0);
      lastTick = now;
      ReleaseIdleBlock();
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      KillTimer(window, kAdvanceTimer);
      lastBlock.reset();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  DevsimOptions options;
  if (!ParseDevsimOptions(commandLine, options)) return 2;
  DevsimModule devsim(options);
  if (!devsim.Error().empty()) return 3;
  module = &devsim;

  ipcMessage = RegisterWindowMessageA("Morvanta:IPC");
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "FS98MAIN";
  if (!RegisterClassA(&wc)) return 1;
  HWND window = CreateWindowA("FS98MAIN", options.title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 400, 220, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);
  lastTick = GetTickCount();
  StartAdvanceTimer(window);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  module = nullptr;
  return 0;
}
