// Manual motion control: the commands of the direction, stop and speed buttons in toggle
// and touch mode, and the looks that show their state.
#include <gtest/gtest.h>

#include <algorithm>

#include "ScheduleTestSupport.h"

namespace orvane::schedule_test {
namespace {

using Commands = std::vector<std::string>;
using ManualControlTest = ScheduleWindowTest;

// The active look inverts the normal button colours: the fill takes the text colour.
class Looks {
 public:
  explicit Looks(TMainForm& main) : main_(main) {}
  bool inverted(const ui::Shape& shape, const ui::Label& label) const {
    const Palette p = main_.appearance.palette();
    return shape.brushColor() == p.labelText && label.font().color == p.accent;
  }
  bool normal(const ui::Shape& shape, const ui::Label& label) const {
    const Palette p = main_.appearance.palette();
    return shape.brushColor() == p.accent && label.font().color == p.labelText;
  }

 private:
  TMainForm& main_;
};

TEST_F(ManualControlTest, ToggleModeWestStartsThenStopsAndResendsTheSlewSpeedSetting) {
  Looks looks(app.main());
  Press(*schedule->West);
  Release(*schedule->West);
  EXPECT_EQ(Sent(), (Commands{":Sw5#", ":Mw#"}));
  EXPECT_EQ(schedule->West->tag(), 1);
  EXPECT_TRUE(looks.inverted(*schedule->WestShape, *schedule->West));
  EXPECT_TRUE(controller->mount().moving(sim::Direction::West));
  EXPECT_FALSE(HasSlewSpeedWrite(SentAfterFlush())) << "a direction is still active";

  Mark();
  PressAndRelease(*schedule->West);
  const Commands sent = SentAfterFlush();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[0], ":Sw5#");
  EXPECT_EQ(sent[1], ":Qw#");
  EXPECT_TRUE(HasSlewSpeedWrite(sent));
  EXPECT_EQ(schedule->West->tag(), 0);
  EXPECT_TRUE(looks.normal(*schedule->WestShape, *schedule->West));
  EXPECT_FALSE(controller->mount().moving(sim::Direction::West));
}

TEST_F(ManualControlTest, TheOppositeDirectionStopsFirst) {
  PressAndRelease(*schedule->West);
  Mark();
  PressAndRelease(*schedule->East);
  const Commands sent = SentAfterFlush();
  EXPECT_EQ(sent, (Commands{":Sw5#", ":Qw#", ":Sw5#", ":Me#"}));
  EXPECT_EQ(schedule->West->tag(), 0);
  EXPECT_EQ(schedule->East->tag(), 1);

  // North and east together drive diagonally.
  Mark();
  PressAndRelease(*schedule->North);
  EXPECT_EQ(Sent(), (Commands{":Sw5#", ":Mn#"}));
  EXPECT_EQ(schedule->East->tag(), 1);
  EXPECT_EQ(schedule->North->tag(), 1);
}

TEST_F(ManualControlTest, TouchModeMovesWhileTheButtonIsHeld) {
  schedule->TouchModeClick();
  Mark();
  Press(*schedule->North);
  EXPECT_EQ(Sent(), (Commands{":Sw5#", ":Mn#"}));
  EXPECT_TRUE(controller->mount().moving(sim::Direction::North));
  Mark();
  Release(*schedule->North);
  const Commands sent = SentAfterFlush();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], ":Sw5#");
  EXPECT_EQ(sent[1], ":Qn#");
  EXPECT_TRUE(HasSlewSpeedWrite(sent));
  EXPECT_EQ(schedule->North->tag(), 0);
}

