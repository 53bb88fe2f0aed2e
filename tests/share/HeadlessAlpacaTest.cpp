// The program without a display as the mount's node on the network, end to end: the real
// orvane-control --headless against orvane-sim on a pseudo-terminal, reached by real
// clients over the loopback address: curl and a small Python client written from the
// published ASCOM Alpaca API (discovery, management, connect, position, a slew that ends on
// the target, abortslew), and INDI's generic driver in network mode on the text port.
#include <signal.h>

#include <algorithm>
#include <sstream>

#include <nlohmann/json.hpp>

#include "share/IndiTools.h"
#include "support/HeadlessRun.h"

// A build without the windowed program (ORVANE_GUI off) has no program to run.
#ifdef ORVANE_CONTROL_PROGRAM

namespace orvane::share_test {
namespace {

using testing::HeadlessRun;
using testing::SimulatorProcess;

constexpr int kPatienceMs = 60000;

// The commands the simulator's log says it received, in order.
std::vector<std::string> CommandsOf(const std::string& log) {
  std::vector<std::string> commands;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("<- ", 0) == 0) commands.push_back(line.substr(3));
  }
  return commands;
}

// Runs a program to its end (bounded) and returns its output.
std::string RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                     int* exitCode = nullptr) {
  SimulatorProcess process(program, arguments);
  const int code = process.waitForExit(kPatienceMs);
  if (exitCode != nullptr) *exitCode = code;
  return process.output();
}

class HeadlessAlpacaTest : public ::testing::Test {
 protected:
  void StartProgram() {
    run_ = std::make_unique<HeadlessRun>(
        environment_, ORVANE_CONTROL_PROGRAM, ORVANE_SIM_PROGRAM,
        HeadlessRun::Options{{},
                             {{"Share", "on"},
                              {"ShareTextPort", std::to_string(textPort_)},
                              {"ShareStellariumPort", "0"},
                              {"AlpacaPort", std::to_string(alpacaPort_)},
                              {"AlpacaDiscoveryPort", std::to_string(discoveryPort_)}},
                             {}});
    ASSERT_TRUE(run_->started());
    ASSERT_TRUE(run_->WaitFor("Status: Connection established", kPatienceMs))
        << run_->program().output();
    ASSERT_TRUE(run_->WaitFor("Answering ASCOM Alpaca discovery", kPatienceMs))
        << run_->program().output();
    // A position has been polled.
    ASSERT_TRUE(run_->simulator().waitForOutput("<- :GD#", kPatienceMs));
  }

  void TearDown() override {
    if (run_ && run_->started()) {
      const auto [code, took] = run_->Terminate(5000);
      EXPECT_EQ(code, 0) << run_->program().output();
      ::kill(run_->simulator().pid(), SIGTERM);
      EXPECT_EQ(run_->simulator().waitForExit(kPatienceMs), 0);
      const std::string log = run_->simulator().output();
      EXPECT_NE(log.find("orvane-sim: 0 breaches"), std::string::npos) << log.substr(0, 4000);
    }
  }

  std::string Url(const std::string& member) const {
    return "http://127.0.0.1:" + std::to_string(alpacaPort_) + "/api/v1/telescope/0/" + member;
  }

  testing::TempEnvironment environment_;
  int textPort_ = FreePort();
  int alpacaPort_ = FreePort();
  int discoveryPort_ = FreePort();
  std::unique_ptr<HeadlessRun> run_;
};

