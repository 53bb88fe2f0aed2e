// The program without a display (orvane-control --headless) as a process of its own, with
// no DISPLAY and no Qt platform named, against orvane-sim on a pseudo-terminal: it connects
// and polls, writes its status lines with time stamps to standard error, shares the mount,
// finds the controller again after the cable was pulled, answers a restarted controller's
// question with HeadlessStartMode and goes on without an alignment, and ends promptly and in
// order on SIGTERM.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "persistence/SettingsStore.h"
#include "support/HeadlessRun.h"
#include "support/TextShape.h"

// A build without the windowed program (ORVANE_GUI off) has no program to run.
#ifdef ORVANE_CONTROL_PROGRAM

namespace orvane::testing {
namespace {

constexpr int kPatienceMs = 60000;
// Generous for a loaded machine and sanitizer builds; the benchmark measures the real time.
constexpr int kEndingMs = 5000;

// A loopback port nobody listens on right now.
int FreePort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  return ntohs(address.sin_port);
}

// Asks the text protocol's port one command and returns the answer (blocking, bounded).
std::string AskTextPort(int port, const std::string& command) {
  const int client = ::socket(AF_INET, SOCK_STREAM, 0);
  timeval patience{10, 0};
  ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::send(client, command.data(), command.size(), MSG_NOSIGNAL) > 0) {
    char buffer[256];
    while (answer.empty() || answer.back() != '#') {
      const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      answer.append(buffer, static_cast<size_t>(got));
    }
  }
  ::close(client);
  return answer;
}

// The simulator receives a position poll after the first `from` bytes of its log.
bool PollsAgain(HeadlessRun& run, size_t from) {
  for (int waited = 0; waited < kPatienceMs; waited += 100) {
    if (run.simulator().output().find("<- :GR#", from) != std::string::npos) return true;
    run.simulator().waitForOutput("\n", 100);
    usleep(100 * 1000);
  }
  return false;
}

TEST(HeadlessProgramTest, RunsWithoutADisplayConnectsPollsSharesAndEndsOnSigterm) {
  TempEnvironment environment;
  const int textPort = FreePort();
  HeadlessRun run(environment, ORVANE_CONTROL_PROGRAM, ORVANE_SIM_PROGRAM,
                  {{}, {{"Share", "on"}, {"ShareTextPort", std::to_string(textPort)},
                        {"ShareStellariumPort", "0"}}});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.WaitFor("Status: Connection established", kPatienceMs))
      << run.program().output();
  ASSERT_TRUE(run.simulator().waitForOutput("<- :GR#", kPatienceMs));
  EXPECT_TRUE(run.WaitFor("Controller: Level 3, Version 2.4", kPatienceMs));
  EXPECT_TRUE(run.WaitFor("Status: No client connected", kPatienceMs));
  // Planetarium programs reach the mount as with a display.
  const std::string position = AskTextPort(textPort, ":GR#");
  EXPECT_TRUE(Shaped(position, "99:99:99#")) << position;
  EXPECT_TRUE(run.WaitFor("Planetarium client 127.0.0.1:", kPatienceMs)) << run.program().output();

  const auto [code, took] = run.Terminate(kEndingMs);
  EXPECT_EQ(code, 0) << run.program().output();
  EXPECT_LT(took, kEndingMs);
  const std::string output = run.program().output();
  EXPECT_NE(output.find("Ending on SIGTERM"), std::string::npos);
  EXPECT_NE(output.find("Ended"), std::string::npos);
  // Every line begins with its time; no toolkit spoke (no display, no platform plugin).
  std::istringstream lines(output);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_TRUE(Shaped(line.substr(0, 24), "9999-99-99 99:99:99.999 ")) << line;
  }
  EXPECT_GE(count, 6);
  EXPECT_EQ(output.find("qt."), std::string::npos) << output;
  // Nothing was written into a reply the simulator still owed.
  ::kill(run.simulator().pid(), SIGTERM);
  EXPECT_EQ(run.simulator().waitForExit(kPatienceMs), 0);
  EXPECT_NE(run.simulator().output().find("orvane-sim: 0 breaches"), std::string::npos);
}

TEST(HeadlessProgramTest, SharingThatCouldNotStartIsTriedAgainUntilItRuns) {
  TempEnvironment environment;
  // Another program holds the text protocol's port when the program starts.
  const int textPort = FreePort();
  // (Close-on-exec: the processes the test starts must not hold it too.)
  const int holder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(textPort));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(holder, 1), 0);
  HeadlessRun run(environment, ORVANE_CONTROL_PROGRAM, ORVANE_SIM_PROGRAM,
                  {{}, {{"Share", "on"}, {"ShareTextPort", std::to_string(textPort)},
                        {"ShareStellariumPort", "0"}}});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.WaitFor("Error: Port in use", kPatienceMs)) << run.program().output();
  ASSERT_TRUE(run.WaitFor("Sharing is on but could not start: trying again in 15 s",
                          kPatienceMs))
      << run.program().output();
  ASSERT_TRUE(run.WaitFor("Status: Connection established", kPatienceMs))
      << run.program().output();
  // The mount is controlled meanwhile; once the port is free, sharing starts on its own.
  ::close(holder);
  ASSERT_TRUE(run.WaitFor("Sharing started on a new try", kPatienceMs)) << run.program().output();
  EXPECT_TRUE(run.WaitFor("Status: No client connected", kPatienceMs));
  const std::string position = AskTextPort(textPort, ":GR#");
  EXPECT_TRUE(Shaped(position, "99:99:99#")) << position;
  EXPECT_EQ(run.Terminate(kEndingMs).first, 0);
}

