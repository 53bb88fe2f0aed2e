// ScheduleClock: decides which schedule times a clock tick makes due.
//
// The clock tick comes once a second, but not always on time: a busy machine or a long wait
// for a reply can make it skip a second. So a tick makes due every time after the previous
// tick's time and up to its own, each time once. Across midnight the span wraps. A tick that
// follows the previous one by more than kCatchUpLimitSeconds (the clock was set, or the
// computer slept) and the first tick after the schedule was switched on only make their own
// second due, so that a jump of the clock does not fire a whole list of missed entries.
// Thread: any (plain value logic).
#pragma once

#include <optional>
#include <string_view>

namespace orvane {

class ScheduleClock {
 public:
  static constexpr int kSecondsPerDay = 24 * 60 * 60;
  static constexpr int kCatchUpLimitSeconds = 5 * 60;

  // Seconds of the day of a time text "HH:MM:SS"; a blank counts as "0" but each part needs
  // a digit. Nothing for any other text.
  static std::optional<int> SecondsOfDay(std::string_view text);

  // Whether a tick at tick (seconds of the day) makes the time entry due, the previous tick
  // having been at previous (nothing: this is the first tick).
  static bool IsDue(int entry, std::optional<int> previous, int tick);

  // How far entry lies behind tick within the span the tick covers (0: at the tick itself);
  // nothing when the tick does not make entry due. Later entries have smaller distances.
  static std::optional<int> DistanceBehind(int entry, std::optional<int> previous, int tick);
};

}  // namespace orvane
