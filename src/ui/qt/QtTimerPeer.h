// QtTimerPeer: a ui::Timer as a QTimer. update() restarts the period with the current
// interval (or stops the QTimer when the timer would not tick); each timeout calls
// Timer::tick(). Qt does not start a timer's tick again while that tick is still running
// (for instance while it lets pending events run), so ticks never nest.
// Thread: user-interface thread only.
#pragma once

#include "ui/Timer.h"

class QTimer;

namespace orvane::ui {

class QtTimerPeer : public TimerPeer {
 public:
  explicit QtTimerPeer(Timer& timer);
  ~QtTimerPeer() override;
  QtTimerPeer(const QtTimerPeer&) = delete;
  QtTimerPeer& operator=(const QtTimerPeer&) = delete;

  void update() override;

 private:
  Timer& timer_;
  // Deleted later rather than at once: the peer may die inside the QTimer's own timeout.
  QTimer* qtimer_;
};

}  // namespace orvane::ui
