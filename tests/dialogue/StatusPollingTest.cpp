// Status polling against the simulated controller: the position in both precisions on the
// main window, the schedule window and the observer strip, the slow reads, the clock
// offset, the focused clock field, the swapped-cable report and a silent controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "app/Observer.h"
#include "dialogue/DialogueTestSupport.h"

namespace orvane::testing {
namespace {

class StatusPollingTest : public DialogueTest {
 protected:
  static sim::ControllerOptions At(double raHours, double decDegrees, int level = 1) {
    sim::ControllerOptions options;
    options.level = level;
    options.startRightAscensionHours = raHours;
    options.startDeclinationDegrees = decDegrees;
    return options;
  }
  TObserver& observer() { return *app().windows().observer; }
  TSchedule& schedule() { return *app().windows().schedule; }
};

TEST_F(StatusPollingTest, HighPrecisionPositionReachesAllThreeWindows) {
  // 12h 34m 56s, -5° 10' 20''
  StartWith({}, At(12 + 34 / 60.0 + 56.2 / 3600, -(5 + 10 / 60.0 + 20.2 / 3600)));
  Ticks(1);
  EXPECT_EQ(main().RA->text(), "12h 34m 56");
  EXPECT_EQ(main().Dec->text(), "-05\xB0 10' 20''");
  EXPECT_EQ(schedule().CurrentRA->text(), "12h 34m 56");
  EXPECT_EQ(schedule().CurrentDEC->text(), "-05\xB0 10' 20''");
  EXPECT_EQ(observer().RA->text(), "12h 34m 56");
  EXPECT_EQ(observer().DEC->text(), "-05\xB0 10' 20");
  // The observer strip stands in for the main window while it is hidden.
  EXPECT_FALSE(observer().visible());
  main().hide();
  Ticks(1);
  EXPECT_TRUE(observer().visible());
  main().show();
  Ticks(1);
  EXPECT_FALSE(observer().visible());
}

TEST_F(StatusPollingTest, LowPrecisionPositionShowsTenthsAsSeconds) {
  StartWith({}, At(12 + 34.5 / 60, 45.5));
  main().TogglePrecision->click();
  ASSERT_FALSE(main().HighPrecision);
  Ticks(1);
  EXPECT_EQ(main().RA->text(), "12h 34m 30");
  EXPECT_EQ(main().Dec->text(), "+45\xB0 30' 00''");
  EXPECT_EQ(observer().DEC->text(), "+45\xB0 30' 00");
  EXPECT_EQ(main().UpdateTimer.enabled(), true);
}

TEST_F(StatusPollingTest, EveryTickReadsThePositionAndSpeedTheTenthTheClocks) {
  StartWith({"Sheet \"Site\"", "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\"",
             "513 \"Date\" command=\":SC,:GC\" mask=\"00-00-00;0;_\""},
            At(1, 1));
  Ticks(1);
  EXPECT_EQ(all(), (Commands{":GR#", ":GD#", ":Gv#"}));
  mark();
  Ticks(1);  // the second tick
  EXPECT_EQ(all(), (Commands{":GR#", ":GD#", ":Gv#", ":GB#", ":GL#", ":GC#"}));
  mark();
  Ticks(9);  // ticks 3 to 11
  EXPECT_EQ(count(":GR#"), 9);
  EXPECT_EQ(count(":GL#"), 0);
  mark();
  Ticks(1);  // the twelfth
  EXPECT_EQ(count(":GL#"), 1);
  EXPECT_EQ(count(":GB#"), 1);
  EXPECT_EQ(main().sheets.sheets()[0]->fields[1]->text(), "120726");
}

// The virtual times at which a timer ticked, its own handler run after each.
class TickTimes {
 public:
  TickTimes(ui::Timer& timer, ui::HeadlessBackend& backend)
      : timer_(timer), own_(timer.onTimer) {
    timer_.onTimer = [this, &backend](ui::Timer& self) {
      at.push_back(backend.nowMs());
      order[backend.nowMs()] = ++ticksSoFar;
      own_(self);
    };
  }
  ~TickTimes() { timer_.onTimer = own_; }
  TickTimes(const TickTimes&) = delete;
  TickTimes& operator=(const TickTimes&) = delete;
  std::vector<long long> at;
  // The place of the last tick at each time among the ticks of all timers watched.
  std::map<long long, int> order;