TEST_F(ManualControlTest, AHeldButtonReleasedBeforeItsMoveWentOutLeavesTheMountStill) {
  // A press while the line is busy waits for its turn; a release that comes meanwhile (a
  // short tap, or the keyboard's repeat) must leave the mount still, in either mode.
  app.main().UpdateTimer.stop();
  controller->options().lateReplyMs = 800;
  TCache& cache = *app.windows().cache;
  Looks looks(app.main());
  for (bool touch : {true, false}) {
    if (touch) {
      schedule->TouchModeClick();
    } else {
      schedule->ToggleModeClick();
    }
    ui::Timer release(app.backend(), 300, false);
    release.onTimer = [&](ui::Timer& timer) {
      timer.stop();
      Release(*schedule->North);
      // In toggle mode the second press is what stops.
      if (!touch) Press(*schedule->North);
      if (!touch) Release(*schedule->North);
    };
    ui::Timer press(app.backend(), 100, true);
    press.onTimer = [&](ui::Timer& timer) {
      timer.stop();
      release.start();
      Press(*schedule->North);
    };
    Mark();
    cache.SendCommand(":GR#", true);
    SentAfterFlush();
    EXPECT_FALSE(controller->mount().moving(sim::Direction::North)) << (touch ? "touch" : "toggle");
    EXPECT_EQ(schedule->North->tag(), 0) << (touch ? "touch" : "toggle");
    EXPECT_TRUE(looks.normal(*schedule->NorthShape, *schedule->North));
  }
}

TEST_F(ManualControlTest, StopHaltsEverythingWithOneCommand) {
  Looks looks(app.main());
  PressAndRelease(*schedule->North);
  PressAndRelease(*schedule->East);
  Mark();
  Press(*schedule->Stop);
  EXPECT_TRUE(looks.inverted(*schedule->StopShape, *schedule->Stop));
  Release(*schedule->Stop);
  EXPECT_TRUE(looks.normal(*schedule->StopShape, *schedule->Stop));
  const Commands sent = SentAfterFlush();
  ASSERT_EQ(sent.size(), 6u) << ::testing::PrintToString(sent);
  EXPECT_EQ(Commands(sent.begin(), sent.begin() + 5),
            (Commands{":Q#", ":Sw5#", ":Sw5#", ":Sw5#", ":Sw5#"}));
  EXPECT_TRUE(HasSlewSpeedWrite(sent));
  for (ui::Label* label : {schedule->North.get(), schedule->East.get()}) {
    EXPECT_EQ(label->tag(), 0);
  }
  EXPECT_TRUE(looks.normal(*schedule->NorthShape, *schedule->North));
  EXPECT_TRUE(looks.normal(*schedule->EastShape, *schedule->East));
  EXPECT_FALSE(controller->mount().moving(sim::Direction::North));
  EXPECT_FALSE(controller->mount().moving(sim::Direction::East));
}

TEST_F(ManualControlTest, LeavingToggleModeStopsAndEnteringItSendsNothing) {
  PressAndRelease(*schedule->West);
  Mark();
  schedule->TouchModeLabel->click();
  const Commands sent = Sent();
  EXPECT_EQ(sent, (Commands{":Q#", ":Sw5#", ":Sw5#", ":Sw5#", ":Sw5#"}));
  EXPECT_EQ(schedule->West->tag(), 0);
  EXPECT_EQ(schedule->ControlMode, 2);
  EXPECT_EQ(schedule->ControlModeShape->top(), 117);

  Mark();
  schedule->ToggleModeLabel->click();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(schedule->ControlMode, 1);
  EXPECT_EQ(schedule->ControlModeShape->top(), 101);

  // The marker switches between the two.
  schedule->ControlModeShape->mouseDown(ui::MouseButton::Left, {}, 1, 1);
  EXPECT_EQ(schedule->ControlMode, 2);
  schedule->ControlModeShape->mouseDown(ui::MouseButton::Left, {}, 1, 1);
  EXPECT_EQ(schedule->ControlMode, 1);
}

