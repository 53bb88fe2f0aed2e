// Timer: a window timer. It ticks on the user-interface thread, only while that thread
// processes pending events (the message loop, or a wait that lets events run).
// An interval of 0 does not tick. A precise timer never ticks before its period is over
// (a plain one may tick a few percent early, as toolkits coarsen timers to save wake-ups).
// Thread: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orvane::ui {

class Backend;
class Timer;

class TimerPeer {
 public:
  virtual ~TimerPeer() = default;
  // Enabled state or interval changed, or a period kept on a beat ended: restart the
  // period, periodMs() long.
  virtual void update() = 0;
};

class Timer {
 public:
  explicit Timer(Backend& backend, int intervalMs = 1000, bool enabled = true);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  int interval() const { return interval_; }
  void setInterval(int intervalMs);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  void start() { setEnabled(true); }
  void stop() { setEnabled(false); }
  // Starts a new period of intervalMs from now, whether the timer ran or not.
  void start(int intervalMs);
  // Whether the timer would tick: enabled with an interval above 0.
  bool running() const { return enabled_ && interval_ > 0; }
  bool precise() const { return precise_; }
  void setPrecise(bool precise);

  // Keeps the ticks on the beat of another timer that runs all the time (the clock's
  // one-second tick): each period ends just after the beat nearest to where the interval
  // alone would end it, and the beat's tick, once its handler has returned, has it tick at
  // once, so that both ticks are handled in one wake-up of the program instead of two,
  // the beat's first. A period restarted a little after a beat thus ends on the beat one
  // interval on. A period shorter than the beat, or a beat that is not running, keeps the
  // interval. Null: the interval alone.
  void setBeat(const Timer* beat);
  // Milliseconds from now to the end of a period that starts now.
  int periodMs() const;

  std::int64_t tag() const { return tag_; }
  void setTag(std::int64_t tag) { tag_ = tag; }

  std::function<void(Timer&)> onTimer;
  // Called by the backend when the period has elapsed.
  void tick();
  // Whether the handler is running: the timer cannot tick again until it returns, so
  // whatever the handler changes reaches the backend once, when it does (a handler that
  // stops and restarts its timer around each of its commands costs one restart, not one
  // per command).
  bool ticking() const { return ticking_; }

 private:
  Backend& backend_;
  int interval_;
  bool enabled_;
  bool precise_ = false;
  std::int64_t tag_ = 0;
  const Timer* beat_ = nullptr;
  long long lastBeatMs_ = 0;  // when the period last started or the timer last ticked
  bool ticking_ = false;
  bool changedInTick_ = false;    // the backend's timer is updated when the handler returns
  bool restartedInTick_ = false;  // ... and its period starts then
  bool* destroyed_ = nullptr;     // set when the handler destroys the timer
  // The timers kept on this one's beat (following it changes nothing of the beat itself).
  mutable std::vector<Timer*> followers_;
  long long dueAtMs_ = 0;          // kept on a beat: when the period ends
  bool dueNow_ = false;            // ... brought forward to tick right after the beat
  std::unique_ptr<TimerPeer> peer_;

  void changed(bool restarted);
  void armPeer();
  void bringFollowersForward();
};

}  // namespace orvane::ui
