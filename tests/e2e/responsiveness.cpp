#include "tests/e2e/responsiveness.h"

namespace e2e {

namespace {

constexpr unsigned kPingTimeoutMs = 60000;  // longer than any wait a test allows
constexpr unsigned kPingEveryMs = 20;

}  // namespace

ResponsivenessProbe::ResponsivenessProbe(HWND window) : window_(window) {
  thread_ = std::thread([this] { Run(); });
}

ResponsivenessProbe::~ResponsivenessProbe() { Stop(); }

void ResponsivenessProbe::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

unsigned ResponsivenessProbe::LongestMs() const {
  unsigned longest = longestAnswered_;
  const ULONGLONG since = pendingSince_;
  if (since) {
    const ULONGLONG pending = GetTickCount64() - since;
    if (pending > longest) longest = unsigned(pending);
  }
  return longest;
}

void ResponsivenessProbe::Run() {
  while (!stop_) {
    const ULONGLONG start = GetTickCount64();
    pendingSince_ = start;
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, kPingTimeoutMs, &result) != 0;
    pendingSince_ = 0;
    const unsigned took = unsigned(GetTickCount64() - start);
    // A window that has gone answers nothing at once; that is not a wait.
    if (answered && took > longestAnswered_) longestAnswered_ = took;
    if (!answered && !IsWindow(window_)) break;
    Sleep(kPingEveryMs);
  }
}

bool Answers(HWND window, unsigned timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

}  // namespace e2e
