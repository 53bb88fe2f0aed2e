#include "ui/ComputerClock.h"

#include <chrono>
#include <ctime>

namespace orvane::ui {

namespace {

constexpr long long kZoneLookUpEverySeconds = 60;

}  // namespace

DateTime ComputerClockNow(bool local) {
  const long long epochMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
  const std::time_t seconds = static_cast<std::time_t>(epochMs / 1000);
  std::tm parts{};
  if (local) {
    // The zone is read once and then kept: a read of the local time does not look at it
    // again. Looked up anew once a minute, it follows a change the user makes.
    static long long zoneReadAt = -kZoneLookUpEverySeconds;
    if (seconds - zoneReadAt >= kZoneLookUpEverySeconds || seconds < zoneReadAt) {
      ::tzset();
      zoneReadAt = seconds;
    }
    ::localtime_r(&seconds, &parts);
  } else {
    ::gmtime_r(&seconds, &parts);
  }
  return DateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                  parts.tm_min,         parts.tm_sec,     static_cast<int>(epochMs % 1000)};
}

}  // namespace orvane::ui
