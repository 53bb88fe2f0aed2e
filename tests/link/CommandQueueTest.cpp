// The command queue's own timer and the waits of its callers: a completion that runs a
// command of its own from the queue's tick, and waits that end on the queue's timer.
#include "link/CommandQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Timer.h"
#include "ui/headless/HeadlessBackend.h"

namespace orvane {
namespace {

// A line to a controller that takes everything in and answers only what it is told to.
class QuietWire : public CommandWire {
 public:
  std::vector<std::string> written;
  bool PutOnLine(const std::string& command) override {
    written.push_back(command);
    return true;
  }
  void DiscardStaleInput() override {}
  double MsOnLine(std::size_t bytes) const override { return static_cast<double>(bytes); }
};

class CommandQueueTest : public ::testing::Test {
 protected:
  ui::HeadlessBackend backend;
  QuietWire wire;
  CommandQueue queue{backend, wire};
  // Ends a test that would otherwise wait for ever: the program closes, every wait ends.
  ui::Timer giveUp{backend, 60000};

  void SetUp() override {
    giveUp.onTimer = [this](ui::Timer&) { backend.terminate(); };
  }
  static CommandRequest read(const std::string& command, int timeoutMs) {
    CommandRequest request;
    request.command = command;
    request.wantsReply = true;
    request.replyTimeoutMs = timeoutMs;
    return request;
  }
};

TEST_F(CommandQueueTest, ACompletionThatRunsACommandFromTheQueuesTickGetsItsTimeOut) {
  // The first command ends on the queue's timer (its pause after the write); its completion
  // runs a read that the controller never answers, inside that timer's handler, where the
  // timer cannot tick again.
  CommandResult nested;
  long long nestedEndedAt = -1;
  CommandRequest first;
  first.command = ":Q#";
  first.done = [&](const CommandResult& ended) {
    EXPECT_EQ(ended.outcome, CommandOutcome::Sent);
    nested = queue.Run(read(":GR#", 500));
    nestedEndedAt = backend.nowMs();
  };
  queue.Submit(first);
  backend.runUntil([&] { return nestedEndedAt >= 0; }, 70000);
  ASSERT_FALSE(backend.terminated()) << "the nested read never ended";
  EXPECT_EQ(nested.outcome, CommandOutcome::NoReply);
  EXPECT_TRUE(nested.written);
  EXPECT_EQ(wire.written, (std::vector<std::string>{":Q#", ":GR#"}));
  // The write of ":Q#", its pause, then ":GR#", its pause and its time-out.
  EXPECT_GE(nestedEndedAt, 3 + CommandQueue::kPauseAfterCommandMs + 4 + 500);
  EXPECT_LE(nestedEndedAt, 3 + CommandQueue::kPauseAfterCommandMs + 4 +
                               CommandQueue::kPauseAfterCommandMs + 500 + 10);
  EXPECT_TRUE(queue.Idle());
}

TEST_F(CommandQueueTest, RunsBackToBackEachEndingOnItsReplyOrItsTimeOut) {
  // Replies come in the middle of the waits, as the receiving side hands them over.
  ui::Timer replies(backend, 20);
  replies.onTimer = [&](ui::Timer&) {
    if (!queue.AwaitingReply() || !queue.PartialReply().empty()) return;
    const std::string* command = queue.RunningCommand();
    if (command != nullptr && *command == ":GR#") queue.ReplyPiece("12:34:56#");
  };
  const CommandResult answered = queue.Run(read(":GR#", 1000));
  const long long answeredAt = backend.nowMs();
  const CommandResult silent = queue.Run(read(":GD#", 300));
  const long long silentAt = backend.nowMs();
  EXPECT_EQ(answered.outcome, CommandOutcome::Replied);
  EXPECT_EQ(answered.reply, "12:34:56#");
  // The reply came within the pause: the command ends with the pause.
  EXPECT_LE(answeredAt, 4 + CommandQueue::kPauseAfterCommandMs + 2);
  EXPECT_EQ(silent.outcome, CommandOutcome::NoReply);
  EXPECT_GE(silentAt - answeredAt, 300);
  EXPECT_LE(silentAt - answeredAt, 4 + CommandQueue::kPauseAfterCommandMs + 300 + 10);
  EXPECT_FALSE(backend.terminated());
}

}  // namespace
}  // namespace orvane
