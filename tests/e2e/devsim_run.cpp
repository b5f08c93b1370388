#include "tests/e2e/devsim_run.h"

#include <cstdio>

#include "tests/e2e/listview.h"

namespace e2e {

namespace {
constexpr int kExit = 101;  // "E&xit" in both programs
}

bool DevsimRun::Start(const std::string& switches) {
  logPath = TestFolder() + "devsim.log";
  std::string command = "\"" + ExeFolder() + "devsim.exe\" \"--log=" + logPath + "\"";
  if (!switches.empty()) command += " " + switches;
  return (window = StartWithWindow(process, command, "FS98MAIN")) != nullptr;
}

void DevsimRun::Close() {
  if (window && process.Running()) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    process.Wait(3000);
  }
  process.Reset();
  window = nullptr;
}

PalvioRun::~PalvioRun() {
  if (window && process.Running()) {
    PostMessageA(window, WM_COMMAND, kExit, 0);
    process.Wait(5000);
  }
}

bool PalvioRun::Start(const char* title) {
  return (window = StartWithWindow(process, "\"" + ExeFolder() + "Palvio.exe\"", "Palvio",
                                   title)) != nullptr;
}

void PalvioRun::CommandNow(int id) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, WM_COMMAND, WPARAM(id), 0, SMTO_BLOCK, 30000, &result);
}

HWND PalvioRun::List() const { return LvFindChild(window); }

HWND PalvioRun::WaitForList(unsigned timeoutMs) const {
  HWND list = nullptr;
  WaitUntil([&] { return (list = List()) && !LvCell(list, 0, 1).empty(); }, timeoutMs);
  return list;
}

std::vector<std::string> PalvioRun::Column(int column) const {
  std::vector<std::string> cells;
  HWND list = List();
  for (int row = 0; list && row < LvRowCount(list); ++row)
    cells.push_back(LvCell(list, row, column));
  return cells;
}

PalvioConnected::PalvioConnected(const std::string& switches) {
  REQUIRE(sim.Start(switches));
  REQUIRE(palvio.Start());
  REQUIRE((list = palvio.WaitForList(10000)) != nullptr);
}

std::string WriteTestFile(const char* name, const std::string& text) {
  const std::string path = TestFolder() + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  return path;
}

}  // namespace e2e