TEST_F(ManualControlTest, RateCommandOnlyWhenTheModeChanges) {
  Looks looks(app.main());
  schedule->Centering->click();
  EXPECT_EQ(Sent(), (Commands{":RC#", ":Sw5#"}));
  Mark();
  schedule->Centering->click();
  EXPECT_EQ(Sent(), (Commands{":Sw5#"}));

  Mark();
  schedule->Guiding->click();
  EXPECT_EQ(Sent(), (Commands{":Sw5#", ":RG#", ":Sw5#"}));
  EXPECT_EQ(controller->mount().speedMode(), sim::SpeedMode::Guiding);
  EXPECT_EQ(schedule->LastSpeedMode, "G");
  EXPECT_EQ(schedule->Guiding->tag(), 1);
  EXPECT_EQ(schedule->Centering->tag(), 0);
  EXPECT_TRUE(schedule->Guiding->font().bold && schedule->Guiding->font().italic);
  EXPECT_FALSE(schedule->Centering->font().bold);
  EXPECT_TRUE(looks.inverted(*schedule->GuidingShape, *schedule->Guiding));
  EXPECT_TRUE(looks.normal(*schedule->CenteringShape, *schedule->Centering));

  Mark();
  schedule->Slewing->click();
  EXPECT_EQ(Sent(), (Commands{":Sw5#", ":RS#", ":Sw5#"}));
  EXPECT_EQ(controller->mount().speedMode(), sim::SpeedMode::Slewing);
}

TEST_F(ManualControlTest, TheSpeedSelectorSetsTheMaximumSlewingSpeed) {
  schedule->Speed->userSelect(2);
  EXPECT_EQ(Sent(), (Commands{":Sw3#"}));
  EXPECT_EQ(controller->mount().slewSpeed(), 3);
  Mark();
  PressAndRelease(*schedule->South);
  EXPECT_EQ(Sent(), (Commands{":Sw3#", ":Ms#"}));
}

TEST_F(ManualControlTest, MarkSpeedShowsOnlyAnExactReply) {
  struct Case {
    const char* reply;
    bool guiding, centering, slewing;
  };
  const Case cases[] = {
      {"G", true, false, false}, {"C", false, true, false},   {"S", false, false, true},
      {"", false, false, false}, {"G#", false, false, false}, {"g", false, false, false},
  };
  for (const auto& c : cases) {
    schedule->MarkSpeed(c.reply);
    EXPECT_EQ(schedule->Guiding->font().bold, c.guiding) << c.reply;
    EXPECT_EQ(schedule->Guiding->font().italic, c.guiding) << c.reply;
    EXPECT_EQ(schedule->Centering->font().bold, c.centering) << c.reply;
    EXPECT_EQ(schedule->Slewing->font().bold, c.slewing) << c.reply;
  }
  EXPECT_TRUE(Sent().empty());
}

TEST_F(ManualControlTest, AColourSchemeChangeKeepsTheLooksAndResendsAnActiveDirection) {
  Looks looks(app.main());
  PressAndRelease(*schedule->West);
  schedule->Slewing->click();
  Mark();
  app.main().appearance.VisionModeClick();  // night vision
  ASSERT_TRUE(app.main().appearance.nightVision());
  const Commands sent = Sent();
  EXPECT_EQ(sent,
            (Commands{":Sw5#", ":Mw#", ":Sw5#", ":Sw5#", ":Sw5#", ":Sw5#", ":Sw5#", ":Sw5#"}));
  EXPECT_TRUE(looks.inverted(*schedule->WestShape, *schedule->West));
  EXPECT_TRUE(looks.normal(*schedule->EastShape, *schedule->East));
  EXPECT_TRUE(looks.inverted(*schedule->SlewingShape, *schedule->Slewing));
  EXPECT_TRUE(looks.normal(*schedule->GuidingShape, *schedule->Guiding));
  EXPECT_TRUE(schedule->Slewing->font().bold);
  // The plain buttons follow the scheme through the registry.
  EXPECT_TRUE(looks.normal(*schedule->AddShape, *schedule->Add));
  EXPECT_TRUE(looks.normal(*schedule->GoShape, *schedule->Go));
  EXPECT_EQ(schedule->TargetRA->color(), app.main().appearance.palette().fieldBackground);
  EXPECT_EQ(schedule->ScheduleTitle->font().color, app.main().appearance.palette().labelText);
}

