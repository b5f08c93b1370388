// How long another process's window goes without handling its messages: a thread of the test
// sends it WM_NULL over and over and keeps the longest wait.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace e2e {

class ResponsivenessProbe {
 public:
  explicit ResponsivenessProbe(HWND window);
  ~ResponsivenessProbe();
  ResponsivenessProbe(const ResponsivenessProbe&) = delete;
  ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;

  // The longest wait so far, the one still under way included.
  unsigned LongestMs() const;
  // The longest wait that has ended.
  unsigned LongestAnsweredMs() const { return longestAnswered_; }
  // Forgets the waits so far.
  void Restart() { longestAnswered_ = 0; }
  // Ends the pings; waits for the one under way.
  void Stop();

 private:
  void Run();

  HWND window_;
  std::atomic<bool> stop_{false};
  std::atomic<unsigned> longestAnswered_{0};
  std::atomic<ULONGLONG> pendingSince_{0};  // 0: no ping under way
  std::thread thread_;
};

// Whether the window's thread handles a message within the time.
bool Answers(HWND window, unsigned timeoutMs);

}  // namespace e2e
