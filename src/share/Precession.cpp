#include "share/Precession.h"

#include <cmath>
#include <numbers>

#include "ui/Calendar.h"

namespace orvane {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kArcSecond = kDegree / 3600.0;
constexpr double kDaysPerCentury = 36525.0;
constexpr long long kJ2000Day = 10957;  // 2000 January 1 in days since 1970

// The three precession angles from J2000.0 to the date, in radians.
struct Angles {
  double zeta;
  double z;
  double theta;
};

Angles anglesAt(double t) {
  return Angles{(2306.2181 * t + 0.30188 * t * t + 0.017998 * t * t * t) * kArcSecond,
                (2306.2181 * t + 1.09468 * t * t + 0.018203 * t * t * t) * kArcSecond,
                (2004.3109 * t - 0.42665 * t * t - 0.041833 * t * t * t) * kArcSecond};
}

Equatorial fromRadians(double ra, double dec) {
  double hours = std::fmod(ra / kDegree / 15.0, 24.0);
  if (hours < 0) hours += 24.0;
  return Equatorial{hours, std::fmax(-90.0, std::fmin(90.0, dec / kDegree))};
}

}  // namespace

double CenturiesSinceJ2000(const ui::DateTime& utc) {
  const double seconds = utc.hour * 3600.0 + utc.minute * 60.0 + utc.second +
                         utc.millisecond / 1000.0;
  const double days =
      static_cast<double>(ui::DaysSince1970(utc.year, utc.month, utc.day) - kJ2000Day) +
      seconds / 86400.0 - 0.5;
  return days / kDaysPerCentury;
}

Equatorial PrecessFromJ2000(const Equatorial& j2000, double centuries) {
  const Angles a = anglesAt(centuries);
  const double ra = j2000.hours * 15.0 * kDegree + a.zeta;
  const double dec = j2000.degrees * kDegree;
  const double x = std::cos(a.theta) * std::cos(dec) * std::cos(ra) -
                   std::sin(a.theta) * std::sin(dec);
  const double y = std::cos(dec) * std::sin(ra);
  const double s = std::sin(a.theta) * std::cos(dec) * std::cos(ra) +
                   std::cos(a.theta) * std::sin(dec);
  return fromRadians(std::atan2(y, x) + a.z, std::asin(std::fmax(-1.0, std::fmin(1.0, s))));
}

Equatorial PrecessToJ2000(const Equatorial& ofDate, double centuries) {
  const Angles a = anglesAt(centuries);
  const double ra = ofDate.hours * 15.0 * kDegree - a.z;
  const double dec = ofDate.degrees * kDegree;
  const double x = std::cos(a.theta) * std::cos(dec) * std::cos(ra) +
                   std::sin(a.theta) * std::sin(dec);
  const double y = std::cos(dec) * std::sin(ra);
  const double s = -std::sin(a.theta) * std::cos(dec) * std::cos(ra) +
                   std::cos(a.theta) * std::sin(dec);
  return fromRadians(std::atan2(y, x) - a.zeta, std::asin(std::fmax(-1.0, std::fmin(1.0, s))));
}

}  // namespace orvane
