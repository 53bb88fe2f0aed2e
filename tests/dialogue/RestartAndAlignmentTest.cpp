// A controller that restarts while it is polled, the start-mode dialog, the initial-
// alignment check with its dialog and tones, "Synchronize to PC", and the alignment buttons
// of an object panel.
#include <gtest/gtest.h>

#include "dialogue/AlignmentForm.h"
#include "dialogue/DialogueTestSupport.h"
#include "dialogue/RestartForm.h"
#include "link/AstroTime.h"

namespace orvane::testing {
namespace {

const std::string kAck(1, '\x06');

class RestartTest : public DialogueTest,
                    public ::testing::WithParamInterface<std::pair<int, std::string>> {
 protected:
  TRestartForm& restart() { return *app().windows().restart; }
};

TEST_P(RestartTest, TheChosenStartModeReachesTheControllerAndPollingGoesOn) {
  // Plain variables: clang 14 cannot capture a structured binding in a lambda.
  const int button = GetParam().first;
  const std::string command = GetParam().second;
  sim::ControllerOptions options;
  options.level = 1;
  StartWith({}, options);
  int dialogs = 0;
  backend().modalHandler = [&](ui::Form& form) {
    if (&form != &restart()) return ui::modal::kOk;
    ++dialogs;
    backend().advance(3000);  // the user takes a while; polling ticks meanwhile
    if (button == 0) restart().ColdClick();
    if (button == 1) restart().WarmClick();
    if (button == 2) restart().RestartClick();
    return ui::modal::kOk;
  };
  backend().advance(1000);
  controller().restart(static_cast<double>(backend().nowMs()));
  mark();
  backend().advance(3000);
  EXPECT_EQ(dialogs, 1);
  EXPECT_FALSE(controller().bootMode());
  const Commands commands = all();
  auto chosen = std::find(commands.begin(), commands.end(), command);
  ASSERT_NE(chosen, commands.end());
  ASSERT_NE(chosen + 1, commands.end());
  EXPECT_EQ(*(chosen + 1), ":GV#");
  EXPECT_EQ(modalCount("AlignmentForm"), 0);  // level 1: no alignment dialog afterwards
  mark();
  backend().advance(3000);
  EXPECT_GE(count(":GR#"), 2);
  EXPECT_FALSE(main().RA->text().empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, RestartTest,
                         ::testing::Values(std::make_pair(0, std::string("bC#")),
                                           std::make_pair(1, std::string("bW#")),
                                           std::make_pair(2, std::string("bR#"))));

TEST_F(DialogueTest, QuitInTheRestartDialogEndsTheProgramSendingNothing) {
  StartWith({});
  TRestartForm& restart = *app().windows().restart;
  backend().modalHandler = [&](ui::Form& form) {
    if (&form == &restart) restart.QuitClick();
    return ui::modal::kCancel;
  };
  controller().restart(static_cast<double>(backend().nowMs()));
  backend().advance(3000);
  EXPECT_TRUE(backend().terminated());
  for (const std::string& command : all()) EXPECT_NE(command[0], 'b') << command;
}

TEST_F(DialogueTest, ARunningControllerClosesAnOpenRestartDialog) {
  StartWith({});
  TRestartForm& restart = *app().windows().restart;
  bool closedByStatus = false;
  backend().modalHandler = [&](ui::Form& form) {
    if (&form != &restart) return ui::modal::kOk;
    // The controller is started at its hand controller meanwhile.
    controller().receive("bW#", static_cast<double>(backend().nowMs()));
    backend().runUntil([&] { return !restart.visible(); }, 5000);
    closedByStatus = !restart.visible();
    return ui::modal::kOk;
  };
  controller().restart(static_cast<double>(backend().nowMs()));
  backend().advance(3000);
  EXPECT_TRUE(closedByStatus);
  EXPECT_FALSE(backend().terminated());
}

class AlignmentTest : public DialogueTest {
 protected:
  static sim::ControllerOptions Unaligned() {
    sim::ControllerOptions options;
    options.aligned = false;
    return options;
  }
  TAlignmentForm& dialog() { return *app().windows().alignment; }
};

TEST_F(AlignmentTest, StatusShowsDoneAndBeepsOncePerRise) {
  StartWith({});
  backend().advance(kFirstPollMs);
  EXPECT_EQ(main().InitialAlign->text(), "Done");
  EXPECT_TRUE(backend().tones.empty());
  controller().setStatusBit4(true);
  backend().advance(1000);
  ASSERT_EQ(backend().tones.size(), 2u);
  EXPECT_EQ(backend().tones[0].frequencyHz, 220);
  EXPECT_EQ(backend().tones[0].durationMs, 300);
  EXPECT_EQ(backend().tones[1].frequencyHz, 330);
  EXPECT_EQ(backend().tones[1].durationMs, 550);
  backend().advance(3000);
  EXPECT_EQ(backend().tones.size(), 2u);
  controller().setStatusBit4(false);
  backend().advance(1000);
  controller().setStatusBit4(true);
  backend().advance(1000);
  EXPECT_EQ(backend().tones.size(), 4u);
}

TEST_F(AlignmentTest, LevelOneControllersAreNeverAsked) {
  sim::ControllerOptions options = Unaligned();
  options.level = 1;
  StartWith({}, options);
  backend().advance(3000);
  EXPECT_EQ(count("<99:F#"), 0);
  EXPECT_TRUE(main().alignment.DoCheckInitialAlignment());
  EXPECT_EQ(modalCount("AlignmentForm"), 0);
  EXPECT_FALSE(main().InitialAlign->visible());
}

TEST_F(AlignmentTest, DialogOpensWhileUnalignedAndClosesByItself) {
  StartWith({}, Unaligned());
  int opened = 0;
  backend().modalHandler = [&](ui::Form& form) {
    if (&form != &dialog()) return ui::modal::kOk;
    ++opened;
    EXPECT_EQ(main().InitialAlign->text(), "Required");
    backend().advance(2000);
    EXPECT_TRUE(dialog().visible());  // still required: stays open, not opened twice
    EXPECT_NE(main().RA->text(), "0");  // the strip stays current meanwhile
    controller().completeInitialAlignment();
    backend().runUntil([&] { return !dialog().visible(); }, 3000);
    EXPECT_FALSE(dialog().visible());
    return ui::modal::kOk;
  };
  backend().advance(kFirstPollMs);
  EXPECT_EQ(opened, 1);
  backend().advance(3000);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(main().InitialAlign->text(), "Done");
}

TEST_F(AlignmentTest, ProceedSuppressesTheDialogAndQuitEnds) {
  StartWith({}, Unaligned());
  backend().modalHandler = [&](ui::Form& form) {
    if (&form == &dialog()) dialog().ProceedClick();
    return ui::modal::kOk;
  };
  backend().advance(kFirstPollMs);
  EXPECT_EQ(modalCount("AlignmentForm"), 1);
  EXPECT_FALSE(main().AlignmentPrompt);
  backend().advance(3000);
  EXPECT_EQ(modalCount("AlignmentForm"), 1);
  EXPECT_EQ(main().InitialAlign->text(), "Required");

  // Found again (the port chosen anew): the dialog may open again, and "Quit" ends.
  backend().modalHandler = [&](ui::Form& form) {
    if (&form == &dialog()) dialog().QuitClick();
    return ui::modal::kOk;
  };
  main().SerialPort->userSelect(1);
  backend().advance(kFirstPollMs);
  EXPECT_TRUE(backend().terminated());
}

TEST_F(AlignmentTest, AddDefinesTheStarWithoutSlewing) {
  StartWith({});
  TAlignmentForm& form = dialog();
  form.Name->setText("Deneb");
  form.RA->setText("20h 41m 26s");
  form.Dec->setText("545\xB0 16' 49''");  // a digit put over the sign
  EXPECT_EQ(form.Dec->text(), "+45\xB0 16' 49''");
  // Typed by keys without a sign, the digits land in place over the old value.
  form.Dec->setSelection(0, 0);
  for (char key : std::string("451649")) form.keyPress(*form.Dec, key);
  EXPECT_EQ(form.Dec->text(), "+45\xB0 16' 49''");
  main().UpdateTimer.stop();
  form.AddClick();
  EXPECT_EQ(sent(), (Commands{":Sr20:41:26#", ":ONDeneb#", ":Sd+45:16:49#"}));
  EXPECT_EQ(controller().objectName(), "Deneb");
}

TEST_F(DialogueTest, SynchronizeToPcSetsTheControllerClockAndDate) {
  sim::ControllerOptions options;
  options.startSecondOfDay = 3 * 3600;  // far off
  options.startMonth = 1;
  StartWith({"Sheet \"Site\"", "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\"",
             "513 \"Date\" command=\":SC,:GC\" mask=\"00-00-00;0;_\""},
            options);
  main().UpdateTimer.stop();
  backend().advance(1100);  // the clock tick has shown the computer's time
  mark();
  const auto& bindings = main().sheets.bindings();
  ControlBinding* time = nullptr;
  ControlBinding* date = nullptr;
  for (const auto& binding : bindings) {
    if (binding->command == ":SL") time = binding.get();
    if (binding->command == ":SC") date = binding.get();
  }
  ASSERT_TRUE(time && time->synchroniserLabel && date && date->synchroniserLabel);
  const ui::DateTime now = backend().localNow();
  time->synchroniserLabel->click();
  const std::string clock = LZ(now.hour) + ":" + LZ(now.minute) + ":" + LZ(now.second);
  EXPECT_EQ(sent().front(), ":SL" + clock + "#");
  EXPECT_TRUE(main().ClockOffsetKnown);
  EXPECT_EQ(main().ClockOffset.hours + main().ClockOffset.minutes, 0);
  mark();
  date->synchroniserLabel->click();
  EXPECT_EQ(sent(), (Commands{":SC12/07/26#"}));
  EXPECT_EQ(date->control->text(), "120726");
  EXPECT_EQ(main().engine.ExecuteCommand(":GC"), "120726");
  EXPECT_EQ(main().engine.ExecuteCommand(":GL").substr(0, 5), clock.substr(0, 5));
}

}  // namespace
}  // namespace orvane::testing
