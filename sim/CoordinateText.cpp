#include "CoordinateText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvane::sim {
namespace {

// Reads the text from left to right; every reader returns nothing once the text does not
// fit, so a caller can chain them and test the result once.
class TextReader {
 public:
  explicit TextReader(std::string_view text) : text_(text) {}

  bool atEnd() const { return position_ == text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[position_]; }

  // A sign, when there is one: -1 for "-", else 1.
  int sign() {
    if (peek() == '-') {
      ++position_;
      return -1;
    }
    if (peek() == '+') ++position_;
    return 1;
  }

  // Between minDigits and maxDigits decimal digits.
  std::optional<int> number(std::size_t minDigits, std::size_t maxDigits) {
    std::size_t count = 0;
    int value = 0;
    while (!atEnd() && count < maxDigits && peek() >= '0' && peek() <= '9') {
      value = value * 10 + (peek() - '0');
      ++position_;
      ++count;
    }
    if (count < minDigits) return std::nullopt;
    return value;
  }

  // One of the given separator characters.
  bool separator(std::string_view allowed) {
    if (atEnd() || allowed.find(peek()) == std::string_view::npos) return false;
    ++position_;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

constexpr std::string_view kDegreeSeparators = ":*\xDF\xB0";

long long positiveModulo(long long value, long long modulus) {
  return ((value % modulus) + modulus) % modulus;
}

std::string twoDigits(long long value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%02lld", value);
  return buffer;
}

std::string threeDigits(long long value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%03lld", value);
  return buffer;
}

}  // namespace

std::string formatRightAscension(double hours, bool highPrecision) {
  if (highPrecision) {
    long long seconds = positiveModulo(std::llround(hours * 3600.0), 24 * 3600);
    return twoDigits(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
           twoDigits(seconds % 60);
  }
  long long tenths = positiveModulo(std::llround(hours * 600.0), 24 * 600);
  return twoDigits(tenths / 600) + ":" + twoDigits(tenths / 10 % 60) + "." +
         std::to_string(tenths % 10);
}

std::string formatDeclination(double degrees, bool highPrecision) {
  double magnitude = std::min(std::fabs(degrees), 90.0);
  if (highPrecision) {
    long long seconds = std::llround(magnitude * 3600.0);
    std::string sign = (degrees < 0 && seconds > 0) ? "-" : "+";
    return sign + twoDigits(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
           twoDigits(seconds % 60);
  }
  long long minutes = std::llround(magnitude * 60.0);
  std::string sign = (degrees < 0 && minutes > 0) ? "-" : "+";
  return sign + twoDigits(minutes / 60) + kDegreeSign + twoDigits(minutes % 60);
}

std::string formatLongitude(int minutesWest) {
  long long minutes = positiveModulo(minutesWest, 360 * 60);
  return "+" + threeDigits(minutes / 60) + kDegreeSign + twoDigits(minutes % 60);
}

std::string formatLatitude(int minutes) {
  std::string sign = minutes < 0 ? "-" : "+";
  int magnitude = std::abs(minutes);
  return sign + twoDigits(magnitude / 60) + kDegreeSign + twoDigits(magnitude % 60);
}

std::string formatUtcOffset(double hours) {
  char buffer[16];
  double tenths = std::round(std::fabs(hours) * 10.0) / 10.0;
  std::snprintf(buffer, sizeof buffer, "%c%04.1f", hours < 0 && tenths > 0 ? '-' : '+', tenths);
  return buffer;
}

std::string formatTimeOfDay(int secondOfDay) {
  long long seconds = positiveModulo(secondOfDay, 24 * 3600);
  return twoDigits(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
         twoDigits(seconds % 60);
}

std::string formatDate(const CivilDate& date) {
  return twoDigits(date.month) + "/" + twoDigits(date.day) + "/" +
         twoDigits(positiveModulo(date.year, 100));
}

std::optional<double> parseRightAscension(std::string_view text) {
  TextReader reader(text);
  auto hours = reader.number(1, 2);
  if (!hours || !reader.separator(":")) return std::nullopt;
  auto minutes = reader.number(2, 2);
  if (!minutes) return std::nullopt;
  double seconds = 0;
  if (reader.separator(":")) {
    auto whole = reader.number(2, 2);
    if (!whole || *whole > 59) return std::nullopt;
    seconds = *whole;
  } else if (reader.separator(".")) {
    auto tenths = reader.number(1, 1);
    if (!tenths) return std::nullopt;
    seconds = *tenths * 6.0;
  } else {
    return std::nullopt;
  }
  if (!reader.atEnd() || *hours > 23 || *minutes > 59) return std::nullopt;
  return *hours + *minutes / 60.0 + seconds / 3600.0;
}

std::optional<double> parseDeclination(std::string_view text) {
  TextReader reader(text);
  int sign = reader.sign();
  auto degrees = reader.number(1, 2);
  if (!degrees || !reader.separator(kDegreeSeparators)) return std::nullopt;
  auto minutes = reader.number(2, 2);
  if (!minutes) return std::nullopt;
  int seconds = 0;
  if (reader.separator(":'")) {
    auto whole = reader.number(2, 2);
    if (!whole || *whole > 59) return std::nullopt;
    seconds = *whole;
  }
  if (!reader.atEnd() || *minutes > 59) return std::nullopt;
  double value = *degrees + *minutes / 60.0 + seconds / 3600.0;
  if (value > 90.0) return std::nullopt;
  return sign * value;
}

std::optional<int> parseAngleMinutes(std::string_view text, int maxNegativeDegrees,
                                     int maxPositiveDegrees) {
  TextReader reader(text);
  int sign = reader.sign();
  auto degrees = reader.number(1, 3);
  if (!degrees || !reader.separator(kDegreeSeparators)) return std::nullopt;
  auto minutes = reader.number(2, 2);
  if (!minutes || !reader.atEnd() || *minutes > 59) return std::nullopt;
  int total = *degrees * 60 + *minutes;
  int limit = (sign < 0 ? maxNegativeDegrees : maxPositiveDegrees) * 60;
  if (total > limit) return std::nullopt;
  return sign * total;
}

std::optional<int> parseTimeOfDay(std::string_view text) {
  TextReader reader(text);
  auto hours = reader.number(2, 2);
  bool colons = reader.separator(":");
  auto minutes = reader.number(2, 2);
  if (colons && !reader.separator(":")) return std::nullopt;
  auto seconds = reader.number(2, 2);
  if (!hours || !minutes || !seconds || !reader.atEnd()) return std::nullopt;
  if (*hours > 23 || *minutes > 59 || *seconds > 59) return std::nullopt;
  return *hours * 3600 + *minutes * 60 + *seconds;
}

std::optional<CivilDate> parseDate(std::string_view text) {
  TextReader reader(text);
  auto month = reader.number(2, 2);
  if (!month || !reader.separator("/")) return std::nullopt;
  auto day = reader.number(2, 2);
  if (!day || !reader.separator("/")) return std::nullopt;
  auto year = reader.number(2, 2);
  if (!year || !reader.atEnd()) return std::nullopt;
  CivilDate date{*year < 70 ? 2000 + *year : 1900 + *year, *month, *day};
  if (!isValidDate(date)) return std::nullopt;
  return date;
}

std::optional<double> parseHours(std::string_view text) {
  TextReader reader(text);
  int sign = reader.sign();
  auto whole = reader.number(1, 2);
  if (!whole) return std::nullopt;
  double value = *whole;
  if (reader.separator(".")) {
    auto tenths = reader.number(1, 1);
    if (!tenths) return std::nullopt;
    value += *tenths / 10.0;
  }
  if (!reader.atEnd() || value > 24.0) return std::nullopt;
  return sign * value;
}

bool isValidDate(const CivilDate& date) {
  if (date.month < 1 || date.month > 12 || date.day < 1) return false;
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  int days = kDays[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
  return date.day <= days;
}

}  // namespace orvane::sim
