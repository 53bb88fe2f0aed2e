// When the controller's bytes leave it: processing delay, 9600 baud pacing, one text after
// the other, and the faults of the sending side.
#include <gtest/gtest.h>

#include <set>

#include "SimTestSupport.h"

namespace orvane::sim {
namespace {

using testing::bytesOf;
using testing::fixedOptions;

constexpr double kByte = 10.0 * 1000.0 / 9600.0;

TEST(ControllerTiming, ReplyStartsAfterTheDelayAndTakesOneByteTimePerByte) {
  SimulatedController controller(fixedOptions());
  std::vector<Output> out = controller.receive(":GV#", 100);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes, "324#");
  EXPECT_DOUBLE_EQ(out[0].atMs, 105);
  EXPECT_NEAR(out[0].msPerByte, 1.0417, 1e-4);
  EXPECT_NEAR(out[0].endMs(), 105 + 4 * kByte, 1e-9);
  EXPECT_EQ(out[0].bytesSentBy(105 + kByte - 0.01), 0u);
  EXPECT_EQ(out[0].bytesSentBy(105 + kByte), 1u);
  EXPECT_EQ(out[0].bytesSentBy(105 + 3.5 * kByte), 3u);
  EXPECT_EQ(out[0].bytesSentBy(200), 4u);
}

TEST(ControllerTiming, RepliesQueueOnTheLineOneAfterTheOther) {
  SimulatedController controller(fixedOptions());
  std::vector<Output> out = controller.receive(":GV#:GR#", 100);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_NEAR(out[1].atMs, out[0].endMs(), 1e-9);
  // A command arriving while the line is still busy waits for it too.
  std::vector<Output> later = controller.receive(":GB#", 106);
  ASSERT_EQ(later.size(), 1u);
  EXPECT_NEAR(later[0].atMs, out[1].endMs(), 1e-9);
}

TEST(ControllerTiming, WithoutPacingAWholeReplyLeavesAtOnce) {
  ControllerOptions options = fixedOptions();
  options.paceAtLineRate = false;
  SimulatedController controller(options);
  std::vector<Output> out = controller.receive(":GD#", 100);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_DOUBLE_EQ(out[0].endMs(), 105);
  EXPECT_EQ(out[0].bytesSentBy(105), out[0].bytes.size());
}

TEST(ControllerTiming, LateRepliesComeAfterTheExtraDelay) {
  ControllerOptions options = fixedOptions();
  options.lateReplyMs = 1500;
  SimulatedController controller(options);
  std::vector<Output> out = controller.receive(":GV#", 100);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_DOUBLE_EQ(out[0].atMs, 1605);
}

TEST(ControllerTiming, SplitRepliesComeInPiecesWithSilenceBetween) {
  ControllerOptions options = fixedOptions();
  options.splitPieces = 3;
  options.splitGapMs = 30;
  SimulatedController controller(options);
  std::vector<Output> out = controller.receive(":GD#", 0);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].bytes, "+90:");
  EXPECT_EQ(out[1].bytes, "00:");
  EXPECT_EQ(out[2].bytes, "00#");
  EXPECT_NEAR(out[1].atMs, out[0].endMs() + 30, 1e-9);
  EXPECT_NEAR(out[2].atMs, out[1].endMs() + 30, 1e-9);
  // A reply shorter than the number of pieces goes byte by byte.
  EXPECT_EQ(controller.receive(":GB#", 1000).size(), 2u);
}

TEST(ControllerTiming, EchoSendsBackEveryByteAtOnceAndNothingElse) {
  ControllerOptions options = fixedOptions();
  options.echo = true;
  options.announceEveryMs = 100;
  SimulatedController controller(options);
  std::vector<Output> out = controller.receive(":GV#", 50);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes, ":GV#");
  EXPECT_DOUBLE_EQ(out[0].atMs, 50);
  EXPECT_EQ(bytesOf(controller.receive(std::string(1, '\x06') + ":G", 60)), "\x06:G");
  EXPECT_TRUE(controller.poll(1000).empty());
}

TEST(ControllerTiming, SilentControllerSendsNothingAtAll) {
  ControllerOptions options = fixedOptions();
  options.silent = true;
  options.announceEveryMs = 100;
  SimulatedController controller(options);
  for (const char* command : {":GV#", ":GR#", ":P#", "\x06", ":SC12/06/02#", ":OR#"}) {
    EXPECT_TRUE(controller.receive(command, 10).empty()) << command;
  }
  EXPECT_TRUE(controller.poll(1000).empty());
}

TEST(ControllerTiming, GarbageReplacesRepliesWithRandomBytesOfTheSameLength) {
  ControllerOptions options = fixedOptions();
  options.garbage = true;
  SimulatedController controller(options);
  std::set<std::string> seen;
  for (int i = 0; i < 5; ++i) {
    std::string reply = bytesOf(controller.receive(":GV#", 10.0 * i));
    EXPECT_EQ(reply.size(), 4u);
    EXPECT_NE(reply, "324#");
    seen.insert(reply);
  }
  EXPECT_GT(seen.size(), 1u);
  // Commands without an answer stay without one.
  EXPECT_TRUE(controller.receive(":Mn#", 100).empty());
}

