// Clients' share of the line and the stops, in the whole program (virtual time, a strict
// simulated controller): clients that keep the line busy hold the program's poll up by one
// command at most and take turns, a flood of stops is one stop on the wire, a goto to no
// place on the sky is refused without ending the connection, a lone "#" now and then
// does not keep a client's place, and a client's second goto moves the mount there at the
// slew speed.
#include <algorithm>
#include <cstdio>

#include "share/ShareTestSupport.h"
#include "share/StellariumProtocol.h"

namespace orvane::share_test {
namespace {

sim::ControllerOptions Strict() {
  sim::ControllerOptions options;
  options.strict = true;
  return options;
}

class ShareTurnsTest : public ShareTest {};

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

// Hours of a right ascension as the controller gives it ("HH:MM:SS"); -1 for anything else.
double Hours(const std::string& text) {
  int hours = 0, minutes = 0, seconds = 0;
  if (std::sscanf(text.c_str(), "%2d:%2d:%2d", &hours, &minutes, &seconds) != 3) return -1;
  return hours + minutes / 60.0 + seconds / 3600.0;
}

// The mount is watched by the program's poll through two gotos of one client; the second
// one, sent after the first has ended, moves the mount from where it stands at the slew
// speed (5 degrees a second) and does not put it on the new target at once.
TEST_F(ShareTurnsTest, ASecondGotoMovesTheMountAtTheSlewSpeed) {
  StartProgram(true, Strict());
  TestClient client(textPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  const auto position = [&] { return Hours(main().controllerState().LastRightAscension.text); };
  const auto arrived = [&](const std::string& ra, const std::string& dec) {
    return main().controllerState().LastRightAscension.text == ra &&
           main().controllerState().LastDeclination.text == dec &&
           !controller().mount().slewing(backend().nowMs());
  };
  const auto slewTo = [&](const std::string& ra, const std::string& dec) {
    client.received.clear();
    client.Write(":Sr" + ra + "#:Sd" + dec + "#:MS#");
    EXPECT_TRUE(RunUntil([&] {
      client.Poll();
      return client.received == "110";
    }));
  };
  slewTo("02:00:00", "+10:00:00");
  ASSERT_TRUE(RunUntil([&] { return arrived("02:00:00", "+10:00:00"); }, 60000));
  backend().advance(5000);
  ASSERT_EQ(main().controllerState().LastRightAscension.text, "02:00:00");

  // Six hours (90 degrees) further east: 18 s of slewing, seen by every poll on the way.
  slewTo("08:00:00", "+10:00:00");
  const long long started = backend().nowMs();
  long long polledAt = main().controllerState().LastRightAscension.atMs;
  double last = position();
  int polls = 0;
  ASSERT_TRUE(RunUntil(
      [&] {
        const long long at = main().controllerState().LastRightAscension.atMs;
        if (at == polledAt) return false;
        const double now = position();
        const double seconds = (at - polledAt) / 1000.0;
        EXPECT_GE(now, last - 1e-9) << "moved back at " << at;
        // 5 degrees a second is 1/3 h a second; a second's grace for when the reply was read.
        EXPECT_LE(now - last, (seconds + 1.0) / 3.0) << "a jump from " << last << " h to " << now;
        last = now;
        polledAt = at;
        ++polls;
        return arrived("08:00:00", "+10:00:00");
      },
      60000));
  EXPECT_GE(backend().nowMs() - started, 17000);
  EXPECT_GE(polls, 8);
  EXPECT_EQ(controller().breaches(), 0);
}

}  // namespace
}  // namespace orvane::share_test
