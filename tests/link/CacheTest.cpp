// The cache manager: the queue of native writes, the direct path with its reply rules,
// and the flush period, against a simulated controller in virtual time.
#include <gtest/gtest.h>

#include <algorithm>

#include "text/Checksum.h"
#include "link/Cache.h"
#include "support/HeadlessApp.h"

namespace orvane {
namespace {

using testing::HeadlessApp;
using testing::WriteFile;

int count(const std::vector<std::string>& log, const std::string& command) {
  return static_cast<int>(std::count(log.begin(), log.end(), command));
}

std::string nativeWrite(const std::string& number, const std::string& value) {
  std::string command = ">" + number + ":" + value;
  return command + CalculateChecksum(command) + "#";
}

class CacheTest : public ::testing::Test {
 protected:
  void StartWith(sim::ControllerOptions options, const std::string& port = "COM1",
                 const std::string& extra = "") {
    WriteFile(app.programFolder() / "Link.ocf",
              "Port \"" + port + "\"\nTimeOut \"1000\"\nCacheDelay \"1000\"\n" + extra +
                  "Sheet \"Mount\"\n10 \"Heading\"\n");
    app.settings().write("LastProfile", "Link.ocf");
    controller = &app.devices().addController(1, options);
    app.Start();
  }
  TCache& cache() { return *app.windows().cache; }
  long long timed(const std::function<void()>& action) {
    const long long start = app.backend().nowMs();
    action();
    return app.backend().nowMs() - start;
  }

