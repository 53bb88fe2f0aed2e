// A night at the telescope worked with gloves on: the program starts in the scheme and
// brightness chosen last (or in night vision with --night), remembers every choice, finds a
// controller without lighting the screen up, and every button of the main window and of
// manual control is within reach of the keys, with the focus staying where it was. The
// whole program, headless, against a simulated controller.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/CommandLine.h"
#include "app/CreditsForm.h"
#include "app/DummyForm.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/DialogueTestSupport.h"
#include "dialogue/RestartForm.h"
#include "ui/Contrast.h"
#include "ui/MessageBoxForm.h"

namespace orvane::testing {
namespace {

constexpr ui::ShiftState kCtrl{false, false, true};

class DarkStartAndKeysTest : public DialogueTest {
 protected:
  void StartDefault(sim::ControllerOptions options = {}) {
    StartWith({"Sheet \"Site\"", "251 \"Slew Rate\" 0:15"}, options);
  }
  SettingsStore& settings() { return app().settings(); }
  TSchedule& schedule() { return *app().windows().schedule; }
  // A key pressed and released on target, as the keyboard delivers it.
  void Press(ui::Form& form, ui::Widget& target, int key, ui::ShiftState shift = {}) {
    form.keyDown(target, key, shift);
    form.keyUp(target, key, shift);
  }
  std::string brightnessEntry() { return main().DimDisplay->text(); }
};

TEST(DarkStartTest, TheSchemeAndBrightnessChosenLastAreInForceBeforeAnyWindowShows) {
  HeadlessApp app;
  app.settings().write("NightVision", "on");
  app.settings().write("Brightness", "27");
  app.devices().addController(1);
  app.app().CreateWindows();
  TMainForm& m = app.main();
  // Every window exists, none shows yet, and the night scheme is in force.
  EXPECT_FALSE(m.visible());
  EXPECT_TRUE(m.appearance.nightVision());
  EXPECT_EQ(m.DimDisplay->text(), "  27   %");
  // Message boxes (a profile error at start) are drawn in the night colours: red on black.
  const ui::Backend::DialogColors& box = app.backend().dialogColors();
  for (ui::Color color : {box.background, box.text, box.buttonFill, box.buttonText, box.outline}) {
    EXPECT_EQ(ui::greenOf(color) | ui::blueOf(color), 0) << std::hex << color;
  }
  // The moment the main window first shows, after the profile was read, it is still night.
  bool nightWhenShown = false;
  m.onShow = [&](ui::Widget&) {
    nightWhenShown = m.appearance.nightVision() && m.appearance.colorFactor() == 0.4;
    m.FormShow();
  };
  app.backend().runUntil([&] { return m.StaticControlsPanel->visible(); }, 60000);
  EXPECT_TRUE(nightWhenShown);
  EXPECT_EQ(m.Frame->brushColor(), 0u);
  EXPECT_EQ(m.Title->font().color, ui::makeColor(102, 0, 0));
}

TEST_F(DarkStartAndKeysTest, NightOnTheCommandLineWinsOverADayRemembered) {
  settings().write("NightVision", "off");
  EXPECT_TRUE(ParseCommandLine({"--night"}).night);
  EXPECT_EQ(ParseCommandLine({"--night=yes"}).action, CommandLine::Action::Refuse);
  app().app().StartInNightVision();
  StartDefault();
  EXPECT_TRUE(main().appearance.nightVision());
}

TEST_F(DarkStartAndKeysTest, EveryChoiceOfSchemeAndBrightnessIsRemembered) {
  StartDefault();
  EXPECT_FALSE(main().appearance.nightVision());
  main().NightVision->click();
  EXPECT_EQ(settings().read("NightVision"), "on");
  main().DimDisplay->userSelect(6);
  EXPECT_EQ(settings().read("Brightness"), "6.6");
  main().NightVision->click();
  EXPECT_EQ(settings().read("NightVision"), "off");
  main().NightVision->click();
  app().Exit();
  EXPECT_EQ(settings().read("NightVision"), "on");
  EXPECT_EQ(settings().read("Brightness"), "6.6");
}

// The controller's own display may still be bright (it was switched off and on): finding it
// sends the brightness chosen last instead of taking the controller's.
TEST_F(DarkStartAndKeysTest, FindingTheControllerKeepsTheBrightnessChosenLast) {
  settings().write("NightVision", "on");
  settings().write("Brightness", "6.6");
  StartDefault();
  EXPECT_EQ(brightnessEntry(), "    6.6%");
  const auto& log = controller().commandLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), std::string(":SB6#")), 1);
  Ticks(12);  // brightness is read again on every tenth tick
  EXPECT_EQ(brightnessEntry(), "    6.6%");
}

