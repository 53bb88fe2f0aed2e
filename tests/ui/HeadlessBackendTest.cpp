// The headless backend: timers in virtual time, clocks, display modes, calls handed over
// from other threads, and what it records of message boxes and tones.
#include "ui/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ui/Timer.h"

namespace orvane::ui {
namespace {

// Records the virtual time of each tick of a timer.
struct TickLog {
  std::vector<long long> at;
  void attach(Timer& timer, HeadlessBackend& backend) {
    timer.onTimer = [this, &backend](Timer&) { at.push_back(backend.nowMs()); };
  }
};

TEST(HeadlessTimerTest, TicksOncePerIntervalOfVirtualTime) {
  HeadlessBackend backend;
  Timer timer(backend, 100);
  TickLog log;
  log.attach(timer, backend);
  backend.advance(99);
  EXPECT_TRUE(log.at.empty());
  backend.advance(1);
  backend.advance(250);
  EXPECT_EQ(log.at, (std::vector<long long>{100, 200, 300}));
  EXPECT_EQ(backend.nowMs(), 350);
}

TEST(HeadlessTimerTest, DisabledOrZeroIntervalTimersNeverTick) {
  HeadlessBackend backend;
  Timer disabled(backend, 100, false);
  Timer zero(backend, 0);
  TickLog disabledLog;
  TickLog zeroLog;
  disabledLog.attach(disabled, backend);
  zeroLog.attach(zero, backend);
  EXPECT_FALSE(zero.running());
  backend.advance(1000);
  backend.processMessages();
  EXPECT_TRUE(disabledLog.at.empty());
  EXPECT_TRUE(zeroLog.at.empty());

  // Enabling, or giving an interval, starts a full period from now.
  disabled.start();
  zero.setInterval(30);
  backend.advance(100);
  EXPECT_EQ(disabledLog.at, std::vector<long long>{1100});
  EXPECT_EQ(zeroLog.at, (std::vector<long long>{1030, 1060, 1090}));

  zero.setInterval(0);
  disabled.stop();
  backend.advance(1000);
  EXPECT_EQ(disabledLog.at.size(), 1u);
  EXPECT_EQ(zeroLog.at.size(), 3u);
}

TEST(HeadlessTimerTest, ReArmingRestartsThePeriodFromNow) {
  HeadlessBackend backend;
  Timer timer(backend, 100);
  TickLog log;
  timer.onTimer = [&](Timer& t) {
    log.at.push_back(backend.nowMs());
    // A handler that stops and restarts its timer (as busy handlers do) waits a full period.
    t.stop();
    t.setInterval(t.interval() + 50);
    t.start();
  };
  backend.advance(1000);
  EXPECT_EQ(log.at, (std::vector<long long>{100, 250, 450, 700, 1000}));

  Timer other(backend, 100);
  TickLog otherLog;
  otherLog.attach(other, backend);
  backend.advance(60);
  other.setInterval(25);  // a new interval restarts the period
  backend.advance(60);
  EXPECT_EQ(otherLog.at, (std::vector<long long>{1085, 1110}));
}

TEST(HeadlessTimerTest, SeveralTimersTickInDueOrder) {
  HeadlessBackend backend;
  std::vector<std::pair<long long, int>> ticks;
  std::vector<std::unique_ptr<Timer>> timers;
  for (int interval : {70, 30, 50, 30}) {
    auto timer = std::make_unique<Timer>(backend, interval);
    int id = static_cast<int>(timers.size());
    timer->onTimer = [&ticks, &backend, id](Timer&) { ticks.emplace_back(backend.nowMs(), id); };
    timers.push_back(std::move(timer));
  }
  backend.advance(100);
  const std::vector<std::pair<long long, int>> expected = {
      {30, 1}, {30, 3}, {50, 2}, {60, 1}, {60, 3}, {70, 0}, {90, 1}, {90, 3}, {100, 2}};
  EXPECT_EQ(ticks, expected);
}

TEST(HeadlessTimerTest, ATickMayStopRestartOrEndTimersDueInTheSameRound) {
  // As the command engine stops and restarts the polling timer, and a closed window ends
  // its timers, from inside another timer's tick.
  HeadlessBackend backend;
  std::vector<std::pair<long long, char>> ticks;
  auto log = [&](char name) {
    return [&ticks, &backend, name](Timer&) { ticks.emplace_back(backend.nowMs(), name); };
  };
  Timer first(backend, 100);
  Timer stopped(backend, 100);
  Timer restarted(backend, 100);
  auto ended = std::make_unique<Timer>(backend, 100);
  Timer last(backend, 100);
  stopped.onTimer = log('s');
  restarted.onTimer = log('r');
  ended->onTimer = log('e');
  last.onTimer = log('l');
  first.onTimer = [&](Timer& self) {
    log('f')(self);
    if (backend.nowMs() != 100) return;
    stopped.stop();
    restarted.stop();
    restarted.start();  // a new period from now
    ended.reset();
  };
  backend.advance(250);
  const std::vector<std::pair<long long, char>> expected = {
      {100, 'f'}, {100, 'l'}, {200, 'f'}, {200, 'r'}, {200, 'l'}};
  EXPECT_EQ(ticks, expected);
}

TEST(HeadlessTimerTest, APeriodKeptOnABeatEndsOnTheNearestBeat) {
  // The clocks' tick and the polling timer: the polls' handler stops and restarts its timer
  // around every command, a little after the beat.
  HeadlessBackend backend;
  Timer beat(backend, 1000);
  Timer polling(backend, 1000, false);
  polling.setBeat(&beat);
  std::vector<std::pair<long long, char>> ticks;
  beat.onTimer = [&](Timer&) { ticks.emplace_back(backend.nowMs(), 'b'); };
  polling.onTimer = [&](Timer& self) {
    ticks.emplace_back(backend.nowMs(), 'p');
    self.stop();
    backend.sleep(self.tag() == 0 ? 200 : 700);  // the commands of the tick
    self.start();
  };
  backend.advance(600);
  polling.start();  // 600 ms after a beat: 1600 ms on is nearer the beat after the next
  EXPECT_EQ(polling.periodMs(), 1401);
  backend.advance(2600);
  // Right after the beat's tick, in the same moment. A tick 200 ms long: the next period
  // ends on the next beat, not 1200 ms on.
  const std::vector<std::pair<long long, char>> onBeat = {
      {1000, 'b'}, {2000, 'b'}, {2000, 'p'}, {3000, 'b'}, {3000, 'p'}};
  EXPECT_EQ(ticks, onBeat);
  EXPECT_EQ(polling.periodMs(), 801);
  // A tick 700 ms long (a slow controller) stretches the period to the beat after.
  polling.setTag(1);
  ticks.clear();
  backend.advance(3000);
  const std::vector<std::pair<long long, char>> stretched = {
      {4000, 'b'}, {4000, 'p'}, {5000, 'b'}, {6000, 'b'}, {6000, 'p'}};
  EXPECT_EQ(ticks, stretched);
}

TEST(HeadlessTimerTest, ABeatKeepsLongerPeriodsOnItAndLeavesShorterOnesAlone) {
  HeadlessBackend backend;
  Timer beat(backend, 1000);
  Timer slow(backend, 2000, false);
  Timer fast(backend, 400, false);
  slow.setBeat(&beat);
  fast.setBeat(&beat);
  TickLog slowLog;
  TickLog fastLog;
  slowLog.attach(slow, backend);
  fastLog.attach(fast, backend);
  backend.advance(100);
  slow.start();
  fast.start();
  backend.advance(4500);
  EXPECT_EQ(slowLog.at, (std::vector<long long>{2000, 4000}));
  EXPECT_EQ(fastLog.at, (std::vector<long long>{500, 900, 1300, 1700, 2100, 2500, 2900, 3300,
                                                3700, 4100, 4500}));
  // A beat that stops leaves the period to the interval; a timer let off the beat too.
  beat.stop();
  slow.stop();
  slow.start();
  backend.advance(2100);
  EXPECT_EQ(slowLog.at.back(), 6600);
  beat.start();  // beats from 6700
  slow.setBeat(nullptr);
  slow.stop();
  slow.start();
  backend.advance(2100);
  EXPECT_EQ(slowLog.at.back(), 8700);
  EXPECT_EQ(slow.periodMs(), 2000);

  // A beat that goes before the timers kept on it (a window closed) leaves them the
  // interval; one that goes after them has nothing left to bring forward.
  auto window = std::make_unique<Timer>(backend, 1000);
  auto kept = std::make_unique<Timer>(backend, 1000);
  kept->setBeat(window.get());
  slow.setBeat(window.get());
  kept.reset();
  backend.advance(1000);
  window.reset();
  slow.stop();
  slow.start();
  EXPECT_EQ(slow.periodMs(), 2000);
  backend.advance(2000);
  EXPECT_EQ(slowLog.at.back(), 11800);
}

TEST(HeadlessTimerTest, SleepAdvancesTheClockWithoutTicking) {
  HeadlessBackend backend;
  Timer timer(backend, 100);
  TickLog log;
  log.attach(timer, backend);
  backend.sleep(450);
  backend.sleep(-5);
  EXPECT_EQ(backend.nowMs(), 450);
  EXPECT_EQ(backend.ticksMs(), 450);
  EXPECT_TRUE(log.at.empty());
  // The missed periods give one tick, not four, and the next period starts from it.
  backend.processMessages();
  backend.processMessages();
  EXPECT_EQ(log.at, std::vector<long long>{450});
  backend.advance(100);
  EXPECT_EQ(log.at, (std::vector<long long>{450, 550}));
}

TEST(HeadlessTimerTest, AHandlerThatProcessesMessagesDoesNotReEnterItself) {
  HeadlessBackend backend;
  Timer busy(backend, 100);
  Timer other(backend, 40);
  int depth = 0;
  int deepest = 0;
  int busyTicks = 0;
  int otherTicks = 0;
  other.onTimer = [&](Timer&) { ++otherTicks; };
  busy.onTimer = [&](Timer&) {
    ++busyTicks;
    deepest = std::max(deepest, ++depth);
    // A wait inside the handler: events run, time passes beyond the timer's own period.
    // (Only the outer call waits, so that a fault shows as a depth, not a stack overflow.)
    for (int i = 0; depth == 1 && i < 25; ++i) {
      backend.sleep(10);
      backend.processMessages();
    }
    --depth;
  };
  backend.advance(100);
  EXPECT_EQ(busyTicks, 1);
  EXPECT_EQ(deepest, 1);
  EXPECT_GE(otherTicks, 6) << "other timers keep ticking during the wait";
  // After the handler has returned the overdue timer ticks again.
  backend.advance(1);
  EXPECT_EQ(busyTicks, 2);
  EXPECT_EQ(deepest, 1);
}

// Counts how often the backend's timers are started, stopped or restarted.
class CountingBackend : public HeadlessBackend {
 public:
  int updates = 0;
  std::unique_ptr<TimerPeer> createTimerPeer(Timer& timer) override {
    struct Counted : TimerPeer {
      std::unique_ptr<TimerPeer> inner;
      int& updates;
      Counted(std::unique_ptr<TimerPeer> peer, int& count) : inner(std::move(peer)), updates(count) {}
      void update() override {
        ++updates;
        inner->update();
      }
    };
    return std::make_unique<Counted>(HeadlessBackend::createTimerPeer(timer), updates);
  }
};

TEST(HeadlessTimerTest, WhatAHandlerChangesInItsTimerTakesEffectWhenItReturns) {
  // As a polling tick stops its timer around each of its commands and waits for each reply.
  CountingBackend backend;
  Timer polling(backend, 1000);
  TickLog log;
  bool tickingInside = false;
  polling.onTimer = [&](Timer& t) {
    log.at.push_back(backend.nowMs());
    tickingInside = t.ticking();
    for (int command = 0; command < 4; ++command) {
      t.stop();
      backend.advance(50);  // the command's wait: other events run, time passes
      t.start();
    }
  };
  backend.advance(1000);
  const int afterFirstTick = backend.updates;
  backend.advance(2200);
  EXPECT_TRUE(tickingInside);
  EXPECT_FALSE(polling.ticking());
  // Each period starts when the handler returns, a second after it.
  EXPECT_EQ(log.at, (std::vector<long long>{1000, 2200, 3400}));
  EXPECT_EQ(backend.updates - afterFirstTick, 2) << "one restart per tick, not one per command";

  // A handler that stops its timer for good: no tick after it, and none inside its waits.
  polling.onTimer = [&](Timer& t) {
    log.at.push_back(backend.nowMs());
    t.stop();
    backend.advance(3000);
  };
  backend.advance(1200);
  backend.advance(5000);
  EXPECT_EQ(log.at, (std::vector<long long>{1000, 2200, 3400, 4600}));
  EXPECT_FALSE(polling.enabled());

  // A handler that ends its own timer (a window closed from its tick).
  auto owned = std::make_unique<Timer>(backend, 100);
  int ownedTicks = 0;
  owned->onTimer = [&](Timer& t) {
    ++ownedTicks;
    t.stop();
    owned.reset();
  };
  backend.advance(300);
  EXPECT_EQ(ownedTicks, 1);
  EXPECT_EQ(owned, nullptr);

  // A handler that fails still hands its changes over.
  Timer failing(backend, 100);
  int failingTicks = 0;
  failing.onTimer = [&](Timer& t) {
    ++failingTicks;
    t.setInterval(300);
    throw std::runtime_error("Port closed");
  };
  backend.advance(100);
  backend.advance(299);
  EXPECT_EQ(failingTicks, 1);
  backend.advance(1);
  EXPECT_EQ(failingTicks, 2);
}

TEST(HeadlessTimerTest, ProcessMessagesTicksATimerOnceEvenWhenItsHandlerOutlastsItsPeriod) {
  HeadlessBackend backend;
  Timer slow(backend, 10);
  TickLog log;
  slow.onTimer = [&](Timer&) {
    log.at.push_back(backend.nowMs());
    // The first tick takes longer than the period, so the timer is due again on return.
    if (log.at.size() == 1) backend.sleep(25);
  };
  backend.sleep(10);
  backend.processMessages();
  EXPECT_EQ(log.at, std::vector<long long>{10});
  backend.processMessages();
  EXPECT_EQ(log.at, (std::vector<long long>{10, 35}));
}

TEST(HeadlessTimerTest, AnErrorFromATickIsShownAndTheTimerGoesOn) {
  HeadlessBackend backend;
  Timer timer(backend, 100);
  int ticks = 0;
  timer.onTimer = [&](Timer&) {
    if (++ticks == 1) throw std::runtime_error("Port closed");
  };
  backend.advance(200);
  EXPECT_EQ(ticks, 2);
  ASSERT_EQ(backend.messageBoxes.size(), 1u);
  EXPECT_EQ(backend.messageBoxes[0].text, "Port closed");
  EXPECT_EQ(backend.messageBoxes[0].caption, "Error");
}

TEST(HeadlessTimerTest, RunTicksTimersUntilTerminated) {
  HeadlessBackend backend;
  Timer timer(backend, 100);
  int ticks = 0;
  timer.onTimer = [&](Timer&) {
    if (++ticks == 5) backend.terminate();
  };
  backend.run();
  EXPECT_TRUE(backend.terminated());
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(backend.nowMs(), 500);
}

TEST(HeadlessTimerTest, RunUntilStopsWhenTheConditionHoldsOrTheLimitPasses) {
  HeadlessBackend backend;
  Timer timer(backend, 250);
  int ticks = 0;
  timer.onTimer = [&](Timer&) { ++ticks; };
  EXPECT_TRUE(backend.runUntil([&] { return ticks == 2; }, 10000));
  EXPECT_GE(backend.nowMs(), 500);
  EXPECT_LT(backend.nowMs(), 510);
  EXPECT_TRUE(backend.runUntil([] { return true; }, 0));
  const long long before = backend.nowMs();
  EXPECT_FALSE(backend.runUntil([] { return false; }, 1234));
  EXPECT_EQ(backend.nowMs(), before + 1234);
}

// ---- clocks --------------------------------------------------------------------------------

struct ClockCase {
  DateTime startLocal;
  int utcOffsetMinutes;
  long long advanceMs;
  DateTime local;
  DateTime utc;
};

void ExpectDateTime(const DateTime& actual, const DateTime& expected) {
  EXPECT_EQ(actual.year, expected.year);
  EXPECT_EQ(actual.month, expected.month);
  EXPECT_EQ(actual.day, expected.day);
  EXPECT_EQ(actual.hour, expected.hour);
  EXPECT_EQ(actual.minute, expected.minute);
  EXPECT_EQ(actual.second, expected.second);
  EXPECT_EQ(actual.millisecond, expected.millisecond);
}

TEST(HeadlessClockTest, LocalAndUtcClocksAcrossMidnightAndMonthEnds) {
  const ClockCase cases[] = {
      // New Year's Eve, local one hour ahead of UTC.
      {{2026, 12, 31, 23, 59, 59}, 60, 1000, {2027, 1, 1, 0, 0, 0}, {2026, 12, 31, 23, 0, 0}},
      // Behind UTC, the UTC date has already reached the leap day.
      {{2024, 2, 28, 23, 30, 0}, -300, 0, {2024, 2, 28, 23, 30, 0}, {2024, 2, 29, 4, 30, 0}},
      {{2024, 2, 28, 23, 30, 0}, -300, 3600000, {2024, 2, 29, 0, 30, 0}, {2024, 2, 29, 5, 30, 0}},
      // No leap day in 2023 or 2100; one in 2000.
      {{2023, 2, 28, 22, 0, 0}, -180, 0, {2023, 2, 28, 22, 0, 0}, {2023, 3, 1, 1, 0, 0}},
      {{2100, 2, 28, 23, 0, 0}, -120, 0, {2100, 2, 28, 23, 0, 0}, {2100, 3, 1, 1, 0, 0}},
      {{2000, 2, 28, 23, 0, 0}, -120, 0, {2000, 2, 28, 23, 0, 0}, {2000, 2, 29, 1, 0, 0}},
      // Ahead of UTC the UTC date is still the previous month.
      {{2026, 3, 1, 1, 0, 0}, 120, 0, {2026, 3, 1, 1, 0, 0}, {2026, 2, 28, 23, 0, 0}},
      {{2026, 4, 30, 23, 0, 0}, -90, 0, {2026, 4, 30, 23, 0, 0}, {2026, 5, 1, 0, 30, 0}},
      // A whole day and a bit, with milliseconds.
      {{2026, 12, 7, 21, 0, 0}, 60, 86400000LL + 1234, {2026, 12, 8, 21, 0, 1, 234},
       {2026, 12, 8, 20, 0, 1, 234}},
      // Thirty days forward from the end of January.
      {{2026, 1, 31, 12, 0, 0}, 0, 30LL * 86400000, {2026, 3, 2, 12, 0, 0}, {2026, 3, 2, 12, 0, 0}},
  };
  for (const ClockCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.startLocal.year << "-" << c.startLocal.month << "-"
                                      << c.startLocal.day << " offset " << c.utcOffsetMinutes
                                      << " +" << c.advanceMs);
    HeadlessBackend backend(c.startLocal, c.utcOffsetMinutes);
    backend.advance(c.advanceMs);
    ExpectDateTime(backend.localNow(), c.local);
    ExpectDateTime(backend.utcNow(), c.utc);
  }
}

TEST(HeadlessClockTest, CalendarAgreesWithTheCLibrary) {
  // Every 1,000,003 seconds from 1970 to about 2100: the local clock at time 0 is the start
  // given, and the UTC clock is the C library's calendar of that instant minus the offset.
  for (std::time_t t = 0; t < std::time_t{4102444800}; t += 1000003) {
    std::tm local{};
    gmtime_r(&t, &local);
    const DateTime start{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                         local.tm_hour,        local.tm_min,     local.tm_sec, 0};
    const int offsetMinutes = static_cast<int>(t % 1500) - 750;
    HeadlessBackend backend(start, offsetMinutes);
    const std::time_t utcSeconds = t - offsetMinutes * 60;
    std::tm utc{};
    gmtime_r(&utcSeconds, &utc);
    SCOPED_TRACE(::testing::Message() << "t=" << t << " offset=" << offsetMinutes);
    ExpectDateTime(backend.localNow(), start);
    ExpectDateTime(backend.utcNow(), DateTime{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                                              utc.tm_hour, utc.tm_min, utc.tm_sec, 0});
    if (HasFailure()) break;
  }
}

// ---- display -------------------------------------------------------------------------------

TEST(HeadlessDisplayTest, OnlySupportedModesAreSetAndRestoreGoesBack) {
  HeadlessBackend backend(DateTime{}, 0, Size{1024, 768});
  EXPECT_FALSE(backend.setScreenDimensions(800, 600));
  EXPECT_EQ(backend.screenSize().width, 1024);
  backend.setSupportedModes({Size{800, 600}, Size{1280, 1024}});
  EXPECT_TRUE(backend.setScreenDimensions(800, 600));
  EXPECT_EQ(backend.screenSize().width, 800);
  EXPECT_EQ(backend.screenSize().height, 600);
  EXPECT_FALSE(backend.setScreenDimensions(800, 1024));
  EXPECT_EQ(backend.screenSize().height, 600);
  EXPECT_TRUE(backend.setScreenDimensions(1024, 768)) << "the start mode is always offered";
  EXPECT_TRUE(backend.setScreenDimensions(1280, 1024));
  backend.restoreDisplayMode();
  EXPECT_EQ(backend.screenSize().width, 1024);
  EXPECT_EQ(backend.screenSize().height, 768);
}

// ---- calls from other threads --------------------------------------------------------------

TEST(HeadlessGuiCallTest, CallsFromManyThreadsAllRunInOrderOnTheGuiThread) {
  constexpr int kThreads = 4;
  constexpr int kCallsPerThread = 200;
  HeadlessBackend backend;
  const std::thread::id guiThread = std::this_thread::get_id();
  // Touched only on the GUI thread, inside the calls.
  std::vector<std::pair<int, int>> ran;
  int offGuiThread = 0;
  std::atomic<int> unseenResults = 0;
  std::atomic<int> finished = 0;

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kCallsPerThread; ++i) {
        int result = -1;
        backend.runOnGuiThread([&, t, i] {
          if (std::this_thread::get_id() != guiThread) ++offGuiThread;
          ran.emplace_back(t, i);
          result = i;
        });
        // The call has run by the time runOnGuiThread returns.
        if (result != i) ++unseenResults;
      }
      ++finished;
    });
  }
  while (finished < kThreads) {
    backend.processMessages();
    std::this_thread::yield();
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(offGuiThread, 0);
  EXPECT_EQ(unseenResults, 0);
  ASSERT_EQ(ran.size(), static_cast<size_t>(kThreads * kCallsPerThread));
  std::vector<int> next(kThreads, 0);
  for (const auto& [t, i] : ran) {
    EXPECT_EQ(i, next[static_cast<size_t>(t)]) << "thread " << t;
    next[static_cast<size_t>(t)] = i + 1;
  }
  EXPECT_EQ(next, std::vector<int>(kThreads, kCallsPerThread));
}

