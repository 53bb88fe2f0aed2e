// "Receive current settings" and "Send current settings" as transactions, against the
// simulated controller in virtual time: edits and clicks made while a transfer runs, a
// line pulled in the middle and plugged in again (or not), the report at the end, and the
// backups stored on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "dialogue/DialogueTestSupport.h"
#include "link/TraceForm.h"
#include "persistence/SettingsBackups.h"

namespace orvane::testing {
namespace {

const std::vector<std::string> kProfile = {
    "Sheet \"Mechanics\"",
    "50 \"Tracking Rate\"",
    "51 \"Sidereal\"",
    "52 \"Lunar\"",
    "201 & 202 \"RA Worm Teeth\" \"Dec Worm Teeth\" 1:999",
    "120 \"Slew Speed\" 1:6",
    "Sheet \"Site\"",
    "511 \"UTC Offset (h)\" command=\":SG,:GG\" mask=\"#00;0;_\"",
    "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\"",
    "513 \"Date\" command=\":SC,:GC\" mask=\"00-00-00;0;_\"",
    "Value 5=\"Sidereal\"",
    "Value 201=\"100\"",
    "Value 202=\"110\"",
    "Value 120=\"4\"",
};
// Seven native reads (50, 201, 202, 120, 511, 512, 513) and three bound ones.
constexpr int kSettings = 10;

// Runs work once, ms after now, inside whatever waits then.
class Later {
 public:
  Later(ui::Backend& backend, int ms, std::function<void()> work) : timer_(backend, ms, true) {
    timer_.onTimer = [work = std::move(work)](ui::Timer& timer) {
      timer.stop();
      work();
    };
  }

