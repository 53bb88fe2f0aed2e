// The serial port component on a real pseudo-terminal made here, with the headless
// backend: this thread is the user-interface thread and pumps events in bounded loops.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "link/Comm.h"
#include "link/PosixSerialDevice.h"
#include "link/PosixSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "persistence/TempHome.h"
#include "ui/headless/HeadlessBackend.h"
#include "RealTimePump.h"

namespace orvane {
namespace {

using namespace std::chrono_literals;

// Generous real-time bounds for conditions that normally hold within milliseconds.
using test::kPatience;

// The controller's side of the line: the master of a fresh pseudo-terminal.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) == 0) slave_ = name;
  }
  ~PseudoTerminal() { closeMaster(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool ready() const { return master_ >= 0 && !slave_.empty(); }
  const std::string& slavePath() const { return slave_; }
  int master() const { return master_; }
  void closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  void send(const std::string& bytes) const {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the program sent, waiting until count bytes have come (or the patience ran out).
  std::string receive(std::size_t count) const {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (text.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd readable{master_, POLLIN, 0};
      if (::poll(&readable, 1, 100) <= 0) continue;
      char buffer[256];
      const ssize_t got = ::read(master_, buffer, sizeof buffer);
      if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }

 private:
  int master_ = -1;
  std::string slave_;
};

// Threads of this process now.
int ThreadCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
    ++count;
  return count;
}

class PtyCommTest : public ::testing::Test {
 protected:
  PtyCommTest() {
    comm.SetDeviceName(terminal.slavePath());
    comm.SetMonitorEvents({TCommEventType::evRxChar});
    comm.SetFlowControl(TFlowControl::fcNone);
    comm.SetReadBufSize(60);
    comm.SetWriteBufSize(60);
    comm.OnRxChar = [this](TThreadComm& sender, std::uint32_t count) {
      ++rxEvents;
      if (std::this_thread::get_id() != guiThread) ++offGuiThreadEvents;
      std::string chunk(count, '\0');
      const int read = sender.Read(chunk.data(), static_cast<int>(count));
      received.append(chunk, 0, static_cast<std::size_t>(std::max(read, 0)));
    };
  }
  void SetUp() override {
    ASSERT_TRUE(terminal.ready()) << "no pseudo-terminal: " << std::strerror(errno);
    // A sanitizer may start a helper thread of its own with the first thread; let that
    // happen before the count is taken.
    std::thread([] {}).join();
    baselineThreads = ThreadCount();
  }

  // The port is watched by this thread's own event loop: no thread is left after Close.
  void TearDown() override {
    comm.Close();
    EXPECT_TRUE(WatcherEnded());
  }

  bool PumpUntil(const std::function<bool()>& done) { return test::PumpUntil(backend, done); }
  void PumpFor(int rounds) { test::PumpFor(backend, rounds); }
  // otherThreads: threads the test itself runs besides the watcher.
  bool WatcherEnded(int otherThreads = 0) {
    return PumpUntil([&] { return ThreadCount() == baselineThreads + otherThreads; });
  }

  test::TempHome home;
  PseudoTerminal terminal;
  // On the real clock: the watcher's rechecks (bytes left unread) are timers.
  ui::HeadlessBackend backend{ui::DateTime{2026, 12, 7, 21, 0, 0, 0}, 60, ui::Size{1024, 768},
                              ui::HeadlessBackend::Clock::Real};
  SettingsStore settings{SettingsStore::DefaultLocation()};
  PosixSerialDeviceFactory devices{backend, DeviceMap(settings)};
  TComm comm{backend, devices};
  const std::thread::id guiThread = std::this_thread::get_id();
  int baselineThreads = 0;
  std::string received;
  int rxEvents = 0;
  int offGuiThreadEvents = 0;
};

TEST_F(PtyCommTest, WritesAndReceivesOnTheUserInterfaceThread) {
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  EXPECT_EQ(ThreadCount(), baselineThreads);  // watched by this thread's own event loop
  // The cache manager raises RTS and DTR after opening; a pseudo-terminal has no modem
  // lines and takes that quietly.
  EXPECT_NO_THROW(comm.SetRTSState(true));
  EXPECT_NO_THROW(comm.SetDTRState(true));

  EXPECT_EQ(comm.Write(":GV#", 4), 4);
  comm.FlushBuffers();
  EXPECT_EQ(terminal.receive(4), ":GV#");

  terminal.send("324#");
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 4; }));
  EXPECT_EQ(received, "324#");
  EXPECT_GE(rxEvents, 1);
  EXPECT_EQ(offGuiThreadEvents, 0);

  comm.Close();
  EXPECT_FALSE(comm.Enabled());
  EXPECT_TRUE(WatcherEnded());
}

TEST_F(PtyCommTest, SecondOpenIsRefusedUntilTheFirstCloses) {
  comm.Open();
  ASSERT_TRUE(comm.Enabled());

  int errorCode = 0;
  EXPECT_EQ(PosixSerialDevice::Open(backend, terminal.slavePath(), errorCode), nullptr);
  EXPECT_EQ(errorCode, EBUSY);

  TComm second(backend, devices);
  second.SetDeviceName(terminal.slavePath());
  EXPECT_NO_THROW(second.Open());
  EXPECT_FALSE(second.Enabled());

  comm.Close();
  second.Open();
  EXPECT_TRUE(second.Enabled());
  second.Close();
}

