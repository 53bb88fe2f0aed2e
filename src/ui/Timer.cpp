#include "ui/Timer.h"

#include "ui/Backend.h"

namespace orvane::ui {

Timer::Timer(Backend& backend, int intervalMs, bool enabled)
    : backend_(backend), interval_(intervalMs), enabled_(enabled) {
  peer_ = backend_.createTimerPeer(*this);
  if (peer_) peer_->update();
}

Timer::~Timer() = default;

void Timer::setInterval(int intervalMs) {
  if (intervalMs == interval_) return;
  interval_ = intervalMs;
  if (peer_) peer_->update();
}

void Timer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (peer_) peer_->update();
}

void Timer::setPrecise(bool precise) {
  if (precise == precise_) return;
  precise_ = precise;
  if (peer_) peer_->update();
}

void Timer::tick() {
  if (running() && onTimer) onTimer(*this);
}

}  // namespace orvane::ui