  HeadlessApp app;
  sim::SimulatedController* controller = nullptr;
};

TEST(CacheFieldsTest, MillisecondFieldsReadAsTheCacheManagerReadsThem) {
  EXPECT_EQ(MillisecondsOfField(""), 1000);
  EXPECT_EQ(MillisecondsOfField("    "), 1000);  // the emptied field
  EXPECT_EQ(MillisecondsOfField("1   "), 1000);
  EXPECT_EQ(MillisecondsOfField("3   "), 3000);
  EXPECT_EQ(MillisecondsOfField("25  "), 2500);
  EXPECT_EQ(CacheDelayTicks("1   "), 1);
  EXPECT_EQ(CacheDelayTicks("12  "), 1);  // 1200 ms
  EXPECT_EQ(CacheDelayTicks("9999"), 9);
  EXPECT_EQ(CacheDelayTicks(""), 0);
  EXPECT_EQ(CacheDelayTicks("5"), 0);
  EXPECT_EQ(CacheDelayTicks("5   "), 5);
}

TEST_F(CacheTest, QueueKeepsOneCommandPerSettingAndWithdrawsByPrefix) {
  StartWith({}, "Offline");
  cache().AddToCache(nativeWrite("021", "1"));
  cache().AddToCache(nativeWrite("022", "5"));
  cache().AddToCache(nativeWrite("021", "2"));
  ASSERT_EQ(cache().OutCache->items().size(), 2u);
  EXPECT_EQ(cache().OutCache->items()[0], nativeWrite("022", "5"));
  EXPECT_EQ(cache().OutCache->items()[1], nativeWrite("021", "2"));

  cache().OutCache->clearItems();
  for (const char* number : {"12", "123", "1200", "130"}) cache().AddToCache(nativeWrite(number, "1"));
  // Withdrawing 12 leaves the writes of 123 and 1200 alone: they are other settings.
  cache().ClearEvents("12");
  ASSERT_EQ(cache().OutCache->items().size(), 3u);
  EXPECT_EQ(cache().OutCache->items()[0], nativeWrite("123", "1"));
  cache().AddToCache(nativeWrite("123", "2"));
  EXPECT_EQ(cache().OutCache->items().size(), 3u);
  EXPECT_EQ(cache().OutCache->items().back(), nativeWrite("123", "2"));
  cache().ClearEvents("");
  EXPECT_TRUE(cache().OutCache->items().empty());
}

TEST_F(CacheTest, QueueWaitsWhileNotConnectedAndGoesOutAtTheFirstFlushAfterwards) {
  StartWith({}, "Offline");
  cache().AddToCache(nativeWrite("055", "12"));
  app.Advance(3000);
  EXPECT_EQ(cache().OutCache->items().size(), 1u);
  EXPECT_EQ(count(controller->commandLog(), nativeWrite("055", "12")), 0);

  app.main().SerialPort->userSelect(1);
  ASSERT_EQ(app.main().ConnectedPort, 1);
  app.Advance(1100);
  EXPECT_TRUE(cache().OutCache->items().empty());
  EXPECT_EQ(count(controller->commandLog(), nativeWrite("055", "12")), 1);
  EXPECT_EQ(controller->setting(55), "12");
}

TEST_F(CacheTest, FlushPeriodFollowsTheCacheDelayField) {
  StartWith({});
  app.main().CacheDelay->setText("3000");
  app.Advance(1000);  // let the countdown reload from the field
  cache().AddToCache(nativeWrite("055", "7"));
  int seconds = 0;
  while (!cache().OutCache->items().empty() && seconds < 10) {
    app.Advance(1000);
    ++seconds;
  }
  EXPECT_GE(seconds, 2);
  EXPECT_LE(seconds, 3);
}

TEST_F(CacheTest, WaitingCommandGetsTheWholeReplyAndAPlainSendGetsNothing) {
  StartWith({});
  EXPECT_EQ(cache().SendCommand(":GV#", true), "324#");
  EXPECT_EQ(cache().SendCommand(":GV#", false), "");
  // A reply without "#" still ends at once.
  EXPECT_EQ(cache().SendCommand(":P#", true), "HIGH PRECISION");
}

TEST_F(CacheTest, ReplySplitIntoPiecesIsJoined) {
  sim::ControllerOptions split;
  split.splitPieces = 3;
  split.splitGapMs = 10;
  StartWith(split);
  EXPECT_EQ(cache().SendCommand(":GR#", true).back(), '#');
  EXPECT_EQ(cache().SendCommand(":GV#", true), "324#");
}

TEST_F(CacheTest, SilenceCostsTheReplyTimeOut) {
  sim::ControllerOptions silent;
  silent.silent = true;
  StartWith(silent, "Offline");
  app.main().SerialPort->userSelect(1);  // opens the port; detection fails
  app.main().TimeOut->setText("3   ");
  std::string reply = "x";
  const long long waited = timed([&] { reply = cache().SendCommand(":GV#", true); });
  EXPECT_EQ(reply, "");
  EXPECT_GE(waited, 3000);
  EXPECT_LT(waited, 3100);
  app.main().TimeOut->setText("");
  EXPECT_GE(timed([&] { cache().SendCommand(":GV#", true); }), 1000);
  // The field shows "0" where nothing was typed, so "0000" is the emptied field.
  app.main().TimeOut->setText("0000");
  EXPECT_GE(timed([&] { cache().SendCommand(":GV#", true); }), 1000);
}

TEST_F(CacheTest, NotConnectedOnlyTheProbeAndRestartCommandsReachTheWire) {
  sim::ControllerOptions silent;
  silent.silent = true;
  StartWith(silent, "COM1");
  ASSERT_EQ(app.main().ConnectedPort, -1);
  ASSERT_TRUE(cache().Comm1.Enabled());
  const long long waited = timed([&] { EXPECT_EQ(cache().SendCommand(":GR#", true), ""); });
  EXPECT_GE(waited, 1000);
  EXPECT_EQ(count(controller->commandLog(), ":GR#"), 0);
  cache().SendCommand(":GV#", false);
  cache().SendCommand("bW#", false);
  app.Advance(100);
  EXPECT_EQ(count(controller->commandLog(), ":GV#"), 2);  // detection's and this one
  EXPECT_EQ(count(controller->commandLog(), "bW#"), 1);
}

TEST_F(CacheTest, AnnouncementDuringAWaitLeavesTheCommandWithoutReply) {
  sim::ControllerOptions late;
  late.lateReplyMs = 300;
  StartWith(late);
  app.main().UpdateTimer.stop();
  // While ":GR#" waits for its late reply, the controller announces an update, and a
  // chunk beginning with "<" comes too.
  ui::Timer announce(app.backend(), 100, true);
  bool awaitingBefore = false;
  bool awaitingAfter = true;
  announce.onTimer = [&](ui::Timer& timer) {
    timer.stop();
    awaitingBefore = cache().AwaitingReply();
    cache().Received("<12:A#");
    cache().Received("Updating Planetary Data #");
    awaitingAfter = cache().AwaitingReply();
  };
  std::string reply = "x";
  const long long waited = timed([&] { reply = cache().SendCommand(":GR#", true); });
  EXPECT_TRUE(awaitingBefore);
  EXPECT_FALSE(awaitingAfter);
  // No reply from the announcement nor from the late reply after it: the time-out ends it.
  EXPECT_EQ(reply, "");
  EXPECT_GE(waited, 1040);
  ASSERT_GE(cache().InCache->items().size(), 2u);
  EXPECT_EQ(cache().InCache->items()[0], "<12:A#");
  EXPECT_EQ(cache().InCache->items().back().back(), '#');  // the late reply, logged
}

TEST_F(CacheTest, AnnouncementWithoutItsEndPausesFiftyMilliseconds) {
  StartWith({});
  EXPECT_EQ(timed([&] { cache().Received("Updating Planetary Data"); }), 50);
  EXPECT_EQ(timed([&] { cache().Received("Updating Planetary Data #"); }), 0);
}

TEST_F(CacheTest, LateReplyIsLoggedAndTheNextCommandStartsClean) {
  sim::ControllerOptions late;
  late.lateReplyMs = 1500;
  StartWith(late, "Offline");
  app.main().ConnectedPort = 1;
  cache().SetPort(1);
  EXPECT_EQ(cache().SendCommand(":GV#", true), "");
  app.Advance(1000);
  std::string logged;
  for (const std::string& chunk : cache().InCache->items()) logged += chunk;
  EXPECT_EQ(logged, "324#");
  EXPECT_EQ(cache().SendCommand(":GV#", true).substr(0, 0), "");
}

TEST_F(CacheTest, SetPortNamesTheDeviceAndClosePortReportsWhatItDid) {
  StartWith({}, "Offline");
  EXPECT_FALSE(cache().ClosePort());
  EXPECT_FALSE(cache().SetPort(3));  // nothing behind COM3
  EXPECT_EQ(cache().Comm1.DeviceName(), "Com3");
  EXPECT_TRUE(cache().SetPort(1));
  EXPECT_EQ(cache().Comm1.DeviceName(), "Com1");
  EXPECT_TRUE(cache().ClosePort());
}

}  // namespace
}  // namespace orvane