 private:
  ui::Timer timer_;
};

class BulkTransactionTest : public DialogueTest {
 protected:
  static sim::ControllerOptions Controller(double lateReplyMs = 0) {
    sim::ControllerOptions options;
    options.level = 1;
    options.lateReplyMs = lateReplyMs;
    options.settings[50] = "52";
    options.settings[201] = "180";
    options.settings[202] = "190";
    options.settings[120] = "3";
    return options;
  }
  ui::MaskEdit& wormTeeth() { return field(0, 0); }
  ui::MaskEdit& decWormTeeth() { return field(0, 1); }
  ui::MaskEdit& localTime() { return field(1, 1); }
  KnownSettings& known() { return main().sheets.known(); }
  // Position of the first command in the log since the mark that begins with prefix.
  long firstAt(const std::string& prefix) const {
    const Commands commands = all();
    for (size_t i = 0; i < commands.size(); ++i) {
      if (commands[i].rfind(prefix, 0) == 0) return static_cast<long>(i);
    }
    return -1;
  }
  long lastAt(const std::string& prefix) const {
    const Commands commands = all();
    for (size_t i = commands.size(); i-- > 0;) {
      if (commands[i].rfind(prefix, 0) == 0) return static_cast<long>(i);
    }
    return -1;
  }
  int countPrefix(const std::string& prefix) const {
    const Commands commands = all();
    return static_cast<int>(std::count_if(commands.begin(), commands.end(), [&](const auto& c) {
      return c.rfind(prefix, 0) == 0;
    }));
  }
  std::vector<std::string> backupFiles() {
    std::vector<std::string> names;
    const auto folder = app().programFolder() / "Backups";
    if (!std::filesystem::exists(folder)) return names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string readBackup(const std::string& name) {
    std::ifstream in(app().programFolder() / "Backups" / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The line drops as the controller receives command (plugged in again after replugMs).
  void unplugOn(const std::string& command, double replugMs,
                std::function<void()> atDrop = nullptr) {
    controller().setCommandObserver([this, command, replugMs, atDrop, armed = true](
                                        const std::string& received) mutable {
      if (!armed || received.rfind(command, 0) != 0) return;
      armed = false;
      if (atDrop) atDrop();
      controller().options().unplugAtMs = static_cast<double>(backend().nowMs()) + 1;
      controller().options().replugAfterMs = replugMs;
    });
  }
};

TEST_F(BulkTransactionTest, AnEditDuringTheReceiveIsSentAfterItsReadAndWins) {
  StartWith(kProfile, Controller(300));
  mark();
  Later edit(backend(), 300, [&] { Commit(wormTeeth(), "555"); });
  main().ReceiveAll->click();
  EXPECT_EQ(wormTeeth().text(), "555");
  EXPECT_EQ(decWormTeeth().text(), "190");
  ASSERT_TRUE(backend().runUntil([&] { return controller().setting(201) == "555"; }, 5000));
  EXPECT_GT(firstAt(NativeWrite("201", "555")), firstAt(NativeReadCommand("201")));
  backend().advance(1000);
  EXPECT_EQ(known().StateOf(wormTeeth()), SettingState::Confirmed);
  EXPECT_EQ(main().CurrentOrvaneStatus->text(),
            "Status: " + std::to_string(kSettings) + " of " + std::to_string(kSettings) +
                " settings received");
}

TEST_F(BulkTransactionTest, SendClickedDuringAReceiveRunsAfterItAndASecondReceiveStartsNone) {
  StartWith(kProfile, Controller(200));
  mark();
  Later send(backend(), 300, [&] { main().SendAll->click(); });
  Later again(backend(), 500, [&] {
    main().ReceiveAll->click();
    main().ReceiveAll->click();
  });
  main().ReceiveAll->click();
  // One receive; the send after it knows what the controller holds and reads nothing.
  EXPECT_EQ(count(NativeReadCommand("201")), 1);
  EXPECT_EQ(count(":GC#"), 2);  // the receive's, and the read after the send's date
  EXPECT_GT(firstAt(">"), lastAt("<"));
  EXPECT_GT(firstAt(":SC"), firstAt(":GC#"));
  EXPECT_EQ(count(":GR#"), 0);  // no polling in between
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Status: All settings sent");
  EXPECT_EQ(main().SendAll->text(), "Send current settings");
  EXPECT_EQ(main().ReceiveAll->text(), "Receive current settings");
  EXPECT_TRUE(main().UpdateTimer.enabled());
}

TEST_F(BulkTransactionTest, ALinkLostDuringTheReceiveIsWaitedForAndEverySettingReadOnceBack) {
  StartWith(kProfile, Controller());
  main().UpdateTimer.stop();
  unplugOn(NativeReadCommand("202"), 3000);
  mark();
  main().ReceiveAll->click();
  EXPECT_EQ(main().ConnectedPort, 1);
  EXPECT_EQ(main().CurrentOrvaneStatus->text(),
            "Status: " + std::to_string(kSettings) + " of " + std::to_string(kSettings) +
                " settings received");
  EXPECT_EQ(decWormTeeth().text(), "190");
  EXPECT_EQ(main().sheets.known().StateOf(decWormTeeth()), SettingState::Confirmed);
  // Polling stayed off across the reconnection until the receive was over.
  EXPECT_EQ(count(":GR#"), 0);
  EXPECT_TRUE(main().UpdateTimer.enabled());
}

TEST_F(BulkTransactionTest, ALinkThatStaysLostEndsTheReceiveWithTheMissingSettingsNamed) {
  StartWith(kProfile, Controller());
  unplugOn(NativeReadCommand("202"), 600000);
  main().ReceiveAll->click();
  const std::string status = main().CurrentOrvaneStatus->text();
  EXPECT_EQ(status, "Status: 2 of " + std::to_string(kSettings) + " settings received");
  EXPECT_NE(main().CurrentOrvaneStatus->hint().find("Mechanics: Dec Worm Teeth"),
            std::string::npos);
  EXPECT_NE(main().CurrentOrvaneStatus->hint().find("Site: Date"), std::string::npos);
  EXPECT_EQ(known().StateOf(decWormTeeth()), SettingState::Unknown);
  const ui::Label* mark = known().MarkOf(decWormTeeth());
  ASSERT_NE(mark, nullptr);
  EXPECT_TRUE(mark->visible());
  EXPECT_EQ(mark->hint().rfind("Not received", 0), 0u) << mark->hint();
  EXPECT_EQ(known().StateOf(wormTeeth()), SettingState::Confirmed);
  const auto& trace = app().windows().trace->Status->lines();
  EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [](const std::string& line) {
    return line.find("Not received: Mechanics: Dec Worm Teeth") != std::string::npos;
  }));
  EXPECT_EQ(main().ReceiveAll->text(), "Receive current settings");
  EXPECT_FALSE(main().sheets.receivingAll);
  EXPECT_TRUE(backupFiles().empty());  // an incomplete receive is no backup
}

TEST_F(BulkTransactionTest, TimeZoneTimeAndDateLostToAnUnplugAreSentOnceTheLinkIsBack) {
  StartWith(kProfile, Controller());
  main().ReceiveAll->click();
  Commit(wormTeeth(), "300");
  backend().advance(2500);
  std::string timeAtDrop;
  unplugOn(":GG#", 3000, [&] { timeAtDrop = localTime().text(); });
  mark();
  main().SendAll->click();
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Status: All settings sent");
  EXPECT_GE(countPrefix(":SL"), 1);
  // The time sent once the link was back is the controller's time then, not the time at
  // which the link went.
  auto seconds = [](const std::string& clock) {
    return std::stoi(clock.substr(0, 2)) * 3600 + std::stoi(clock.substr(3, 2)) * 60 +
           std::stoi(clock.substr(6, 2));
  };
  const Commands commands = all();
  const std::string sentTime = commands[static_cast<size_t>(lastAt(":SL"))].substr(3, 8);
  EXPECT_GE(seconds(sentTime) - seconds(timeAtDrop), 2) << sentTime << " " << timeAtDrop;
  EXPECT_GE(countPrefix(":SC"), 1);
  EXPECT_EQ(controller().setting(201), "300");
  for (ui::Widget* control : {static_cast<ui::Widget*>(&localTime()),
                              static_cast<ui::Widget*>(&field(1, 2))}) {
    EXPECT_EQ(known().StateOf(*control), SettingState::Confirmed) << known().ReasonOf(*control);
  }
}

TEST_F(BulkTransactionTest, ASendCutShortByALinkThatStaysLostSaysWhatWasNotSent) {
  StartWith(kProfile, Controller());
  main().ReceiveAll->click();
  unplugOn(":GG#", 600000);
  main().SendAll->click();
  // The list's write waits in the queue; time and date could not go out.
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Status: 3 settings not sent");
  const std::string hint = main().CurrentOrvaneStatus->hint();
  EXPECT_NE(hint.find("Mechanics: Tracking Rate (Waiting to be sent)"), std::string::npos) << hint;
  EXPECT_NE(hint.find("Site: Local Time"), std::string::npos) << hint;
  EXPECT_NE(hint.find("Site: Date"), std::string::npos) << hint;
  EXPECT_EQ(known().StateOf(localTime()), SettingState::Unknown);
  EXPECT_TRUE(known().MarkOf(localTime())->visible());
  EXPECT_EQ(main().SendAll->text(), "Send current settings");
}

TEST_F(BulkTransactionTest, ASendReadsFirstAndKeepsABackupOfWhatTheControllerHeld) {
  StartWith(kProfile, Controller());
  main().UpdateTimer.stop();
  mark();
  main().SendAll->click();
  // Every read before the first write.
  EXPECT_GT(firstAt(">"), lastAt("<"));
  EXPECT_GT(firstAt(":SG"), firstAt(":GC#"));
  EXPECT_GT(firstAt(">"), firstAt(":SG"));
  EXPECT_EQ(controller().setting(201), "100");
  const std::vector<std::string> backups = backupFiles();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(BackupProfileName(backups[0]), std::optional<std::string>("Dialogue"));
  const std::string text = readBackup(backups[0]);
  EXPECT_NE(text.find("Value 201=\"180\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("Value 5=\"Lunar\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("Sheet \"Mechanics\"\r\n"), std::string::npos);

  // After a complete receive with nothing written since, a send reads nothing first.
  backend().advance(1500);
  main().ReceiveAll->click();
  backend().advance(1100);
  mark();
  main().SendAll->click();
  EXPECT_EQ(countPrefix("<"), 0);
  EXPECT_EQ(backupFiles().size(), 3u);  // the receive's, and the send's
}

TEST_F(BulkTransactionTest, AnIncompleteReadBeforeASendAsksAndNoSendsNothing) {
  sim::ControllerOptions options = Controller();
  options.wrongCheckSettings = {201};
  StartWith(kProfile, options);
  main().UpdateTimer.stop();
  int asked = 0;
  backend().messageBoxHandler = [&](const ui::HeadlessBackend::MessageBoxRecord&) {
    ++asked;
    return ui::modal::kNo;  // as Escape does
  };
  mark();
  main().SendAll->click();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(backend().messageBoxes.back().caption, "Orvane");
  backend().advance(2500);
  EXPECT_EQ(countPrefix(">"), 0);
  EXPECT_EQ(countPrefix(":S"), 0);
  EXPECT_EQ(main().CurrentOrvaneStatus->text(), "Status: Settings not sent");
  EXPECT_TRUE(backupFiles().empty());

  backend().messageBoxHandler = [&](const ui::HeadlessBackend::MessageBoxRecord&) {
    return ui::modal::kYes;
  };
  main().SendAll->click();
  EXPECT_EQ(controller().setting(202), "110");
}

TEST_F(BulkTransactionTest, TheNewestTwentyBackupsOfAProfileAreKept) {
  StartWith(kProfile, Controller());
  main().UpdateTimer.stop();
  const auto folder = app().programFolder() / "Backups";
  std::filesystem::create_directories(folder);
  WriteFile(folder / "Other 2020-01-01 00-00-00.ocf", "Value 201=\"1\"\r\n");
  std::vector<std::string> first;
  for (int i = 0; i < 22; ++i) {
    main().ReceiveAll->click();
    if (i == 1) first = backupFiles();
    backend().advance(1100);
  }
  const std::vector<std::string> names = backupFiles();
  EXPECT_EQ(names.size(), 21u);
  EXPECT_TRUE(std::count(names.begin(), names.end(), "Other 2020-01-01 00-00-00.ocf"));
  // The two oldest went.
  for (const std::string& old : first) {
    if (old.rfind("Dialogue", 0) == 0) {
      EXPECT_FALSE(std::count(names.begin(), names.end(), old)) << old;
    }
  }
  EXPECT_EQ(main().backups.List().size(), 21u);
  EXPECT_EQ(main().backups.List().front(), names[names.size() - 2]);  // the newest first
}

TEST_F(BulkTransactionTest, ABackupLoadedAndSentRestoresTheController) {
  StartWith(kProfile, Controller());
  main().UpdateTimer.stop();
  main().ReceiveAll->click();
  const std::vector<std::string> backups = backupFiles();
  ASSERT_EQ(backups.size(), 1u);
  // Changed since, on the sheets and at the hand controller.
  Commit(wormTeeth(), "300");
  list(0).userSelect(0);
  backend().advance(2500);
  ASSERT_EQ(controller().setting(201), "300");
  ASSERT_EQ(controller().setting(50), "51");
  backend().advance(1500);
  std::string status;
  ASSERT_TRUE(main().bulk.RestoreBackup(main().backups.Folder() / backups[0], status));
  EXPECT_EQ(status, "Status: All settings sent");
  EXPECT_EQ(controller().setting(201), "180");
  EXPECT_EQ(controller().setting(50), "52");
  EXPECT_EQ(wormTeeth().text(), "180");
  EXPECT_EQ(list(0).text(), "Lunar");
}

TEST_F(BulkTransactionTest, NotConfirmedSettingsCarryAMarkThatSaysWhy) {
  StartWith(kProfile, Controller());
  main().UpdateTimer.stop();
  const ui::Label* mark = known().MarkOf(wormTeeth());
  ASSERT_NE(mark, nullptr);
  EXPECT_TRUE(mark->visible());
  EXPECT_EQ(mark->hint(), KnownSettings::kNeverRead);
  EXPECT_EQ(mark->text(), "?");
  main().ReceiveAll->click();
  EXPECT_FALSE(mark->visible());
  main().sheets.sheets()[0]->menuLabel->click();
  Commit(wormTeeth(), "250");
  EXPECT_TRUE(mark->showing());
  EXPECT_EQ(mark->hint(), "Waiting to be sent");
  EXPECT_EQ(mark->text(), "\xbb");
  ASSERT_TRUE(backend().runUntil([&] { return controller().setting(201) == "250"; }, 5000));
  EXPECT_FALSE(mark->visible());
  // Drawn in the sheets' label colour, dim red at night like the labels beside it.
  main().NightVision->click();
  Commit(wormTeeth(), "260");
  EXPECT_EQ(mark->font().color, main().appearance.palette().labelText);
}

}  // namespace
}  // namespace orvane::testing
