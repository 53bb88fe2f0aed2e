// The command engine and control events against the simulated controller: typed values and
// options reaching the controller's settings, range refusals, mirrored values, bound set
// and read commands with their reply rewriting, memo downloads and uploads, and one
// command at a time.
#include <gtest/gtest.h>

#include "dialogue/DialogueTestSupport.h"

namespace orvane::testing {
namespace {

const std::vector<std::string> kSettingsSheets = {
    "Sheet \"One\"",     "50 \"Tracking Rate\"", "51 \"Sidereal\"",    "52 \"Lunar\"",
    "55 \"Value\" 0:15", "Sheet \"Two\"",        "55 \"Mirror\" 0:15", "7 \"Small\" 0:9",
};

class CommandEngineTest : public DialogueTest {
 protected:
  // The user types into the field and moves the focus elsewhere (the field's exit).
  void Leave(ui::MaskEdit& field, const std::string& text) {
    for (const auto& record : main().sheets.sheets()) {
      if (record->contentPanel.get() == field.parent()) record->menuLabel->click();
    }
    field.setFocus();
    field.userReplaceText(text);
    main().setActiveControl(nullptr);
  }
};

TEST_F(CommandEngineTest, TypedValueReachesTheControllerOnceAndMirrors) {
  StartWith(kSettingsSheets);
  ui::MaskEdit& value = field(0);
  ui::MaskEdit& mirror = field(1);
  Commit(value, "12");
  EXPECT_EQ(mirror.text(), "12");
  backend().advance(1100);
  EXPECT_EQ(controller().setting(55), "12");
  EXPECT_EQ(count(NativeWrite("055", "12")), 1);

  // The same value again, and the mirrored copy committed on the other sheet, send nothing.
  mark();
  Commit(value, "12");
  Commit(mirror, "12");
  backend().advance(1100);
  EXPECT_TRUE(sent().empty()) << sent().front();

  // A one-digit number gets one "0" in front.
  Commit(field(1, 1), "3");
  backend().advance(1100);
  EXPECT_EQ(count(NativeWrite("07", "3")), 1);
  EXPECT_EQ(controller().setting(7), "3");
}

TEST_F(CommandEngineTest, TheLowerLimitAsFirstValueIsSent) {
  StartWith(kSettingsSheets);
  Commit(field(0), "0");
  backend().advance(1100);
  EXPECT_EQ(count(NativeWrite("055", "0")), 1);
  EXPECT_EQ(controller().setting(55), "0");
  mark();
  Commit(field(0), "0");
  backend().advance(1100);
  EXPECT_TRUE(sent().empty());
}

// A refused value sends nothing; the value accepted before it, still queued, is what the
// field shows again and what the controller receives.
TEST_F(CommandEngineTest, OutOfRangeShowsTheBoxSendsNothingAndKeepsTheValueAcceptedBefore) {
  StartWith(kSettingsSheets);
  Commit(field(0), "9");  // queued, not yet written
  field(0).setFocus();
  field(0).userReplaceText("16");
  main().keyPress(field(0), static_cast<char>(ui::keys::kReturn));
  EXPECT_EQ(modalCount("ErrorForm"), 1);
  EXPECT_EQ(field(0).text(), "9");
  backend().advance(2100);
  EXPECT_EQ(sent(), (Commands{NativeWrite("055", "9")}));
  EXPECT_EQ(controller().setting(55), "9");
}

TEST_F(CommandEngineTest, ChoosingAnOptionWritesItsNumber) {
  StartWith(kSettingsSheets);
  ui::ComboBox& rate = list(0);
  main().sheets.sheets()[0]->menuLabel->click();
  rate.setFocus();
  rate.userSelect(1);
  backend().advance(1100);
  EXPECT_EQ(count(NativeWrite("052", "")), 1);
}

const std::vector<std::string> kSiteSheet = {
    "Sheet \"Site\"",
    "501 \"Longitude\" command=\":Sg,:Gg\" mask=\"#000\xB0 00';0;_\"",
    "502 \"Latitude\" command=\":St,:Gt\" mask=\"#00\xB0 00';0;_\"",
    "511 \"UTC Offset (h)\" command=\":SG,:GG\" mask=\"#00;0;_\"",
    "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\"",
    "513 \"Date\" command=\":SC,:GC\" mask=\"00-00-00;0;_\"",
};

TEST_F(CommandEngineTest, BoundSetCommandsSendTheControlTextAndReadBack) {
  StartWith(kSiteSheet);
  ui::MaskEdit& offset = field(0, 2);
  Leave(offset, "-05");
  EXPECT_EQ(sent(), (Commands{":SG5#", ":GG#"}));
  EXPECT_EQ(offset.text(), "-05");

  mark();
  Leave(field(0, 4), "120602");
  EXPECT_EQ(sent(), (Commands{":SC12/06/02#", ":GC#"}));
  EXPECT_EQ(field(0, 4).text(), "120602");

  mark();
  Leave(field(0, 0), "-00830");
  EXPECT_EQ(sent(), (Commands{":Sg-008\xDF"
                              "30#",
                              ":Gg#"}));
  EXPECT_EQ(field(0, 0).text(), "-00830");
}

TEST_F(CommandEngineTest, BoundSetCommandsRefuseOutOfRangeValues) {
  StartWith(kSiteSheet);
  Leave(field(0, 2), "+13");
  EXPECT_EQ(modalCount("ErrorForm"), 1);
  // The read of the same control still runs; nothing is set.
  EXPECT_EQ(sent(), (Commands{":GG#"}));
  mark();
  Leave(field(0, 1), "+9500");
  EXPECT_EQ(modalCount("ErrorForm"), 2);
  EXPECT_EQ(sent(), (Commands{":Gt#"}));
}

TEST_F(CommandEngineTest, ReadsRewriteTheirRepliesIntoTheFields) {
  sim::ControllerOptions options;
  options.longitudeMinutes = -(89 * 60 + 30);  // 89°30' east: "+270°30" counted westwards
  StartWith(kSiteSheet, options);
  TMainForm& m = main();
  EXPECT_EQ(m.engine.ExecuteCommand(":Gg"), "-08930");
  EXPECT_EQ(field(0, 0).text(), "-08930");
  EXPECT_EQ(m.engine.ExecuteCommand(":GC"), "120726");
  EXPECT_EQ(field(0, 4).text(), "120726");
  EXPECT_EQ(m.engine.ExecuteCommand(":GG"), "+01");
  EXPECT_EQ(m.engine.ExecuteCommand(":GV"), "324#");
  // Texts that only begin with a known command match nothing and send nothing.
  mark();
  EXPECT_EQ(m.engine.ExecuteCommand(":GRX"), "");
  EXPECT_EQ(m.engine.ExecuteCommand(":G"), "");
  EXPECT_TRUE(all().empty());
}

TEST_F(CommandEngineTest, BrightnessReplySelectsTheEntry) {
  sim::ControllerOptions options;
  options.brightness = 3;
  StartWith({}, options);
  EXPECT_EQ(main().DimDisplay->itemIndex(), 3);  // read after detection
}

TEST_F(CommandEngineTest, PrecisionIsSwitchedOnAfterDetection) {
  sim::ControllerOptions options;
  options.highPrecision = false;
  StartWith({}, options);
  EXPECT_TRUE(main().HighPrecision);
  EXPECT_TRUE(controller().highPrecision());
  EXPECT_EQ(main().TogglePrecision->text(), "Toggle Low Precision");
  const auto& log = controller().commandLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), ":U#"), 1);

  main().TogglePrecision->click();
  EXPECT_FALSE(main().HighPrecision);
  EXPECT_FALSE(controller().highPrecision());
  EXPECT_EQ(main().TogglePrecision->text(), "Toggle High Precision");
}