TEST(HeadlessGuiCallTest, ACallFromTheGuiThreadRunsAtOnce) {
  HeadlessBackend backend;
  bool ran = false;
  backend.runOnGuiThread([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(HeadlessGuiCallTest, AdvanceAlsoRunsHandedOverCalls) {
  HeadlessBackend backend;
  std::atomic<bool> ran = false;
  std::thread caller([&] { backend.runOnGuiThread([&] { ran = true; }); });
  while (backend.pendingCalls() == 0) std::this_thread::yield();
  backend.advance(10);
  caller.join();
  EXPECT_TRUE(ran);
}

TEST(HeadlessGuiCallTest, TerminateReleasesAWaitingThreadWithoutRunningItsCall) {
  HeadlessBackend backend;
  std::atomic<bool> ran = false;
  std::atomic<bool> returned = false;
  std::thread caller([&] {
    backend.runOnGuiThread([&] { ran = true; });
    returned = true;
  });
  while (backend.pendingCalls() == 0) std::this_thread::yield();
  EXPECT_FALSE(returned);
  backend.terminate();
  caller.join();
  EXPECT_TRUE(returned);
  backend.processMessages();
  EXPECT_FALSE(ran);

  // Once terminated, a call from another thread returns at once without running.
  std::thread late([&] { backend.runOnGuiThread([&] { ran = true; }); });
  late.join();
  backend.processMessages();
  EXPECT_FALSE(ran);
  EXPECT_EQ(backend.pendingCalls(), 0u);
}

// ---- records -------------------------------------------------------------------------------

TEST(HeadlessRecordTest, MessageBoxesAreRecordedAndAnswered) {
  HeadlessBackend backend;
  EXPECT_EQ(backend.messageBox("Profile error", "Orvane", MessageButtons::Ok), modal::kOk);
  EXPECT_EQ(backend.messageBox("Save?", "Orvane", MessageButtons::YesNo), modal::kYes);
  backend.messageBoxHandler = [](const HeadlessBackend::MessageBoxRecord& box) {
    return box.text == "Delete?" ? modal::kNo : modal::kCancel;
  };
  EXPECT_EQ(backend.messageBox("Delete?", "Orvane", MessageButtons::YesNo), modal::kNo);
  EXPECT_EQ(backend.messageBox("Go on?", "Orvane", MessageButtons::OkCancel), modal::kCancel);
  ASSERT_EQ(backend.messageBoxes.size(), 4u);
  EXPECT_EQ(backend.messageBoxes[0].text, "Profile error");
  EXPECT_EQ(backend.messageBoxes[0].caption, "Orvane");
  EXPECT_EQ(backend.messageBoxes[3].text, "Go on?");
}

TEST(HeadlessRecordTest, TonesAreRecordedAndTakeTheirTime) {
  HeadlessBackend backend;
  Timer timer(backend, 100);
  int ticks = 0;
  timer.onTimer = [&](Timer&) { ++ticks; };
  backend.tone(880, 200);
  backend.tone(440, 50);
  ASSERT_EQ(backend.tones.size(), 2u);
  EXPECT_EQ(backend.tones[0].frequencyHz, 880);
  EXPECT_EQ(backend.tones[0].durationMs, 200);
  EXPECT_EQ(backend.tones[0].atMs, 0);
  EXPECT_EQ(backend.tones[1].atMs, 200);
  EXPECT_EQ(backend.nowMs(), 250);
  EXPECT_EQ(ticks, 0) << "a tone blocks; timers wait";
}

}  // namespace
}  // namespace orvane::ui
