// "Receive current settings" and "Send current settings" against the simulated controller.
#include <gtest/gtest.h>

#include "dialogue/BulkSettings.h"
#include "dialogue/DialogueTestSupport.h"

namespace orvane::testing {
namespace {

TEST(ReadIdentifierTest, AppendsAZeroOnlyWhenOneShorter) {
  EXPECT_EQ(ReadIdentifier("12", "120"), "120");
  EXPECT_EQ(ReadIdentifier("12", "12"), "12");
  EXPECT_EQ(ReadIdentifier("5", "52"), "50");
  EXPECT_EQ(ReadIdentifier("211", "211"), "211");
  EXPECT_EQ(ReadIdentifier("2", "211"), "2");
}

const std::vector<std::string> kProfile = {
    "Sheet \"One\"",
    "50 \"Tracking Rate\"",
    "51 \"Sidereal\"",
    "52 \"Lunar\"",
    "211 \"RA (arcsec)\" 0:3600",
    "55 \"Custom\" 0:99",
    "120 \"Slew Speed\" 1:6",
    "60 \"Hemisphere\"",
    "61 \"Northern\"",
    "62 \"Southern\"",
    "Sheet \"Two\"",
    "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\"",
};

class BulkSettingsTest : public DialogueTest {
 protected:
  static sim::ControllerOptions Settings() {
    sim::ControllerOptions options;
    options.level = 1;
    options.settings[50] = "52";
    options.settings[211] = "75";
    options.settings[120] = "3";
    options.settings[60] = "62";
    return options;
  }
};

TEST_F(BulkSettingsTest, ReceiveReadsEachGroupOnceInARowAndFillsTheControls) {
  StartWith(kProfile, Settings());
  main().UpdateTimer.stop();
  main().ReceiveAll->click();
  // Field 55 belongs to group 5 like the options: read again after another group.
  EXPECT_EQ(sent(), (Commands{NativeReadCommand("50"), NativeReadCommand("211"),
                              NativeReadCommand("50"), NativeReadCommand("120"),
                              NativeReadCommand("60"), NativeReadCommand("512"), ":GL#"}));
  EXPECT_EQ(list(0, 0).text(), "Lunar");
  EXPECT_EQ(list(0, 1).text(), "Southern");
  EXPECT_EQ(field(0, 0).text(), "75");
  EXPECT_EQ(field(0, 2).text(), "3");
  EXPECT_FALSE(field(1, 0).text().empty());
  // Values written in while receiving sent nothing back.
  mark();
  backend().advance(2500);
  for (const std::string& command : sent()) EXPECT_NE(command[0], '>') << command;
  // Polling runs afterwards even though it was stopped before the click.
  EXPECT_TRUE(main().UpdateTimer.enabled());
  EXPECT_EQ(main().ReceiveAll->text(), "Receive current settings");
  EXPECT_FALSE(main().sheets.receivingAll);
}

TEST_F(BulkSettingsTest, AReplyWithAWrongCheckCharacterChangesNothing) {
  sim::ControllerOptions options = Settings();
  options.wrongCheckSettings = {211};
  StartWith(kProfile, options);
  const std::string before = field(0, 0).text();
  main().ReceiveAll->click();
  EXPECT_EQ(field(0, 0).text(), before);
  EXPECT_EQ(field(0, 2).text(), "3");  // the run went on
}

TEST_F(BulkSettingsTest, SendPushesEveryListAndChangedField) {
  StartWith(kProfile, Settings());
  main().ReceiveAll->click();
  // A field whose value was last sent is not sent again; lists always are.
  field(0, 0).setText("80");
  mark();
  main().SendAll->click();
  EXPECT_EQ(main().SendAll->text(), "Send current settings");
  backend().advance(1100);
  EXPECT_EQ(controller().setting(211), "80");
  EXPECT_EQ(controller().setting(50), "52");
  EXPECT_EQ(count(NativeWrite("052", "")), 1);
  EXPECT_EQ(count(NativeWrite("062", "")), 1);
  EXPECT_EQ(count(NativeWrite("211", "80")), 1);
  const Commands commands = sent();
  EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                          [](const std::string& c) { return c.rfind(":SL", 0) == 0; }),
            1);
}

TEST_F(BulkSettingsTest, TerminationHalfWayThroughReceivingEndsItAtOnceSendingNothingMore) {
  sim::ControllerOptions options = Settings();
  options.lateReplyMs = 300;
  StartWith(kProfile, options);
  main().UpdateTimer.stop();
  // SIGTERM's handler (and the exit button) ask the backend to terminate.
  ui::Timer signal(backend(), 700, true);
  long long terminatedAt = -1;
  signal.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    terminatedAt = backend().nowMs();
    mark();
    backend().terminate();
  };
  main().ReceiveAll->click();
  ASSERT_GE(terminatedAt, 0);
  EXPECT_LT(backend().nowMs() - terminatedAt, 100);
  EXPECT_FALSE(main().UpdateTimer.enabled());
  app().app().Shutdown();
  EXPECT_TRUE(all().empty()) << all().front();
}

TEST_F(BulkSettingsTest, NothingHappensWithoutAConnection) {
  sim::ControllerOptions options;
  options.silent = true;
  StartWith(kProfile, options);
  ASSERT_EQ(main().ConnectedPort, -1);
  mark();
  main().ReceiveAll->click();
  main().SendAll->click();
  backend().advance(2000);
  EXPECT_TRUE(all().empty());
  EXPECT_EQ(main().ReceiveAll->text(), "Receive current settings");
}

}  // namespace
}  // namespace orvane::testing
