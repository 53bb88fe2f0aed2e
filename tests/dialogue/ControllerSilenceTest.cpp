// How soon the program says that the controller no longer answers, and that a controller
// sending random bytes is no controller: frozen, garbage and unplugged controllers, in
// virtual time against the simulated controller.
#include <gtest/gtest.h>

#include "dialogue/DialogueTestSupport.h"
#include "text/VersionText.h"

namespace orvane::testing {
namespace {

class ControllerSilenceTest : public DialogueTest {};

// Polling every second, replies awaited a second: one silent tick asks for the alignment
// status, the right ascension, a restart acknowledgement, the declination and the speed
// mode, each waiting out its time-out.
constexpr long long kOneSilentTickMs = 5 * 1000 + 5 * 100;

TEST_F(ControllerSilenceTest, AFrozenControllerIsReportedWithinOneTick) {
  StartWith({});
  Ticks(2);
  ASSERT_EQ(main().CurrentOrvaneStatus->text(), "Status: Connection established");
  ASSERT_EQ(main().InitialAlign->text(), "Done");
  controller().options().silent = true;
  const long long frozenAt = backend().nowMs();
  ASSERT_TRUE(backend().runUntil(
      [&] { return main().CurrentOrvaneStatus->text() == "Status: Controller not answering"; },
      30000));
  // The tick running when it froze may still have had its answers; the next one has none.
  EXPECT_LE(backend().nowMs() - frozenAt, 2 * kOneSilentTickMs);
  EXPECT_EQ(main().RA->text(), "--");
  EXPECT_EQ(main().Dec->text(), "--");
  EXPECT_EQ(main().InitialAlign->text(), "--");
  // It thaws: the next tick brings everything back.
  controller().options().silent = false;
  ASSERT_TRUE(backend().runUntil(
      [&] { return main().CurrentOrvaneStatus->text() == "Status: Connection established"; },
      20000));
  EXPECT_NE(main().RA->text(), "--");
}

TEST_F(ControllerSilenceTest, AControllerSendingRandomBytesIsNeverConnectedAndNoBoxBlocksTheExit) {
  sim::ControllerOptions options;
  options.garbage = true;
  StartWith({}, options);
  EXPECT_EQ(main().ConnectedPort, -1);
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Status: Unable to establish connection");
  EXPECT_EQ(main().OrvaneVersion->text(), "Detection failed");
  backend().advance(20000);
  EXPECT_TRUE(backend().messageBoxes.empty());
  EXPECT_TRUE(backend().modalForms.empty());
  EXPECT_FALSE(main().UpdateTimer.enabled());
  // The exit button ends the program.
  main().BtnExit->mouseDown(ui::MouseButton::Left, {}, 1, 1);
  EXPECT_TRUE(backend().terminated());
}

TEST_F(ControllerSilenceTest, AfterAReconnectAControllerSendingRandomBytesIsNoController) {
  sim::ControllerOptions options;
  options.unplugAtMs = 20000;
  options.replugAfterMs = 3000;
  StartWith({}, options);
  ASSERT_EQ(main().ConnectedPort, 1);
  backend().advance(21000 - backend().nowMs());
  ASSERT_EQ(main().CurrentOrvaneStatus->text(), "Status: Connection lost, retrying");
  controller().options().garbage = true;
  backend().advance(15000);
  // Still looking for the controller, and saying so.
  EXPECT_EQ(main().ConnectedPort, -1);
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Status: Connection lost, retrying");
  EXPECT_EQ(main().RA->text(), "--");
  EXPECT_TRUE(backend().messageBoxes.empty());
  EXPECT_TRUE(backend().modalForms.empty());
  controller().options().garbage = false;
  ASSERT_TRUE(backend().runUntil([&] { return main().ConnectedPort == 1; }, 10000));
  EXPECT_EQ(main().OrvaneVersion->text(), "Level 3, Version 2.4");
}

TEST_F(ControllerSilenceTest, NoPositionIsShownFromAReplyThatCameAsTheLinkWent) {
  StartWith({});
  Ticks(2);
  ASSERT_NE(main().Dec->text(), "--");
  // The line drops just after the controller has answered a declination read, while the
  // program still waits out the pause after that command.
  bool armed = true;
  controller().setCommandObserver([&](const std::string& command) {
    if (!armed || command != ":GD#") return;
    armed = false;
    controller().options().unplugAtMs = static_cast<double>(backend().nowMs()) + 18;
    controller().options().replugAfterMs = 60000;
  });
  ASSERT_TRUE(backend().runUntil([&] { return main().ConnectedPort == -1; }, 10000));
  bool shown = false;
  for (int i = 0; i < 60 && !shown; ++i) {
    backend().advance(50);
    shown = main().RA->text() != "--" || main().Dec->text() != "--";
  }
  EXPECT_FALSE(shown) << main().RA->text() << " " << main().Dec->text();
}

TEST(VersionReplyTest, OnlyThreeDigitsAndAHashAreAVersion) {
  EXPECT_TRUE(IsVersionReply("324#"));
  EXPECT_TRUE(IsVersionReply("100#"));
  EXPECT_FALSE(IsVersionReply("k\xff,#"));
  EXPECT_FALSE(IsVersionReply(":GV#"));
  EXPECT_FALSE(IsVersionReply("32#"));
  EXPECT_FALSE(IsVersionReply("3245#"));
  EXPECT_FALSE(IsVersionReply("324"));
  EXPECT_FALSE(IsVersionReply(""));
}

}  // namespace
}  // namespace orvane::testing
