// StatusPolling: one tick of the main window's polling timer. Reads the mount's position
// and speed mode on every tick and the brightness, controller clock and date on every
// tenth, shows the position on the main window, the schedule window and the observer
// strip, keeps the offset between the controller's clock and the computer's, and notices
// a hand-controller cable plugged into the serial port.
// Owned by the main window.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "ui/Timer.h"

namespace orvane {

class TMainForm;

class StatusPolling {
 public:
  explicit StatusPolling(TMainForm& main);

  // The polling timer's handler.
  void GetOrvaneSettings();
  // Updates the main window's clock offset from a controller time and a computer time,
  // both "HH:MM:SS"; unreadable texts change nothing.
  void CalculateTimeDifference(const std::string& controllerTime, const std::string& computerTime);

 private:
  void showRightAscension(const std::string& text);
  void reportSwappedCable();
  TMainForm& main_;
  int depth_ = 0;  // ticks running, nested ones included
  std::unique_ptr<ui::Timer> dialogTicker_;
};

}  // namespace orvane
