// The program worked by feel: the stop key in every window, the range-error box, flat
// buttons, fields and the schedule grid from the keyboard, and the status line of a port
// that cannot be opened. The whole program, headless, against a simulated controller.
#include <gtest/gtest.h>

#include "app/CreditsForm.h"
#include "app/DummyForm.h"
#include "app/Observer.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/DialogueTestSupport.h"
#include "dialogue/RestartForm.h"
#include "link/Cache.h"
#include "link/TraceForm.h"

namespace orvane::testing {
namespace {

constexpr const char* kDegree = "\xB0";

class WorkedByKeysTest : public DialogueTest {
 protected:
  void SetUp() override {
    StartWith({"Sheet \"Site\"", "251 \"Slew Rate\" 0:15",
               "252 \"Offset (h)\" -12:12 mask=\"#00;0;_\"",
               "511 \"UTC Offset (h)\" command=\":SG,:GG\" mask=\"#00;0;_\""});
    schedule().ShowUp();
    mark();
  }
  TSchedule& schedule() { return *app().windows().schedule; }
  void Press(ui::Form& form, ui::Widget& target, int key) {
    form.keyDown(target, key, {});
    form.keyUp(target, key, {});
  }
  // Sent after the queue of native writes has gone out.
  Commands sentAfterFlush() {
    backend().advance(2500);
    return sent();
  }
};

TEST_F(WorkedByKeysTest, TheStopKeyStopsTheMountFromEveryWindow) {
  Windows& w = app().windows();
  ui::Form* forms[] = {w.main,  w.trace, w.cache,     w.observer, w.restart,
                       w.error, w.dummy, w.alignment, w.credits,  w.schedule};
  for (ui::Form* form : forms) {
    SCOPED_TRACE(form->name());
    schedule().WestClick();
    ASSERT_EQ(schedule().West->tag(), 1);
    mark();
    form->keyDown(*form, kStopKey, {});
    EXPECT_EQ(count(":Q#"), 1);
    EXPECT_EQ(schedule().West->tag(), 0);
  }
  // Inside a dialog's modal run too.
  backend().modalHandler = [&](ui::Form& form) {
    schedule().NorthClick();
    mark();
    form.keyDown(form, kStopKey, {});
    return ui::modal::kOk;
  };
  w.credits->showModal();
  EXPECT_EQ(count(":Q#"), 1);
  EXPECT_EQ(schedule().North->tag(), 0);
  EXPECT_NE(schedule().Stop->hint().find("F12"), std::string::npos);
}

TEST_F(WorkedByKeysTest, EscapeInManualControlStopsUnlessItEndsADrag) {
  schedule().EastClick();
  mark();
  schedule().keyPress(schedule(), static_cast<char>(ui::keys::kEscape));
  EXPECT_EQ(count(":Q#"), 1);
  EXPECT_EQ(schedule().East->tag(), 0);
  schedule().EastClick();
  schedule().FrameMouseDown(10, 10);
  mark();
  schedule().keyPress(schedule(), static_cast<char>(ui::keys::kEscape));
  EXPECT_FALSE(schedule().Dragging);
  EXPECT_EQ(count(":Q#"), 0);
  EXPECT_EQ(schedule().East->tag(), 1);
}

// The box names the field and the refused value, closes with Enter, Escape or Space, and
// the field shows the value last sent again.
TEST_F(WorkedByKeysTest, RangeErrorBoxNamesTheFieldClosesByKeyAndPutsTheSentValueBack) {
  TErrorForm& box = *app().windows().error;
  Commit(field(0, 0), "12");
  EXPECT_EQ(sentAfterFlush(), (Commands{NativeWrite("251", "12")}));
  mark();
  const int keys[] = {ui::keys::kReturn, ui::keys::kEscape, ui::keys::kSpace};
  int value = 16;
  for (int key : keys) {
    SCOPED_TRACE(key);
    bool closedByKey = false;
    backend().modalHandler = [&](ui::Form& form) {
      EXPECT_TRUE(form.visible());
      form.keyDown(form, key, {});
      closedByKey = !form.visible() && form.modalResult() == ui::modal::kOk;
      return ui::modal::kNone;
    };
    ui::MaskEdit& rate = field(0, 0);
    rate.setFocus();
    rate.userReplaceText(std::to_string(value));
    main().keyPress(rate, static_cast<char>(ui::keys::kReturn));
    EXPECT_TRUE(closedByKey);
    EXPECT_EQ(box.FieldName->text(), "Slew Rate");
    EXPECT_EQ(box.Value->text(), std::to_string(value));
    EXPECT_EQ(box.Minimum->text(), "0");
    EXPECT_EQ(box.Maximum->text(), "15");
    EXPECT_EQ(rate.text(), "12");
    ++value;
  }
  EXPECT_TRUE(sentAfterFlush().empty());
}

// Passing through fields with Tab sends nothing, not even a sign field's placeholder; a
// field committed with Enter runs its commands once, not again when the focus moves on.
TEST_F(WorkedByKeysTest, TabSendsOnlyWhatWasTypedAndEnterCommitsOnce) {
  main().sheets.sheets().at(0)->menuLabel->click();
  field(0, 0).setFocus();
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(main().selectNext(main().activeControl()));
  main().setActiveControl(nullptr);
  EXPECT_TRUE(sentAfterFlush().empty()) << sent().front();

  ui::MaskEdit& offset = field(0, 2);
  offset.setFocus();
  offset.userReplaceText("-05");
  main().keyPress(offset, static_cast<char>(ui::keys::kReturn));
  EXPECT_NE(main().activeControl(), &offset);
  main().setActiveControl(nullptr);
  backend().advance(2500);
  EXPECT_EQ(count(":SG5#"), 1);
  EXPECT_EQ(count(":GG#"), 1);
}

TEST_F(WorkedByKeysTest, FlatButtonsAreReachedWithTabAndPressedWithSpaceOrEnter) {
  TSchedule& s = schedule();
  // Tab goes from the target fields on to the "Go" button.
  s.TargetDEC->setFocus();
  ASSERT_TRUE(s.selectNext(s.TargetDEC.get()));
  ASSERT_EQ(s.activeControl(), s.Go.get());
  s.TargetRA->setText("05h 35m 17s");
  s.TargetDEC->setText("-05" + std::string(kDegree) + " 23' 28''");
  Press(s, *s.Go, ui::keys::kSpace);
  EXPECT_EQ(count(":Sr05:35:17#"), 1);
  EXPECT_EQ(count(":MS#"), 1);
  backend().advance(1500);  // the button has blinked and has the focus again
  EXPECT_EQ(s.activeControl(), s.Go.get());
  Press(s, *s.Go, ui::keys::kReturn);
  EXPECT_EQ(count(":MS#"), 2);

  // Enter in a target field slews as "Go" does.
  s.TargetRA->setFocus();
  s.keyPress(*s.TargetRA, static_cast<char>(ui::keys::kReturn));
  EXPECT_EQ(count(":MS#"), 3);

  // Touch mode: the mount moves while the key is held, though the press took the focus.
  s.TouchModeLabel->setFocus();
  Press(s, *s.TouchModeLabel, ui::keys::kSpace);
  EXPECT_EQ(s.ControlMode, 2);
  s.North->setFocus();
  mark();
  s.keyDown(*s.North, ui::keys::kSpace, {});
  s.keyDown(*s.North, ui::keys::kSpace, {});  // a held key's repeat
  EXPECT_EQ(sent(), (Commands{":Sw5#", ":Mn#"}));
  s.keyUp(s, ui::keys::kSpace, {});
  EXPECT_EQ(count(":Qn#"), 1);
  EXPECT_EQ(s.North->tag(), 0);
  EXPECT_EQ(s.activeControl(), s.North.get());
}

TEST_F(WorkedByKeysTest, TheGridSelectsAndShowsANewEntry) {
  TSchedule& s = schedule();
  const char* times[] = {"22:00:00", "21:00:00", "23:00:00", "20:00:00",
                         "23:30:00", "20:30:00", "23:50:00", "19:00:00"};
  for (const char* time : times) {
    s.EditTime->setText(time);
    s.AddEvent();
    const int row = s.Objects->row();
    EXPECT_EQ(s.Objects->cell(0, row), time);
    EXPECT_GE(row, s.Objects->topRow());
    EXPECT_LT(row, s.Objects->topRow() + s.Objects->visibleRowCount());
  }
  EXPECT_EQ(s.Objects->visibleRowCount(), 6);
  s.EditTime->setText("23:59:00");
  s.AddEvent();
  EXPECT_EQ(s.Objects->row(), 9);
  EXPECT_EQ(s.Objects->topRow(), 4);
  s.Objects->userSelectCell(0, 1);
  EXPECT_EQ(s.Objects->topRow(), 1);
  EXPECT_EQ(s.EditTime->text(), "19:00:00");
}

TEST_F(WorkedByKeysTest, APortThatCannotBeOpenedSaysSo) {
  ASSERT_EQ(main().ConnectedPort, 1);
  main().SerialPort->userSelect(2);
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Error: Cannot open COM2");
  EXPECT_EQ(main().SerialPort->text(), "COM1");
  EXPECT_EQ(main().ConnectedPort, 1);
  // Offline before: nothing to stay on.
  main().SerialPort->userSelect(6);
  ASSERT_EQ(main().ConnectedPort, 0);
  main().SerialPort->userSelect(2);
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Error: Cannot open COM2");
}

}  // namespace
}  // namespace orvane::testing
