#include "weather/live/follow.h"

#include <algorithm>
#include <cmath>

#include "weather/live/station_index.h"

bool LiveFollow::Due(double latitude, double longitude, double nowSeconds, bool fileChanged,
                     bool fading) const {
  if (!done_ || fileChanged) return true;
  const double since = nowSeconds - seconds_;
  // A clock that went back counts as time gone by.
  if (!(since >= 0) || since >= kFollowEverySeconds) return true;
  if (fading && since >= kFollowFadeEverySeconds) return true;
  const double moved = DistanceNm(latitude_, longitude_, latitude, longitude);
  return !(moved < kFollowMoveNm);  // also a position that is not a number
}

void LiveFollow::Done(double latitude, double longitude, double nowSeconds) {
  done_ = true;
  latitude_ = latitude;
  longitude_ = longitude;
  seconds_ = nowSeconds;
}

double LiveFollow::SecondsToNext(double nowSeconds, bool fading) const {
  if (!done_) return 0;
  const double every = fading ? kFollowFadeEverySeconds : kFollowEverySeconds;
  const double left = every - (nowSeconds - seconds_);
  if (!(left > 0)) return 0;
  return std::min(left, every);
}
