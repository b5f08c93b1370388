#include "tests/e2e/print_checks.h"

#include <dlgs.h>

#include <algorithm>
#include <cstdio>

namespace e2e {

// PDFs land here (cups-pdf's output folder), as a Windows path with a trailing backslash.
std::string OutFolder() {
  char value[MAX_PATH] = "";
  if (GetEnvironmentVariableA("PRINT_OUT", value, sizeof value) && value[0]) {
    std::string folder = value;
    if (folder.back() != '\\') folder += '\\';
    return folder;
  }
  return ExeFolder() + "..\\..\\print-out\\";
}

namespace {

// Z: is the Unix root under Wine.
std::string UnixPath(const std::string& windowsPath) {
  char full[MAX_PATH] = "";
  GetFullPathNameA(windowsPath.c_str(), sizeof full, full, nullptr);
  std::string path = full;
  if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// Runs a shell command on the Unix side and returns its output once it has finished (kept in
// the out folder's "checks" under `name`). Wine starts Unix programs but gives no handle to
// wait on, so a marker file tells the end.
std::string RunUnix(const std::string& command, const std::string& name) {
  // Beside the PDFs: a folder both sides see under the same path.
  CreateDirectoryA((OutFolder() + "checks").c_str(), nullptr);
  const std::string outFile = OutFolder() + "checks\\" + name;
  const std::string done = outFile + ".done";
  DeleteFileA(outFile.c_str());
  DeleteFileA(done.c_str());
  std::string line = "/bin/sh -c \"(" + command + ") > '" + UnixPath(outFile) + "' 2>&1; echo >'" +
                     UnixPath(done) + "'\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return "";
  if (info.hProcess) CloseHandle(info.hProcess);
  if (info.hThread) CloseHandle(info.hThread);
  WaitUntil([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
  return ReadTextFile(outFile);
}

}  // namespace

std::vector<std::string> PdfFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((OutFolder() + "*.pdf").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// Waits for a PDF not in `before` whose size has settled; "" when none comes.
std::string WaitForNewPdf(const std::vector<std::string>& before, unsigned timeoutMs) {
  std::string name;
  WaitUntil(
      [&] {
        for (const std::string& n : PdfFiles())
          if (std::find(before.begin(), before.end(), n) == before.end()) name = n;
        return !name.empty();
      },
      timeoutMs);
  if (name.empty()) return "";
  const std::string path = OutFolder() + name;
  LONGLONG last = -1;
  WaitUntil(
      [&] {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
        LONGLONG size = (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        bool settled = size > 0 && size == last;
        last = size;
        if (!settled) Sleep(300);
        return settled;
      },
      15000);
  return path;
}

int PdfPageCount(const std::string& pdf) {
  std::string info = RunUnix("pdfinfo '" + UnixPath(pdf) + "'", "info.txt");
  size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : atoi(info.c_str() + at + 6);
}

// The text of one page (0: all), layout kept so that a row stays on one line.
std::string PdfText(const std::string& pdf, int page) {
  std::string range = page ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
  return RunUnix("pdftotext -layout" + range + " '" + UnixPath(pdf) + "' -",
                 "text" + std::to_string(page) + ".txt");
}

// Keeps page 1 as a picture beside the PDFs: build/print-out/<name>-1.png.
void KeepPagePicture(const std::string& pdf, const std::string& name) {
  RunUnix("pdftoppm -png -r 100 -f 1 -l 1 -singlefile '" + UnixPath(pdf) + "' '" +
              UnixPath(OutFolder() + name) + "'",
          "ppm.txt");
}

PrintDialogUser::PrintDialogUser(DialogAnswer answer, DWORD processId, const char* errorCaption,
                                 const std::string& choosePrinter) {
  const std::string error = errorCaption;
  thread_ = std::thread([this, answer, processId, error, choosePrinter] {
    HWND dialog = WaitForWindow("#32770", "Print", 20000, processId);
    if (!dialog) return;
    seen_ = true;
    // The caption comes before the controls; the printer list is filled last.
    HWND printers = nullptr;
    WaitUntil(
        [&] {
          printers = GetDlgItem(dialog, cmb4);
          return (shownPrinter_ = WindowText(printers)) != "" && GetDlgItem(dialog, IDOK);
        },
        5000);
    if (!choosePrinter.empty() && printers) {
      SendMessageA(printers, CB_SELECTSTRING, WPARAM(-1),
                   reinterpret_cast<LPARAM>(choosePrinter.c_str()));
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(printers), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(printers));
    }
    SendMessageA(GetDlgItem(dialog, answer == DialogAnswer::Ok ? IDOK : IDCANCEL), BM_CLICK, 0,
                 0);
    // The cancel box lives as long as the job: watch for it, and for any error box, which
    // would otherwise hold the job up.
    WaitUntil(
        [&] {
          if (FindTopWindow("#32770", "Ventrel", processId) ||
              FindTopWindow("#32770", "Palvio", processId))
            cancelBoxSeen_ = true;
          if (HWND box = FindTopWindow("#32770", error.c_str(), processId)) {
            errorText_ += DialogStaticTexts(box);
            SendMessageA(box, WM_COMMAND, IDOK, 0);
          }
          return done_.load();
        },
        120000);
  });
}

void PrintDialogUser::Finish() {
  done_ = true;
  if (thread_.joinable()) thread_.join();
}

std::string PrintDialogUser::WindowText(HWND window) {
  if (!window) return "";
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Lines of pdftotext's output whose first word is `word`.
int LinesStartingWith(const std::string& text, const std::string& word) {
  int n = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t first = text.find_first_not_of(" \f", start);
    if (first < end && text.compare(first, word.size(), word) == 0 &&
        (first + word.size() == end || text[first + word.size()] == ' '))
      ++n;
    start = end + 1;
  }
  return n;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace e2e
