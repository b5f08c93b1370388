// A small test framework for the Windows test programs that scripts/e2e runs under wine64,
// and the helpers they share: child processes, top-level windows, devsim's control message,
// a folder per test and whole-file reads.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <thread>
#include <type_traits>

namespace e2e {

using TestFunction = void (*)();

struct Registrar {
  Registrar(const char* suite, const char* name, TestFunction function);
};

// Thrown by REQUIRE to end the running test; only the runner catches it.
struct TestAbort {};

void ReportFailure(const char* file, int line, const std::string& message);
// Runs every registered test whose "Suite.Name" matches the filter (wildcards * and ?).
int RunAll(const char* filter);

inline std::string ToText(bool v) { return v ? "true" : "false"; }
inline std::string ToText(const std::string& v) { return "\"" + v + "\""; }
inline std::string ToText(const char* v) { return v ? ToText(std::string(v)) : "(null)"; }
inline std::string ToText(char* v) { return ToText(static_cast<const char*>(v)); }
std::string ToText(const void* v);
std::string ToText(long long v);
std::string ToText(unsigned long long v);
template <typename T>
std::string ToText(const T& v) {
  if constexpr (std::is_enum_v<T>)
    return ToText(static_cast<long long>(v));
  else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>)
    return ToText(static_cast<long long>(v));
  else if constexpr (std::is_integral_v<T>)
    return ToText(static_cast<unsigned long long>(v));
  else if constexpr (std::is_floating_point_v<T>)
    return std::to_string(v);
  else
    return ToText(static_cast<const void*>(v));
}

template <typename A, typename B>
bool CheckEqual(const char* file, int line, const char* aText, const char* bText, const A& a,
                const B& b) {
  if (a == b) return true;
  ReportFailure(file, line,
                std::string(aText) + " == " + bText + ": " + ToText(a) + " vs " + ToText(b));
  return false;
}

// Polls `condition` every 20 ms until it holds or the time is up.
template <typename Condition>
bool WaitUntil(Condition condition, unsigned timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

// A child process; terminated at scope end if it still runs.
class Process {
 public:
  Process() = default;
  ~Process() { Reset(); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;

  // CreateProcessA with this command line; false (and nothing held) when it cannot start.
  bool Start(const std::string& commandLine);
  bool Running() const;
  // Waits for the process to end; false on time-out.
  bool Wait(unsigned timeoutMs) const;
  DWORD ExitCode() const;
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  void Reset();

 private:
  PROCESS_INFORMATION info_ = {};
};

// A top-level window of this class and title (either may be null), optionally of one process.
HWND FindTopWindow(const char* className, const char* title, DWORD processId = 0);
HWND WaitForWindow(const char* className, const char* title, unsigned timeoutMs,
                   DWORD processId = 0);

// Starts the process and waits for its top-level window; null when either fails.
HWND StartWithWindow(Process& process, const std::string& commandLine, const char* className,
                     const char* title = nullptr, unsigned timeoutMs = 30000);

// devsim's runtime control: the switch text as WM_COPYDATA. False when not delivered.
constexpr ULONG_PTR kDevsimControl = 0x56454444;
bool SendDevsimControl(HWND devsim, const char* switches);

// The texts of a message box (or any dialog's static controls), joined by newlines.
std::string DialogStaticTexts(HWND dialog);
// A box's texts once it has filled them in, which it does while it opens.
std::string BoxTexts(HWND box);
// Presses the box's OK button; true once the box has gone.
bool PressOk(HWND box);
// A dialog control's text, and setting it (both sent, so done on return).
std::string FieldText(HWND dialog, int id);
void SetField(HWND dialog, int id, const char* text);
// Clicks a dialog button (posted).
void Click(HWND dialog, int id);

// Watches on a thread of its own for a dialog with this caption (of one process, or any),
// keeps its static texts and presses its OK button: for boxes that would block the thread
// that opened them, this one's included.
class DialogCloser {
 public:
  DialogCloser(const char* caption, unsigned timeoutMs, DWORD processId = 0);
  ~DialogCloser() { Join(); }
  DialogCloser(const DialogCloser&) = delete;
  DialogCloser& operator=(const DialogCloser&) = delete;

  // Both wait for the watch to end.
  bool Seen() { return Join(), seen_; }
  const std::string& Texts() { return Join(), texts_; }

 private:
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  std::thread thread_;
  bool seen_ = false;
  std::string texts_;
};

// Folder of the running test exe, with a trailing backslash.
std::string ExeFolder();
// A fresh folder for the running test, with a trailing backslash.
std::string TestFolder();
// The whole file, or "" when it cannot be read; readable while another process writes it.
std::string ReadTextFile(const std::string& path);
// Number of lines of `text` that begin with `prefix`.
int CountLinesStartingWith(const std::string& text, const std::string& prefix);

}  // namespace e2e

#define E2E_TEST(Suite, Name)                                                          \
  static void E2eTest_##Suite##_##Name();                                              \
  static const ::e2e::Registrar e2eRegistrar_##Suite##_##Name(#Suite, #Name,           \
                                                              &E2eTest_##Suite##_##Name); \
  static void E2eTest_##Suite##_##Name()

#define CHECK(cond) \
  ((cond) ? true : (::e2e::ReportFailure(__FILE__, __LINE__, "CHECK(" #cond ")"), false))
#define CHECK_EQ(a, b) ::e2e::CheckEqual(__FILE__, __LINE__, #a, #b, (a), (b))
#define REQUIRE(cond)                                                    \
  do {                                                                   \
    if (!(cond)) {                                                       \
      ::e2e::ReportFailure(__FILE__, __LINE__, "REQUIRE(" #cond ")");    \
      throw ::e2e::TestAbort();                                          \
    }                                                                    \
  } while (0)
