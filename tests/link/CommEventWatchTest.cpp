// The termios event watch on its own, with pseudo-terminals: a line that is not up yet,
// a line that goes down, a device failure noticed by a transfer, and handlers that wait
// for events or end the watch. The backend runs on the real clock: the watch's rechecks
// are its timers.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/CommEventWatch.h"
#include "link/SerialDevice.h"
#include "ui/headless/HeadlessBackend.h"
#include "RealTimePump.h"

namespace orvane {
namespace {

using namespace std::chrono_literals;

using test::kPatience;

int ThreadCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
    ++count;
  return count;
}

class CommEventWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    char name[128] = {};
    ASSERT_EQ(::ptsname_r(master, name, sizeof name), 0);
    slavePath = name;
  }
  // Opens the slave in raw mode, as a serial device is used.
  void OpenSlave() {
    slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(slave, 0);
    termios raw{};
    ASSERT_EQ(::tcgetattr(slave, &raw), 0);
    ::cfmakeraw(&raw);
    ASSERT_EQ(::tcsetattr(slave, TCSANOW, &raw), 0);
  }
  void TearDown() override {
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
  }

  bool PumpUntil(const std::function<bool()>& done) { return test::PumpUntil(backend, done); }
  void PumpFor(int rounds) { test::PumpFor(backend, rounds); }
  int Count(std::uint32_t event) const {
    int count = 0;
    for (std::uint32_t mask : events) count += (mask & event) != 0 ? 1 : 0;
    return count;
  }
  // Records each event; received bytes are read from fd so that they do not come again.
  TCommEventWatch::Handler Recorder(int fd) {
    return [this, fd](std::uint32_t mask) {
      events.push_back(mask);
      char buffer[64];
      while (::read(fd, buffer, sizeof buffer) > 0) {
      }
    };
  }

  ui::HeadlessBackend backend{ui::DateTime{2026, 12, 7, 21, 0, 0, 0}, 60, ui::Size{1024, 768},
                              ui::HeadlessBackend::Clock::Real};
  int master = -1;
  int slave = -1;
  std::string slavePath;
  std::vector<std::uint32_t> events;
};

// The master of a pseudo-terminal reports a hang-up while its slave is closed; for a
// watcher that has not seen the line up yet that is a line not up, not a loss. Once the
// line has been up, the hang-up is a loss.
TEST_F(CommEventWatchTest, PseudoTerminalHangUpCountsOnlyAfterTheLineWasUp) {
  OpenSlave();
  ::close(slave);
  slave = -1;
  std::thread([] {}).join();  // a sanitizer's helper thread starts with the first thread
  const int baselineThreads = ThreadCount();
  TCommEventWatch watcher(backend, master, true, comm_event::kRxChar, Recorder(master));
  watcher.start();
  PumpFor(300);  // longer than a look at a line that is down
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(ThreadCount(), baselineThreads);  // watched by this thread's own event loop

  OpenSlave();
  ASSERT_EQ(::write(slave, "ab", 2), 2);
  ASSERT_TRUE(PumpUntil([&] { return Count(comm_event::kRxChar) > 0; }));

  ::close(slave);
  slave = -1;
  ASSERT_TRUE(PumpUntil([&] { return Count(comm_event::kLost) > 0; }));
  PumpFor(20);
  EXPECT_EQ(Count(comm_event::kLost), 1);
  EXPECT_EQ(events.back(), comm_event::kLost);
  watcher.stop();
}

TEST_F(CommEventWatchTest, DeviceFailureNoticedByATransferIsReportedOnce) {
  OpenSlave();
  TCommEventWatch watcher(backend, slave, true, comm_event::kRxChar, Recorder(slave));
  watcher.start();
  watcher.deviceFailed();
  EXPECT_TRUE(events.empty());  // among the events processed next, not from the transfer
  ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
  PumpFor(20);
  EXPECT_EQ(events, std::vector<std::uint32_t>{comm_event::kLost});
  // The watcher has ended: bytes arriving now raise nothing.
  ASSERT_EQ(::write(master, "x", 1), 1);
  PumpFor(20);
  EXPECT_EQ(events.size(), 1u);
  watcher.stop();
}

TEST_F(CommEventWatchTest, StoppedWatcherHandsNothingOver) {
  OpenSlave();
  TCommEventWatch watcher(backend, slave, true, comm_event::kRxChar, Recorder(slave));
  watcher.start();
  ASSERT_EQ(::write(master, "x", 1), 1);
  // Stop without processing events, once the byte waits.
  pollfd waiting{slave, POLLIN, 0};
  ASSERT_EQ(::poll(&waiting, 1, static_cast<int>(kPatience.count() * 1000)), 1);
  watcher.stop();
  PumpFor(20);
  EXPECT_TRUE(events.empty());
}

TEST_F(CommEventWatchTest, TerminatedBackendEndsTheWatcher) {
  OpenSlave();
  TCommEventWatch watcher(backend, slave, true, comm_event::kRxChar, Recorder(slave));
  watcher.start();
  backend.terminate();
  // The bytes stay unread: a watch that kept reporting them would be called every round.
  ASSERT_EQ(::write(master, "xyz", 3), 3);
  PumpFor(50);
  EXPECT_TRUE(events.empty());
  watcher.stop();
}

// A handler that lets events run before it reads (a wait inside it) is not called again
// from inside that wait; a failure it notices is reported after it has returned.
TEST_F(CommEventWatchTest, HandlerWaitingForEventsIsNotEnteredTwice) {
  OpenSlave();
  int depth = 0;
  int deepest = 0;
  std::unique_ptr<TCommEventWatch> watcher;
  watcher = std::make_unique<TCommEventWatch>(
      backend, slave, true, comm_event::kRxChar, [&](std::uint32_t mask) {
        ++depth;
        deepest = std::max(deepest, depth);
        events.push_back(mask);
        if (mask == comm_event::kRxChar) {
          if (Count(comm_event::kRxChar) == 2) watcher->deviceFailed();
          PumpFor(30);
          char buffer[64];
          while (::read(slave, buffer, sizeof buffer) > 0) {
          }
        }
        --depth;
      });
  watcher->start();
  for (const char* chunk : {"ab", "cd"}) {
    ASSERT_EQ(::write(master, chunk, 2), 2);
    const int before = Count(comm_event::kRxChar);
    ASSERT_TRUE(PumpUntil([&] { return Count(comm_event::kRxChar) > before; }));
  }
  ASSERT_TRUE(PumpUntil([&] { return Count(comm_event::kLost) > 0; }));
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(events, (std::vector<std::uint32_t>{comm_event::kRxChar, comm_event::kRxChar,
                                                 comm_event::kLost}));
}

// The handler may end the watch itself (closing the device does): nothing of it is touched
// afterwards, and the bytes still coming raise nothing.
TEST_F(CommEventWatchTest, HandlerMayDestroyTheWatch) {
  OpenSlave();
  std::unique_ptr<TCommEventWatch> watcher;
  auto record = Recorder(slave);
  watcher = std::make_unique<TCommEventWatch>(backend, slave, true, comm_event::kRxChar,
                                              [&](std::uint32_t mask) {
                                                record(mask);
                                                watcher.reset();
                                              });
  watcher->start();
  ASSERT_EQ(::write(master, "a", 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return watcher == nullptr; }));
  ASSERT_EQ(::write(master, "b", 1), 1);
  PumpFor(20);
  EXPECT_EQ(events, std::vector<std::uint32_t>{comm_event::kRxChar});
}

}  // namespace
}  // namespace orvane
