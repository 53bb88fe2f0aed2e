#include "ui/Timer.h"

#include "ui/Backend.h"

namespace orvane::ui {

namespace {

constexpr long long kAfterBeatMs = 1;

}  // namespace

Timer::Timer(Backend& backend, int intervalMs, bool enabled)
    : backend_(backend), interval_(intervalMs), enabled_(enabled) {
  lastBeatMs_ = backend_.ticksMs();
  peer_ = backend_.createTimerPeer(*this);
  if (peer_) peer_->update();
}

Timer::~Timer() = default;

void Timer::setInterval(int intervalMs) {
  if (intervalMs == interval_) return;
  interval_ = intervalMs;
  lastBeatMs_ = backend_.ticksMs();
  if (peer_) peer_->update();
}

void Timer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled_) lastBeatMs_ = backend_.ticksMs();
  if (peer_) peer_->update();
}

void Timer::setPrecise(bool precise) {
  if (precise == precise_) return;
  precise_ = precise;
  if (peer_) peer_->update();
}

void Timer::setBeat(const Timer* beat) {
  if (beat == beat_ || beat == this) return;
  beat_ = beat;
  if (peer_) peer_->update();
}

int Timer::periodMs() const {
  if (beat_ == nullptr || !beat_->running() || interval_ < beat_->interval_) return interval_;
  const long long now = backend_.ticksMs();
  const long long beat = beat_->interval_;
  // The beats fall on the beat timer's last tick and every beat interval from it. The
  // period ends a millisecond after its beat, so that the beat's own tick comes first.
  const long long since = now + interval_ - beat_->lastBeatMs_;
  long long end = beat_->lastBeatMs_ + (since + beat / 2) / beat * beat + kAfterBeatMs;
  if (end <= now) end += ((now - end) / beat + 1) * beat;
  return static_cast<int>(end - now);
}

void Timer::tick() {
  lastBeatMs_ = backend_.ticksMs();
  // A period kept on a beat is measured anew each time: the next beat, not the interval.
  if (beat_ != nullptr && running() && peer_) peer_->update();
  if (running() && onTimer) onTimer(*this);
}

}  // namespace orvane::ui
