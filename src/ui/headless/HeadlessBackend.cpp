#include "ui/headless/HeadlessBackend.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "ui/Calendar.h"
#include "ui/ComputerClock.h"
#include "ui/DescriptorWatch.h"
#include "ui/Form.h"
#include "ui/NestingLevel.h"
#include "ui/Timer.h"
#include "ui/TrayIcon.h"
#include "ui/Widget.h"

namespace orvane::ui {

namespace {

class HeadlessTimerPeer : public TimerPeer {
 public:
  HeadlessTimerPeer(HeadlessBackend& backend, Timer& timer) : backend_(backend), timer_(timer) {}
  ~HeadlessTimerPeer() override { backend_.unscheduleTimer(&timer_); }
  void update() override {
    if (timer_.running()) {
      backend_.scheduleTimer(&timer_);
    } else {
      backend_.unscheduleTimer(&timer_);
    }
  }

 private:
  HeadlessBackend& backend_;
  Timer& timer_;
};

class HeadlessDescriptorWatchPeer : public DescriptorWatchPeer {
 public:
  HeadlessDescriptorWatchPeer(HeadlessBackend& backend, DescriptorWatch& watch)
      : backend_(backend), watch_(watch) {
    backend_.addWatch(&watch_);
  }
  ~HeadlessDescriptorWatchPeer() override { backend_.removeWatch(&watch_); }
  // The backend asks the watch what it wants each time it looks.
  void update() override {}

 private:
  HeadlessBackend& backend_;
  DescriptorWatch& watch_;
};

}  // namespace

HeadlessBackend::HeadlessBackend(DateTime startLocal, int utcOffsetMinutes, Size screen,
                                 Clock clock)
    : clock_(clock),
      realStart_(std::chrono::steady_clock::now()),
      utcOffsetMinutes_(utcOffsetMinutes),
      screen_(screen),
      startScreen_(screen),
      guiThread_(std::this_thread::get_id()) {
  startEpochSeconds_ = DaysSince1970(startLocal.year, startLocal.month, startLocal.day) * 86400 +
                       startLocal.hour * 3600 + startLocal.minute * 60 + startLocal.second;
  // A neutral grey scheme stands in for the system colours of a fresh desktop.
  palette_ = SystemPalette{0xF0F0F0, 0xA0A0A0, 0xFFFFFF, 0xE3E3E3, 0xD77800,
                           0xFFFFFF, 0xF0F0F0, 0x000000, 0x696969};
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
  }
}

