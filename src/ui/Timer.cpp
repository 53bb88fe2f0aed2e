#include "ui/Timer.h"

#include <algorithm>

#include "ui/Backend.h"

namespace orvane::ui {

namespace {

constexpr long long kAfterBeatMs = 1;
// A period kept on a beat that ends this close after the beat's tick is brought forward to
// it (the beat itself may tick a little late).
constexpr long long kBroughtForwardMs = 3;

}  // namespace

Timer::Timer(Backend& backend, int intervalMs, bool enabled)
    : backend_(backend), interval_(intervalMs), enabled_(enabled) {
  lastBeatMs_ = backend_.ticksMs();
  peer_ = backend_.createTimerPeer(*this);
  armPeer();
}

Timer::~Timer() {
  if (destroyed_ != nullptr) *destroyed_ = true;
  if (beat_ != nullptr) std::erase(beat_->followers_, this);
  for (Timer* follower : followers_) follower->beat_ = nullptr;
}

void Timer::armPeer() {
  dueNow_ = false;
  if (beat_ != nullptr) dueAtMs_ = backend_.ticksMs() + periodMs();
  if (peer_) peer_->update();
}

void Timer::changed(bool restarted) {
  if (restarted) lastBeatMs_ = backend_.ticksMs();
  if (ticking_) {
    changedInTick_ = true;
    restartedInTick_ = restartedInTick_ || restarted;
    return;
  }
  armPeer();
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
  if (beat_ != nullptr) std::erase(beat_->followers_, this);
  beat_ = beat;
  if (beat_ != nullptr) beat_->followers_.push_back(this);
  changed(false);
}

int Timer::periodMs() const {
  if (dueNow_) return 0;
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
  // One brought forward goes back to its period too (its beat may have gone meanwhile).
  if ((beat_ != nullptr && running()) || dueNow_) armPeer();
  if (running() && onTimer && !ticking_) {
    bool destroyed = false;
    {
      // Restored on every way out of the handler, unless the handler destroyed the timer.
      struct InHandler {
        Timer& timer;
        bool& destroyed;
        InHandler(Timer& t, bool& d) : timer(t), destroyed(d) {
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
          // A period the handler started (stopping and restarting the timer) begins as it
          // ends.
          if (timer.restartedInTick_) timer.lastBeatMs_ = timer.backend_.ticksMs();
          timer.armPeer();
        }
        InHandler(const InHandler&) = delete;
        InHandler& operator=(const InHandler&) = delete;
      } inHandler(*this, destroyed);
      onTimer(*this);
    }
    if (destroyed) return;
  }
  bringFollowersForward();
}

void Timer::bringFollowersForward() {
  if (followers_.empty() || !running()) return;
  const long long now = backend_.ticksMs();
  for (Timer* follower : followers_) {
    if (!follower->running() || follower->ticking_ || follower->dueNow_) continue;
    if (follower->interval_ < interval_ || follower->dueAtMs_ > now + kBroughtForwardMs) continue;
    // Due now: it ticks as soon as the program looks at its timers again, without waiting.
    follower->dueNow_ = true;
    if (follower->peer_) follower->peer_->update();
  }
}

}  // namespace orvane::ui
