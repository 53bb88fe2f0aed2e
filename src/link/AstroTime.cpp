#include "link/AstroTime.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "text/NumberText.h"

namespace orvane {

namespace {

std::string withoutColons(std::string_view text) {
  std::string kept;
  for (char ch : text) {
    if (ch != ':') kept += ch;
  }
  return kept;
}

constexpr size_t kLongitudeLength = 6;  // sign, three digits of degrees, two of minutes
constexpr double kMjdOffset = -679004;  // day offset of the Gregorian MJD formula
constexpr double kJ2000 = 51544.5;      // MJD of the epoch J2000.0
constexpr double kDaysPerCentury = 36525;

// Greenwich mean sidereal time in hours (IAU 1982) at ut hours after 0h UT of a day that
// lies t Julian centuries after J2000.0.
double GreenwichMeanSiderealHours(double ut, double t) {
  return 6.697374558 + 1.0027379093 * ut +
         (8640184.812866 + (0.093104 - 6.2e-6 * t) * t) * t / 3600;
}

}  // namespace

std::string LZ(unsigned value) {
  value = static_cast<std::uint16_t>(value);
  std::string text = std::to_string(value);
  return value <= 9 ? "0" + text : text;
}

std::string ClockText(int hour, int minute, int second) {
  return LZ(static_cast<unsigned>(hour)) + ":" + LZ(static_cast<unsigned>(minute)) + ":" +
         LZ(static_cast<unsigned>(second));
}

std::string ClockText(const ui::DateTime& time) {
  return ClockText(time.hour, time.minute, time.second);
}

double Frac(double x) {
  double f = x - std::trunc(x);
  if (f < 0) f += 1;
  // Adding 1 to a tiny negative fraction rounds to 1; the fraction of such a number is 0.
  if (f >= 1) f = 0;
  return f;
}

double MJD(const ui::DateTime& utc) {
  long long year = utc.year;
  long long month = utc.month;
  if (month <= 2) {
    month += 12;
    year -= 1;
  }
  long long leapDays = year / 400 - year / 100 + year / 4;
  double days = 365.0 * static_cast<double>(year) + kMjdOffset + static_cast<double>(leapDays) +
                std::floor(30.6001 * static_cast<double>(month + 1)) + utc.day;
  return days + (utc.hour + utc.minute / 60.0 + utc.second / 3600.0) / 24;
}

std::optional<double> LongitudeFromText(std::string_view text) {
  if (text.size() < kLongitudeLength) return std::nullopt;
  std::string digits(text.substr(0, kLongitudeLength));
  for (char& c : digits) {
    if (c == ' ') c = '0';
  }
  long long degrees = 0;
  long long minutes = 0;
  if (!TryParseInteger(std::string_view(digits).substr(0, 4), degrees) ||
      !TryParseInteger(std::string_view(digits).substr(4, 2), minutes)) {
    return std::nullopt;
  }
  // "-000" reads as 0 and has lost its sign, so degrees 0 leave the minutes out too.
  if (degrees == 0) return 0.0;
  double magnitude = static_cast<double>(std::llabs(degrees)) + static_cast<double>(minutes) / 60;
  return degrees < 0 ? -magnitude : magnitude;
}

double LocalSiderealHours(double longitudeDegrees, const ui::DateTime& utc) {
  double mjd = MJD(utc);
  double mjd0 = std::trunc(mjd);
  double ut = (mjd - mjd0) * 24;
  double t = (mjd0 - kJ2000) / kDaysPerCentury;
  double gmst = GreenwichMeanSiderealHours(ut, t);
  // East/west as the controller writes it: the longitude is subtracted.
  return 24 * Frac((gmst - longitudeDegrees / 15) / 24);
}

std::string Stardate(std::string_view longitudeText, const ui::DateTime& utc) {
  std::optional<double> longitude = LongitudeFromText(longitudeText);
  if (!longitude) return {};
  double lmst = LocalSiderealHours(*longitude, utc);
  if (!std::isfinite(lmst)) return {};
  double hours = std::floor(lmst);
  double minutes = std::floor((lmst - hours) * 60);
  double seconds = std::floor((lmst * 60 - std::floor(lmst * 60)) * 60);
  return ClockText(static_cast<int>(hours), static_cast<int>(minutes), static_cast<int>(seconds));
}

std::optional<TimeOffset> CalculateTimeDifference(std::string_view controllerTime,
                                                  std::string_view computerTime) {
  long long controller = IntegerOr(withoutColons(controllerTime), -1);
  const long long computer = IntegerOr(withoutColons(computerTime), -1);
  if (controller < 0 || computer < 0) return std::nullopt;
  if (controller < computer) controller += 240000;
  long long seconds = controller % 100 - computer % 100;
  long long minutes = (controller % 10000) / 100 - (computer % 10000) / 100;
  long long hours = controller / 10000 - computer / 10000;
  if (seconds < 0) {
    seconds += 60;
    --minutes;
  }
  if (minutes < 0) {
    minutes += 60;
    --hours;
  }
  if (hours < 0) hours += 24;
  // A text of more than six digits is no clock time.
  if (hours > 23 || minutes > 59 || seconds > 59) return std::nullopt;
  return TimeOffset{static_cast<int>(hours), static_cast<int>(minutes), static_cast<int>(seconds)};
}

std::string ShiftedClockText(int hour, int minute, int second, const TimeOffset& offset) {
  int s = second + offset.seconds;
  int m = minute + offset.minutes;
  int h = hour + offset.hours;
  if (s > 59) {
    s -= 60;
    ++m;
  }
  if (m > 59) {
    m -= 60;
    ++h;
  }
  if (h > 23) h -= 24;
  return ClockText(h, m, s);
}

}  // namespace orvane
