#include "tests/e2e/harness.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace e2e {
namespace {

struct RegisteredTest {
  const char* suite;
  const char* name;
  TestFunction function;
};

std::vector<RegisteredTest>& Tests() {
  static std::vector<RegisteredTest> tests;
  return tests;
}

const RegisteredTest* currentTest = nullptr;
bool currentFailed = false;
std::string currentFolder;

bool Matches(const char* pattern, const char* text) {
  if (*pattern == 0) return *text == 0;
  if (*pattern == '*') return Matches(pattern + 1, text) || (*text && Matches(pattern, text + 1));
  if (*text && (*pattern == '?' || *pattern == *text)) return Matches(pattern + 1, text + 1);
  return false;
}

// Everything goes out line by line: a program killed by its time-out still leaves its log.
void Print(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

Registrar::Registrar(const char* suite, const char* name, TestFunction function) {
  Tests().push_back({suite, name, function});
}

void ReportFailure(const char* file, int line, const std::string& message) {
  currentFailed = true;
  const char* slash = std::strrchr(file, '/');
  if (!slash) slash = std::strrchr(file, '\\');
  Print("[ FAIL ] " + std::string(slash ? slash + 1 : file) + ":" + std::to_string(line) + " " +
        message);
}

std::string ToText(const void* v) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", v);
  return text;
}

std::string ToText(long long v) {
  char text[48];
  std::snprintf(text, sizeof text, "%lld (0x%llX)", v, static_cast<unsigned long long>(v));
  return text;
}

std::string ToText(unsigned long long v) {
  char text[48];
  std::snprintf(text, sizeof text, "%llu (0x%llX)", v, v);
  return text;
}

int RunAll(const char* filter) {
  int passed = 0;
  int failed = 0;
  for (const RegisteredTest& test : Tests()) {
    const std::string fullName = std::string(test.suite) + "." + test.name;
    if (filter && !Matches(filter, fullName.c_str())) continue;
    currentTest = &test;
    currentFailed = false;
    currentFolder.clear();
    Print("[ RUN ] " + fullName);
    const ULONGLONG start = GetTickCount64();
    try {
      test.function();
    } catch (const TestAbort&) {
      currentFailed = true;
    } catch (...) {
      ReportFailure(__FILE__, __LINE__, "unexpected exception");
    }
    const std::string took = " (" + std::to_string(GetTickCount64() - start) + " ms)";
    if (currentFailed) {
      ++failed;
      Print("[ FAIL ] " + fullName + took);
    } else {
      ++passed;
      Print("[  OK  ] " + fullName + took);
    }
    currentTest = nullptr;
  }
  Print(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed");
  return failed == 0 ? 0 : 1;
}

Process::Process(Process&& other) noexcept : info_(other.info_) { other.info_ = {}; }

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Reset();
    info_ = other.info_;
    other.info_ = {};
  }
  return *this;
}

bool Process::Start(const std::string& commandLine) {
  Reset();
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_)) {
    info_ = {};
    return false;
  }
  return true;
}

bool Process::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::Wait(unsigned timeoutMs) const {
  return !info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Process::Reset() {
  if (info_.hProcess) {
    if (Running()) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
  }
  if (info_.hThread) CloseHandle(info_.hThread);
  info_ = {};
}

HWND FindTopWindow(const char* className, const char* title, DWORD processId) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, className, title)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (processId == 0 || owner == processId) return window;
  }
  return nullptr;
}

HWND WaitForWindow(const char* className, const char* title, unsigned timeoutMs,
                   DWORD processId) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindTopWindow(className, title, processId)) != nullptr; },
            timeoutMs);
  return window;
}

bool SendDevsimControl(HWND devsim, const char* switches) {
  COPYDATASTRUCT data = {};
  data.dwData = kDevsimControl;
  data.cbData = DWORD(std::strlen(switches) + 1);
  data.lpData = const_cast<char*>(switches);
  DWORD_PTR reply = 0;
  return SendMessageTimeoutA(devsim, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_BLOCK,
                             5000, &reply) != 0;
}

std::string DialogStaticTexts(HWND dialog) {
  std::string texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0) continue;
    char text[512] = "";
    GetWindowTextA(child, text, sizeof text);
    if (!text[0]) continue;
    if (!texts.empty()) texts += '\n';
    texts += text;
  }
  return texts;
}

HWND StartWithWindow(Process& process, const std::string& commandLine, const char* className,
                     const char* title, unsigned timeoutMs) {
  if (!process.Start(commandLine)) return nullptr;
  return WaitForWindow(className, title, timeoutMs, process.Id());
}

std::string BoxTexts(HWND box) {
  std::string texts;
  WaitUntil([&] { return !(texts = DialogStaticTexts(box)).empty(); }, 2000);
  return texts;
}

bool PressOk(HWND box) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  return WaitUntil([&] { return !IsWindow(box); }, 3000);
}

std::string FieldText(HWND dialog, int id) {
  char text[128] = "";
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, LPARAM(text), SMTO_BLOCK,
                      5000, &result);
  return text;
}

void SetField(HWND dialog, int id, const char* text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, LPARAM(text), SMTO_BLOCK, 5000,
                      &result);
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

DialogCloser::DialogCloser(const char* caption, unsigned timeoutMs, DWORD processId) {
  std::string title = caption;
  thread_ = std::thread([this, title, timeoutMs, processId] {
    HWND box = WaitForWindow("#32770", title.c_str(), timeoutMs, processId);
    if (!box) return;
    texts_ = BoxTexts(box);
    seen_ = true;
    PressOk(box);
  });
}

std::string ExeFolder() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string TestFolder() {
  if (!currentFolder.empty()) return currentFolder;
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  std::string run = std::string(temp) + "e2e-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(run.c_str(), nullptr);
  std::string name = currentTest ? std::string(currentTest->suite) + "." + currentTest->name
                                 : std::string("outside");
  currentFolder = run + name + "\\";
  CreateDirectoryA(currentFolder.c_str(), nullptr);
  return currentFolder;
}

std::string ReadTextFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

int CountLinesStartingWith(const std::string& text, const std::string& prefix) {
  int count = 0;
  for (size_t at = 0; at < text.size();) {
    if (text.compare(at, prefix.size(), prefix) == 0) ++count;
    size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return count;
}

}  // namespace e2e