TEST_F(ManualControlTest, StopInsideALongReplyWaitGoesOutAtOnceAndEachReplyStaysWithItsCommand) {
  app.main().UpdateTimer.stop();
  controller->options().lateReplyMs = 800;
  controller->options().strict = true;
  PressAndRelease(*schedule->West);
  Mark();
  long long pressedAt = -1;
  long long stopArrivedAt = -1;
  long long releaseArrivedAt = -1;
  controller->setCommandObserver([&](const std::string& command) {
    if (command == ":Q#") stopArrivedAt = app.backend().nowMs();
    if (command == ":Qw#") releaseArrivedAt = app.backend().nowMs();
  });
  ui::Timer press(app.backend(), 200, true);
  press.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    pressedAt = app.backend().nowMs();
    Press(*schedule->Stop);
    Release(*schedule->Stop);
  };
  TCache& cache = *app.windows().cache;
  const std::string ra = cache.SendCommand(":GR#", true);
  const std::string dec = cache.SendCommand(":GD#", true);
  ASSERT_GE(pressedAt, 0);
  EXPECT_EQ(stopArrivedAt, pressedAt);
  // The interrupted wait got its own reply, and the next command its own.
  EXPECT_EQ(ra.size(), 9u) << ra;
  EXPECT_EQ(ra[2], ':');
  EXPECT_TRUE(dec[0] == '+' || dec[0] == '-') << dec;
  EXPECT_EQ(dec.back(), '#');
  EXPECT_EQ(controller->breaches(), 0);
  EXPECT_EQ(controller->stopsDuringReplies(), 1);
  const Commands sent = Sent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], ":Q#");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), ":Sw5#"), 4);

  // A direction released inside a wait stops at once too; its speed command follows.
  PressAndRelease(*schedule->West);
  Mark();
  press.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    pressedAt = app.backend().nowMs();
    PressAndRelease(*schedule->West);
  };
  press.start();
  cache.SendCommand(":GR#", true);
  EXPECT_EQ(releaseArrivedAt, pressedAt);
  EXPECT_EQ(Sent(), (Commands{":Qw#", ":Sw5#"}));
  EXPECT_EQ(controller->breaches(), 0);
}

TEST_F(ManualControlTest, ExitDuringASlewEndsItAtOnceSendingNothingMore) {
  app.main().UpdateTimer.stop();
  controller->options().lateReplyMs = 500;
  ui::Timer exit(app.backend(), 200, true);
  exit.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    Mark();
    app.main().ExitClick();
  };
  schedule->TargetRA->setText("06h 00m 00s");
  const long long start = app.backend().nowMs();
  schedule->GoClick();
  EXPECT_LT(app.backend().nowMs() - start, 300);
  app.app().Shutdown();
  EXPECT_TRUE(Sent().empty()) << Sent().front();
}

TEST_F(ManualControlTest, TheEmergencyStopAbandonsATargetBeingSent) {
  schedule->EquinoxLabelClick();  // a target for the equinox of date
  Mark();
  controller->options().lateReplyMs = 500;
  ui::Timer stop(app.backend(), 200, true);
  stop.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    schedule->StopMouseDown();
    schedule->StopMouseUp();
  };
  int slews = 0;
  schedule->disableAdditionalAlignment = [&] { ++slews; };
  schedule->TargetRA->setText("06h 00m 00s");
  schedule->GoClick();
  const Commands sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0], ":Sr06:00:00#");
  EXPECT_EQ(sent[1], ":Q#");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), ":MS#"), 0) << ::testing::PrintToString(sent);
  EXPECT_EQ(slews, 0);
  EXPECT_FALSE(controller->mount().slewing(static_cast<double>(app.backend().nowMs())));
}

}  // namespace
}  // namespace orvane::schedule_test
