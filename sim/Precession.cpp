#include "Precession.h"

#include <cmath>
#include <numbers>

namespace orvane::sim {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kArcSecond = kDegree / 3600.0;

long long daysSince1970(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

double CenturiesSinceJ2000(int year, int month, int day, int secondOfDay) {
  constexpr long long kJ2000Day = 10957;  // 2000 January 1 in days since 1970
  const double days = static_cast<double>(daysSince1970(year, month, day) - kJ2000Day) +
                      secondOfDay / 86400.0 - 0.5;
  return days / 36525.0;
}

void PrecessFromJ2000(double& rightAscensionHours, double& declinationDegrees,
                      double centuries) {
  const double t = centuries;
  const double zeta = (2306.2181 * t + 0.30188 * t * t + 0.017998 * t * t * t) * kArcSecond;
  const double z = (2306.2181 * t + 1.09468 * t * t + 0.018203 * t * t * t) * kArcSecond;
  const double theta = (2004.3109 * t - 0.42665 * t * t - 0.041833 * t * t * t) * kArcSecond;
  const double ra = rightAscensionHours * 15.0 * kDegree + zeta;
  const double dec = declinationDegrees * kDegree;
  const double x = std::cos(theta) * std::cos(dec) * std::cos(ra) - std::sin(theta) * std::sin(dec);
  const double y = std::cos(dec) * std::sin(ra);
  const double s = std::sin(theta) * std::cos(dec) * std::cos(ra) + std::cos(theta) * std::sin(dec);
  double hours = std::fmod((std::atan2(y, x) + z) / kDegree / 15.0, 24.0);
  if (hours < 0) hours += 24.0;
  rightAscensionHours = hours;
  declinationDegrees = std::asin(std::fmax(-1.0, std::fmin(1.0, s))) / kDegree;
}

}  // namespace orvane::sim
