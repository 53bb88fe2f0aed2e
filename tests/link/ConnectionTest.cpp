// Finding and identifying the controller, with simulated controllers on the ports, in
// virtual time.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialogue/RestartForm.h"
#include "link/Cache.h"
#include "support/HeadlessApp.h"
#include "ui/Edits.h"

namespace orvane {
namespace {

using testing::HeadlessApp;
using testing::WriteFile;

int count(const std::vector<std::string>& log, const std::string& command) {
  return static_cast<int>(std::count(log.begin(), log.end(), command));
}

// A small profile that chooses its port and reply time-out.
void UseProfile(HeadlessApp& app, const std::string& port, const std::string& version = "32.4",
                const std::string& timeout = "1000") {
  WriteFile(app.programFolder() / "Link.ocf",
            "Version \"" + version + "\"\nPort \"" + port + "\"\nTimeOut \"" + timeout +
                "\"\nCacheDelay \"1000\"\nSheet \"Mount\"\n10 \"Heading\"\n11 \"Value\" 0:99\n");
  app.settings().write("LastProfile", "Link.ocf");
}

sim::ControllerOptions BootMode() {
  sim::ControllerOptions options;
  options.startInBootMode = true;
  return options;
}

sim::ControllerOptions Silent() {
  sim::ControllerOptions options;
  options.silent = true;
  return options;
}

TEST(ConnectionTest, AutoDetectPassesSilentPortsAndFindsTheControllerOnCom3) {
  HeadlessApp app;
  UseProfile(app, "Auto-detect");
  auto& com1 = app.devices().addController(1, Silent());
  auto& com2 = app.devices().addController(2, Silent());
  auto& com3 = app.devices().addController(3);
  app.Start();
  TMainForm& main = app.main();
  EXPECT_EQ(main.CurrentOrvaneStatus->text(), "Status: Connection established");
  EXPECT_EQ(main.ConnectedPort, 3);
  EXPECT_EQ(main.SerialPort->text(), "COM3");
  EXPECT_EQ(main.OrvaneVersion->text(), "Level 3, Version 2.4");
  EXPECT_EQ(main.ProfileVersion->text(), "Level 3, Version 2.4");
  EXPECT_TRUE(main.UpdateTimer.enabled());
  EXPECT_EQ(main.ControllerLevel, 3);
  EXPECT_TRUE(main.InitialAlign->visible());
  EXPECT_TRUE(main.AlignmentPrompt);
  // Each silent port was asked for its version and then for a restart.
  for (auto* silent : {&com1, &com2}) {
    EXPECT_EQ(count(silent->commandLog(), ":GV#"), 1);
    EXPECT_EQ(count(silent->commandLog(), "\x06"), 1);
  }
  EXPECT_EQ(count(com3.commandLog(), ":GV#"), 1);
  EXPECT_EQ(app.windows().cache->Comm1.DeviceName(), "Com3");
}

TEST(ConnectionTest, AutoDetectPassesOverAPortThatEchoes) {
  HeadlessApp app;
  UseProfile(app, "Auto-detect");
  sim::ControllerOptions echo;
  echo.echo = true;
  app.devices().addController(1, echo);
  app.devices().addController(2);
  app.Start();
  EXPECT_EQ(app.main().ConnectedPort, 2);
  EXPECT_EQ(app.main().SerialPort->text(), "COM2");
}

TEST(ConnectionTest, AutoDetectWhileConnectedDoesNothing) {
  HeadlessApp app;
  UseProfile(app, "COM2");
  auto& controller = app.devices().addController(2);
  app.Start();
  ASSERT_EQ(app.main().ConnectedPort, 2);
  const size_t before = controller.commandLog().size();
  app.main().SerialPort->userSelect(0);
  EXPECT_EQ(controller.commandLog().size(), before);
  EXPECT_EQ(app.main().ConnectedPort, 2);
}

TEST(ConnectionTest, ASilentChosenPortFallsBackToTheEarlierOne) {
  HeadlessApp app;
  UseProfile(app, "COM2");
  app.devices().addController(2);
  auto& com4 = app.devices().addController(4, Silent());
  app.Start();
  ASSERT_EQ(app.main().ConnectedPort, 2);
  app.main().SerialPort->userSelect(4);
  EXPECT_EQ(count(com4.commandLog(), ":GV#"), 1);
  EXPECT_EQ(app.main().SerialPort->text(), "COM2");
  EXPECT_EQ(app.main().ConnectedPort, 2);
  EXPECT_EQ(app.main().CurrentOrvaneStatus->text(), "Status: Connection established");
}

TEST(ConnectionTest, NoControllerAnywhereFailsAndKeepsPolling) {
  HeadlessApp app;
  UseProfile(app, "Auto-detect");
  app.Start();
  TMainForm& main = app.main();
  EXPECT_EQ(main.CurrentOrvaneStatus->text(), "Status: Unable to establish connection");
  EXPECT_EQ(main.ConnectedPort, -1);
  EXPECT_EQ(main.OrvaneVersion->text(), "Detection failed");
  EXPECT_FALSE(main.UpdateTimer.enabled());
  EXPECT_FALSE(main.InitialAlign->visible());
}

TEST(ConnectionTest, OfflineClosesThePort) {
  HeadlessApp app;
  UseProfile(app, "COM1");
  app.devices().addController(1);
  app.Start();
  ASSERT_TRUE(app.windows().cache->Comm1.Enabled());
  app.main().SerialPort->userSelect(6);
  EXPECT_EQ(app.main().CurrentOrvaneStatus->text(), "Status: System offline");
  EXPECT_EQ(app.main().ConnectedPort, 0);
  EXPECT_FALSE(app.windows().cache->Comm1.Enabled());
  EXPECT_FALSE(app.main().UpdateTimer.enabled());
}

TEST(ConnectionTest, VersionMismatchIsMarkedAndAFailedDetectionRemovesTheMark) {
  HeadlessApp app;
  UseProfile(app, "COM1", "32.1");
  sim::ControllerOptions newer;
  newer.version = "30";
  app.devices().addController(1, newer);
  app.devices().addController(2, Silent());
  app.Start();
  TMainForm& main = app.main();
  EXPECT_EQ(main.OrvaneVersion->text(), "Level 3, Version 3.0");
  EXPECT_EQ(main.ProfileVersion->text(), "Level 3, Version 2.1 - doesn't match !!");
  EXPECT_TRUE(main.ProfileMenu->font().italic);

  // Same level and first version digit: no mark.
  main.ProfileVersion->setText("Level 3, Version 3.4");
  main.connection.CompareVersions();
  EXPECT_EQ(main.ProfileVersion->text(), "Level 3, Version 3.4");
  main.ProfileVersion->setText("Level 3, Version 2.1 - doesn't match !!");

  // A port with nothing behind it and no earlier connection to fall back to.
  main.ConnectedPort = -1;
  main.SerialPort->userSelect(2);
  EXPECT_EQ(main.ProfileVersion->text(), "Level 3, Version 2.1");
  EXPECT_EQ(main.OrvaneVersion->text(), "Detection failed");
}

TEST(ConnectionTest, ControllerWaitingForItsStartModeIsRestartedThroughTheDialog) {
  HeadlessApp app;
  UseProfile(app, "COM1");
  auto& controller = app.devices().addController(1, BootMode());
  app.backend().modalHandler = [&](ui::Form& form) {
    EXPECT_EQ(form.name(), "RestartForm");
    app.windows().restart->Warm->click();
    return ui::modal::kOk;
  };
  app.Start();
  EXPECT_EQ(app.backend().modalForms, std::vector<std::string>{"RestartForm"});
  EXPECT_EQ(count(controller.commandLog(), "bW#"), 1);
  EXPECT_EQ(count(controller.commandLog(), ":GV#"), 2);
  EXPECT_EQ(app.main().ConnectedPort, 1);
  EXPECT_TRUE(app.main().AlignmentPrompt);
}

TEST(ConnectionTest, QuitInTheRestartDialogEndsTheProgramWithoutSendingAStartMode) {
  HeadlessApp app;
  UseProfile(app, "COM1");
  auto& controller = app.devices().addController(1, BootMode());
  app.backend().modalHandler = [&](ui::Form&) {
    app.windows().restart->Quit->click();
    return ui::modal::kCancel;
  };
  app.Start();
  EXPECT_TRUE(app.backend().terminated());
  for (const char* mode : {"bC#", "bW#", "bR#"}) EXPECT_EQ(count(controller.commandLog(), mode), 0);
  EXPECT_EQ(count(controller.commandLog(), ":GV#"), 1);
}

TEST(ConnectionTest, RestartDialogClosedFromOutsideStillAsksForTheVersion) {
  HeadlessApp app;
  UseProfile(app, "COM1");
  auto& controller = app.devices().addController(1, BootMode());
  app.backend().modalHandler = [&](ui::Form& form) {
    // Started at the hand controller meanwhile; the dialog is closed by the program.
    app.windows().cache->SendCommand("bW#", false);
    form.close();
    return ui::modal::kCancel;
  };
  app.Start();
  EXPECT_EQ(count(controller.commandLog(), ":GV#"), 2);
  EXPECT_EQ(app.main().ConnectedPort, 1);
}

TEST(ConnectionTest, LostDeviceIsRetriedUntilItAnswersAndTheWritesQueuedMeanwhileGoOut) {
  HeadlessApp app;
  UseProfile(app, "COM1");
  sim::ControllerOptions unplugged;
  unplugged.unplugAtMs = 30000;
  unplugged.replugAfterMs = 5000;
  auto& controller = app.devices().addController(1, unplugged);
  app.Start();
  TMainForm& main = app.main();
  ASSERT_EQ(main.ConnectedPort, 1);
  app.Advance(31000);
  EXPECT_EQ(main.ConnectedPort, -1);
  EXPECT_EQ(main.CurrentOrvaneStatus->text(), "Status: Connection lost, retrying");
  EXPECT_EQ(main.SerialPort->text(), "COM1");
  EXPECT_FALSE(main.UpdateTimer.enabled());
  EXPECT_FALSE(app.windows().cache->Comm1.Enabled());
  // The readings of the strip are no longer current.
  EXPECT_EQ(main.RA->text(), "--");
  EXPECT_EQ(main.Dec->text(), "--");

  // A value typed while the cable is out waits in the queue.
  ui::MaskEdit& value = *main.sheets.sheets()[0]->fields[0];
  main.sheets.sheets()[0]->menuLabel->click();
  value.setFocus();
  value.setText("42");
  main.keyPress(value, static_cast<char>(ui::keys::kReturn));
  app.Advance(2000);
  EXPECT_EQ(app.windows().cache->OutCache->items().size(), 1u);

  // Back in (at 35 s): within the next attempt the controller is identified again, polling
  // resumes and the write arrives, once.
  const size_t before = controller.commandLog().size();
  app.Advance(4000);
  EXPECT_EQ(main.ConnectedPort, 1);
  EXPECT_EQ(main.CurrentOrvaneStatus->text(), "Status: Connection established");
  EXPECT_TRUE(main.UpdateTimer.enabled());
  app.Advance(3000);
  const std::vector<std::string> after(controller.commandLog().begin() + before,
                                       controller.commandLog().end());
  EXPECT_EQ(count(after, ":GV#"), 1);
  EXPECT_GE(count(after, ":GR#"), 2);
  EXPECT_EQ(controller.setting(11), "42");
  EXPECT_TRUE(app.windows().cache->OutCache->items().empty());
  EXPECT_NE(main.RA->text(), "--");
}

TEST(ConnectionTest, ChoosingOfflineEndsTheRetryingOfALostLink) {
  HeadlessApp app;
  UseProfile(app, "COM1");
  sim::ControllerOptions unplugged;
  unplugged.unplugAtMs = 30000;
  unplugged.replugAfterMs = 3000;
  auto& controller = app.devices().addController(1, unplugged);
  app.Start();
  app.Advance(31000);
  ASSERT_TRUE(app.main().connection.Reconnecting());
  app.main().SerialPort->userSelect(6);
  EXPECT_FALSE(app.main().connection.Reconnecting());
  const size_t before = controller.commandLog().size();
  app.Advance(10000);
  EXPECT_EQ(controller.commandLog().size(), before);
  EXPECT_EQ(app.main().ConnectedPort, 0);
  EXPECT_EQ(app.main().CurrentOrvaneStatus->text(), "Status: System offline");

  // Choosing the port again connects.
  app.main().SerialPort->userSelect(1);
  EXPECT_EQ(app.main().ConnectedPort, 1);
  EXPECT_EQ(app.main().CurrentOrvaneStatus->text(), "Status: Connection established");
}

TEST(ConnectionTest, APortThatNeverAnsweredIsNotRetried) {
  HeadlessApp app;
  UseProfile(app, "COM1");
  auto& silent = app.devices().addController(1, Silent());
  app.Start();
  EXPECT_EQ(app.main().CurrentOrvaneStatus->text(), "Status: Unable to establish connection");
  EXPECT_FALSE(app.main().connection.Reconnecting());
  const size_t before = silent.commandLog().size();
  app.Advance(10000);
  EXPECT_EQ(silent.commandLog().size(), before);
}

TEST(ConnectionTest, VersionLabelFromTheReply) {
  EXPECT_EQ(ControllerVersionLabel("324#"), "Level 3, Version 2.4");
  EXPECT_EQ(ControllerVersionLabel("1124#"), "Level 1, Version 1.2");
  EXPECT_EQ(ControllerVersionLabel("x"), "Level x, Version .");
}

}  // namespace
}  // namespace orvane