TEST_F(DarkStartAndKeysTest, NightFloorLetsTheScreenGoDarkerThanFortyPercent) {
  settings().write("NightFloor", "5");
  settings().write("NightVision", "on");
  settings().write("Brightness", "6.6");
  StartDefault();
  EXPECT_DOUBLE_EQ(main().appearance.colorFactor(), 0.066);
  main().DimDisplay->userSelect(5);
  EXPECT_DOUBLE_EQ(main().appearance.colorFactor(), 0.13);
  EXPECT_EQ(NightFloorPercentOf(std::nullopt), 40);
  EXPECT_EQ(NightFloorPercentOf("1"), 5);
  EXPECT_EQ(NightFloorPercentOf("90"), 40);
  EXPECT_EQ(NightFloorPercentOf("dark"), 40);
}

TEST_F(DarkStartAndKeysTest, ImageButtonsAreReachedWithTabAndPressedWithSpaceOrEnter) {
  StartDefault();
  TMainForm& m = main();
  m.setActiveControl(nullptr);
  ASSERT_TRUE(m.selectNext(nullptr));
  ASSERT_EQ(m.activeControl(), m.NightVision.get());
  Press(m, *m.NightVision, ui::keys::kSpace);
  EXPECT_TRUE(m.appearance.nightVision());
  EXPECT_EQ(m.activeControl(), m.NightVision.get());
  // On to the credits with Tab; Enter opens them.
  ASSERT_TRUE(m.selectNext(m.activeControl()));
  ASSERT_EQ(m.activeControl(), m.BtnCredits.get());
  Press(m, *m.BtnCredits, ui::keys::kReturn);
  EXPECT_EQ(modalCount("CreditsForm"), 1);
  // Black background, manual control, 800 x 600, minimise and exit follow in that order.
  const ui::Widget* expected[] = {m.BtnBackground.get(), m.BtnSchedule.get(), m.BtnZoom.get(),
                                  m.BtnMinimize.get(), m.BtnExit.get()};
  for (const ui::Widget* button : expected) {
    ASSERT_TRUE(m.selectNext(m.activeControl()));
    EXPECT_EQ(m.activeControl(), button) << button->name();
  }
  m.BtnSchedule->setFocus();
  Press(m, *m.BtnSchedule, ui::keys::kSpace);
  EXPECT_TRUE(schedule().visible());
  // The backdrop never takes the keys.
  EXPECT_TRUE(app().windows().dummy->backdrop());
  EXPECT_FALSE(app().windows().dummy->enabled());
}

TEST_F(DarkStartAndKeysTest, ManualControlOpensAndClosesByKeyAndEscapeStillStops) {
  StartDefault();
  TMainForm& m = main();
  Press(m, m, kManualControlKey, kCtrl);
  ASSERT_TRUE(schedule().visible());
  schedule().WestClick();
  mark();
  schedule().keyPress(schedule(), static_cast<char>(ui::keys::kEscape));
  EXPECT_EQ(count(":Q#"), 1);
  EXPECT_TRUE(schedule().visible());
  Press(schedule(), *schedule().Speed, kCloseKey, kCtrl);
  EXPECT_FALSE(schedule().visible());
  // Also with the window's own close button, reached with Tab like every button.
  Press(m, m, kManualControlKey, kCtrl);
  schedule().BtnExit->setFocus();
  ASSERT_EQ(schedule().activeControl(), schedule().BtnExit.get());
  Press(schedule(), *schedule().BtnExit, ui::keys::kReturn);
  EXPECT_FALSE(schedule().visible());
}

// Brightness and night vision from anywhere: from a field, from manual control, and from a
// dialog that blocks the main window; the focus stays on the control that had it.
TEST_F(DarkStartAndKeysTest, BrightnessAndNightVisionKeysWorkEverywhereAndKeepTheFocus) {
  StartDefault();
  TMainForm& m = main();
  ui::MaskEdit& rate = field(0, 0);
  main().sheets.sheets().at(0)->menuLabel->click();
  rate.setFocus();
  Press(m, rate, kDimmerKey, kCtrl);
  EXPECT_EQ(brightnessEntry(), "  53   %");
  EXPECT_EQ(count(":SB1#"), 1);
  EXPECT_EQ(m.activeControl(), &rate);
  Press(m, rate, kBrighterKey, kCtrl);
  Press(m, rate, kBrighterKey, kCtrl);  // already the brightest: nothing more is sent
  EXPECT_EQ(count(":SB0#"), 1);

  schedule().ShowUp();
  schedule().TargetRA->setFocus();
  Press(schedule(), *schedule().TargetRA, kNightVisionKey, kCtrl);
  EXPECT_TRUE(m.appearance.nightVision());
  Press(schedule(), *schedule().TargetRA, kDimmerKey, kCtrl);
  EXPECT_EQ(schedule().activeControl(), schedule().TargetRA.get());
  // The list itself keeps the focus after a change, so the arrow keys go on stepping.
  m.DimDisplay->setFocus();
  m.DimDisplay->userSelect(4);
  EXPECT_EQ(m.activeControl(), m.DimDisplay.get());

  // Inside a dialog's modal run: night vision goes off and on again.
  backend().modalHandler = [&](ui::Form& form) {
    Press(form, form, kNightVisionKey, kCtrl);
    EXPECT_FALSE(m.appearance.nightVision());
    Press(form, form, kNightVisionKey, kCtrl);
    return ui::modal::kOk;
  };
  app().windows().alignment->showModal();
  EXPECT_TRUE(m.appearance.nightVision());
}

