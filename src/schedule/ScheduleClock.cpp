#include "schedule/ScheduleClock.h"

namespace orvane {

namespace {

// A two-character part of a time text: digits or blanks, at least one digit.
std::optional<int> partValue(std::string_view part) {
  int value = 0;
  bool anyDigit = false;
  for (char ch : part) {
    if (ch >= '0' && ch <= '9') {
      value = value * 10 + (ch - '0');
      anyDigit = true;
    } else if (ch == ' ') {
      value *= 10;
    } else {
      return std::nullopt;
    }
  }
  if (!anyDigit) return std::nullopt;
  return value;
}

int forwardDistance(int from, int to) {
  return ((to - from) % ScheduleClock::kSecondsPerDay + ScheduleClock::kSecondsPerDay) %
         ScheduleClock::kSecondsPerDay;
}

}  // namespace

std::optional<int> ScheduleClock::SecondsOfDay(std::string_view text) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
  auto hours = partValue(text.substr(0, 2));
  auto minutes = partValue(text.substr(3, 2));
  auto seconds = partValue(text.substr(6, 2));
  if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59) {
    return std::nullopt;
  }
  return *hours * 3600 + *minutes * 60 + *seconds;
}

std::optional<int> ScheduleClock::DistanceBehind(int entry, std::optional<int> previous, int tick) {
  const int behind = forwardDistance(entry, tick);
  if (!previous) {
    if (behind == 0) return 0;
    return std::nullopt;
  }
  const int span = forwardDistance(*previous, tick);
  if (span == 0) return std::nullopt;  // the same second again: fired already
  if (span > kCatchUpLimitSeconds) {
    // A jump of the clock: only the tick's own second.
    if (behind == 0) return 0;
    return std::nullopt;
  }
  if (behind < span) return behind;
  return std::nullopt;
}

bool ScheduleClock::IsDue(int entry, std::optional<int> previous, int tick) {
  return DistanceBehind(entry, previous, tick).has_value();
}

}  // namespace orvane
