// End to end: the orvane-sim program as a separate process on a pseudo-terminal, driven
// through its link like a serial port. Every wait is bounded.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/HeadlessApp.h"
#include "support/SimulatorProcess.h"

namespace orvane::sim {
namespace {

namespace fs = std::filesystem;
using orvane::testing::SimulatorProcess;
using Clock = std::chrono::steady_clock;

constexpr int kStartTimeoutMs = 15000;
constexpr int kReplyTimeoutMs = 5000;

int remainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long long>(0, left.count()));
}

// Opens the device behind the link as the program would; raw when asked.
int openDevice(const fs::path& link, bool makeRaw) {
  int fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0 && makeRaw) {
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
  }
  return fd;
}

// Reads until count bytes have come or the time runs out.
std::string readBytes(int fd, std::size_t count, int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string bytes;
  while (bytes.size() < count) {
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, remainingMs(deadline)) <= 0) break;
    char buffer[256];
    ssize_t got = read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
    if (got <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

std::string ask(int fd, const std::string& command, std::size_t replyLength) {
  if (write(fd, command.data(), command.size()) != static_cast<ssize_t>(command.size())) return "";
  return readBytes(fd, replyLength, kReplyTimeoutMs);
}

class SimulatorProgram : public ::testing::Test {
 protected:
  fs::path link() const { return environment_.root() / "ttyOrvane"; }

  orvane::testing::TempEnvironment environment_;
};

TEST_F(SimulatorProgram, AnswersTheVersionOnItsLinkAndRemovesTheLinkOnSigterm) {
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM, {"--link", link().string()});
  ASSERT_TRUE(simulator.started());
  ASSERT_TRUE(simulator.waitForOutput("ready", kStartTimeoutMs)) << simulator.output();
  EXPECT_TRUE(fs::is_symlink(link()));

  int fd = openDevice(link(), true);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ask(fd, ":GV#", 4), "324#");
  close(fd);

  ASSERT_EQ(kill(simulator.pid(), SIGTERM), 0);
  EXPECT_EQ(simulator.waitForExit(kStartTimeoutMs), 0) << simulator.output();
  EXPECT_FALSE(fs::exists(fs::symlink_status(link())));
}

TEST_F(SimulatorProgram, DeviceIsRawBeforeTheProgramSetsItUp) {
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM,
                             {"--link", link().string(), "--level", "2", "--version", "17"});
  ASSERT_TRUE(simulator.waitForOutput("ready", kStartTimeoutMs)) << simulator.output();
  int fd = openDevice(link(), false);
  ASSERT_GE(fd, 0);
  termios settings{};
  ASSERT_EQ(tcgetattr(fd, &settings), 0);
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(settings.c_iflag & (ICRNL | IXON), 0u);
  EXPECT_EQ(settings.c_oflag & OPOST, 0u);
  EXPECT_EQ(ask(fd, ":GV#", 4), "217#");
  EXPECT_EQ(ask(fd, ":Gg#", 8),
            "+349\xDF"
            "46#");
  close(fd);
}

TEST_F(SimulatorProgram, KeepsServingAfterTheDeviceIsClosedWithoutBusyLooping) {
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM, {"--link", link().string(), "--log"});
  ASSERT_TRUE(simulator.waitForOutput("ready", kStartTimeoutMs)) << simulator.output();
  int fd = openDevice(link(), true);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ask(fd, ":GV#", 4), "324#");
  close(fd);
  ASSERT_TRUE(simulator.waitForOutput("the device was closed", kReplyTimeoutMs))
      << simulator.output();

  // Half a second with nobody on the line: a loop spinning on the hangup would use all of
  // it (50 ticks, still a dozen on a loaded machine); waiting costs next to nothing.
  long before = simulator.cpuTicks();
  simulator.waitForOutput("never printed", 500);
  EXPECT_LE(simulator.cpuTicks() - before, 3);

  fd = openDevice(link(), true);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ask(fd, ":GV#", 4), "324#");
  close(fd);
  EXPECT_TRUE(simulator.waitForOutput("<- :GV#", kReplyTimeoutMs));
}

TEST_F(SimulatorProgram, BootModeHandshakeOverTheLine) {
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM,
                             {"--link", link().string(), "--boot-mode", "--no-pacing"});
  ASSERT_TRUE(simulator.waitForOutput("ready", kStartTimeoutMs)) << simulator.output();
  int fd = openDevice(link(), true);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ask(fd, std::string(1, '\x06'), 2), "b#");
  EXPECT_EQ(ask(fd, "bW#", 0), "");
  EXPECT_EQ(ask(fd, ":GV#", 4), "324#");
  close(fd);
}