TEST(HeadlessProgramTest, FindsTheControllerAgainAfterTheCableWasPulled) {
  TempEnvironment environment;
  HeadlessRun run(environment, ORVANE_CONTROL_PROGRAM, ORVANE_SIM_PROGRAM,
                  {{"--unplug-after", "8000", "--replug-after", "3000"}, {}, {}});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.WaitFor("Status: Connection established", kPatienceMs))
      << run.program().output();
  ASSERT_TRUE(run.WaitFor("Status: Connection lost, retrying", kPatienceMs))
      << run.program().output();
  ASSERT_TRUE(run.WaitFor("Status: Connection established", kPatienceMs, 2))
      << run.program().output();
  EXPECT_TRUE(PollsAgain(run, run.simulator().output().size()));
  EXPECT_EQ(run.Terminate(kEndingMs).first, 0);
}

// At a remote observatory the computer often comes up before the mount: a controller that
// is not there when the program starts is looked for again until it answers.
TEST(HeadlessProgramTest, AControllerSwitchedOnAfterTheStartIsFoundOnItsOwn) {
  TempEnvironment environment;
  // The line is gone at once and comes back six seconds later.
  HeadlessRun run(environment, ORVANE_CONTROL_PROGRAM, ORVANE_SIM_PROGRAM,
                  {{"--unplug-after", "0", "--replug-after", "6000"}, {}, {}});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.WaitFor("Status: Unable to establish connection", kPatienceMs))
      << run.program().output();
  ASSERT_TRUE(run.WaitFor("No controller: looking for it again", kPatienceMs))
      << run.program().output();
  ASSERT_TRUE(run.WaitFor("Controller found on a new try", kPatienceMs))
      << run.program().output();
  EXPECT_EQ(run.Count("Status: Connection established"), 1);
  EXPECT_TRUE(PollsAgain(run, 0));
  EXPECT_EQ(run.Terminate(kEndingMs).first, 0);
}

TEST(HeadlessProgramTest, ARestartedUnalignedControllerIsAnsweredFromTheSettings) {
  TempEnvironment environment;
  HeadlessRun run(environment, ORVANE_CONTROL_PROGRAM, ORVANE_SIM_PROGRAM,
                  {{"--boot-mode", "--unaligned"}, {{"HeadlessStartMode", "cold start"}}, {}});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.WaitFor("waits for its start mode: \"Cold Start\" (HeadlessStartMode)",
                          kPatienceMs))
      << run.program().output();
  EXPECT_TRUE(run.simulator().waitForOutput("<- bC#", kPatienceMs));
  ASSERT_TRUE(run.WaitFor("Status: Connection established", kPatienceMs))
      << run.program().output();
  // Reported, not aligned: the program goes on polling.
  ASSERT_TRUE(run.WaitFor("has not been aligned", kPatienceMs)) << run.program().output();
  EXPECT_TRUE(run.WaitFor("Initial alignment: Required", kPatienceMs));
  EXPECT_TRUE(PollsAgain(run, run.simulator().output().size()));
  EXPECT_EQ(run.Count("has not been aligned"), 1) << "asked once, answered once";
  EXPECT_EQ(run.Terminate(kEndingMs).first, 0);
}

// Run as a service, standard error is the journal's stream (the service manager names it in
// JOURNAL_STREAM): the journal keeps the time itself, and takes each line's priority from
// its start, so that errors can be told from the rest ("journalctl -p err").
TEST(HeadlessProgramTest, LinesForTheJournalCarryTheirPriorityInsteadOfATime) {
  TempEnvironment environment;
  const std::filesystem::path profile = environment.root() / "Journal.ocf";
  WriteFile(profile, "Version \"32.4\"\nPort \"COM1\"\nTimeOut \"1000\"\n");
  // COM1 leads nowhere: a line at the error priority.
  SettingsStore(SettingsStore::DefaultLocation())
      .write("COM1", (environment.root() / "no-such-port").string());
  SimulatorProcess program(
      "/bin/sh",
      {"-c",
       "JOURNAL_STREAM=$(stat -L -c %d:%i /proc/self/fd/2) exec /usr/bin/env -u DISPLAY "
       "-u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \"$0\" --headless --profile \"$1\" --port COM1",
       ORVANE_CONTROL_PROGRAM, profile.string()});
  ASSERT_TRUE(program.waitForOutput("<6>Status: Unable to establish connection", kPatienceMs))
      << program.output();
  EXPECT_TRUE(program.waitForOutput("<3>Error: Cannot open COM1", kPatienceMs))
      << program.output();
  ::kill(program.pid(), SIGTERM);
  EXPECT_EQ(program.waitForExit(kEndingMs), 0);
  std::istringstream lines(program.output());
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_TRUE(Shaped(line.substr(0, 3), "<9>")) << line;
  }
  EXPECT_GE(count, 4);
  EXPECT_NE(program.output().find("<6>Ending on SIGTERM"), std::string::npos);
}

TEST(HeadlessProgramTest, AProfileThatIsNotThereIsRefusedBeforeAnythingStarts) {
  TempEnvironment environment;
  SimulatorProcess program("/usr/bin/env",
                           {"-u", "DISPLAY", "-u", "QT_QPA_PLATFORM", ORVANE_CONTROL_PROGRAM,
                            "--headless", "--profile", "No Such Profile"});
  EXPECT_EQ(program.waitForExit(kPatienceMs), 2);
  EXPECT_NE(program.output().find("no profile \"No Such Profile\""), std::string::npos)
      << program.output();
}

}  // namespace
}  // namespace orvane::testing

#endif  // ORVANE_CONTROL_PROGRAM
