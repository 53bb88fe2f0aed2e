// "Receive", "Send" and "Clear" of the object panel against the simulated controller, with
// the exact traffic; the shipped object lists there and back; transfers cut short by a
// silent controller or a pulled line, one that never ends, a stop pressed in the middle,
// a click while another command waits, and a profile loaded in the middle.
#include <gtest/gtest.h>

#include "transfer/FileTransferStruct.h"
#include "transfer/TransferReport.h"
#include "transfer/TransferText.h"
#include "transfer/TransferTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

const Lines kObjects = {"Deneb,20:41:26,+45:16:49#", "Vega,18:36:56,+38:47:01#",
                        "Altair,19:50:47,+08:52:06#"};
constexpr size_t kReceive = 0, kSend = 1, kClear = 2;

// Calls work once, after ms of virtual time, from inside whatever the program waits for.
class After {
 public:
  After(ui::Backend& backend, int ms, std::function<void()> work)
      : timer_(backend, ms, false), work_(std::move(work)) {
    timer_.onTimer = [this](ui::Timer& timer) {
      timer.stop();
      work_();
    };
    timer_.start();
  }

 private:
  ui::Timer timer_;
  std::function<void()> work_;
};

class TransferTrafficTest : public TransferTest {
 protected:
  void SetUp() override { StartWithPanels(); }
  // Polling and the clock tick run again.
  void ExpectTimersRunning() {
    EXPECT_TRUE(main().UpdateTimer.enabled());
    EXPECT_TRUE(cache().Timer.enabled());
    EXPECT_FALSE(main().CommandBusy);
  }
  void Receive() { ClickCommand(kReceive); }
  void Send(const Lines& lines) {
    memo().setLines(lines);
    ClickCommand(kSend);
  }
};

TEST_F(TransferTrafficTest, SendClearAndReceiveWithTheirExactTraffic) {
  Send(kObjects);
  EXPECT_EQ(sent(), (Commands{":OdDeneb,20:41:26,+45:16:49#", ":OdVega,18:36:56,+38:47:01#",
                              ":OdAltair,19:50:47,+08:52:06#", "END#"}));
  EXPECT_EQ(status(), "Status: File transferred");
  EXPECT_EQ(controller().objectMemory().size(), 3u);

  ClickCommand(kClear);
  EXPECT_EQ(sent(), (Commands{":Oc#"}));
  EXPECT_EQ(status(), "Status: Memory cleared");
  EXPECT_TRUE(controller().objectMemory().empty());

  Send(kObjects);
  memo().clearLines();
  // The memo counts the lines as they come.
  Lines progress;
  auto hideButtons = memo().onChange;
  memo().onChange = [&](ui::Widget& sender) {
    if (memo().lines().size() == 1) progress.push_back(memo().lines().front());
    hideButtons(sender);
  };
  Receive();
  EXPECT_EQ(sent(), (Commands{":OS#", ":OR#", ":OR#", ":OR#", ":OR#"}));
  EXPECT_EQ(progress, (Lines{"1", "2", "3"}));
  EXPECT_EQ(memo().lines(), kObjects);
  EXPECT_EQ(memo().caretLine(), 2);
  EXPECT_EQ(status(), "Status: File transferred");
  ExpectTimersRunning();
}

TEST_F(TransferTrafficTest, TheShippedObjectListsGoThereAndBack) {
  for (const std::string name : {"Bright Stars", "Deep Sky"}) {
    Type(name);
    Click(fileButton(kLoad));
    const Lines file = memo().lines();
    ASSERT_GT(file.size(), 40u) << name;
    ClickCommand(kClear);
    ClickCommand(kSend);
    EXPECT_EQ(controller().objectMemory().size(), file.size()) << name;
    memo().clearLines();
    Receive();
    EXPECT_EQ(memo().lines(), file) << name;
    EXPECT_EQ(status(), "Status: File transferred") << name;
  }
}

TEST_F(TransferTrafficTest, AReceiveCutShortKeepsWhatCameAndSaysSo) {
  Lines many;
  for (int i = 0; i < 40; ++i) many.push_back("Star " + std::to_string(i) + ",01:00:00,+01:00:00#");
  Send(many);
  memo().clearLines();
  After silence(backend(), 500, [&] { controller().options().silent = true; });
  Receive();
  const size_t got = memo().lines().size();
  EXPECT_GT(got, 3u);
  EXPECT_LT(got, 40u);
  EXPECT_EQ(memo().lines().back(), many[got - 1]);
  EXPECT_EQ(status(), "Status: Transfer failed after " + std::to_string(got) + " lines");
  ExpectTimersRunning();
}