TEST_F(CommandEngineTest, AHighPrecisionControllerGetsNoToggle) {
  StartWith({});
  const auto& log = controller().commandLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), ":U#"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), ":P#"), 1);
  EXPECT_TRUE(main().HighPrecision);
}

TEST_F(CommandEngineTest, MemoUploadAndDownload) {
  StartWith({});
  TMainForm& m = main();
  ui::Memo memo(backend(), main().SheetPanel.get(), "memo");
  m.sheets.AssociateCommand(memo, ":Od,:OS,:Oc");
  memo.setLines({"A#", "B", ""});
  m.engine.ExecuteCommand(":Od");
  EXPECT_EQ(sent(), (Commands{":OdA#", ":OdB#", ":Od#", "END#"}));
  EXPECT_EQ(controller().objectMemory().size(), 3u);

  memo.clearLines();
  mark();
  EXPECT_EQ(m.engine.ExecuteCommand(":OS"), "A#B##");
  EXPECT_EQ(memo.lines(), (std::vector<std::string>{"A#", "B#", "#"}));
  EXPECT_EQ(sent(), (Commands{":OS#", ":OR#", ":OR#", ":OR#", ":OR#"}));
  EXPECT_TRUE(cache().Timer.enabled());

  m.engine.ExecuteCommand(":Oc");
  EXPECT_TRUE(controller().objectMemory().empty());
  EXPECT_EQ(m.engine.ExecuteCommand(":OS"), "");
  EXPECT_TRUE(memo.lines().empty());
}

