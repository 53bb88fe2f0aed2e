// HeadlessBackend: runs the whole program without a display, in virtual time.
//
// The virtual clock only advances when the program sleeps or waits, or when a test advances
// it; timers tick when their period has elapsed on that clock and the program processes
// pending events. A wait for messages with nothing pending moves the clock straight to the
// next timer. For tests against a controller outside the process (a pseudo-terminal) the
// backend can run in real time instead: the clock is the computer's monotonic clock, sleeps
// and waits take real time, and a wait ends early when another thread hands a call over.
// The program run without a display uses the computer's clock: real time, and the
// computer's calendar and time zone for the local and UTC clocks; it keeps no records of
// message boxes, modal forms and tones, so that a run of months does not grow.
// Modal windows and message boxes are answered by handlers a test installs
// and are recorded; tones are recorded. Calls handed over from other threads run at the next
// processMessages(). Watched sockets are real: every round of event processing looks at
// them without waiting (so bytes a test writes on the same thread are seen at once, in
// virtual time too), and a real-time wait ends when one becomes ready.
//
// Thread: user-interface thread, except runOnGuiThread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/Backend.h"

namespace orvane::ui {

class HeadlessBackend : public Backend {
 public:
  struct MessageBoxRecord {
    std::string text;
    std::string caption;
  };
  struct ToneRecord {
    int frequencyHz;
    int durationMs;
    long long atMs;
  };

  // Virtual: tests in virtual time. Real: tests against a process outside (the clock starts
  // at startLocal and runs in real time). Computer: the program itself, without a display.
  enum class Clock { Virtual, Real, Computer };

  // startLocal: the local clock at time 0; utcOffsetMinutes: local minus UTC.
  explicit HeadlessBackend(DateTime startLocal = DateTime{2026, 12, 7, 21, 0, 0, 0},
                           int utcOffsetMinutes = 60, Size screen = Size{1024, 768},
                           Clock clock = Clock::Virtual);
  ~HeadlessBackend() override;

  std::unique_ptr<WidgetPeer> createPeer(Widget& widget) override;
  std::unique_ptr<TimerPeer> createTimerPeer(Timer& timer) override;
  std::unique_ptr<TrayIconPeer> createTrayIconPeer(TrayIcon& tray) override;
  std::unique_ptr<DescriptorWatchPeer> createDescriptorWatchPeer(DescriptorWatch& watch) override;

  void processMessages() override;
  void waitForMessages(int maxMs) override;
  void sleep(int milliseconds) override;
  void run() override;
  void terminate() override;
  bool terminated() const override { return terminated_; }

  DateTime localNow() override;
  DateTime utcNow() override;
  long long ticksMs() override { return syncClock(); }

  Size screenSize() override { return screen_; }
  bool setScreenDimensions(int width, int height) override;
  void restoreDisplayMode() override;

  SystemPalette systemColors() override { return palette_; }
  void setSystemColors(const SystemPalette& colors) override { palette_ = colors; }
  void setHintColors(Color background, Color text) override {
    hintColor_ = background;
    hintTextColor_ = text;
  }

  void tone(int frequencyHz, int durationMs) override;
  int messageBox(const std::string& text, const std::string& caption,
                 MessageButtons buttons) override;
  int showModal(Form& form) override;
  void popupMenu(PopupMenu& menu) override;
  bool trayAvailable() override { return trayAvailable_; }
  void runOnGuiThread(std::function<void()> call) override;

  // ---- test controls ----
  // Advances the clock by milliseconds, ticking due timers in time order (in real time:
  // processes events for that long).
  void advance(long long milliseconds);
  // Advances in steps until condition holds or limitMs have passed.
  bool runUntil(const std::function<bool()>& condition, long long limitMs);
  long long nowMs() { return syncClock(); }
  bool realTime() const { return clock_ != Clock::Virtual; }
  void setScreen(Size screen) { screen_ = screen; }
  // Display modes the virtual display accepts (besides the start size).
  void setSupportedModes(std::vector<Size> modes) { supportedModes_ = std::move(modes); }
  void setTrayAvailable(bool available) { trayAvailable_ = available; }
  Color hintColor() const { return hintColor_; }
  Color hintTextColor() const { return hintTextColor_; }
  // Calls other threads have handed over that have not run yet (any thread).
  size_t pendingCalls();

