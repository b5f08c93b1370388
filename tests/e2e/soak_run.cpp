#include "tests/e2e/soak_run.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/responsiveness.h"

namespace e2e {

namespace {

constexpr UINT kDevsimBatchCount = WM_APP + 1;
constexpr WPARAM kExitCommand = 101;  // "E&xit" in both programs
constexpr unsigned kBlockCounters = 4;
constexpr unsigned kBlockReleaseMs = 5000;  // devsim lets an idle block go after half a second

// Ends the process when the run is over, whatever happened.
struct Child {
  Process process;
  HWND window = nullptr;
};

bool StartChild(Child& child, const std::string& commandLine, const char* windowClass) {
  return (child.window = StartWithWindow(child.process, commandLine, windowClass)) != nullptr;
}

template <typename Function>
Function NtdllFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

using QueryProcess = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using QuerySystem = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

// Wine's shared GDI handle table: 65536 entries of 24 bytes, named in the PEB.
struct GdiHandleEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;
  UCHAR type;  // 0: free
  UCHAR flags;
  UINT64 userPointer;
};
constexpr size_t kGdiHandles = 0x10000;
constexpr size_t kPebGdiTable = sizeof(void*) == 8 ? 0xF8 : 0x94;

long CountGdiHandles(HANDLE process) {
  auto query = NtdllFunction<QueryProcess>("NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION basic = {};
  ULONG length = 0;
  if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, &length) != 0)
    return -1;
  void* table = nullptr;
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) +
                                      kPebGdiTable,
                         &table, sizeof table, &got) ||
      !table)
    return -1;
  std::vector<GdiHandleEntry> entries(kGdiHandles);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof entries[0], &got))
    return -1;
  long count = 0;
  for (const GdiHandleEntry& e : entries) count += e.type != 0;
  return count;
}

struct SystemHandleEntry {
  ULONG ownerId;
  UCHAR objectType;
  UCHAR flags;
  USHORT value;
  PVOID object;
  ACCESS_MASK access;
};

long CountHandles(DWORD processId) {
  auto query = NtdllFunction<QuerySystem>("NtQuerySystemInformation");
  if (!query) return -1;
  std::vector<char> buffer(1 << 20);
  const LONG kLengthMismatch = LONG(0xC0000004);
  LONG status;
  ULONG length = 0;
  while ((status = query(16 /* SystemHandleInformation */, buffer.data(), ULONG(buffer.size()),
                         &length)) == kLengthMismatch &&
         buffer.size() < (64u << 20))
    buffer.resize(buffer.size() * 2);
  if (status != 0) return -1;
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
  long owned = 0;
  for (ULONG i = 0; i < count; ++i) owned += entries[i].ownerId == processId;
  return owned;
}

}  // namespace

ProcessFigures ReadProcessFigures(HANDLE process) {
  ProcessFigures figures;
  // The GDI table first: reading it makes its pages of the process resident, and Wine counts
  // resident pages as page-file usage. Read after it, the memory figure is the same each time.
  long counted = 0;
  figures.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
  if (figures.gdiObjects) {
    figures.gdiSource = "system";
  } else if ((counted = CountGdiHandles(process)) > 0) {
    figures.gdiObjects = DWORD(counted);
    figures.gdiSource = "handle table";
  }

  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof memory))
    return figures;
  if (memory.PrivateUsage) {
    figures.privateBytes = memory.PrivateUsage;
    figures.privateSource = "private usage";
  } else if (memory.PagefileUsage) {
    figures.privateBytes = memory.PagefileUsage;
    figures.privateSource = "page-file usage";
  }

  DWORD handles = 0;
  if (GetProcessHandleCount(process, &handles) && handles) {
    figures.handles = handles;
    figures.handleSource = "system";
  } else if ((counted = CountHandles(GetProcessId(process))) > 0) {
    figures.handles = DWORD(counted);
    figures.handleSource = "handle list";
  }

  figures.userObjects = GetGuiResources(process, GR_USEROBJECTS);
  figures.read = figures.privateBytes && figures.handles && figures.gdiObjects;
  return figures;
}

long long DevsimBatches(HWND devsim, unsigned timeoutMs) {
  DWORD_PTR batches = 0;
  if (!SendMessageTimeoutA(devsim, kDevsimBatchCount, 0, 0, SMTO_NORMAL, timeoutMs, &batches))
    return -1;
  return (long long)batches;
}

std::string BlockName(DWORD processId, unsigned counter) {
  char name[64];
  std::snprintf(name, sizeof name, "Morvanta:IPC:%lX:%X", (unsigned long)processId, counter);
  return name;
}