TEST_F(HeadlessAlpacaTest, CurlAndAPythonClientDiscoverReadAndSlewTheMount) {
  StartProgram();
  // curl: a read with a transaction number, a bad request, a target.
  const nlohmann::json read = nlohmann::json::parse(
      RunToEnd("/usr/bin/curl", {"-s", Url("rightascension?ClientID=1&ClientTransactionID=77")}),
      nullptr, false);
  ASSERT_TRUE(read.is_object()) << read;
  EXPECT_EQ(read["ClientTransactionID"], 77);
  EXPECT_EQ(read["ErrorNumber"], 0);
  EXPECT_TRUE(read["Value"].is_number());
  const std::string bad = RunToEnd(
      "/usr/bin/curl", {"-s", "-w", "\n%{http_code}", "-X", "PUT", "-d", "RightAscension=x",
                        Url("slewtocoordinatesasync")});
  EXPECT_NE(bad.find("RightAscension=x is not a number\n\n400"), std::string::npos) << bad;
  // A reason that quotes a line break and a terminal's escape sequence, and one 10,000
  // characters long: each is one line on standard error, shown and not obeyed, cut short.
  RunToEnd("/usr/bin/curl", {"-s", "-X", "PUT", "-d", "Connected=%0A%1B%5B2Jgone",
                             Url("connected")});
  RunToEnd("/usr/bin/curl", {"-s", "-X", "PUT", "-d", "Connected=" + std::string(10000, 'y'),
                             Url("connected")});
  EXPECT_TRUE(run_->WaitFor("bad request: Connected= \\x1B[2Jgone is not True or False\n",
                            kPatienceMs))
      << run_->program().output();
  EXPECT_TRUE(run_->WaitFor("bad request: Connected=" + std::string(190, 'y') + "...\n",
                            kPatienceMs))
      << run_->program().output().substr(0, 4000);
  EXPECT_EQ(run_->program().output().find('\x1b'), std::string::npos);
  const nlohmann::json target = nlohmann::json::parse(
      RunToEnd("/usr/bin/curl",
               {"-s", "-X", "PUT", "-d", "TargetDeclination=45&ClientTransactionID=5",
                Url("targetdeclination")}),
      nullptr, false);
  EXPECT_EQ(target["ErrorNumber"], 0) << target;
  EXPECT_EQ(target["ClientTransactionID"], 5);

  // The Python client: discovery, management, a slew to the end, abortslew.
  int code = -1;
  const std::string python = RunToEnd(
      "/usr/bin/python3",
      {ORVANE_SOURCE_DIR "/tests/share/alpaca_client.py", "127.0.0.1", std::to_string(discoveryPort_)},
      &code);
  EXPECT_EQ(code, 0) << python << run_->program().output();
  EXPECT_NE(python.find("PASS"), std::string::npos) << python;
  // The controller received the slews as sequences of the equinox of the date.
  const std::vector<std::string> commands = CommandsOf(run_->simulator().output());
  const auto slew = std::find(commands.begin(), commands.end(), ":Sr01:30:00#");
  ASSERT_GE(commands.end() - slew, 4);
  EXPECT_EQ(std::vector<std::string>(slew, slew + 4),
            (std::vector<std::string>{":Sr01:30:00#", ":ONunknown#", ":Sd+75:15:00#", ":MS#"}));
  EXPECT_NE(std::find(commands.begin(), commands.end(), ":Q#"), commands.end());
  EXPECT_GE(run_->Count("ASCOM Alpaca client 127.0.0.1:"), 3);
}

TEST_F(HeadlessAlpacaTest, IndisGenericDriverDrivesTheMountThroughTheHeadlessProgram) {
  IndiTools indi([] { usleep(20 * 1000); });
  if (!indi.missing().empty()) {
    GTEST_SKIP() << indi.missing() << " is missing: INDI's tools come with the Debian package "
                 << "indi-bin, which scripts/install-deps.sh installs";
  }
  StartProgram();
  indi.StartServer();
  const auto eventually = [](const std::function<bool()>& done) {
    for (int waited = 0; waited < 30000; waited += 200) {
      if (done()) return true;
      usleep(200 * 1000);
    }
    return false;
  };
  ASSERT_TRUE(eventually([&] { return indi.FindDevice(); })) << indi.serverOutput();
  indi.ConnectDriver(textPort_);
  ASSERT_TRUE(eventually([&] { return indi.Property("CONNECTION.CONNECT") == "On"; }))
      << indi.serverOutput();
  // The simulated mount starts at the pole.
  EXPECT_TRUE(eventually([&] {
    return std::fabs(indi.Number("EQUATORIAL_EOD_COORD.DEC") - 90.0) < 0.01;
  }));
  indi.Set("EQUATORIAL_EOD_COORD.RA;DEC=1.5;75.25");
  EXPECT_TRUE(eventually([&] {
    return std::fabs(indi.Number("EQUATORIAL_EOD_COORD.RA") - 1.5) < 0.001 &&
           std::fabs(indi.Number("EQUATORIAL_EOD_COORD.DEC") - 75.25) < 0.01;
  })) << indi.serverOutput();
  indi.StopServer();
  const std::string log = run_->simulator().output();
  EXPECT_NE(log.find("<- :Sr01:30:00#"), std::string::npos);
  EXPECT_NE(log.find("<- :Sd+75:15:00#"), std::string::npos);
}

}  // namespace
}  // namespace orvane::share_test

#endif  // ORVANE_CONTROL_PROGRAM
