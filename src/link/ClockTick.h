// What the cache manager's one-second tick keeps in step above the link: the sheet fields
// it shows the clocks in, and the observation schedule's check for a due entry.
// Thread: user-interface thread only.
#pragma once

#include <string>

namespace orvane {

namespace ui {
class Widget;
}

// The sheet fields of the loaded profile bound to the controller's clock and to the site's
// longitude; null when the profile has none.
class ClockFields {
 public:
  virtual ui::Widget* ControllerClockField() const = 0;
  virtual ui::Widget* LongitudeField() const = 0;

 protected:
  ~ClockFields() = default;
};

// Handed the computer's local time "HH:MM:SS" at every tick, after the queued writes.
class TickListener {
 public:
  virtual void CheckForEvent(const std::string& clockText) = 0;

 protected:
  ~TickListener() = default;
};

}  // namespace orvane
