// CoordinateText: the controller's own text forms of positions, site, time and date, and
// the readers of the texts it is sent. Degrees carry the controller's degree sign 0xDF.
// Thread: any (pure functions).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::sim {

constexpr char kDegreeSign = '\xDF';

struct CivilDate {
  int year = 2000;
  int month = 1;
  int day = 1;
};

// "HH:MM:SS" in high precision, "HH:MM.T" (tenths of a minute) in low precision.
std::string formatRightAscension(double hours, bool highPrecision);
// "sDD:MM:SS" in high precision, "sDD" 0xDF "MM" in low precision.
std::string formatDeclination(double degrees, bool highPrecision);
// "+DDD" 0xDF "MM", 0 to 359 degrees counted towards west.
std::string formatLongitude(int minutesWest);
// "sDD" 0xDF "MM".
std::string formatLatitude(int minutes);
// "sHH.H", for example "+05.0".
std::string formatUtcOffset(double hours);
// "HH:MM:SS".
std::string formatTimeOfDay(int secondOfDay);
// "MM/DD/YY".
std::string formatDate(const CivilDate& date);

// "HH:MM:SS" or "HH:MM.T" -> hours.
std::optional<double> parseRightAscension(std::string_view text);
// "sDD:MM:SS", "sDD" 0xDF "MM:SS", "sDD*MM", "sDD:MM" ... -> degrees, -90 to +90.
std::optional<double> parseDeclination(std::string_view text);
// "sD" degree sign "MM" with up to three degree digits -> minutes of arc, with the degrees
// between -maxNegativeDegrees and maxPositiveDegrees.
std::optional<int> parseAngleMinutes(std::string_view text, int maxNegativeDegrees,
                                     int maxPositiveDegrees);
// "HH:MM:SS" or "HHMMSS" -> second of the day.
std::optional<int> parseTimeOfDay(std::string_view text);
// "MM/DD/YY" -> date; years 00-69 are 2000-2069, 70-99 are 1970-1999.
std::optional<CivilDate> parseDate(std::string_view text);
// A whole or decimal number of hours with an optional sign, -24 to +24.
std::optional<double> parseHours(std::string_view text);

bool isValidDate(const CivilDate& date);

}  // namespace orvane::sim