  // Modal forms: the handler may click buttons of the form and returns its result; without
  // a handler the form closes at once with the OK result.
  std::function<int(Form&)> modalHandler;
  std::vector<std::string> modalForms;  // names of the forms shown modally, in order
  // Message boxes: answered by this handler (default: OK / Yes).
  std::function<int(const MessageBoxRecord&)> messageBoxHandler;
  std::vector<MessageBoxRecord> messageBoxes;
  std::vector<ToneRecord> tones;
  std::vector<std::string> popupMenus;  // captions of the first item of each opened menu

  // Internal: timer bookkeeping used by the timer peers.
  void scheduleTimer(Timer* timer);
  void unscheduleTimer(Timer* timer);
  // Internal: socket bookkeeping used by the descriptor watch peers.
  void addWatch(DescriptorWatch* watch);
  void removeWatch(DescriptorWatch* watch);

 private:
  // The timer due first by upTo (the earlier scheduled among equals), leaving out those
  // whose handlers are running and those in skip; null when none is due.
  Timer* earliestDue(long long upTo, const std::vector<Timer*>& skip) const;
  // Moves the clock to the timer's due time (never back), starts its next period and ticks it.
  void fire(Timer* timer);
  void tickTimer(Timer* timer);
  // True when at least one call ran.
  bool runHandedOverCalls();
  // Ticks each timer due by now once; true when one ticked.
  bool fireDueTimers();
  // Records of message boxes, forms, tones and menus are kept (for tests).
  bool recording() const { return clock_ != Clock::Computer; }
  // The computer's calendar clock, local or UTC.
  DateTime computerClock(bool local);
  // In real time, moves the clock to the computer's; returns the clock.
  long long syncClock();
  // Looks at the watched sockets, waiting up to waitMs (real time only) for one to become
  // ready or a call to be handed over, and runs the handlers of the ready ones; true when
  // one ran.
  bool serveDescriptors(int waitMs);
  // Ends a real-time wait in serveDescriptors (any thread).
  void wakeDescriptorWait();

  Clock clock_;
  std::chrono::steady_clock::time_point realStart_;
  long long nowMs_ = 0;
  long long startEpochSeconds_ = 0;  // local start as seconds since 1970 (UTC-based arithmetic)
  int utcOffsetMinutes_ = 0;
  Size screen_;
  Size startScreen_;
  std::vector<Size> supportedModes_;
  SystemPalette palette_{};
  Color hintColor_ = 0;
  Color hintTextColor_ = 0;
  bool trayAvailable_ = true;
  std::atomic<bool> terminated_ = false;

  struct TimerEntry {
    long long dueMs;
    long long sequence;
  };
  // The running timers, in no order (a handful, started and stopped around every command:
  // kept side by side, nothing allocated once they have all run).
  struct ScheduledTimer {
    Timer* timer;
    TimerEntry entry;
  };
  std::vector<ScheduledTimer> timers_;
  ScheduledTimer* scheduled(Timer* timer);
  // When a wait of up to maxMs from now ends: sooner if a timer falls due before.
  long long waitEnd(int maxMs);
  long long timerSequence_ = 0;

  std::thread::id guiThread_;
  std::mutex callMutex_;
  std::condition_variable callDone_;
  struct HandedOverCall {
    std::function<void()> call;
    bool done = false;
    std::exception_ptr error;
  };
  std::deque<HandedOverCall*> calls_;
  int waiters_ = 0;  // threads inside runOnGuiThread

  // Watched sockets in the order they were added, each with a number that tells a watch
  // from a later one made at the same address.
  std::vector<std::pair<DescriptorWatch*, long long>> watches_;
  long long watchSequence_ = 0;
  // The lists of one look at the sockets, kept from look to look (one per nesting: a
  // handler may wait, and look again, inside a look).
  struct PollSet;
  std::vector<std::unique_ptr<PollSet>> pollSets_;
  std::size_t pollDepth_ = 0;
  // A handed-over call or terminate() writes to it to end a real-time wait on sockets.
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
};

}  // namespace orvane::ui
