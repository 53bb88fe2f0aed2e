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

Timer::~Timer() {
  if (destroyed_ != nullptr) *destroyed_ = true;
}

void Timer::changed(bool restarted) {
  if (restarted) lastBeatMs_ = backend_.ticksMs();
  if (ticking_) {
    changedInTick_ = true;
    restartedInTick_ = restartedInTick_ || restarted;
    return;
  }
  if (peer_) peer_->update();
}

void Timer::setInterval(int intervalMs) {
  if (intervalMs == interval_) return;
  interval_ = intervalMs;
  changed(true);
}

void Timer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  changed(enabled_);
}

void Timer::start(int intervalMs) {
  interval_ = intervalMs;
  enabled_ = true;
  changed(true);
}

void Timer::setPrecise(bool precise) {
  if (precise == precise_) return;
  precise_ = precise;
  changed(false);
}

void Timer::setBeat(const Timer* beat) {
  if (beat == beat_ || beat == this) return;
  beat_ = beat;
  changed(false);
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
  if (!running() || !onTimer || ticking_) return;
  // Restored on every way out of the handler, unless the handler destroyed the timer.
  struct InHandler {
    Timer& timer;
    bool destroyed = false;
    explicit InHandler(Timer& t) : timer(t) {
      timer.destroyed_ = &destroyed;
      timer.ticking_ = true;
      timer.changedInTick_ = false;
      timer.restartedInTick_ = false;
    }
    ~InHandler() {
      if (destroyed) return;
      timer.destroyed_ = nullptr;
      timer.ticking_ = false;
      if (!timer.changedInTick_) return;
      // A period the handler started (stopping and restarting the timer) begins as it ends.
      if (timer.restartedInTick_) timer.lastBeatMs_ = timer.backend_.ticksMs();
      if (timer.peer_) timer.peer_->update();
    }
    InHandler(const InHandler&) = delete;
    InHandler& operator=(const InHandler&) = delete;
  } inHandler(*this);
  onTimer(*this);
}

}  // namespace orvane::ui
