#include "ControllerClock.h"

#include <cmath>

namespace orvane::sim {
namespace {

constexpr long long kSecondsPerDay = 24 * 3600;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long long daysFromCivil(const CivilDate& date) {
  long long year = date.year - (date.month <= 2 ? 1 : 0);
  long long era = (year >= 0 ? year : year - 399) / 400;
  long long yearOfEra = year - era * 400;
  long long dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CivilDate civilFromDays(long long days) {
  days += 719468;
  long long era = (days >= 0 ? days : days - 146096) / 146097;
  long long dayOfEra = days - era * 146097;
  long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  long long monthIndex = (5 * dayOfYear + 2) / 153;
  int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return CivilDate{static_cast<int>(year), month, day};
}

long long floorDivide(long long value, long long divisor) {
  long long quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

}  // namespace

ControllerClock::ControllerClock(const CivilDate& date, int secondOfDay)
    : secondsAtReference_(daysFromCivil(date) * kSecondsPerDay + secondOfDay) {}

long long ControllerClock::secondsAt(double nowMs) const {
  return secondsAtReference_ + static_cast<long long>(std::floor((nowMs - referenceMs_) / 1000.0));
}

int ControllerClock::secondOfDay(double nowMs) const {
  long long seconds = secondsAt(nowMs);
  return static_cast<int>(seconds - floorDivide(seconds, kSecondsPerDay) * kSecondsPerDay);
}

CivilDate ControllerClock::date(double nowMs) const {
  return civilFromDays(floorDivide(secondsAt(nowMs), kSecondsPerDay));
}

void ControllerClock::setTimeOfDay(int secondOfDay, double nowMs) {
  long long day = floorDivide(secondsAt(nowMs), kSecondsPerDay);
  secondsAtReference_ = day * kSecondsPerDay + secondOfDay;
  referenceMs_ = nowMs;
}

void ControllerClock::setDate(const CivilDate& date, double nowMs) {
  int keep = secondOfDay(nowMs);
  secondsAtReference_ = daysFromCivil(date) * kSecondsPerDay + keep;
  referenceMs_ = nowMs;
}

}  // namespace orvane::sim