bool BlockGone(DWORD processId) {
  for (unsigned counter = 1; counter <= kBlockCounters; ++counter) {
    const std::string name = BlockName(processId, counter);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping) {
      CloseHandle(mapping);
      return false;
    }
    if (GlobalFindAtomA(name.c_str()) != 0) return false;
  }
  return true;
}

SoakResult RunSoak(const SoakPlan& plan) {
  SoakResult result;
  Child sim;
  if (!StartChild(sim, "\"" + ExeFolder() + "devsim.exe\" --change-every=1000", "FS98MAIN")) {
    result.why = "devsim did not start";
    return result;
  }
  Child app;
  if (!StartChild(app, "\"" + ExeFolder() + plan.executable + "\"", plan.windowClass)) {
    result.why = std::string(plan.executable) + " did not start";
    return result;
  }

  if (plan.openCommand) {
    PostMessageA(app.window, WM_COMMAND, WPARAM(plan.openCommand), 0);
    if (!WaitForWindow(plan.openedClass, nullptr, 10000, app.process.Id())) {
      result.why = std::string(plan.openedClass) + " did not open";
      return result;
    }
  }
  const ULONGLONG deadline = GetTickCount64() + plan.timeoutMs;
  const long long first = DevsimBatches(sim.window);
  auto refreshesSince = [&](long long from) {
    const long long batches = DevsimBatches(sim.window);
    return batches < 0 ? -1 : (batches - from) / plan.batchesPerRefresh;
  };
  auto waitFor = [&](long long from, long long count) {
    for (;;) {
      const long long done = refreshesSince(from);
      if (done >= count) return true;
      if (done < 0 || !app.process.Running() || GetTickCount64() >= deadline) return false;
      Sleep(200);
    }
  };
  if (first < 0 || !waitFor(first, plan.warmUpRefreshes)) {
    result.why = "no refreshes during the warm-up";
    return result;
  }
  result.start = ReadProcessFigures(app.process.Handle());
  const ULONGLONG started = GetTickCount64();
  const long long counted = DevsimBatches(sim.window);
  bool all = waitFor(counted, plan.refreshes / 2);
  result.middle = ReadProcessFigures(app.process.Handle());
  all = all && waitFor(counted, plan.refreshes);
  result.refreshes = refreshesSince(counted);
  result.seconds = double(GetTickCount64() - started) / 1000.0;
  result.end = ReadProcessFigures(app.process.Handle());
  result.alive = app.process.Running() && Answers(app.window, 5000);
  if (!all) result.why = "only " + std::to_string(result.refreshes) + " refreshes in time";
  result.ran = all;

  PostMessageA(app.window, WM_COMMAND, kExitCommand, 0);
  result.exited = app.process.Wait(10000);
  result.exitCode = app.process.ExitCode();
  const DWORD id = app.process.Id();
  result.blockGone = WaitUntil([&] { return BlockGone(id); }, kBlockReleaseMs);
  PostMessageA(sim.window, WM_CLOSE, 0, 0);
  sim.process.Wait(3000);
  return result;
}

void PrintSoakFigures(const SoakPlan& plan, const SoakResult& r) {
  std::printf("%s_soak_refreshes: %lld refreshes\n", plan.label, r.refreshes);
  std::printf("%s_soak_seconds: %.1f s\n", plan.label, r.seconds);
  if (r.start.read && r.end.read) {
    std::printf("%s_soak_gdi_objects: %lu objects\n", plan.label, (unsigned long)r.end.gdiObjects);
    std::printf("%s_soak_user_objects: %lu objects\n", plan.label, (unsigned long)r.end.userObjects);
    std::printf("%s_soak_handles: %lu handles\n", plan.label, (unsigned long)r.end.handles);
    std::printf("%s_soak_private_kb: %llu KB\n", plan.label, r.end.privateBytes / 1024);
    std::printf("%s_soak_gdi_growth: %lld objects\n", plan.label, r.GdiGrowth());
    std::printf("%s_soak_user_growth: %lld objects\n", plan.label, r.UserGrowth());
    std::printf("%s_soak_handle_growth: %lld handles\n", plan.label, r.HandleGrowth());
    std::printf("%s_soak_private_kb_growth: %lld KB\n", plan.label, r.PrivateKbGrowth());
    std::printf("%s_soak_private_kb_growth_second_half: %lld KB\n", plan.label,
                r.LatePrivateKbGrowth());
  }
  std::printf("%s_soak_block_left: %d blocks\n", plan.label, r.blockGone ? 0 : 1);
  std::printf("%s_soak_sources: gdi from %s, handles from %s, memory from %s, user objects %s\n",
              plan.label, r.end.gdiSource, r.end.handleSource, r.end.privateSource,
              r.end.userObjects ? "from the system" : "not counted here");
  std::fflush(stdout);
}

}  // namespace e2e
