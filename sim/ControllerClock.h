// ControllerClock: the controller's local clock and date. It runs from a start date and
// time given at time 0 and keeps running with the caller's milliseconds; setting the time
// keeps the date and setting the date keeps the time.
// Thread: one thread at a time (the controller's).
#pragma once

#include "CoordinateText.h"

namespace orvane::sim {

class ControllerClock {
 public:
  ControllerClock(const CivilDate& date, int secondOfDay);

  int secondOfDay(double nowMs) const;
  CivilDate date(double nowMs) const;
  void setTimeOfDay(int secondOfDay, double nowMs);
  void setDate(const CivilDate& date, double nowMs);

 private:
  long long secondsAt(double nowMs) const;  // local seconds since 1970-01-01 00:00

  long long secondsAtReference_ = 0;
  double referenceMs_ = 0;
};

}  // namespace orvane::sim
