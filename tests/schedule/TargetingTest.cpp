// Manual targeting and the window as a whole: "Go", the epoch choice, the declination
// sign, dragging, showing and closing, and the layout.
#include <gtest/gtest.h>

#include <cmath>

#include "ScheduleTestSupport.h"

namespace orvane::schedule_test {
namespace {

using Commands = std::vector<std::string>;
using TargetingTest = ScheduleWindowTest;

TEST_F(TargetingTest, GoInJ2000SendsTheWholeSequenceInOrder) {
  int slews = 0;
  schedule->disableAdditionalAlignment = [&] { ++slews; };
  schedule->J20000Label->click();
  EXPECT_EQ(Sent(), (Commands{":p0#"}));
  EXPECT_TRUE(controller->j2000());
  schedule->TargetRA->setText("12h 3 m 45s");
  schedule->TargetDEC->setText("-05" + kDegree + " 10' 20''");
  Mark();
  schedule->Go->click();
  EXPECT_EQ(Sent(), (Commands{":Sr12:03:45#", ":ONunknown#", ":Sd-05:10:20#", ":Sp#", ":MS#"}));
  EXPECT_EQ(slews, 1);
  EXPECT_EQ(controller->objectName(), "unknown");
}

TEST_F(TargetingTest, ASlewThatALostLinkDroppedSaysSo) {
  int slews = 0;
  schedule->disableAdditionalAlignment = [&] { ++slews; };
  schedule->TargetRA->setText("12h 03m 45s");
  schedule->Go->click();
  ASSERT_EQ(slews, 1);
  EXPECT_EQ(schedule->SlewStatus->text(), "");
  // The line drops as the target's right ascension arrives: the rest never goes out.
  controller->setCommandObserver([this](const std::string& command) {
    if (command.rfind(":Sr", 0) != 0) return;
    controller->options().unplugAtMs = static_cast<double>(app.backend().nowMs()) + 1;
    controller->options().replugAfterMs = 4000;
  });
  Mark();
  schedule->Go->click();
  EXPECT_EQ(slews, 1);
  EXPECT_EQ(schedule->SlewStatus->text(), "Status: Slew not sent, no connection to the controller");
  EXPECT_EQ(Sent(), (Commands{":Sr12:03:45#"}));
  // Back again, the next slew goes out and the line says nothing.
  controller->setCommandObserver(nullptr);
  ASSERT_TRUE(app.backend().runUntil([&] { return app.main().ConnectedPort == 1; }, 10000));
  schedule->Go->click();
  EXPECT_EQ(slews, 2);
  EXPECT_EQ(schedule->SlewStatus->text(), "");
}

// Before any choice the marker stands beside "J2000.0": the target goes as J2000.0, the
// controller told as when the user chooses it. In equinox of date no precession is asked.
TEST_F(TargetingTest, GoSendsTheTargetInTheEpochTheWindowShows) {
  EXPECT_EQ(schedule->EquinoxMode, 0);
  EXPECT_EQ(schedule->EquinoxShape->top(), 269);
  schedule->GoClick();
  EXPECT_EQ(Sent(), (Commands{":p0#", ":Sr00:00:00#", ":ONunknown#", ":Sd+00:00:00#", ":Sp#",
                              ":MS#"}));
  EXPECT_EQ(schedule->EquinoxMode, 1);
  EXPECT_EQ(schedule->EquinoxShape->top(), 269);
  schedule->EquinoxLabel->click();
  Mark();
  schedule->GoClick();
  EXPECT_EQ(Sent(), (Commands{":Sr00:00:00#", ":ONunknown#", ":Sd+00:00:00#", ":MS#"}));
}

TEST_F(TargetingTest, EveryJ2000ClickTellsTheControllerAndEquinoxOfDateSendsNothing) {
  schedule->J20000LabelClick();
  schedule->J20000LabelClick();
  EXPECT_EQ(Sent(), (Commands{":p0#", ":p0#"}));
  EXPECT_EQ(schedule->EquinoxMode, 1);
  EXPECT_EQ(schedule->EquinoxShape->top(), 269);
  Mark();
  schedule->EquinoxLabelClick();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(schedule->EquinoxMode, 2);
  EXPECT_EQ(schedule->EquinoxShape->top(), 285);
  schedule->J20000LabelClick();
  EXPECT_EQ(schedule->EquinoxShape->top(), 269);
}

TEST_F(TargetingTest, TheMountArrivesAtTheTypedTarget) {
  schedule->EquinoxLabelClick();  // the controller's own equinox: no precession on the way
  schedule->TargetRA->setText("06h 00m 00s");
  schedule->TargetDEC->setText("+45" + kDegree + " 30' 00''");
  schedule->GoClick();
  app.Advance(60000);
  const double now = static_cast<double>(app.backend().nowMs());
  EXPECT_NEAR(controller->rightAscensionHours(now), 6.0, 0.01);
  EXPECT_NEAR(controller->declinationDegrees(now), 45.5, 0.01);
  EXPECT_FALSE(controller->mount().slewing(now));
}

TEST_F(TargetingTest, AClickDuringASlewWaitsForItsEnd) {
  controller->options().lateReplyMs = 300;
  ui::Timer click(app.backend(), 100, true);
  click.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    schedule->TargetRA->setText("07h 00m 00s");
    schedule->GoClick();
  };
  AddEntry("21:00:00", "Vega", "18h 36m 56s", "+38" + kDegree + " 47' 01''");
  schedule->Objects->setRow(1);
  schedule->InitiateClick();
  EXPECT_EQ(Sent(), (Commands{":p0#", ":Sr18:36:56#", ":ONVega#", ":Sd+38:47:01#", ":Sp#", ":MS#",
                              ":Sr07:00:00#", ":ONunknown#", ":Sd+00:00:00#", ":Sp#", ":MS#"}));
}

TEST_F(TargetingTest, TheDeclinationFieldsKeepASign) {
  for (ui::MaskEdit* field : {schedule->TargetDEC.get(), schedule->EditDec.get()}) {
    // A digit typed over the sign makes it "+" and goes on to the degrees.
    field->setText("-12" + kDegree + " 00' 00''");
    field->setSelection(0, 0);
    schedule->keyPress(*field, '5');
    EXPECT_EQ(field->text(), "+52" + kDegree + " 00' 00''") << field->name();
    field->setSelection(0, 0);
    schedule->keyPress(*field, '-');
    EXPECT_EQ(field->text(), "-52" + kDegree + " 00' 00''") << field->name();
    // A whole declination typed without its sign lands digit for digit, over an old value.
    field->setText("-71" + kDegree + " 19' 46''");
    field->setSelection(0, 0);
    for (char key : std::string("052328")) schedule->keyPress(*field, key);
    EXPECT_EQ(field->text(), "+05" + kDegree + " 23' 28''") << field->name();
    // With its sign, as before.
    field->setSelection(0, 0);
    for (char key : std::string("-052328")) schedule->keyPress(*field, key);
    EXPECT_EQ(field->text(), "-05" + kDegree + " 23' 28''") << field->name();
  }
  // And "Go" sends what was typed.
  schedule->TargetRA->setText("05h 35m 17s");
  schedule->TargetDEC->setText("+00" + kDegree + " 00' 00''");
  schedule->TargetDEC->setSelection(0, 0);
  for (char key : std::string("052328")) schedule->keyPress(*schedule->TargetDEC, key);
  schedule->GoClick();
  EXPECT_EQ(Sent(),
            (Commands{":p0#", ":Sr05:35:17#", ":ONunknown#", ":Sd+05:23:28#", ":Sp#", ":MS#"}));
}

TEST_F(TargetingTest, DraggingPullsTheWindowBackOntoTheScreen) {
  const ui::Size screen = app.backend().screenSize();
  ui::Label& handle = *schedule->ScheduleTitle;
  handle.mouseDown(ui::MouseButton::Left, {}, 10, 10);
  handle.mouseMove({}, 10 - 5000, 10 - 5000);
  EXPECT_LT(schedule->left(), 0);
  handle.mouseUp(ui::MouseButton::Left, {}, 0, 0);
  EXPECT_EQ(schedule->left(), 0);
  EXPECT_EQ(schedule->top(), 0);

  schedule->Frame->mouseDown(ui::MouseButton::Left, {}, 10, 10);
  schedule->Frame->mouseMove({}, 10 + 5000, 10 + 5000);
  schedule->Frame->mouseUp(ui::MouseButton::Left, {}, 0, 0);
  EXPECT_EQ(schedule->left(), screen.width - schedule->width());
  EXPECT_EQ(schedule->top(), screen.height - schedule->height() - 24);

  // A move without a press does nothing.
  const int left = schedule->left();
  schedule->Frame->mouseMove({}, 500, 500);
  EXPECT_EQ(schedule->left(), left);
}

TEST_F(TargetingTest, EscEndsADragWithinTheScreen) {
  schedule->TargetingTitle->mouseDown(ui::MouseButton::Left, {}, 0, 0);
  schedule->TargetingTitle->mouseMove({}, -3000, 40);
  schedule->keyPress(*schedule->TargetRA, 27);
  EXPECT_FALSE(schedule->Dragging);
  EXPECT_EQ(schedule->left(), 0);
  schedule->TargetingTitle->mouseMove({}, 200, 200);
  EXPECT_EQ(schedule->left(), 0);
}

TEST_F(TargetingTest, ShowingCentresOverTheMainWindowUntilTheUserMovedIt) {
  TMainForm& main = app.main();
  main.setBounds(100, 50, main.width(), main.height());
  schedule->BtnExitClick();
  EXPECT_FALSE(schedule->visible());
  schedule->ShowUp();
  EXPECT_TRUE(schedule->visible());
  EXPECT_EQ(schedule->left(), 100 + (main.width() - schedule->width()) / 2);
  EXPECT_EQ(schedule->top(), 50 + (main.height() - schedule->height()) / 2);

  schedule->Frame->mouseDown(ui::MouseButton::Left, {}, 0, 0);
  schedule->Frame->mouseMove({}, 7, 9);
  schedule->Frame->mouseUp(ui::MouseButton::Left, {}, 7, 9);
  const int left = schedule->left();
  const int top = schedule->top();
  schedule->BtnExit->click();
  EXPECT_FALSE(schedule->visible());
  schedule->ShowUp();
  EXPECT_EQ(schedule->left(), left);
  EXPECT_EQ(schedule->top(), top);
}

TEST_F(TargetingTest, CaptionsAndStartTextsAreTheProgramsOwn) {
  EXPECT_EQ(schedule->Initiate->text(), "Inititate Slew Now");
  EXPECT_EQ(schedule->Slewing->text(), "Slewing:");
  EXPECT_EQ(schedule->Stop->text(), "\xB0");
  EXPECT_EQ(schedule->J20000Label->text(), "J2000.0");
  EXPECT_EQ(schedule->EquinoxLabel->text(), "Equinox of Date");
  EXPECT_EQ(schedule->Speed->text(), "5\xB0/s");
  EXPECT_EQ(schedule->TargetRA->text(), "00h 00m 00s");
  EXPECT_EQ(schedule->TargetDEC->text(), "+00" + kDegree + " 00' 00''");
}

// Two widgets overlap unless one is a label lying on its own button shape.
bool Overlap(const ui::Widget& a, const ui::Widget& b) {
  return a.left() < b.left() + b.width() && b.left() < a.left() + a.width() &&
         a.top() < b.top() + b.height() && b.top() < a.top() + a.height();
}

TEST_F(TargetingTest, NothingOverlapsAndEverythingLiesInsideTheWindow) {
  // Both marker positions, and the grid at its largest.
  for (int i = 0; i < 8; ++i) schedule->AddScheduleRow("21:00:00", "N", "", "");
  for (int mode : {1, 2}) {
    schedule->SetControlMode(mode);
    schedule->SetEquinoxMode(mode);
    std::vector<ui::Widget*> parts;
    for (ui::Widget* child : schedule->children()) {
      if (child != schedule->Frame.get() && child->width() > 0) parts.push_back(child);
    }
    for (ui::Widget* part : parts) {
      EXPECT_GE(part->left(), 0) << part->name();
      EXPECT_GE(part->top(), 0) << part->name();
      EXPECT_LE(part->left() + part->width(), schedule->width()) << part->name();
      EXPECT_LE(part->top() + part->height(), schedule->height()) << part->name();
    }
    for (size_t i = 0; i < parts.size(); ++i) {
      for (size_t j = i + 1; j < parts.size(); ++j) {
        ui::Widget* a = parts[i];
        ui::Widget* b = parts[j];
        const bool buttonPair =
            (a->name() + "Shape" == b->name()) || (b->name() + "Shape" == a->name());
        if (buttonPair) continue;
        EXPECT_FALSE(Overlap(*a, *b)) << a->name() << " and " << b->name();
      }
    }
  }
}

}  // namespace
}  // namespace orvane::schedule_test