HeadlessBackend::~HeadlessBackend() {
  terminate();
  // Released threads still touch the mutex on their way out; wait until all have left.
  std::unique_lock lock(callMutex_);
  callDone_.wait(lock, [&] { return waiters_ == 0; });
  lock.unlock();
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

std::unique_ptr<WidgetPeer> HeadlessBackend::createPeer(Widget&) { return nullptr; }

std::unique_ptr<TimerPeer> HeadlessBackend::createTimerPeer(Timer& timer) {
  return std::make_unique<HeadlessTimerPeer>(*this, timer);
}

std::unique_ptr<TrayIconPeer> HeadlessBackend::createTrayIconPeer(TrayIcon&) { return nullptr; }

std::unique_ptr<DescriptorWatchPeer> HeadlessBackend::createDescriptorWatchPeer(
    DescriptorWatch& watch) {
  return std::make_unique<HeadlessDescriptorWatchPeer>(*this, watch);
}

void HeadlessBackend::addWatch(DescriptorWatch* watch) {
  watches_.emplace_back(watch, ++watchSequence_);
}

void HeadlessBackend::removeWatch(DescriptorWatch* watch) {
  watches_.erase(std::remove_if(watches_.begin(), watches_.end(),
                                [&](const auto& entry) { return entry.first == watch; }),
                 watches_.end());
}

void HeadlessBackend::wakeDescriptorWait() {
  if (wakeWrite_ < 0) return;
  const char byte = 1;
  // A full pipe wakes the wait already.
  [[maybe_unused]] ssize_t written = ::write(wakeWrite_, &byte, 1);
}

struct HeadlessBackend::PollSet {
  std::vector<pollfd> fds;
  std::vector<std::pair<DescriptorWatch*, long long>> asked;
};

bool HeadlessBackend::serveDescriptors(int waitMs) {
  if (pollSets_.size() <= pollDepth_) pollSets_.push_back(std::make_unique<PollSet>());
  PollSet& set = *pollSets_[pollDepth_];
  const NestingLevel nested(pollDepth_);
  std::vector<pollfd>& fds = set.fds;
  std::vector<std::pair<DescriptorWatch*, long long>>& asked = set.asked;
  fds.clear();
  asked.clear();
  for (const auto& [watch, sequence] : watches_) {
    short events = 0;
    if (watch->watchesReading()) events |= POLLIN;
    if (watch->watchesWriting()) events |= POLLOUT;
    if (events == 0) continue;
    fds.push_back(pollfd{watch->descriptor(), events, 0});
    asked.emplace_back(watch, sequence);
  }
  const bool wait = waitMs > 0 && realTime() && wakeRead_ >= 0;
  if (fds.empty() && !wait) return false;
  if (wait) fds.push_back(pollfd{wakeRead_, POLLIN, 0});
  int result = ::poll(fds.data(), fds.size(), wait ? waitMs : 0);
  if (result < 0 && errno == EINTR) result = 0;
  if (wait && result > 0 && fds.back().revents != 0) {
    char buffer[64];
    while (::read(wakeRead_, buffer, sizeof buffer) > 0) {
    }
  }
  if (result <= 0) return false;
  bool ran = false;
  for (size_t i = 0; i < asked.size(); ++i) {
    const short revents = fds[i].revents;
    if (revents == 0) continue;
    // An earlier handler may have ended this watch (or another took its place).
    const auto still = std::find(watches_.begin(), watches_.end(), asked[i]);
    if (still == watches_.end()) continue;
    // A hang-up or error counts as readable: the owner's read learns what happened.
    const bool readable = (revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
    const bool writable = (revents & (POLLOUT | POLLERR)) != 0;
    asked[i].first->ready(readable, writable);
    ran = true;
  }
  return ran;
}

long long HeadlessBackend::syncClock() {
  if (realTime()) {
    const long long real = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - realStart_)
                               .count();
    nowMs_ = std::max(nowMs_, real);
  }
  return nowMs_;
}

void HeadlessBackend::scheduleTimer(Timer* timer) {
  syncClock();
  const TimerEntry entry{nowMs_ + timer->periodMs(), ++timerSequence_};
  if (ScheduledTimer* found = scheduled(timer)) {
    found->entry = entry;
  } else {
    timers_.push_back(ScheduledTimer{timer, entry});
  }
}

void HeadlessBackend::unscheduleTimer(Timer* timer) {
  if (ScheduledTimer* found = scheduled(timer)) {
    *found = timers_.back();
    timers_.pop_back();
  }
}

HeadlessBackend::ScheduledTimer* HeadlessBackend::scheduled(Timer* timer) {
  for (ScheduledTimer& candidate : timers_) {
    if (candidate.timer == timer) return &candidate;
  }
  return nullptr;
}

Timer* HeadlessBackend::earliestDue(long long upTo, const std::vector<Timer*>& skip) const {
  Timer* due = nullptr;
  TimerEntry best{std::numeric_limits<long long>::max(), 0};
  for (const auto& [timer, entry] : timers_) {
    if (entry.dueMs > upTo || timer->ticking()) continue;
    if (std::find(skip.begin(), skip.end(), timer) != skip.end()) continue;
    if (entry.dueMs < best.dueMs || (entry.dueMs == best.dueMs && entry.sequence < best.sequence)) {
      best = entry;
      due = timer;
    }
  }
  return due;
}

void HeadlessBackend::fire(Timer* timer) {
  ScheduledTimer* found = scheduled(timer);
  if (found == nullptr) return;
  nowMs_ = std::max(nowMs_, found->entry.dueMs);
  // The next period starts now, as a window timer's does; missed periods are not caught up.
  found->entry = TimerEntry{nowMs_ + timer->periodMs(), ++timerSequence_};
  tickTimer(timer);
}

void HeadlessBackend::tickTimer(Timer* timer) {
  // While its handler runs (and lets events run in a wait) the timer does not tick again
  // (Timer::ticking), as a toolkit timer does not recurse into itself.
  // An error that reaches the message loop is shown in the error box, and the loop goes on.
  try {
    timer->tick();
  } catch (const std::exception& error) {
    MessageBoxRecord record{error.what(), "Error"};
    if (recording()) {
      messageBoxes.push_back(record);
    } else if (messageBoxHandler) {
      // Without records, the program's own handler is the only place it can be seen.
      messageBoxHandler(record);
    }
  }
}

bool HeadlessBackend::runHandedOverCalls() {
  bool ran = false;
  for (;;) {
    HandedOverCall* next = nullptr;
    {
      std::lock_guard lock(callMutex_);
      if (calls_.empty()) return ran;
      next = calls_.front();
      calls_.pop_front();
    }
    try {
      next->call();
    } catch (...) {
      // The error belongs to the thread that handed the call over.
      next->error = std::current_exception();
    }
    ran = true;
    std::lock_guard lock(callMutex_);
    next->done = true;
    callDone_.notify_all();
  }
}

size_t HeadlessBackend::pendingCalls() {
  std::lock_guard lock(callMutex_);
  return calls_.size();
}

bool HeadlessBackend::fireDueTimers() {
  syncClock();
  // Each timer that is due ticks once; a timer re-armed by its tick waits for its period.
  std::vector<Timer*> fired;
  while (Timer* due = earliestDue(nowMs_, fired)) {
    fired.push_back(due);
    fire(due);
  }
  return !fired.empty();
}

void HeadlessBackend::processMessages() {
  runHandedOverCalls();
  serveDescriptors(0);
  fireDueTimers();
}

long long HeadlessBackend::waitEnd(int maxMs) {
  const long long limit = syncClock() + std::max(maxMs, 0);
  Timer* next = earliestDue(limit, {});
  return next != nullptr ? std::max(nowMs_, scheduled(next)->entry.dueMs) : limit;
}

void HeadlessBackend::waitForMessages(int maxMs) {
  const bool ranCalls = runHandedOverCalls();
  if (!ranCalls && realTime() && !watches_.empty() && wakeRead_ >= 0) {
    // One look at the sockets that waits until the next timer is due: a ready socket or a
    // handed-over call (which writes to the wake-up pipe) ends it at once, so no look
    // without waiting comes first.
    const long long until = waitEnd(maxMs);
    if (pendingCalls() == 0 && !terminated_) {
      serveDescriptors(static_cast<int>(std::max<long long>(until - nowMs_, 0)));
    }
    runHandedOverCalls();
    fireDueTimers();
    return;
  }
  const bool servedSockets = serveDescriptors(0);
  if (fireDueTimers() || ranCalls || servedSockets) return;
  const long long until = waitEnd(maxMs);
  if (!realTime()) {
    nowMs_ = until;
  } else {
    // No sockets to wait on: another thread may hand a call over meanwhile; that ends the
    // wait at once.
    std::unique_lock lock(callMutex_);
    callDone_.wait_for(lock, std::chrono::milliseconds(until - nowMs_),
                       [&] { return !calls_.empty() || terminated_; });
  }
  runHandedOverCalls();
  serveDescriptors(0);
  fireDueTimers();
}

void HeadlessBackend::sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  if (realTime()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    syncClock();
  } else {
    nowMs_ += milliseconds;
  }
}