TEST_F(SimulatorProgram, UnplugHangsUpTheProgramsSide) {
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM,
                             {"--link", link().string(), "--unplug-after", "2000"});
  ASSERT_TRUE(simulator.waitForOutput("ready", kStartTimeoutMs)) << simulator.output();
  int fd = openDevice(link(), true);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ask(fd, ":GV#", 4), "324#");
  auto deadline = Clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  bool hungUp = false;
  while (!hungUp && remainingMs(deadline) > 0) {
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, remainingMs(deadline)) <= 0) break;
    char byte;
    hungUp = (waiting.revents & POLLHUP) != 0 || read(fd, &byte, 1) <= 0;
  }
  EXPECT_TRUE(hungUp);
  close(fd);
  EXPECT_TRUE(simulator.waitForOutput("line dropped", kReplyTimeoutMs));
  // The device's link goes with it: left behind, it would lead to whatever terminal gets the
  // freed number next (another simulator's, another program's).
  EXPECT_FALSE(fs::exists(fs::symlink_status(link())));
  // Still running until told to stop.
  ASSERT_EQ(kill(simulator.pid(), SIGINT), 0);
  EXPECT_EQ(simulator.waitForExit(kStartTimeoutMs), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link())));
}

TEST_F(SimulatorProgram, AReplugServesAgainOnANewDeviceBehindTheLink) {
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM, {"--link", link().string(), "--unplug-after",
                                                  "300", "--replug-after", "200", "--no-pacing"});
  ASSERT_TRUE(simulator.waitForOutput("ready", kStartTimeoutMs)) << simulator.output();
  ASSERT_TRUE(simulator.waitForOutput("line back on", kStartTimeoutMs)) << simulator.output();
  EXPECT_NE(simulator.output().find("line dropped"), std::string::npos);
  // The freed terminal number may be given out again, as an adapter gets its old name.
  EXPECT_NE(simulator.output().find("line back on " + fs::read_symlink(link()).string()),
            std::string::npos);
  int fd = openDevice(link(), true);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ask(fd, ":GV#", 4), "324#");
  close(fd);
}

TEST_F(SimulatorProgram, StrictReportsACommandSentIntoAnOwedReply) {
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM,
                             {"--link", link().string(), "--strict", "--late", "200"});
  ASSERT_TRUE(simulator.waitForOutput("ready", kStartTimeoutMs)) << simulator.output();
  int fd = openDevice(link(), true);
  ASSERT_GE(fd, 0);
  const std::string both = ":GV#:GR#";
  ASSERT_EQ(write(fd, both.data(), both.size()), static_cast<ssize_t>(both.size()));
  EXPECT_TRUE(simulator.waitForOutput("breach: :GR# arrived", kReplyTimeoutMs))
      << simulator.output();
  close(fd);
  ASSERT_EQ(kill(simulator.pid(), SIGTERM), 0);
  EXPECT_EQ(simulator.waitForExit(kStartTimeoutMs), 0);
  EXPECT_NE(simulator.output().find("1 breaches"), std::string::npos) << simulator.output();
}

TEST_F(SimulatorProgram, RefusesToReplaceARegularFile) {
  std::ofstream(link()) << "keep me";
  SimulatorProcess simulator(ORVANE_SIM_PROGRAM, {"--link", link().string()});
  EXPECT_EQ(simulator.waitForExit(kStartTimeoutMs), 1);
  EXPECT_NE(simulator.output().find("not a symbolic link"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(link()));
}

TEST_F(SimulatorProgram, HelpAndBadArguments) {
  SimulatorProcess help(ORVANE_SIM_PROGRAM, {"--help"});
  EXPECT_EQ(help.waitForExit(kStartTimeoutMs), 0);
  EXPECT_NE(help.output().find("--announce-every"), std::string::npos);
  SimulatorProcess bad(ORVANE_SIM_PROGRAM, {"--level", "x"});
  EXPECT_EQ(bad.waitForExit(kStartTimeoutMs), 2);
  EXPECT_NE(bad.output().find("--level"), std::string::npos);
}

}  // namespace
}  // namespace orvane::sim
