// The program's memory under hostile clients: the real program (Qt, offscreen) with sharing
// on, connected to orvane-sim --strict, while clients connect again and again, send
// commands that are refused, lines too long to be commands and messages that are no gotos,
// and are dropped. Its resident memory stays flat (bench_share_soak runs the same for an
// hour). The program runs with the address checker's quarantine off, so that freed memory
// is used again as it is without the checker.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "share/ShareTestSupport.h"
#include "share/StellariumProtocol.h"
#include "support/SimulatorProcess.h"

#if defined(ORVANE_CONTROL_PROGRAM)

namespace orvane::share_test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kWarmUp = std::chrono::seconds(15);
constexpr auto kSoak = std::chrono::seconds(45);
constexpr long kMostGrowthKb = 2048;

long ResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// A blocking connection that waits at most a second for anything.
int Connect(int port) {
  const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  timeval patience{1, 0};
  ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(descriptor);
    return -1;
  }
  return descriptor;
}

// Sends the question and reads its answer (answerBytes of it), then sends the farewell and
// reads until the program closes the connection (or a second passes without a byte); what
// came back. Without a question the connection goes at once.
std::string Visit(int port, const std::string& question, size_t answerBytes = 0,
                  const std::string& farewell = {}) {
  const int descriptor = Connect(port);
  if (descriptor < 0) return {};
  std::string answer;
  char buffer[512];
  const auto receive = [&] {
    const ssize_t got = ::recv(descriptor, buffer, sizeof buffer, 0);
    if (got > 0) answer.append(buffer, static_cast<size_t>(got));
    return got > 0;
  };
  if (!question.empty()) {
    ::send(descriptor, question.data(), question.size(), MSG_NOSIGNAL);
    while (answer.size() < answerBytes && receive()) {
    }
    ::send(descriptor, farewell.data(), farewell.size(), MSG_NOSIGNAL);
    while (receive()) {
    }
  }
  ::close(descriptor);
  return answer;
}

TEST(ShareSoakTest, HostileReconnectsLeaveTheProgramsMemoryFlat) {
  testing::TempEnvironment environment;
  const std::string link = (environment.root() / "com1").string();
  testing::SimulatorProcess simulator(ORVANE_SIM_PROGRAM, {"--link", link, "--strict"});
  ASSERT_TRUE(simulator.waitForOutput("ready", 15000));
  const int textPort = FreePort();
  const int stellariumPort = FreePort();
  std::filesystem::create_directories(environment.configFile().parent_path());
  testing::WriteFile(environment.configFile(),
                     "COM1=" + link + "\nShare=on\nShareTextPort=" + std::to_string(textPort) +
                         "\nShareStellariumPort=" + std::to_string(stellariumPort) + "\n");
  const char* checker = std::getenv("ASAN_OPTIONS");
  const std::string previous = checker != nullptr ? checker : "";
  ::setenv("ASAN_OPTIONS", (previous + ":quarantine_size_mb=0:detect_leaks=0").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  testing::SimulatorProcess program(ORVANE_CONTROL_PROGRAM, {});
  ::setenv("ASAN_OPTIONS", previous.c_str(), 1);

  // Connected once the controller's version comes through the program.
  const auto started = Clock::now();
  while (Visit(textPort, ":GV#").find("324#") == std::string::npos) {
    ASSERT_LT(Clock::now() - started, std::chrono::seconds(60)) << program.output();
  }

  std::string stellariumNoise = EncodeStellariumGoto(5, 5, 0);
  stellariumNoise[0] = 40;
  const std::string refused = ":SB3#>120:4A#<99:F#:hP#\r\n:ST060.2#\x01\x02#";
  const std::string tooLong = ":" + std::string(70, 'A') + "#";
  long rounds = 0;
  long startKb = -1;
  const auto begin = Clock::now();
  while (Clock::now() - begin < kWarmUp + kSoak) {
    if (startKb < 0 && Clock::now() - begin >= kWarmUp) startKb = ResidentKb(program.pid());
    // Refused commands, answered at once, then a line too long to be one: dropped.
    EXPECT_EQ(Visit(textPort, refused, 3, tooLong), "000");
    // A message that is no goto: dropped after the position it was sent on connecting.
    Visit(stellariumPort, stellariumNoise);
    // A connection that says nothing and goes at once.
    Visit(textPort, "");
    ++rounds;
  }
  const long endKb = ResidentKb(program.pid());
  ASSERT_GT(startKb, 0);
  EXPECT_LT(endKb - startKb, kMostGrowthKb)
      << "from " << startKb << " kB to " << endKb << " kB in " << rounds << " rounds";
  EXPECT_GT(rounds, 100);
  // Still serving.
  EXPECT_NE(Visit(textPort, ":GV#").find("324#"), std::string::npos);
  std::printf("%ld rounds, resident memory %ld kB after the warm-up, %ld kB at the end\n", rounds,
              startKb, endKb);
}

}  // namespace
}  // namespace orvane::share_test

#endif