void HeadlessBackend::run() {
  if (realTime()) {
    while (!terminated_) waitForMessages(1000);
    return;
  }
  while (!terminated_) {
    runHandedOverCalls();
    serveDescriptors(0);
    // No display to wait on: the clock jumps to the next timer that can tick.
    Timer* next = earliestDue(std::numeric_limits<long long>::max(), {});
    if (next == nullptr) break;
    fire(next);
  }
}

void HeadlessBackend::terminate() {
  std::lock_guard lock(callMutex_);
  terminated_ = true;
  // Threads waiting to hand over a call are released without it running.
  for (HandedOverCall* pending : calls_) pending->done = true;
  calls_.clear();
  callDone_.notify_all();
  wakeDescriptorWait();
}

void HeadlessBackend::advance(long long milliseconds) {
  const long long target = syncClock() + milliseconds;
  if (realTime()) {
    while (syncClock() < target && !terminated_) {
      waitForMessages(static_cast<int>(target - nowMs_));
    }
    processMessages();
    return;
  }
  for (;;) {
    runHandedOverCalls();
    serveDescriptors(0);
    Timer* due = earliestDue(target, {});
    if (due == nullptr) break;
    fire(due);
  }
  nowMs_ = std::max(nowMs_, target);
}

bool HeadlessBackend::runUntil(const std::function<bool()>& condition, long long limitMs) {
  const long long limit = syncClock() + limitMs;
  while (!condition()) {
    if (syncClock() >= limit) return false;
    advance(std::min<long long>(10, limit - nowMs_));
  }
  return true;
}