TEST(ControllerTiming, UnpluggedLineCarriesNothingAfterItsTime) {
  ControllerOptions options = fixedOptions();
  options.unplugAtMs = 1000;
  SimulatedController controller(options);
  EXPECT_EQ(bytesOf(controller.receive(":GV#", 900)), "324#");
  // Starts at 997: two bytes leave before 1000, the rest never.
  EXPECT_EQ(bytesOf(controller.receive(":GV#", 992)), "32");
  EXPECT_TRUE(controller.receive(":GV#", 996).empty());
  EXPECT_FALSE(controller.unplugged(999.9));
  EXPECT_TRUE(controller.unplugged(1000));
  EXPECT_TRUE(controller.receive(":GV#", 1200).empty());
  // Nothing received after the drop either: the command is not logged.
  EXPECT_EQ(controller.commandLog().size(), 3u);
}

TEST(ControllerTiming, AReplugBringsTheLineBack) {
  ControllerOptions options = fixedOptions();
  options.unplugAtMs = 1000;
  options.replugAfterMs = 500;
  SimulatedController controller(options);
  EXPECT_TRUE(controller.unplugged(1499));
  EXPECT_TRUE(controller.receive(":GV#", 1200).empty());
  EXPECT_FALSE(controller.unplugged(1500));
  EXPECT_EQ(bytesOf(controller.receive(":GV#", 1600)), "324#");
}

TEST(ControllerTiming, StrictCountsCommandsThatArriveWhileAReplyIsOwed) {
  ControllerOptions options = fixedOptions();
  options.strict = true;
  SimulatedController controller(options);
  std::vector<std::string> reported;
  controller.setBreachObserver([&](const std::string& text) { reported.push_back(text); });
  // ":GR#" at 100 is answered from 105 to about 114.4.
  controller.receive(":GR#", 100);
  controller.receive(":GD#", 110);  // too early: a breach
  controller.receive(":Q#", 111);   // a stop may come at any time
  controller.receive(":Qe#", 112);
  EXPECT_EQ(controller.breaches(), 1);
  EXPECT_EQ(controller.stopsDuringReplies(), 2);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].find(":GD#"), std::string::npos);
  EXPECT_NE(reported[0].find(":GR#"), std::string::npos);
  // After the last reply byte (":GD#" queued behind ":GR#") everything is in turn; so
  // are commands without a reply written back to back.
  controller.receive(":GV#", 200);
  controller.receive(":Sw5#", 300);
  controller.receive(":Mn#", 300.5);
  EXPECT_EQ(controller.breaches(), 1);
}

TEST(ControllerTiming, AnnouncementsComeWholeAndInTwoPartsByTurns) {
  ControllerOptions options = fixedOptions();
  options.announceEveryMs = 1000;
  SimulatedController controller(options);
  EXPECT_DOUBLE_EQ(controller.nextUnsolicitedMs(), 1000);
  EXPECT_TRUE(controller.poll(999).empty());

  std::vector<Output> first = controller.poll(1000);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].bytes, "Updating Planetary Data #");
  EXPECT_DOUBLE_EQ(first[0].atMs, 1000);
  EXPECT_DOUBLE_EQ(controller.nextUnsolicitedMs(), 2000);

  std::vector<Output> second = controller.poll(2500);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].bytes, "Updating Planetary Data");
  EXPECT_EQ(second[0].bytes.find(" #"), std::string::npos);
  EXPECT_EQ(second[1].bytes, " #");
  EXPECT_NEAR(second[1].atMs, second[0].endMs() + 20, 1e-9);
}

TEST(ControllerTiming, AnnouncementWaitsForAReplyOnTheLine) {
  ControllerOptions options = fixedOptions();
  options.announceEveryMs = 1000;
  SimulatedController controller(options);
  std::vector<Output> reply = controller.receive(":GD#", 990);
  std::vector<Output> announcement = controller.poll(1000);
  ASSERT_EQ(announcement.size(), 1u);
  EXPECT_NEAR(announcement[0].atMs, reply.back().endMs(), 1e-9);
  // The next reply follows the announcement.
  std::vector<Output> next = controller.receive(":GV#", 1001);
  EXPECT_NEAR(next[0].atMs, announcement[0].endMs(), 1e-9);
}

TEST(ControllerTiming, ReceiveAlsoDeliversAnnouncementsThatFellDue) {
  ControllerOptions options = fixedOptions();
  options.announceEveryMs = 1000;
  SimulatedController controller(options);
  std::string bytes = bytesOf(controller.receive(":GV#", 1500));
  EXPECT_EQ(bytes, "Updating Planetary Data #324#");
}

TEST(ControllerTiming, AfterALongPauseOnlyTheLatestAnnouncementIsSent) {
  ControllerOptions options = fixedOptions();
  options.announceEveryMs = 100;
  SimulatedController controller(options);
  std::string bytes = bytesOf(controller.poll(10050));
  EXPECT_LE(bytes.size(), std::string("Updating Planetary Data #").size());
  EXPECT_DOUBLE_EQ(controller.nextUnsolicitedMs(), 10100);
}

TEST(ControllerTiming, NoUnsolicitedOutputWithoutAnnouncements) {
  SimulatedController controller(fixedOptions());
  EXPECT_TRUE(std::isinf(controller.nextUnsolicitedMs()));
  EXPECT_TRUE(controller.poll(1e9).empty());
}

}  // namespace
}  // namespace orvane::sim