TEST_F(TransferTrafficTest, ASendCutShortByAPulledLineSaysHowFarItGot) {
  Lines many(57, "Star,01:00:00,+01:00:00#");
  controller().options().unplugAtMs = static_cast<double>(backend().nowMs()) + 1000;
  Send(many);
  const size_t arrived = controller().objectMemory().size();
  EXPECT_GT(arrived, 3u);
  EXPECT_LT(arrived, 57u);
  // Lines written just before the line went may not have reached the controller.
  const std::string prefix = "Status: Transfer failed, ";
  ASSERT_EQ(status().rfind(prefix, 0), 0u) << status();
  const int reported = std::stoi(status().substr(prefix.size()));
  EXPECT_GE(reported, static_cast<int>(arrived));
  EXPECT_EQ(status(), prefix + std::to_string(reported) + " of 57 sent");
  EXPECT_EQ(count("END#"), 0);
}

TEST_F(TransferTrafficTest, AReceiveThatNeverEndsStopsAtItsBound) {
  // Answers every request with the request itself: never "END#".
  controller().options().echo = true;
  int requests = 0;
  cache().queue().onWritten = [&](const std::string& command) { requests += command == ":OR#"; };
  Receive();
  cache().queue().onWritten = nullptr;
  EXPECT_EQ(requests, kMaxReceivedLines + 1);
  EXPECT_EQ(memo().lines().size(), static_cast<size_t>(kMaxReceivedLines));
  EXPECT_EQ(status(), "Status: Stopped after 10000 lines, no end");
  ExpectTimersRunning();
}

TEST_F(TransferTrafficTest, TheStopButtonStopsTheMountAtOnceInTheMiddleOfASend) {
  TSchedule& schedule = *app().windows().schedule;
  long long pressedAt = -1;
  long long writtenAt = -1;
  cache().queue().onWritten = [&](const std::string& command) {
    if (command == ":Q#") writtenAt = backend().nowMs();
  };
  After press(backend(), 1500, [&] {
    pressedAt = backend().nowMs();
    schedule.StopMouseDown();
    schedule.StopMouseUp();
  });
  Send(Lines(40, "Star,01:00:00,+01:00:00#"));
  cache().queue().onWritten = nullptr;
  ASSERT_GE(pressedAt, 0);
  EXPECT_LE(writtenAt - pressedAt, 1);
  EXPECT_EQ(count(":Q#"), 1);
  // The send goes on to its end.
  EXPECT_EQ(controller().objectMemory().size(), 40u);
  EXPECT_EQ(status(), "Status: File transferred");
}

// The user types into the memo while its lines go out, over the line the progress marks:
// the memo refuses the keys, keeps every line, and gives the caret back at the end.
TEST_F(TransferTrafficTest, TypingDuringASendChangesNoLine) {
  Lines lines;
  for (int i = 0; i < 40; ++i) {
    lines.push_back("Star " + std::to_string(i) + ",01:00:00,+01:00:00#");
  }
  memo().setLines(lines);
  memo().setCaret({3, 2});
  bool readOnlyMeanwhile = false;
  After typing(backend(), 600, [&] {
    readOnlyMeanwhile = memo().readOnly();
    Lines typed = memo().lines();
    typed.at(static_cast<size_t>(memo().caretLine())) = "xy";
    memo().userSetLines(typed, memo().caretLine());
  });
  ClickCommand(kSend);
  EXPECT_TRUE(readOnlyMeanwhile);
  EXPECT_EQ(memo().lines(), lines);
  EXPECT_FALSE(memo().readOnly());
  EXPECT_EQ(memo().caret(), (ui::TextPosition{3, 2}));
  EXPECT_EQ(controller().objectMemory().size(), 40u);
  EXPECT_EQ(status(), "Status: File transferred");
  Type("sent");
  Click(fileButton(kSave));
  EXPECT_EQ(fileText("sent.txt"), FileOfLines(lines));
}

TEST_F(TransferTrafficTest, OfflineNothingIsSent) {
  main().SerialPort->userSelect(6);  // "Offline"
  ASSERT_EQ(main().ConnectedPort, 0);
  Send(kObjects);
  ClickCommand(kClear);
  Receive();
  EXPECT_TRUE(all().empty());
  EXPECT_EQ(status(), "Status: Empty");
}

TEST_F(TransferTrafficTest, AClickWhileAnotherCommandWaitsRunsAfterIt) {
  Send(kObjects);
  memo().clearLines();
  controller().options().lateReplyMs = 300;
  main().UpdateTimer.stop();
  After click(backend(), 100, [&] {
    ClickCommand(kReceive);
    EXPECT_EQ(status(), "Status: Transferring file ... please wait ...");
  });
  main().engine.ExecuteCommand(":GR");
  EXPECT_EQ(memo().lines(), kObjects);
  EXPECT_EQ(status(), "Status: File transferred");
}

TEST_F(TransferTrafficTest, AProfileLoadedDuringAReceiveTakesThePanelAwayUnharmed) {
  Send(Lines(30, "Star,01:00:00,+01:00:00#"));
  After reload(backend(), 400, [&] { main().profilePage.ReloadProfileNow(); });
  Receive();
  ASSERT_EQ(main().FileTransferPanels.size(), 1u);
  EXPECT_EQ(status(), "Status: Empty");
  ExpectTimersRunning();
}

}  // namespace
}  // namespace orvane::testing