TEST_F(CommandEngineTest, ASetCommandWithoutItsControlEndsAndAsksForARestart) {
  StartWith({});
  TMainForm& m = main();
  ASSERT_TRUE(m.UpdateTimer.enabled());
  EXPECT_EQ(m.engine.ExecuteCommand(":SG"), "");
  EXPECT_EQ(all(), (Commands{std::string(1, '\x06')}));
  EXPECT_EQ(modalCount("RestartForm"), 0);  // the controller is running
  EXPECT_FALSE(m.CommandBusy);
  EXPECT_TRUE(m.UpdateTimer.enabled());
}

TEST_F(CommandEngineTest, NothingIsSentWithoutAConnection) {
  sim::ControllerOptions options;
  options.silent = true;
  StartWith({}, options);
  EXPECT_EQ(main().ConnectedPort, -1);
  mark();
  EXPECT_EQ(main().engine.ExecuteCommand(":GR"), "");
  EXPECT_TRUE(all().empty());
  EXPECT_FALSE(main().CommandBusy);
}

TEST_F(CommandEngineTest, AClickDuringAReplyWaitRunsAfterTheRunningCommand) {
  sim::ControllerOptions options;
  options.lateReplyMs = 300;
  StartWith(kSiteSheet, options);
  TMainForm& m = main();
  m.UpdateTimer.stop();
  // The user commits the UTC offset field while ":GR#" waits for its late reply.
  ui::Timer click(backend(), 100, false);
  std::string nestedReply = "not run";
  click.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    EXPECT_TRUE(m.CommandBusy);
    nestedReply = m.engine.ExecuteCommand(":GG");
  };
  click.start();
  const long long start = backend().ticksMs();
  const std::string ra = m.engine.ExecuteCommand(":GR");
  // The running command keeps its own reply; the click's command follows it at once.
  EXPECT_EQ(ra.size(), 8u) << ra;
  EXPECT_NE(ra.find(':'), std::string::npos);
  EXPECT_EQ(nestedReply, "");
  EXPECT_EQ(sent(), (Commands{":GG#"}));
  EXPECT_EQ(all().front(), ":GR#");
  EXPECT_EQ(field(0, 2).text(), "+01");
  EXPECT_LT(backend().ticksMs() - start, 1500);
  EXPECT_FALSE(m.CommandBusy);
  EXPECT_EQ(m.engine.pendingCount(), 0u);
  EXPECT_FALSE(m.UpdateTimer.enabled());
}

}  // namespace
}  // namespace orvane::testing
