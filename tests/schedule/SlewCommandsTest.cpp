// Command texts built from the window's fixed-width field and cell texts, and the due
// times of the schedule's clock tick.
#include <gtest/gtest.h>

#include "schedule/ScheduleClock.h"
#include "schedule/SlewCommands.h"

namespace orvane {
namespace {

struct TextCase {
  const char* text;
  const char* command;
};

TEST(SlewCommandsTest, RightAscensionReadsEachPartAsTheNumberItsDigitsShow) {
  const TextCase cases[] = {
      {"05h 3 m 07s", ":Sr05:03:07#"},
      {"05h  3m 07s", ":Sr05:03:07#"},
      {"5 h 3 m 7 s", ":Sr05:03:07#"},
      {"12h 3 m 45s", ":Sr12:03:45#"},
      {"00h 00m 00s", ":Sr00:00:00#"},
      {"23h 59m 59s", ":Sr23:59:59#"},
      {" 1h  2m  3s", ":Sr01:02:03#"},
      // A text cut short (a hand-edited profile) still gives a command of fixed form.
      {"12h", ":Sr12:00:00#"},
      {"", ":Sr00:00:00#"},
  };
  for (const auto& c : cases) EXPECT_EQ(RightAscensionCommand(c.text), c.command) << c.text;
}

TEST(SlewCommandsTest, DeclinationTakesSignDegreesMinutesSeconds) {
  const TextCase cases[] = {
      {"-12\xB0 30' 00''", ":Sd-12:30:00#"},
      {"-05\xB0 10' 20''", ":Sd-05:10:20#"},
      {"+89\xB0 59' 59''", ":Sd+89:59:59#"},
      {"+ 5\xB0  3'  0''", ":Sd+05:03:00#"},
      {"-5 \xB0 3 ' 1 ''", ":Sd-05:03:01#"},
      {"+00\xB0 00' 00''", ":Sd+00:00:00#"},
      {"", ":Sd000:00:00#"},
  };
  for (const auto& c : cases) EXPECT_EQ(DeclinationCommand(c.text), c.command) << c.text;
}

TEST(SlewCommandsTest, NameAndSpeedCommands) {
  EXPECT_EQ(ObjectNameCommand("unknown"), ":ONunknown#");
  EXPECT_EQ(ObjectNameCommand("M 31"), ":ONM 31#");
  EXPECT_EQ(MaxSlewSpeedCommand(0), ":Sw1#");
  EXPECT_EQ(MaxSlewSpeedCommand(4), ":Sw5#");
  EXPECT_EQ(MaxSlewSpeedCommand(5), ":Sw6#");
}

TEST(SlewCommandsTest, DeclinationTextsKeepASignInFront) {
  const TextCase cases[] = {
      {"500\xB0 00' 00''", "+00\xB0 00' 00''"},
      {" 12\xB0 00' 00''", "+12\xB0 00' 00''"},
      {"-12\xB0 00' 00''", "-12\xB0 00' 00''"},
      {"+12\xB0 00' 00''", "+12\xB0 00' 00''"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(WithDeclinationSign(c.text), c.command) << c.text;
}

TEST(ScheduleClockTest, ReadsTimeTexts) {
  struct Case {
    const char* text;
    std::optional<int> seconds;
  };
  const Case cases[] = {
      {"21:30:00", 77400},        {"00:00:00", 0},
      {"23:59:59", 86399},        {" 5:00:00", 18000},
      {"05: 3:07", 18187},        {"  :00:00", std::nullopt},
      {"24:00:00", std::nullopt}, {"12:60:00", std::nullopt},
      {"21:30", std::nullopt},    {"21-30-00", std::nullopt},
      {"ab:cd:ef", std::nullopt}, {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ScheduleClock::SecondsOfDay(c.text), c.seconds) << c.text;
}

TEST(ScheduleClockTest, ATickMakesDueTheTimesSinceThePreviousTickOnce) {
  constexpr int kDay = ScheduleClock::kSecondsPerDay;
  struct Case {
    const char* what;
    int entry;
    std::optional<int> previous;
    int tick;
    bool due;
  };
  const Case cases[] = {
      {"first tick: its own second", 100, std::nullopt, 100, true},
      {"first tick: not the second before", 99, std::nullopt, 100, false},
      {"next second", 101, 100, 101, true},
      {"the previous tick's second is done", 100, 100, 101, false},
      {"a late tick catches up the skipped second", 101, 100, 102, true},
      {"a late tick fires its own second", 102, 100, 102, true},
      {"not the future", 103, 100, 102, false},
      {"the same second twice fires once", 100, 100, 100, false},
      {"across midnight: before it", kDay - 1, kDay - 2, 1, true},
      {"across midnight: at it", 0, kDay - 2, 1, true},
      {"across midnight: after it", 1, kDay - 2, 1, true},
      {"across midnight: not the future", 2, kDay - 2, 1, false},
      {"across midnight: not the past", kDay - 2, kDay - 2, 1, false},
      {"clock set back: nothing in between", 50000, 80000, 3600, false},
      {"clock set back: its own second", 3600, 80000, 3600, true},
      {"clock jumps ahead: nothing skipped", 5000, 3600, 7200, false},
      {"clock jumps ahead: its own second", 7200, 3600, 7200, true},
      {"at the catch-up limit", 1, 0, ScheduleClock::kCatchUpLimitSeconds, true},
      {"beyond the catch-up limit", 1, 0, ScheduleClock::kCatchUpLimitSeconds + 1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScheduleClock::IsDue(c.entry, c.previous, c.tick), c.due) << c.what;
  }
}

TEST(ScheduleClockTest, LaterEntriesLieCloserBehindTheTick) {
  EXPECT_EQ(ScheduleClock::DistanceBehind(102, 100, 102), 0);
  EXPECT_EQ(ScheduleClock::DistanceBehind(101, 100, 102), 1);
  EXPECT_EQ(ScheduleClock::DistanceBehind(ScheduleClock::kSecondsPerDay - 1,
                                          ScheduleClock::kSecondsPerDay - 2, 1),
            2);
}

}  // namespace
}  // namespace orvane
