// Timer: a window timer. It ticks on the user-interface thread, only while that thread
// processes pending events (the message loop, or a wait that lets events run).
// An interval of 0 does not tick. A precise timer never ticks before its period is over
// (a plain one may tick a few percent early, as toolkits coarsen timers to save wake-ups).
// Thread: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace orvane::ui {

class Backend;
class Timer;

class TimerPeer {
 public:
  virtual ~TimerPeer() = default;
  // Enabled state or interval changed: restart the period.
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
  // Whether the timer would tick: enabled with an interval above 0.
  bool running() const { return enabled_ && interval_ > 0; }
  bool precise() const { return precise_; }
  void setPrecise(bool precise);

  std::int64_t tag() const { return tag_; }
  void setTag(std::int64_t tag) { tag_ = tag; }

  std::function<void(Timer&)> onTimer;
  // Called by the backend when the period has elapsed.
  void tick();

 private:
  Backend& backend_;
  int interval_;
  bool enabled_;
  bool precise_ = false;
  std::int64_t tag_ = 0;
  std::unique_ptr<TimerPeer> peer_;
};

}  // namespace orvane::ui
