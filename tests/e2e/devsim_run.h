// devsim and Palvio started from a test: each closed (or killed) at scope end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2e {

// devsim with a log in the test's folder.
struct DevsimRun {
  Process process;
  HWND window = nullptr;
  std::string logPath;

  DevsimRun() = default;
  DevsimRun(const DevsimRun&) = delete;
  DevsimRun& operator=(const DevsimRun&) = delete;
  ~DevsimRun() { Close(); }
  bool Start(const std::string& switches = "");
  void Close();
  std::string Log() const { return ReadTextFile(logPath); }
  // Batches in the log so far.
  int Batches() const { return CountLinesStartingWith(Log(), "batch "); }
  bool WaitForBatches(int count, unsigned timeoutMs) const {
    return WaitUntil([&] { return Batches() >= count; }, timeoutMs);
  }
};

// Palvio.exe from the test's folder, its main window captioned with devsim's airport.
struct PalvioRun {
  Process process;
  HWND window = nullptr;

  PalvioRun() = default;
  PalvioRun(const PalvioRun&) = delete;
  PalvioRun& operator=(const PalvioRun&) = delete;
  ~PalvioRun();
  bool Start(const char* title = "Rennavik");
  // Sent: returns once the command has run.
  void CommandNow(int id) const;
  HWND List() const;
  // The list once its first row has texts.
  HWND WaitForList(unsigned timeoutMs) const;
  std::vector<std::string> Column(int column) const;
};

// Both started, Palvio's list shown; the test ends when either fails.
struct PalvioConnected {
  DevsimRun sim;
  PalvioRun palvio;
  HWND list = nullptr;
  explicit PalvioConnected(const std::string& switches = "");
};

// Writes `text` to a file of this name in the test's folder; returns its path.
std::string WriteTestFile(const char* name, const std::string& text);

}  // namespace e2e
