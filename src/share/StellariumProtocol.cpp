#include "share/StellariumProtocol.h"

#include <cmath>
#include <cstdio>

namespace orvane {

namespace {

constexpr std::uint16_t kGotoType = 0;
constexpr double kFullTurn = 4294967296.0;       // 2^32: 24 hours of right ascension
constexpr double kQuarterTurn = 1073741824.0;     // 2^30: 90 degrees of declination
constexpr std::size_t kHeaderLength = 4;

std::uint64_t readLittle(std::string_view bytes, std::size_t at, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

void writeLittle(std::string& bytes, std::uint64_t value, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t rightAscensionWord(double hours) {
  double turns = std::fmod(hours / 24.0, 1.0);
  if (turns < 0) turns += 1.0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::llround(turns * kFullTurn)) &
                                    0xFFFFFFFFu);
}

std::int32_t declinationWord(double degrees) {
  const double clamped = std::fmax(-90.0, std::fmin(90.0, degrees));
  return static_cast<std::int32_t>(std::llround(clamped / 90.0 * kQuarterTurn));
}

std::string message(std::uint16_t length, double hours, double degrees, std::int64_t micros) {
  std::string bytes;
  writeLittle(bytes, length, 2);
  writeLittle(bytes, kGotoType, 2);
  writeLittle(bytes, static_cast<std::uint64_t>(micros), 8);
  writeLittle(bytes, rightAscensionWord(hours), 4);
  writeLittle(bytes, static_cast<std::uint32_t>(declinationWord(degrees)), 4);
  return bytes;
}

// Reads "D[D]" then the separator, "DD", then optionally the separator and "DD".
struct Sexagesimal {
  int whole = 0;
  int minutes = 0;
  double seconds = 0;
};
// Right ascensions always have the third field (seconds or tenths of a minute); low
// precision declinations end after the minutes.
std::optional<Sexagesimal> readSexagesimal(std::string_view text, std::string_view firstSeparators,
                                           bool rightAscension) {
  auto digits = [&](std::size_t& at, std::size_t least, std::size_t most) -> std::optional<int> {
    std::size_t count = 0;
    int value = 0;
    while (at < text.size() && count < most && text[at] >= '0' && text[at] <= '9') {
      value = value * 10 + (text[at++] - '0');
      ++count;
    }
    if (count < least) return std::nullopt;
    return value;
  };
  std::size_t at = 0;
  Sexagesimal result;
  const auto whole = digits(at, 1, 3);
  if (!whole || at >= text.size() || firstSeparators.find(text[at]) == std::string_view::npos) {
    return std::nullopt;
  }
  ++at;
  const auto minutes = digits(at, 2, 2);
  if (!minutes || *minutes > 59) return std::nullopt;
  result.whole = *whole;
  result.minutes = *minutes;
  if (at < text.size() && text[at] == ':') {
    ++at;
    const auto seconds = digits(at, 2, 2);
    if (!seconds || *seconds > 59) return std::nullopt;
    result.seconds = *seconds;
  } else if (rightAscension && at < text.size() && text[at] == '.') {
    ++at;
    const auto tenths = digits(at, 1, 1);
    if (!tenths) return std::nullopt;
    result.seconds = *tenths * 6.0;
  } else if (rightAscension) {
    return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  return result;
}

std::string twoDigits(long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", value);
  return text;
}

}  // namespace

std::string StellariumGotoProblem(const StellariumGoto& target) {
  char text[96];
  if (!(std::fabs(target.declinationDegrees) <= 90.0)) {
    std::snprintf(text, sizeof text, "declination %+.4f\xB0 is beyond a pole",
                  target.declinationDegrees);
    return text;
  }
  if (!(target.rightAscensionHours >= 0.0 && target.rightAscensionHours < 24.0)) {
    std::snprintf(text, sizeof text, "right ascension %.4f h is outside 0 to 24 h",
                  target.rightAscensionHours);
    return text;
  }
  return {};
}

bool StellariumFramer::Feed(std::string_view bytes, std::vector<StellariumGoto>& gotos) {
  partial_.append(bytes.data(), bytes.size());
  std::size_t at = 0;
  while (partial_.size() - at >= kHeaderLength) {
    const auto length = static_cast<std::uint16_t>(readLittle(partial_, at, 2));
    const auto type = static_cast<std::uint16_t>(readLittle(partial_, at + 2, 2));
    if (length != kGotoLength || type != kGotoType) {
      refusedLength_ = length;
      refusedType_ = type;
      partial_.clear();
      return false;
    }
    if (partial_.size() - at < kGotoLength) break;
    StellariumGoto message;
    message.clientMicros = static_cast<std::int64_t>(readLittle(partial_, at + 4, 8));
    message.rightAscensionHours =
        static_cast<double>(static_cast<std::uint32_t>(readLittle(partial_, at + 12, 4))) /
        kFullTurn * 24.0;
    message.declinationDegrees =
        static_cast<double>(static_cast<std::int32_t>(readLittle(partial_, at + 16, 4))) /
        kQuarterTurn * 90.0;
    gotos.push_back(message);
    at += kGotoLength;
  }
  partial_.erase(0, at);
  return true;
}

std::string EncodeStellariumPosition(double rightAscensionHours, double declinationDegrees,
                                     std::int64_t micros, std::int32_t status) {
  std::string bytes = message(StellariumFramer::kPositionLength, rightAscensionHours,
                              declinationDegrees, micros);
  writeLittle(bytes, static_cast<std::uint32_t>(status), 4);
  return bytes;
}

std::string EncodeStellariumGoto(double rightAscensionHours, double declinationDegrees,
                                 std::int64_t micros) {
  return message(StellariumFramer::kGotoLength, rightAscensionHours, declinationDegrees, micros);
}

std::optional<StellariumPosition> DecodeStellariumPosition(std::string_view bytes) {
  if (bytes.size() != StellariumFramer::kPositionLength ||
      readLittle(bytes, 0, 2) != StellariumFramer::kPositionLength ||
      readLittle(bytes, 2, 2) != kGotoType) {
    return std::nullopt;
  }
  StellariumPosition position;
  position.micros = static_cast<std::int64_t>(readLittle(bytes, 4, 8));
  position.rightAscensionHours =
      static_cast<double>(static_cast<std::uint32_t>(readLittle(bytes, 12, 4))) / kFullTurn * 24.0;
  position.declinationDegrees =
      static_cast<double>(static_cast<std::int32_t>(readLittle(bytes, 16, 4))) / kQuarterTurn *
      90.0;
  position.status = static_cast<std::int32_t>(readLittle(bytes, 20, 4));
  return position;
}

std::optional<double> HoursOfReading(std::string_view text) {
  const auto parts = readSexagesimal(text, ":", true);
  if (!parts || parts->whole > 23) return std::nullopt;
  return parts->whole + parts->minutes / 60.0 + parts->seconds / 3600.0;
}

std::optional<double> DegreesOfReading(std::string_view text) {
  double sign = 1;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    sign = text[0] == '-' ? -1 : 1;
    text.remove_prefix(1);
  }
  const auto parts = readSexagesimal(text, ":*\xDF\xB0", false);
  if (!parts) return std::nullopt;
  const double degrees = parts->whole + parts->minutes / 60.0 + parts->seconds / 3600.0;
  if (degrees > 90.0) return std::nullopt;
  return sign * degrees;
}

std::string RightAscensionFieldText(double hours) {
  long long seconds = std::llround(hours * 3600.0) % (24 * 3600);
  if (seconds < 0) seconds += 24 * 3600;
  return twoDigits(seconds / 3600) + "h " + twoDigits(seconds / 60 % 60) + "m " +
         twoDigits(seconds % 60) + "s";
}

std::string DeclinationFieldText(double degrees) {
  const long long seconds = std::llround(std::fmin(std::fabs(degrees), 90.0) * 3600.0);
  const char* sign = degrees < 0 && seconds > 0 ? "-" : "+";
  return sign + twoDigits(seconds / 3600) + "\xB0 " + twoDigits(seconds / 60 % 60) + "' " +
         twoDigits(seconds % 60) + "''";
}

}  // namespace orvane
