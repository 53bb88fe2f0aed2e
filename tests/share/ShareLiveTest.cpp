// Clients of the sharing server against orvane-sim --strict, in real time: a stop withdraws
// everything several clients sent ahead, two clients' gotos each go to their own target,
// and clients that end their commands with line ends are served like any other.
#include <algorithm>

#include "share/ShareLiveSupport.h"

namespace orvane::share_test {
namespace {

using std::chrono::milliseconds;

// The target and slew commands among what the simulator received, in order.
std::vector<std::string> SlewCommands(const std::vector<std::string>& received) {
  std::vector<std::string> slew;
  for (const std::string& command : received) {
    if (command.rfind(":Sr", 0) == 0 || command.rfind(":Sd", 0) == 0 || command == ":MS#" ||
        command == ":Q#") {
      slew.push_back(command);
    }
  }
  return slew;
}

bool AllAnswered(std::vector<std::unique_ptr<TestClient>>& clients, const std::string& end) {
  return std::all_of(clients.begin(), clients.end(), [&](auto& client) {
    client->Poll();
    const std::string& got = client->received;
    return got.size() >= end.size() && got.compare(got.size() - end.size(), end.size(), end) == 0;
  });
}

TEST_F(LiveShareTest, AStopWithdrawsWhatSeveralClientsSentAhead) {
  StartProgram();
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < 4; ++i) {
    clients.push_back(std::make_unique<TestClient>(textPort()));
    // Three slews in one packet, each to a target of its own.
    std::string packet;
    for (int slew = 0; slew < 3; ++slew) {
      packet += ":Sr 0" + std::to_string(i) + ":" + std::to_string(10 + slew * 10) + ":00#";
      packet += ":Sd +" + std::to_string(60 + i) + "*00:00#:MS#";
    }
    clients.back()->Write(packet);
  }
  // The first slew reaches the controller; the stop key goes at once.
  ASSERT_TRUE(Pump([&] {
    const std::vector<std::string> slew = SlewCommands(SimulatorReceived());
    return std::count(slew.begin(), slew.end(), ":MS#") >= 1;
  }));
  main().keyDown(main(), kStopKey, {});
  // Every command is answered, in order: a client's own target is taken at once, the slew
  // that was on the line started, every other one is withdrawn, and so are the targets
  // sent ahead.
  ASSERT_TRUE(Pump([&] { return AllAnswered(clients, "001Stopped#001Stopped#"); }));
  int started = 0;
  for (auto& client : clients) {
    const std::string& got = client->received;
    EXPECT_TRUE(got == "110001Stopped#001Stopped#" || got == "111Stopped#001Stopped#001Stopped#")
        << got;
    started += got == "110001Stopped#001Stopped#" ? 1 : 0;
  }
  EXPECT_EQ(started, 1);
  // Nothing that slews follows the stop, and the mount stands still.
  PumpFor(milliseconds(2500));
  const std::string ra = main().controllerState().LastRightAscension.text;
  const std::string dec = main().controllerState().LastDeclination.text;
  PumpFor(milliseconds(2500));
  EXPECT_EQ(main().controllerState().LastRightAscension.text, ra);
  EXPECT_EQ(main().controllerState().LastDeclination.text, dec);
  const std::vector<std::string> slew = SlewCommands(SimulatorReceived());
  ASSERT_FALSE(slew.empty());
  EXPECT_EQ(slew.back(), ":Q#");
  EXPECT_EQ(std::count(slew.begin(), slew.end(), ":Q#"), 1);
  EXPECT_EQ(std::count(slew.begin(), slew.end(), ":MS#"), 1);
  const std::string output = Finish();
  EXPECT_NE(output.find("orvane-sim: 0 breaches"), std::string::npos) << output.substr(0, 4000);
}

TEST_F(LiveShareTest, TwoClientsGotosEachGoToTheirOwnTarget) {
  StartProgram();
  TestClient first(textPort());
  TestClient second(textPort());
  first.Write(":Sr00:30:00#:Sd+85*00:00#:MS#");
  second.Write(":Sr01:30:00#:Sd+75*00:00#:MS#");
  ASSERT_TRUE(Pump([&] {
    first.Poll();
    second.Poll();
    return first.received == "110" && second.received == "110";
  }));
  // Each target went out with its own slew, nothing between them.
  const std::vector<std::string> slew = SlewCommands(SimulatorReceived());
  const std::vector<std::string> firstUnit{":Sr00:30:00#", ":Sd+85:00:00#", ":MS#"};
  const std::vector<std::string> secondUnit{":Sr01:30:00#", ":Sd+75:00:00#", ":MS#"};
  ASSERT_EQ(slew.size(), 6u);
  const bool firstFirst = slew[0] == firstUnit[0];
  const std::vector<std::string>& earlier = firstFirst ? firstUnit : secondUnit;
  const std::vector<std::string>& later = firstFirst ? secondUnit : firstUnit;
  EXPECT_TRUE(std::equal(earlier.begin(), earlier.end(), slew.begin()));
  EXPECT_TRUE(std::equal(later.begin(), later.end(), slew.begin() + 3));
  // The mount ends where the later slew asked, not on a mix of the two.
  const std::string wantedRa = later[0].substr(3, 8);
  const std::string wantedDec = later[1].substr(3, 9);
  EXPECT_TRUE(Pump([&] {
    return main().controllerState().LastRightAscension.text == wantedRa &&
           main().controllerState().LastDeclination.text == wantedDec;
  }));
  const std::string output = Finish();
  EXPECT_NE(output.find("orvane-sim: 0 breaches"), std::string::npos) << output.substr(0, 4000);
}

TEST_F(LiveShareTest, AClientEndingItsCommandsWithLineEndsGetsEveryAnswer) {
  StartProgram();
  TestClient client(textPort());
  // More rounds than the refusals that would end a client's connection.
  for (int round = 0; round < 12; ++round) {
    client.received.clear();
    client.Write(":GR#\r\n:Gc#\r\n:Sr 05:30:00#\r\n:GD#\n\r");
    ASSERT_TRUE(Pump([&] {
      client.Poll();
      return client.closed || std::count(client.received.begin(), client.received.end(), '#') == 3;
    }));
    const std::string expected = main().controllerState().LastRightAscension.text + "#24#1" +
                                 main().controllerState().LastDeclination.text + "#";
    EXPECT_EQ(client.received, expected);
  }
  EXPECT_FALSE(client.closed);
  EXPECT_EQ(app().share()->clientCount(), 1);
  const std::string output = Finish();
  EXPECT_NE(output.find("orvane-sim: 0 breaches"), std::string::npos) << output.substr(0, 4000);
}

}  // namespace
}  // namespace orvane::share_test
