// Clients' share of the line and the stops, in the whole program (virtual time, a strict
// simulated controller): clients that keep the line busy hold the program's poll up by one
// command at most and take turns, a flood of stops is one stop on the wire, a goto to no
// place on the sky is refused without ending the connection, and a lone "#" now and then
// does not keep a client's place.
#include <algorithm>

#include "share/ShareTestSupport.h"
#include "share/StellariumProtocol.h"

namespace orvane::share_test {
namespace {

sim::ControllerOptions Strict() {
  sim::ControllerOptions options;
  options.strict = true;
  return options;
}

class ShareTurnsTest : public ShareTest {
 protected:
  // The longest time between two polls of the position while the program runs for ms,
  // with step() called all along.
  long long LongestPollCycle(
      long long ms, const std::function<void()>& step = [] {}) {
    long long last = main().controllerState().LastDeclination.atMs;
    long long longest = 0;
    const long long end = backend().nowMs() + ms;
    RunUntil(
        [&] {
          step();
          const long long polled = main().controllerState().LastDeclination.atMs;
          if (polled != last) {
            longest = std::max(longest, polled - last);
            last = polled;
          }
          return backend().nowMs() >= end;
        },
        ms + 1000);
    return longest;
  }
};

TEST_F(ShareTurnsTest, ClientsHoldThePollUpByOneCommandAtMostAndTakeTurns) {
  StartProgram(true, Strict());
  const long long alone = LongestPollCycle(10000);
  std::vector<std::unique_ptr<TestClient>> clients;
  std::vector<int> answers(6, 0);
  for (int i = 0; i < 6; ++i) {
    clients.push_back(std::make_unique<TestClient>(textPort()));
    clients.back()->Write(":GV#");
  }
  // Each client asks the controller again as soon as it has its answer.
  const long long shared = LongestPollCycle(20000, [&] {
    for (size_t i = 0; i < clients.size(); ++i) {
      clients[i]->Poll();
      if (clients[i]->received.find('#') == std::string::npos) continue;
      ASSERT_EQ(clients[i]->received, "324#");
      clients[i]->received.clear();
      ++answers[i];
      clients[i]->Write(":GV#");
    }
  });
  // One client command on the line: its bytes, the pause after it, its reply.
  EXPECT_LE(shared, alone + 70) << "alone " << alone << " ms";
  const auto [fewest, most] = std::minmax_element(answers.begin(), answers.end());
  EXPECT_GT(*fewest, 20);
  EXPECT_LE(*most - *fewest, 2);
  EXPECT_EQ(controller().breaches(), 0);
}

TEST_F(ShareTurnsTest, AFloodOfStopsIsOneStopOnTheWire) {
  StartProgram(true, Strict());
  TestClient client(textPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  Mark();
  std::string flood;
  for (int i = 0; i < 10000; ++i) flood += ":Q#";
  for (size_t at = 0; at < flood.size(); backend().advance(1)) {
    at += client.Write(std::string_view(flood).substr(at));
  }
  backend().advance(3000);
  EXPECT_EQ(CountReceived(":Q#"), 1);
  EXPECT_GE(CountReceived(":GR#"), 2);
  EXPECT_EQ(server().clientCount(), 1);
  // A stop after other commands goes out again.
  client.Write(":Q#");
  backend().advance(1500);
  EXPECT_EQ(CountReceived(":Q#"), 2);
  EXPECT_EQ(controller().breaches(), 0);
}

TEST_F(ShareTurnsTest, AStellariumGotoBeyondAPoleIsRefusedAndTheClientStays) {
  StartProgram(true, Strict());
  TestClient client(stellariumPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  Mark();
  for (const char* declination : {"\xFF\xFF\xFF\x7F", "\x00\x00\x00\x80"}) {
    std::string beyond = EncodeStellariumGoto(5, 0, 0);  // +180 and -180 degrees
    beyond.replace(16, 4, std::string(declination, 4));
    client.Write(beyond);
    backend().advance(1500);
  }
  EXPECT_EQ(TraceLines("goto refused: declination +180.0000\xB0 is beyond a pole"), 1);
  EXPECT_EQ(TraceLines("goto refused: declination -180.0000\xB0 is beyond a pole"), 1);
  EXPECT_EQ(CountReceived(":MS#"), 0);
  EXPECT_EQ(server().clientCount(), 1);
  client.Write(EncodeStellariumGoto(5, 80, 0));
  EXPECT_TRUE(RunUntil([&] { return CountReceived(":MS#") == 1; }));
}

TEST_F(ShareTurnsTest, OnlyACompleteCommandKeepsAClientsPlace) {
  StartProgram();
  TestClient client(textPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  for (int minute = 0; minute < 11; ++minute) {
    client.Write("#\r\n");
    backend().advance(60 * 1000);
  }
  client.Poll();
  EXPECT_TRUE(client.closed);
  EXPECT_EQ(TraceLines("dropped: silent for 10 minutes"), 1);
}

}  // namespace
}  // namespace orvane::share_test