// A program that is killed undoes nothing. The pseudo-terminal outlives it (a simulator, a
// network serial bridge), and nothing left on it may refuse the program started again.
TEST_F(PtyCommTest, AKilledUserLeavesThePseudoTerminalOpenable) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int errorCode = 0;
    const auto device = PosixSerialDevice::Open(backend, terminal.slavePath(), errorCode);
    if (device == nullptr) ::_exit(2);
    ::raise(SIGKILL);
    ::_exit(3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the child could not open the terminal";

  // Asked of the terminal itself: a privileged run of this test would open it anyway.
  const int descriptor =
      ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(descriptor, 0) << std::strerror(errno);
  int exclusive = -1;
  EXPECT_EQ(::ioctl(descriptor, TIOCGEXCL, &exclusive), 0);
  ::close(descriptor);
  EXPECT_EQ(exclusive, 0);

  comm.Open();
  EXPECT_TRUE(comm.Enabled());
}

TEST_F(PtyCommTest, OnlyTerminalsOpen) {
  const std::filesystem::path plainFile = home.root() / "not-a-port";
  test::TempHome::WriteFile(plainFile, "text");
  struct Case {
    std::string path;
    int error;
  };
  for (const Case& c : {Case{plainFile.string(), ENOTTY},
                        Case{(home.root() / "missing").string(), ENOENT}}) {
    int errorCode = 0;
    EXPECT_EQ(PosixSerialDevice::Open(backend, c.path, errorCode), nullptr) << c.path;
    EXPECT_EQ(errorCode, c.error) << c.path;
    comm.SetDeviceName(c.path);
    EXPECT_NO_THROW(comm.Open());
    EXPECT_FALSE(comm.Enabled());
  }
}

TEST_F(PtyCommTest, RatesWithoutATermiosSpeedRaiseTheLineSettingsError) {
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  EXPECT_NO_THROW(comm.SetBaudRate(TBaudRate::br115200));
  try {
    comm.SetBaudRate(TBaudRate::br14400);
    ADD_FAILURE() << "no error";
  } catch (const CommError& error) {
    EXPECT_STREQ(error.what(), "Error updating DataControlBlock (Error: 22)");
  }
  EXPECT_TRUE(comm.Enabled());
}

TEST_F(PtyCommTest, UnreadBytesDoNotRaiseTheEventAgainAndAgain) {
  std::vector<std::uint32_t> waiting;
  comm.OnRxChar = nullptr;
  comm.OnComStatEvent = [&](TThreadComm&, std::uint32_t, const TComStat& status) {
    waiting.push_back(status.inQueue);
  };
  comm.Open();
  terminal.send("12345");
  ASSERT_TRUE(PumpUntil([&] { return !waiting.empty(); }));
  PumpFor(100);  // a level-triggered watcher would hand over an event every round
  EXPECT_EQ(waiting.size(), 1u);
  terminal.send("6");
  ASSERT_TRUE(PumpUntil([&] { return waiting.size() >= 2; }));
  EXPECT_EQ(waiting.back(), 6u);
}

TEST_F(PtyCommTest, FarSideClosingIsReportedOnceAndTheWatcherEnds) {
  int lost = 0;
  comm.OnLost = [&](TThreadComm&) {
    ++lost;
    EXPECT_EQ(std::this_thread::get_id(), guiThread);
  };
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  terminal.send("32");
  ASSERT_TRUE(PumpUntil([&] { return received == "32"; }));

  terminal.closeMaster();
  ASSERT_TRUE(PumpUntil([&] { return lost > 0; }));
  EXPECT_TRUE(WatcherEnded());
  PumpFor(20);
  EXPECT_EQ(lost, 1);
  EXPECT_TRUE(comm.Enabled());  // the owner closes it
  EXPECT_EQ(comm.Write(":GV#", 4), 0);
  comm.Close();
  EXPECT_FALSE(comm.Enabled());
}

// A writer floods the line while the port closes: from the moment Close returns no
// handler runs, and the watcher (possibly waiting for its handed-over call) ends.
TEST_F(PtyCommTest, CloseWhileEventsArrive) {
  struct Case {
    const char* name;
    bool closeInsideHandler;
  };
  for (const Case& c : {Case{"from the event loop", false}, Case{"inside OnRxChar", true}}) {
    SCOPED_TRACE(c.name);
    PseudoTerminal line;
    ASSERT_TRUE(line.ready());
    rxEvents = 0;
    bool closed = false;
    int eventsAfterClose = 0;
    comm.SetDeviceName(line.slavePath());
    comm.OnRxChar = [&](TThreadComm& sender, std::uint32_t count) {
      if (closed) ++eventsAfterClose;
      ++rxEvents;
      std::string chunk(count, '\0');
      sender.Read(chunk.data(), static_cast<int>(count));
      if (c.closeInsideHandler && rxEvents == 5) {
        sender.Close();
        closed = true;
      }
    };
    comm.Open();
    ASSERT_TRUE(comm.Enabled());

    std::atomic<bool> stop = false;
    std::thread writer([&] {
      const std::string burst(32, 'x');
      while (!stop.load()) {
        if (::write(line.master(), burst.data(), burst.size()) < 0 && errno != EAGAIN) break;
        std::this_thread::yield();
      }
    });
    EXPECT_TRUE(PumpUntil([&] { return rxEvents >= 5; }));
    if (!c.closeInsideHandler) {
      comm.Close();
      closed = true;
    }
    EXPECT_FALSE(comm.Enabled());
    EXPECT_TRUE(WatcherEnded(1));  // the writer still runs
    PumpFor(20);
    stop = true;
    writer.join();
    EXPECT_EQ(eventsAfterClose, 0);
  }
}

TEST_F(PtyCommTest, ReopensAfterClose) {
  for (int round = 0; round < 3; ++round) {
    comm.Open();
    ASSERT_TRUE(comm.Enabled()) << round;
    terminal.send("#");
    ASSERT_TRUE(PumpUntil([&] { return received.size() == static_cast<std::size_t>(round + 1); }));
    comm.Close();
  }
  EXPECT_EQ(received, "###");
}

}  // namespace
}  // namespace orvane
