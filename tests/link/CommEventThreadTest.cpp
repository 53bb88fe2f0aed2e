// The termios event watcher on its own, with pseudo-terminals: a line that is not up yet,
// a line that goes down, and a device failure noticed by a transfer.
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "link/CommEventThread.h"
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

class CommEventThreadTest : public ::testing::Test {
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
  TCommEventThread::Handler Recorder(int fd) {
    return [this, fd](std::uint32_t mask) {
      events.push_back(mask);
      char buffer[64];
      while (::read(fd, buffer, sizeof buffer) > 0) {
      }
    };
  }

  ui::HeadlessBackend backend;
  int master = -1;
  int slave = -1;
  std::string slavePath;
  std::vector<std::uint32_t> events;
};

// The master of a pseudo-terminal reports a hang-up while its slave is closed; for a
// watcher that has not seen the line up yet that is a line not up, not a loss. Once the
// line has been up, the hang-up is a loss.
TEST_F(CommEventThreadTest, PseudoTerminalHangUpCountsOnlyAfterTheLineWasUp) {
  OpenSlave();
  ::close(slave);
  slave = -1;
  TCommEventThread watcher(backend, master, true, comm_event::kRxChar, Recorder(master));
  watcher.start();
  PumpFor(300);  // longer than a look at a line that is down
  EXPECT_TRUE(events.empty());

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

TEST_F(CommEventThreadTest, DeviceFailureNoticedByATransferIsReportedOnce) {
  OpenSlave();
  TCommEventThread watcher(backend, slave, true, comm_event::kRxChar, Recorder(slave));
  watcher.start();
  watcher.deviceFailed();
  ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
  PumpFor(20);
  EXPECT_EQ(events, std::vector<std::uint32_t>{comm_event::kLost});
  // The watcher has ended: bytes arriving now raise nothing.
  ASSERT_EQ(::write(master, "x", 1), 1);
  PumpFor(20);
  EXPECT_EQ(events.size(), 1u);
  watcher.stop();
}

TEST_F(CommEventThreadTest, StoppedWatcherHandsNothingOver) {
  OpenSlave();
  TCommEventThread watcher(backend, slave, true, comm_event::kRxChar, Recorder(slave));
  watcher.start();
  ASSERT_EQ(::write(master, "x", 1), 1);
  // Stop without processing events, once the watcher waits for its call to run.
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (backend.pendingCalls() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  ASSERT_EQ(backend.pendingCalls(), 1u);
  watcher.stop();
  PumpFor(20);
  EXPECT_TRUE(events.empty());
}

TEST_F(CommEventThreadTest, TerminatedBackendEndsTheWatcher) {
  OpenSlave();
  // A sanitizer may start a helper thread of its own with the first thread; let that
  // happen before the count is taken.
  std::thread([] {}).join();
  const int baselineThreads = ThreadCount();
  TCommEventThread watcher(backend, slave, true, comm_event::kRxChar, Recorder(slave));
  watcher.start();
  backend.terminate();
  // The bytes stay unread: a watcher that kept handing over would spin here.
  ASSERT_EQ(::write(master, "xyz", 3), 3);
  EXPECT_TRUE(PumpUntil([&] { return ThreadCount() == baselineThreads; }));
  EXPECT_TRUE(events.empty());
  watcher.stop();
}

}  // namespace
}  // namespace orvane
