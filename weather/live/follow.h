// When following is on: when to work the target out again.
#pragma once

#include <cstdint>

constexpr double kFollowMoveNm = 5;
constexpr double kFollowEverySeconds = 60;
constexpr double kFollowFadeEverySeconds = 10;  // while a station fades in or out

class LiveFollow {
 public:
  // True when a new target is due: never worked out, the aircraft moved kFollowMoveNm since
  // the last one, the file changed, kFollowEverySeconds went by, or a fade runs and
  // kFollowFadeEverySeconds went by.
  bool Due(double latitude, double longitude, double nowSeconds, bool fileChanged, bool fading) const;
  void Done(double latitude, double longitude, double nowSeconds);
  void Reset() { done_ = false; }
  // Until the next update by the clock alone (0 when due); with fading, the shorter wait.
  double SecondsToNext(double nowSeconds, bool fading = false) const;
 private:
  bool done_ = false;
  double latitude_ = 0, longitude_ = 0, seconds_ = 0;
};
