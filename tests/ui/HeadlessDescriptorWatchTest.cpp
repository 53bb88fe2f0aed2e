// Watched sockets on the headless backend: in virtual time bytes written on the same thread
// are seen at the next round of event processing; in real time a wait for messages ends as
// soon as a watched socket is ready, and also when another thread hands a call over; a
// handler may end its own watch, even one ready both ways.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "ui/DescriptorWatch.h"
#include "ui/Timer.h"
#include "ui/headless/HeadlessBackend.h"

namespace orvane::ui {
namespace {

using Clock = std::chrono::steady_clock;

struct SocketPair {
  int ends[2] = {-1, -1};
  SocketPair() { ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends); }
  ~SocketPair() {
    for (int end : ends) {
      if (end >= 0) ::close(end);
    }
  }
};

// A backend on the computer's clock that waits for real.
HeadlessBackend RealTimeBackend() {
  return HeadlessBackend(DateTime{2026, 12, 7, 21, 0, 0, 0}, 60, Size{1024, 768},
                         HeadlessBackend::Clock::Real);
}

TEST(HeadlessDescriptorWatchTest, BytesAreSeenAtTheNextRoundInVirtualTime) {
  HeadlessBackend backend;
  SocketPair pair;
  ASSERT_GE(pair.ends[0], 0);
  DescriptorWatch watch(backend, pair.ends[0]);
  std::string received;
  watch.onReadable = [&](DescriptorWatch& w) {
    char buffer[16];
    const ssize_t got = ::read(w.descriptor(), buffer, sizeof buffer);
    if (got > 0) received.append(buffer, static_cast<size_t>(got));
  };
  backend.processMessages();
  EXPECT_EQ(received, "");
  ASSERT_EQ(::write(pair.ends[1], "ab", 2), 2);
  const long long before = backend.nowMs();
  backend.processMessages();
  EXPECT_EQ(received, "ab");
  EXPECT_EQ(backend.nowMs(), before);
}

TEST(HeadlessDescriptorWatchTest, ARealTimeWaitEndsOnAReadySocketOrAHandedOverCall) {
  HeadlessBackend backend = RealTimeBackend();
  SocketPair pair;
  ASSERT_GE(pair.ends[0], 0);
  DescriptorWatch watch(backend, pair.ends[0]);
  bool readable = false;
  watch.onReadable = [&](DescriptorWatch& w) {
    char byte;
    while (::read(w.descriptor(), &byte, 1) == 1) {
    }
    readable = true;
  };
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    [[maybe_unused]] ssize_t written = ::write(pair.ends[1], "x", 1);
  });
  auto start = Clock::now();
  for (int i = 0; i < 4 && !readable; ++i) backend.waitForMessages(5000);
  writer.join();
  EXPECT_TRUE(readable);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));  // not the whole wait

  bool called = false;
  std::thread caller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    backend.runOnGuiThread([&] { called = true; });
  });
  start = Clock::now();
  for (int i = 0; i < 4 && !called; ++i) backend.waitForMessages(5000);
  caller.join();
  EXPECT_TRUE(called);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));  // not the whole wait
}

TEST(HeadlessDescriptorWatchTest, ARealTimeWaitOnQuietSocketsEndsWhenATimerFallsDue) {
  HeadlessBackend backend = RealTimeBackend();
  SocketPair pair;
  ASSERT_GE(pair.ends[0], 0);
  DescriptorWatch watch(backend, pair.ends[0]);
  watch.onReadable = [](DescriptorWatch&) {};
  Timer timer(backend, 80);
  int ticks = 0;
  timer.onTimer = [&](Timer&) { ++ticks; };
  const auto start = Clock::now();
  for (int i = 0; i < 10 && ticks == 0; ++i) backend.waitForMessages(5000);
  EXPECT_EQ(ticks, 1);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(79));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));  // not the whole wait
}

TEST(HeadlessDescriptorWatchTest, AHandlerThatWaitsItselfLeavesTheOtherSocketsToTheInnerWait) {
  // A reply awaited inside a client's handler: the inner wait serves the other ready
  // socket, and the outer look, which saw it ready too, does not hand its bytes on twice.
  HeadlessBackend backend = RealTimeBackend();
  SocketPair client;
  SocketPair port;
  ASSERT_GE(client.ends[0], 0);
  ASSERT_GE(port.ends[0], 0);
  DescriptorWatch clientWatch(backend, client.ends[0]);
  DescriptorWatch portWatch(backend, port.ends[0]);
  std::string fromPort;
  int portReads = 0;
  portWatch.onReadable = [&](DescriptorWatch& w) {
    char buffer[16];
    const ssize_t got = ::read(w.descriptor(), buffer, sizeof buffer);
    if (got > 0) {
      fromPort.append(buffer, static_cast<size_t>(got));
      ++portReads;
    }
  };
  int clientReads = 0;
  clientWatch.onReadable = [&](DescriptorWatch& w) {
    char buffer[16];
    if (::read(w.descriptor(), buffer, sizeof buffer) <= 0) return;
    ++clientReads;
    for (int i = 0; i < 10 && fromPort.empty(); ++i) backend.waitForMessages(1000);
  };
  ASSERT_EQ(::write(port.ends[1], "12:00:00#", 9), 9);
  ASSERT_EQ(::write(client.ends[1], ":GR#", 4), 4);
  backend.waitForMessages(1000);
  backend.waitForMessages(50);
  EXPECT_EQ(clientReads, 1);
  EXPECT_EQ(portReads, 1);
  EXPECT_EQ(fromPort, "12:00:00#");
}

TEST(HeadlessDescriptorWatchTest, AHandlerMayEndItsWatchWhileTheSocketIsReadyBothWays) {
  HeadlessBackend backend;
  SocketPair pair;
  ASSERT_GE(pair.ends[0], 0);
  auto watch = std::make_unique<DescriptorWatch>(backend, pair.ends[0]);
  watch->setWatchWriting(true);
  int reads = 0;
  int writes = 0;
  watch->onReadable = [&](DescriptorWatch&) {
    ++reads;
    watch.reset();
  };
  watch->onWritable = [&](DescriptorWatch&) { ++writes; };
  ASSERT_EQ(::write(pair.ends[1], "x", 1), 1);
  backend.processMessages();
  backend.processMessages();
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(writes, 0);
  EXPECT_EQ(watch, nullptr);
}

}  // namespace
}  // namespace orvane::ui