DateTime HeadlessBackend::localNow() {
  if (clock_ == Clock::Computer) return computerClock(true);
  return DateTimeOfEpochMs(startEpochSeconds_ * 1000 + syncClock());
}

DateTime HeadlessBackend::utcNow() {
  if (clock_ == Clock::Computer) return computerClock(false);
  return DateTimeOfEpochMs((startEpochSeconds_ - utcOffsetMinutes_ * 60LL) * 1000 + syncClock());
}

DateTime HeadlessBackend::computerClock(bool local) {
  syncClock();
  return ComputerClockNow(local);
}

bool HeadlessBackend::setScreenDimensions(int width, int height) {
  bool supported = (width == startScreen_.width && height == startScreen_.height) ||
                   std::any_of(supportedModes_.begin(), supportedModes_.end(), [&](Size mode) {
                     return mode.width == width && mode.height == height;
                   });
  if (!supported) return false;
  screen_ = Size{width, height};
  return true;
}

void HeadlessBackend::restoreDisplayMode() { screen_ = startScreen_; }

void HeadlessBackend::tone(int frequencyHz, int durationMs) {
  if (recording()) tones.push_back(ToneRecord{frequencyHz, durationMs, syncClock()});
  if (!realTime()) nowMs_ += durationMs;
}

int HeadlessBackend::messageBox(const std::string& text, const std::string& caption,
                                MessageButtons buttons) {
  MessageBoxRecord record{text, caption};
  if (recording()) messageBoxes.push_back(record);
  if (messageBoxHandler) return messageBoxHandler(record);
  return buttons == MessageButtons::YesNo ? modal::kYes : modal::kOk;
}

int HeadlessBackend::showModal(Form& form) {
  if (recording()) modalForms.push_back(form.name());
  form.setVisible(true);
  int result = modal::kOk;
  if (modalHandler) {
    result = modalHandler(form);
    if (form.modalResult() != modal::kNone) result = form.modalResult();
  }
  form.setVisible(false);
  return result;
}

void HeadlessBackend::popupMenu(PopupMenu& menu) {
  if (!recording()) return;
  popupMenus.push_back(menu.items.empty() ? std::string() : menu.items.front().caption);
}

void HeadlessBackend::runOnGuiThread(std::function<void()> call) {
  if (std::this_thread::get_id() == guiThread_) {
    call();
    return;
  }
  HandedOverCall pending{std::move(call), false, nullptr};
  std::unique_lock lock(callMutex_);
  if (terminated_) return;
  ++waiters_;
  calls_.push_back(&pending);
  callDone_.notify_all();  // a real-time wait of the user-interface thread ends
  wakeDescriptorWait();    // also one that waits on sockets
  callDone_.wait(lock, [&] { return pending.done; });
  --waiters_;
  callDone_.notify_all();
  if (pending.error) std::rethrow_exception(pending.error);
}

}  // namespace orvane::ui
