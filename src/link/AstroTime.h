// Astronomical time: two-digit clock fields, the Modified Julian Date and the local mean
// sidereal time at the site, from the computer's UTC clock.
// Thread: any (pure functions).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/Types.h"

namespace orvane {

// Decimal text of a clock field (taken as an unsigned 16-bit number) with one "0" in front
// when it is 9 or less: 7 -> "07", 10 -> "10".
std::string LZ(unsigned value);
// "HH:MM:SS" with LZ on each part.
std::string ClockText(int hour, int minute, int second);
std::string ClockText(const ui::DateTime& time);

// Fractional part in [0, 1): Frac(-0.25) is 0.75.
double Frac(double x);

// Modified Julian Date of a UTC calendar time (Gregorian formula); 2000-01-01 12:00 is
// 51544.5.
double MJD(const ui::DateTime& utc);

// Site longitude in degrees from the six-character text of the longitude control (sign,
// three digits of degrees, two of minutes; blanks count as 0). Nothing when the text is
// shorter than six characters or a part is not a number. Degrees 0 give 0 whatever the
// minutes say.
std::optional<double> LongitudeFromText(std::string_view text);

// Local mean sidereal time in hours (0 to 24) at the given UTC time and a longitude in
// degrees as the controller counts it (positive west).
double LocalSiderealHours(double longitudeDegrees, const ui::DateTime& utc);
// Local mean sidereal time "hh:mm:ss" at the given UTC time and longitude text; empty when
// the longitude is not available.
std::string Stardate(std::string_view longitudeText, const ui::DateTime& utc);

struct TimeOffset {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
};
// Controller clock minus computer clock, both "HH:MM:SS", always taken forward (a
// controller clock earlier than the computer's is on the next day). Nothing when either
// text is not a time.
std::optional<TimeOffset> CalculateTimeDifference(std::string_view controllerTime,
                                                  std::string_view computerTime);
// "HH:MM:SS" of a clock time plus an offset, wrapping at midnight.
std::string ShiftedClockText(int hour, int minute, int second, const TimeOffset& offset);

}  // namespace orvane