TEST_F(DarkStartAndKeysTest, FocusStaysAfterGoAndAfterTheStopKey) {
  StartDefault();
  TSchedule& s = schedule();
  s.ShowUp();
  s.EquinoxLabelClick();
  s.TargetRA->setFocus();
  s.TargetRA->setText("05h 35m 17s");
  mark();
  s.keyPress(*s.TargetRA, static_cast<char>(ui::keys::kReturn));
  EXPECT_EQ(count(":MS#"), 1);
  EXPECT_EQ(s.activeControl(), s.TargetRA.get());
  s.NorthClick();
  s.TargetRA->setFocus();
  s.keyDown(*s.TargetRA, kStopKey, {});
  EXPECT_EQ(s.North->tag(), 0);
  EXPECT_EQ(s.activeControl(), s.TargetRA.get());
  // A button whose handler takes the focus away and then blinks has it back afterwards.
  s.ToggleSchedule->setFocus();
  Press(s, *s.ToggleSchedule, ui::keys::kSpace);
  backend().advance(1500);
  EXPECT_TRUE(s.ScheduleActive);
  EXPECT_EQ(s.activeControl(), s.ToggleSchedule.get());
}

TEST_F(DarkStartAndKeysTest, DialogsOpenWithTheirDefaultButtonFocused) {
  StartDefault();
  // Restart: Enter chooses the warm start.
  TRestartForm& restart = *app().windows().restart;
  backend().modalHandler = [&](ui::Form& form) {
    EXPECT_EQ(form.activeControl(), restart.Warm.get());
    Press(form, *form.activeControl(), ui::keys::kReturn);
    return form.modalResult();
  };
  mark();
  restart.showModal();
  EXPECT_EQ(count("bW#"), 1);
  // Alignment: Enter and Escape go on without alignment.
  TAlignmentForm& alignment = *app().windows().alignment;
  for (int key : {ui::keys::kReturn, ui::keys::kEscape}) {
    main().AlignmentPrompt = true;
    backend().modalHandler = [&](ui::Form& form) {
      EXPECT_EQ(form.activeControl(), alignment.Proceed.get());
      Press(form, *form.activeControl(), key);
      EXPECT_FALSE(form.visible());
      return form.modalResult();
    };
    alignment.showModal();
    EXPECT_FALSE(main().AlignmentPrompt) << key;
  }
}

// The program's own message box: the default button focused, Tab to the other, Escape for
// the way out, and text that can be read on it in both schemes.
TEST_F(DarkStartAndKeysTest, MessageBoxesAnswerByKeyAndCanBeRead) {
  StartDefault();
  ui::MessageBoxForm ask(backend(), "Overwrite the profile?", "Orvane", ui::MessageButtons::YesNo);
  backend().modalHandler = [&](ui::Form& form) {
    EXPECT_EQ(form.activeControl(), ask.Choices.front().label.get());
    EXPECT_TRUE(form.selectNext(form.activeControl()));
    Press(form, *form.activeControl(), ui::keys::kSpace);
    return form.modalResult();
  };
  EXPECT_EQ(ask.ask(), ui::modal::kNo);
  backend().modalHandler = [&](ui::Form& form) {
    Press(form, form, ui::keys::kEscape);
    return form.modalResult();
  };
  ui::MessageBoxForm notice(backend(), "Errors found in Profile", "Orvane",
                            ui::MessageButtons::Ok);
  EXPECT_EQ(notice.ask(), ui::modal::kOk);

  // Contrast of the box's texts, by day and at full night brightness (dimming scales every
  // colour of the screen alike, as the monitor's own brightness does).
  for (bool night : {false, true}) {
    if (main().appearance.nightVision() != night) main().NightVision->click();
    main().DimDisplay->userSelect(0);
    const ui::Backend::DialogColors& colors = backend().dialogColors();
    const double wanted = night ? 3 : 4.5;
    EXPECT_GE(ui::ContrastRatio(colors.text, colors.background), wanted) << night;
    EXPECT_GE(ui::ContrastRatio(colors.buttonText, colors.buttonFill), wanted) << night;
  }
}

}  // namespace
}  // namespace orvane::testing
