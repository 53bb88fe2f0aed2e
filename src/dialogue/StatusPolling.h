// StatusPolling: one tick of the main window's polling timer. Reads the mount's position
// and speed mode on every tick and the brightness, controller clock and date on every
// tenth, shows the position on the main window, the schedule window and the observer
// strip, keeps the offset between the controller's clock and the computer's, and notices
// a hand-controller cable plugged into the serial port. A tick in which the controller
// answered neither position read, and a lost link, leave the position, clock and alignment
// fields marked as no longer current instead of showing old values; the first good poll
// brings them back.
// Owned by the main window.
// Thread: user-interface thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "link/ControllerState.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

class Alignment;
class CommandEngine;
class Connection;
class Sheets;
class TAlignmentForm;
class TRestartForm;
class TSchedule;

// The small strip that shows the position while the main window is hidden.
class ObserverStrip {
 public:
  virtual void SetStripVisible(bool visible) = 0;
  virtual void ShowRightAscension(const std::string& text) = 0;
  virtual void ShowDeclination(const std::string& text) = 0;

 protected:
  ~ObserverStrip() = default;
};

// The main window's parts polling reads and shows the position in.
struct PollingFields {
  const ui::Form& window;
  ui::Label& rightAscension;
  ui::Label& declination;
  ui::Label& initialAlign;
  ui::ComboBox& serialPort;
  ui::Label& orvaneVersion;
  ui::Timer& updateTimer;
  const ui::Timer& startupTimer;
};

class StatusPolling {
 public:
  StatusPolling(ui::Backend& backend, ControllerState& controller, PollingFields fields,
                CommandEngine& engine, Alignment& alignment, Connection& connection,
                Sheets& sheets);
  // The windows polling reaches, once they exist.
  void SetObserver(ObserverStrip* observer) { observer_ = observer; }
  void SetRestartForm(TRestartForm* restart) { restart_ = restart; }
  void SetAlignmentForm(TAlignmentForm* alignment) { alignmentForm_ = alignment; }
  void SetSchedule(TSchedule* schedule) { schedule_ = schedule; }

  // The polling timer's handler.
  void GetOrvaneSettings();
  // Updates the clock offset from a controller time and a computer time, both "HH:MM:SS";
  // unreadable texts change nothing.
  void CalculateTimeDifference(const std::string& controllerTime, const std::string& computerTime);
  // Shows that the position, clock and alignment readings are no longer current.
  void ShowReadingsStale();

  // Called after each position read that was shown (the right ascension, then the
  // declination); the reading is in the controller state.
  std::function<void()> onPositionRead;

  // Ticks in a row without an answer after which the readings count as stale.
  static constexpr int kSilentTicksBeforeStale = 1;

 private:
  void showRightAscension(const std::string& text);
  void noteReading(ControllerState::PositionReading& reading, const std::string& text);
  void noteSilentTick();
  void noteAnswer();
  void reportSwappedCable();
  bool shuttingDown() const;

  ui::Backend& backend_;
  ControllerState& controller_;
  PollingFields fields_;
  CommandEngine& engine_;
  Alignment& alignment_;
  Connection& connection_;
  Sheets& sheets_;
  ObserverStrip* observer_ = nullptr;
  TRestartForm* restart_ = nullptr;
  TAlignmentForm* alignmentForm_ = nullptr;
  TSchedule* schedule_ = nullptr;
  std::size_t depth_ = 0;  // ticks running, nested ones included
  int silentTicks_ = 0;  // ticks in a row without a usable position reading
  std::unique_ptr<ui::Timer> dialogTicker_;
};

}  // namespace orvane
