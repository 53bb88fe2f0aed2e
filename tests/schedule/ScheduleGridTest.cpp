// The observation schedule: editing and sorting the grid, and the timed slews it fires.
#include <gtest/gtest.h>

#include "ScheduleTestSupport.h"

namespace orvane::schedule_test {
namespace {

using Commands = std::vector<std::string>;
// The entries of these tests are given for the equinox of date.
class ScheduleGridTest : public ScheduleWindowTest {
 protected:
  void SetUp() override {
    ScheduleWindowTest::SetUp();
    schedule->EquinoxLabelClick();
    Mark();
  }
};

TEST_F(ScheduleGridTest, EntriesStaySortedByTimeAndTheGridGrowsWithThem) {
  AddEntry("22:00:00", "C", "03h 00m 00s", "+30" + kDegree + " 00' 00''");
  AddEntry("21:00:00", "A", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("21:30:00", "B", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  EXPECT_EQ(Times(), (Commands{"21:00:00", "21:30:00", "22:00:00"}));
  // The whole row moves with its time.
  EXPECT_EQ(schedule->Objects->cell(1, 1), "A");
  EXPECT_EQ(schedule->Objects->cell(2, 2), "02h 00m 00s");
  EXPECT_EQ(schedule->Objects->cell(3, 3), "+30" + kDegree + " 00' 00''");
  EXPECT_EQ(schedule->Objects->height(), 4 * kScheduleRowHeight + 3);
}

TEST_F(ScheduleGridTest, EqualTimesKeepTheirOrder) {
  AddEntry("21:00:00", "First", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("20:00:00", "Early", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("21:00:00", "Second", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  EXPECT_EQ(schedule->Objects->cell(1, 1), "Early");
  EXPECT_EQ(schedule->Objects->cell(1, 2), "First");
  EXPECT_EQ(schedule->Objects->cell(1, 3), "Second");
}

TEST_F(ScheduleGridTest, RemovingTheFirstOfThreeLeavesTheOtherTwoInOrder) {
  AddEntry("21:00:00", "A", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("21:30:00", "B", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  AddEntry("22:00:00", "C", "03h 00m 00s", "+30" + kDegree + " 00' 00''");
  schedule->Objects->setRow(1);
  schedule->RemoveEvent();
  EXPECT_EQ(Times(), (Commands{"21:30:00", "22:00:00"}));
  EXPECT_EQ(schedule->Objects->cell(1, 1), "B");
  EXPECT_EQ(schedule->Objects->cell(1, 2), "C");
  EXPECT_EQ(schedule->Objects->height(), 3 * kScheduleRowHeight + 3);
}

TEST_F(ScheduleGridTest, RemovingTheOnlyEntryLeavesAnEmptyRowThatAddFills) {
  AddEntry("21:00:00", "A", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  schedule->Objects->setRow(1);
  schedule->RemoveEvent();
  EXPECT_EQ(schedule->Objects->rowCount(), 2);
  for (int col = 0; col < 4; ++col) EXPECT_EQ(schedule->Objects->cell(col, 1), "");
  AddEntry("22:00:00", "B", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  EXPECT_EQ(schedule->Objects->rowCount(), 2);
  EXPECT_EQ(Times(), (Commands{"22:00:00"}));
}

TEST_F(ScheduleGridTest, ReplaceOverwritesTheSelectedEntryAndSorts) {
  AddEntry("21:00:00", "A", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("22:00:00", "B", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  schedule->Objects->setRow(1);
  schedule->EditTime->setText("23:00:00");
  schedule->EditName->setText("Z");
  schedule->ReplaceEvent();
  EXPECT_EQ(Times(), (Commands{"22:00:00", "23:00:00"}));
  EXPECT_EQ(schedule->Objects->cell(1, 2), "Z");
  EXPECT_EQ(schedule->Objects->rowCount(), 3);
}

TEST_F(ScheduleGridTest, SevenEntriesScrollInsteadOfGrowingTheGrid) {
  for (int i = 0; i < 7; ++i) {
    AddEntry("2" + std::to_string(i) + ":00:00", "N", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  }
  EXPECT_EQ(schedule->Objects->rowCount(), 8);
  EXPECT_EQ(schedule->Objects->height(), kScheduleMaxGridHeight);
  EXPECT_GT(schedule->Objects->rowCount() * kScheduleRowHeight + 3, schedule->Objects->height());
  schedule->ClearAllClick();
  EXPECT_EQ(schedule->Objects->rowCount(), 2);
  EXPECT_EQ(schedule->Objects->height(), kScheduleRowHeight + 3);
}

TEST_F(ScheduleGridTest, SelectingARowCopiesItIntoTheFieldsUpToATextTheyRefuse) {
  AddEntry("21:00:00", "Vega", "18h 36m 56s", "+38" + kDegree + " 47' 01''");
  schedule->EditTime->setText("00:00:00");
  schedule->EditName->setText("NoName");
  schedule->Objects->userSelectCell(0, 1);
  EXPECT_EQ(schedule->EditTime->text(), "21:00:00");
  EXPECT_EQ(schedule->EditName->text(), "Vega");
  EXPECT_EQ(schedule->EditRA->text(), "18h 36m 56s");
  EXPECT_EQ(schedule->EditDec->text(), "+38" + kDegree + " 47' 01''");

  // A profile row whose right ascension the mask cannot take stops the copy there.
  schedule->AddScheduleRow("22:00:00", "Odd", "somewhere", "+01" + kDegree + " 00' 00''");
  schedule->Objects->userSelectCell(0, 2);
  EXPECT_EQ(schedule->EditTime->text(), "22:00:00");
  EXPECT_EQ(schedule->EditName->text(), "Odd");
  EXPECT_EQ(schedule->EditRA->text(), "18h 36m 56s");
  EXPECT_EQ(schedule->EditDec->text(), "+38" + kDegree + " 47' 01''");

  // The empty row of an empty schedule selects nothing.
  schedule->ClearAllClick();
  schedule->Objects->userSelectCell(0, 1);
  EXPECT_EQ(schedule->EditName->text(), "Odd");
}

TEST_F(ScheduleGridTest, ScheduleSlewSendsTheTargetTheNameAndTheSlewInOrder) {
  int slews = 0;
  schedule->disableAdditionalAlignment = [&] { ++slews; };
  AddEntry("21:00:00", "Vega", "05h 3 m 07s", "-12" + kDegree + " 30' 00''");
  schedule->Objects->setRow(1);
  schedule->InitiateClick();
  EXPECT_EQ(Sent(), (Commands{":Sr05:03:07#", ":ONVega#", ":Sd-12:30:00#", ":MS#"}));
  EXPECT_EQ(slews, 1);
  EXPECT_EQ(controller->objectName(), "Vega");

  // In J2000.0 each slew asks for the precession between the declination and the slew.
  schedule->J20000LabelClick();
  Mark();
  schedule->InitiateClick();
  EXPECT_EQ(Sent(), (Commands{":Sr05:03:07#", ":ONVega#", ":Sd-12:30:00#", ":Sp#", ":MS#"}));

  schedule->EquinoxLabelClick();
  Mark();
  schedule->InitiateClick();
  EXPECT_EQ(Sent(), (Commands{":Sr05:03:07#", ":ONVega#", ":Sd-12:30:00#", ":MS#"}));
  EXPECT_EQ(slews, 3);
}

TEST_F(ScheduleGridTest, InitiateOnAnEmptyScheduleDoesNothing) {
  schedule->Objects->setRow(1);
  schedule->InitiateClick();
  EXPECT_TRUE(Sent().empty());
}

TEST_F(ScheduleGridTest, TheScheduleFiresEachEntryAtItsTimeAndSwitchesOffAfterTheLast) {
  AddEntry("21:00:00", "First", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("22:00:00", "Second", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  schedule->CheckForEvent("21:00:00");
  EXPECT_TRUE(Sent().empty()) << "inactive";

  schedule->ToggleSchedule->click();
  EXPECT_TRUE(schedule->ScheduleActive);
  EXPECT_EQ(schedule->ToggleSchedule->text(), "Deactivate Schedule");
  schedule->CheckForEvent("20:59:59");
  EXPECT_TRUE(Sent().empty());
  schedule->CheckForEvent("21:00:00");
  EXPECT_EQ(Sent(), (Commands{":Sr01:00:00#", ":ONFirst#", ":Sd+10:00:00#", ":MS#"}));
  EXPECT_TRUE(schedule->ScheduleActive);

  Mark();
  schedule->CheckForEvent("21:59:59");
  EXPECT_TRUE(Sent().empty());
  schedule->CheckForEvent("22:00:00");
  EXPECT_EQ(Sent(), (Commands{":Sr02:00:00#", ":ONSecond#", ":Sd+20:00:00#", ":MS#"}));
  EXPECT_FALSE(schedule->ScheduleActive);
  EXPECT_EQ(schedule->ToggleSchedule->text(), "Activate Schedule");
  // Entries stay after they fired.
  EXPECT_EQ(schedule->Objects->rowCount(), 3);
}

TEST_F(ScheduleGridTest, ALateTickStillFiresTheSkippedEntryOnce) {
  AddEntry("21:00:00", "First", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("22:00:00", "Second", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  schedule->ToggleScheduleClick();
  schedule->CheckForEvent("20:59:59");
  schedule->CheckForEvent("21:00:01");  // 21:00:00 never came
  EXPECT_EQ(Sent(), (Commands{":Sr01:00:00#", ":ONFirst#", ":Sd+10:00:00#", ":MS#"}));
  Mark();
  schedule->CheckForEvent("21:00:01");
  schedule->CheckForEvent("21:00:02");
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(schedule->ScheduleActive);
}

TEST_F(ScheduleGridTest, SwitchingOnLateDoesNotFireWhatIsAlreadyPast) {
  AddEntry("21:00:00", "First", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("22:00:00", "Second", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  schedule->ToggleScheduleClick();
  schedule->CheckForEvent("21:00:01");
  schedule->CheckForEvent("21:00:02");
  EXPECT_TRUE(Sent().empty());
  // Off and on again: the first tick after switching on counts its own second only.
  schedule->CheckForEvent("21:59:58");
  schedule->ToggleScheduleClick();
  schedule->ToggleScheduleClick();
  schedule->CheckForEvent("22:00:01");
  EXPECT_TRUE(Sent().empty());
}

TEST_F(ScheduleGridTest, OfTwoSkippedEntriesTheLaterFiresAndTheLastRowSwitchesOff) {
  AddEntry("21:00:00", "First", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("21:00:01", "Second", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  schedule->ToggleScheduleClick();
  schedule->CheckForEvent("20:59:59");
  schedule->CheckForEvent("21:00:02");
  EXPECT_EQ(Sent(), (Commands{":Sr02:00:00#", ":ONSecond#", ":Sd+20:00:00#", ":MS#"}));
  EXPECT_FALSE(schedule->ScheduleActive);
}

TEST_F(ScheduleGridTest, ATickDuringASlewDoesNotStartAnotherInTheMiddle) {
  // The controller answers slowly, so the clock ticks while the target is being sent.
  controller->options().lateReplyMs = 700;
  AddEntry("21:00:00", "First", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry("21:00:01", "Second", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  AddEntry("23:00:00", "Third", "03h 00m 00s", "+30" + kDegree + " 00' 00''");
  schedule->ToggleScheduleClick();
  schedule->CheckForEvent("20:59:59");
  ui::Timer tick(app.backend(), 300, true);
  tick.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    schedule->CheckForEvent("21:00:01");
  };
  schedule->CheckForEvent("21:00:00");
  EXPECT_EQ(Sent(), (Commands{":Sr01:00:00#", ":ONFirst#", ":Sd+10:00:00#", ":MS#"}));
  // The next tick catches up the second the nested tick left alone.
  Mark();
  schedule->CheckForEvent("21:00:02");
  EXPECT_EQ(Sent(), (Commands{":Sr02:00:00#", ":ONSecond#", ":Sd+20:00:00#", ":MS#"}));
}

// The clock text of the computer's local time seconds from now.
std::string ClockIn(testing::HeadlessApp& app, int seconds) {
  const ui::DateTime now = app.backend().localNow();
  const int second = (now.hour * 3600 + now.minute * 60 + now.second + seconds) % 86400;
  auto twoDigits = [](int value) {
    return std::string(1, char('0' + value / 10)) + char('0' + value % 10);
  };
  return twoDigits(second / 3600) + ":" + twoDigits(second / 60 % 60) + ":" +
         twoDigits(second % 60);
}

TEST_F(ScheduleGridTest, TheClockTickRunsTheScheduleToItsEnd) {
  AddEntry(ClockIn(app, 5), "First", "01h 00m 00s", "+10" + kDegree + " 00' 00''");
  AddEntry(ClockIn(app, 10), "Second", "02h 00m 00s", "+20" + kDegree + " 00' 00''");
  schedule->ToggleScheduleClick();
  app.Advance(7000);
  EXPECT_EQ(Sent(), (Commands{":Sr01:00:00#", ":ONFirst#", ":Sd+10:00:00#", ":MS#"}));
  EXPECT_TRUE(schedule->ScheduleActive);
  Mark();
  app.Advance(6000);
  EXPECT_EQ(Sent(), (Commands{":Sr02:00:00#", ":ONSecond#", ":Sd+20:00:00#", ":MS#"}));
  EXPECT_FALSE(schedule->ScheduleActive);
  EXPECT_EQ(schedule->ToggleSchedule->text(), "Activate Schedule");
}

TEST_F(ScheduleGridTest, ToggleAndClearAllBlink) {
  schedule->ToggleScheduleClick();
  EXPECT_TRUE(app.main().appearance.blinker().enabled());
  app.Advance(300);
  EXPECT_FALSE(schedule->ToggleSchedule->visible());
  app.Advance(1500);
  EXPECT_TRUE(schedule->ToggleSchedule->visible());
  EXPECT_FALSE(app.main().appearance.blinker().enabled());
}

}  // namespace
}  // namespace orvane::schedule_test