 private:
  static inline int ticksSoFar = 0;
  ui::Timer& timer_;
  std::function<void(ui::Timer&)> own_;
};

TEST_F(StatusPollingTest, PollsFollowTheClocksTickOnceASecond) {
  StartWith({"Sheet \"Site\"", "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\"",
             "513 \"Date\" command=\":SC,:GC\" mask=\"00-00-00;0;_\""},
            At(2, 2, 2));
  Ticks(1);
  TickTimes clocks(cache().Timer, backend());
  TickTimes polls(main().UpdateTimer, backend());
  // The clocks' tick has run, in the same moment, before the poll.
  auto onBeat = [&](long long at) {
    return std::find(clocks.at.begin(), clocks.at.end(), at) != clocks.at.end() &&
           clocks.order.at(at) < polls.order.at(at);
  };
  backend().advance(12000);
  // Every poll right after a tick of the clocks (the program wakes once a second for
  // both), the tenth with its slow reads too; none missed.
  ASSERT_GE(polls.at.size(), 11u);
  for (long long at : polls.at) EXPECT_TRUE(onBeat(at)) << at;
  EXPECT_GE(count(":GL#"), 1);

  // A command of the user's between two beats stops and restores the timer: the polls
  // stay on the beat.
  backend().advance(300);
  main().engine.ExecuteCommand(":GVP");
  const std::size_t before = polls.at.size();
  backend().advance(3000);
  ASSERT_GE(polls.at.size(), before + 2);
  for (std::size_t i = before; i < polls.at.size(); ++i) EXPECT_TRUE(onBeat(polls.at[i]));

  // A controller that answers late stretches a tick: the next poll waits for the beat
  // after, and is still on it.
  controller().options().replyDelayMs = 700;
  backend().advance(6000);
  const std::vector<long long> late(polls.at.end() - 2, polls.at.end());
  EXPECT_TRUE(onBeat(late[0]) && onBeat(late[1])) << late[0] << " " << late[1];
  EXPECT_GE(late[1] - late[0], 2000);
}

TEST_F(StatusPollingTest, IntervalsShorterThanASecondKeepTheirOwnTime) {
  StartWith({}, At(2, 2), "500");
  Ticks(1);
  mark();
  backend().advance(10000);
  // A tick takes about 150 ms: more than one a second.
  EXPECT_GE(count(":GR#"), 13);
}

TEST_F(StatusPollingTest, ControllerClockOffsetDrivesTheLocalTime) {
  sim::ControllerOptions options = At(1, 1);
  options.startSecondOfDay = 21 * 3600 + 3600 + 2 * 60 + 3;  // 1 h 2 min 3 s ahead
  StartWith({"Sheet \"Site\"", "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\""},
            options);
  ui::MaskEdit& local = *main().sheets.sheets()[0]->fields[0];
  EXPECT_FALSE(main().ClockOffsetKnown);
  Ticks(2);
  ASSERT_TRUE(main().ClockOffsetKnown);
  EXPECT_EQ(main().ClockOffset.hours, 1);
  EXPECT_EQ(main().ClockOffset.minutes, 2);
  EXPECT_EQ(main().ClockOffset.seconds, 3);
  Ticks(1);
  // The clock tick shows the computer's time and the controller's beside it.
  const std::string computer = main().ComputerTime->text();
  const std::string expected =
      ShiftedClockText(std::stoi(computer.substr(0, 2)), std::stoi(computer.substr(3, 2)),
                       std::stoi(computer.substr(6, 2)), main().ClockOffset);
  EXPECT_EQ(main().LocalTime->text(), expected);
  EXPECT_EQ(local.text(), expected);

  // While the user types in the field, neither the poll nor the clock replaces the text.
  main().sheets.sheets()[0]->menuLabel->click();
  local.setFocus();
  local.setText("01:02:03");
  mark();
  Ticks(12);
  EXPECT_EQ(count(":GL#"), 0);
  EXPECT_EQ(local.text(), "01:02:03");
}

TEST_F(StatusPollingTest, SwappedCableStopsPollingAndSaysSo) {
  StartWith({}, At(3, 3));
  main().TogglePrecision->click();
  ASSERT_FALSE(main().HighPrecision);
  Ticks(1);
  ASSERT_FALSE(main().RA->text().empty());
  // A hand controller cable answers with the command's own text.
  controller().options().echo = true;
  Ticks(1);
  ASSERT_EQ(backend().messageBoxes.size(), 1u);
  EXPECT_EQ(backend().messageBoxes[0].text,
            "You have probably switched the serial and the handcontroller cable !");
  EXPECT_EQ(backend().messageBoxes[0].caption, "Connection error");
  EXPECT_EQ(main().ConnectedPort, 0);
  EXPECT_EQ(main().SerialPort->text(), "Offline");
  EXPECT_EQ(main().OrvaneVersion->text(), "Detection failed");
  EXPECT_EQ(main().RA->text(), "");
  EXPECT_EQ(observer().RA->text(), "");
  EXPECT_FALSE(main().UpdateTimer.enabled());
  mark();
  backend().advance(5000);
  EXPECT_TRUE(all().empty());
}

TEST_F(StatusPollingTest, SilentControllerKeepsThePositionAndAsksForARestart) {
  StartWith({}, At(6, 30));
  Ticks(1);
  const std::string ra = main().RA->text();
  ASSERT_FALSE(ra.empty());
  controller().options().silent = true;
  mark();
  backend().advance(5000);
  // Never an empty or made-up position: the old one until the tick ends without an
  // answer, then the mark of a reading that is not current.
  EXPECT_TRUE(main().RA->text() == ra || main().RA->text() == "--") << main().RA->text();
  EXPECT_GE(count(std::string(1, '\x06')), 1);
  EXPECT_TRUE(main().UpdateTimer.enabled());
  // It answers again: polling simply goes on.
  controller().options().silent = false;
  backend().advance(4000);
  EXPECT_EQ(main().ConnectedPort, 1);
  EXPECT_EQ(main().RA->text().substr(0, 3), "06h");
}

TEST_F(StatusPollingTest, ReadingsOfASilentControllerAreMarkedUntilItAnswersAgain) {
  StartWith({"Sheet \"Site\"", "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\""},
            At(6, 30, 2));
  Ticks(2);
  ASSERT_TRUE(main().ClockOffsetKnown);
  ASSERT_EQ(main().InitialAlign->text(), "Done");
  controller().options().silent = true;
  // The first poll without an answer marks them.
  ASSERT_TRUE(backend().runUntil([&] { return main().RA->text() == "--"; }, 20000));
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Status: Controller not answering");
  EXPECT_EQ(main().Dec->text(), "--");
  EXPECT_EQ(main().InitialAlign->text(), "--");
  EXPECT_EQ(schedule().CurrentRA->text(), "--");
  EXPECT_EQ(schedule().CurrentDEC->text(), "--");
  EXPECT_EQ(observer().RA->text(), "--");
  backend().advance(1100);
  EXPECT_EQ(main().LocalTime->text(), "--");

  controller().options().silent = false;
  ASSERT_TRUE(backend().runUntil([&] { return main().RA->text() != "--"; }, 20000));
  EXPECT_EQ(main().RA->text().substr(0, 3), "06h");
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Status: Connection established");
  backend().advance(1100);
  EXPECT_NE(main().LocalTime->text(), "--");
  EXPECT_EQ(main().InitialAlign->text(), "Done");
  EXPECT_NE(main().Dec->text(), "--");
}

}  // namespace
}  // namespace orvane::testing
