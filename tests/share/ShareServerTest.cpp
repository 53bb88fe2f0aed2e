// The sharing server in the whole program (virtual time, simulated controller): the switch
// on the profile page, text clients reading the position and slewing through the command
// queue, the program's stop withdrawing client commands, and a Stellarium client's goto.
#include <cmath>
#include <functional>
#include <map>
#include <optional>

#include "share/ShareTestSupport.h"
#include "share/StellariumProtocol.h"

namespace orvane::share_test {
namespace {

TEST_F(ShareTest, TheSwitchOnTheProfilePageStartsAndStopsSharingAndCountsClients) {
  StartProgram(false);
  EXPECT_FALSE(server().running());
  EXPECT_EQ(main().ShareSwitch->text(), "Sharing off");
  EXPECT_EQ(main().ShareStatus->text(), "Status: Not shared");

  main().ShareSwitch->click();
  ASSERT_TRUE(server().running());
  EXPECT_EQ(server().textPort(), textPort());
  EXPECT_EQ(server().stellariumPort(), stellariumPort());
  EXPECT_EQ(main().ShareSwitch->text(), "Sharing on");
  EXPECT_EQ(main().ShareStatus->text(), "Status: No client connected");
  EXPECT_EQ(app().settings().read("Share"), "on");

  TestClient text(textPort());
  TestClient stellarium(stellariumPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 2; }));
  EXPECT_EQ(main().ShareStatus->text(), "Status: 2 clients connected");
  text.Close();
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  EXPECT_EQ(main().ShareStatus->text(), "Status: 1 client connected");

  main().ShareSwitch->click();
  EXPECT_FALSE(server().running());
  EXPECT_TRUE(RunUntil([&] {
    stellarium.Poll();
    return stellarium.closed;
  }));
  EXPECT_EQ(app().settings().read("Share"), "off");
  EXPECT_EQ(TraceLines("dropped: sharing switched off"), 1);
  EXPECT_FALSE(TestClient(textPort()).connected());
}

TEST_F(ShareTest, StartsWithTheProgramWhenTheSettingsSayOnAndTellsOfAPortInUse) {
  // Another program holds the text port.
  const int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(textPort()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(blocker, 1), 0);
  StartProgram(true);
  EXPECT_FALSE(server().running());
  EXPECT_EQ(main().ShareStatus->text(), "Error: Port in use");
  EXPECT_EQ(main().ShareStatus->hint(),
            "127.0.0.1 port " + std::to_string(textPort()) + " is in use");
  // Neither port is taken half-way.
  EXPECT_TRUE(TestClient(stellariumPort()).connected() == false);
  ::close(blocker);
  main().ShareSwitch->click();
  EXPECT_TRUE(server().running());
  EXPECT_TRUE(TestClient(textPort()).connected());
}

TEST_F(ShareTest, PositionReadsAreAnsweredFromPollingWithoutWireTraffic) {
  StartProgram();
  TestClient client(textPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  Mark();
  const long long start = backend().nowMs();
  int reads = 0;
  long long slowest = 0;
  // A client reading a hundred times a second for ten seconds.
  while (backend().nowMs() - start < 10000) {
    // Each answer takes a round of the program's event processing, 10 ms here.
    const long long asked = backend().nowMs();
    const std::string ra = Ask(client, ":GR#");
    const std::string dec = Ask(client, ":GD#");
    ASSERT_EQ(ra, main().controllerState().LastRightAscension.text + "#");
    ASSERT_EQ(dec, main().controllerState().LastDeclination.text + "#");
    slowest = std::max(slowest, backend().nowMs() - asked);
    reads += 2;
  }
  // A reading older than the polling interval waits for the poll that is running or about
  // to run (the interval counts from the end of one poll's reads to the next poll), which
  // takes a few commands' time: most reads are answered at once, none waits long.
  EXPECT_GT(reads, 600);
  EXPECT_LT(slowest, 1000);
  // Only the program's own polls reached the controller: one of each a second.
  EXPECT_LE(CountReceived(":GR#"), 11);
  EXPECT_EQ(CountReceived(":GR#"), CountReceived(":GD#"));
}

TEST_F(ShareTest, ATextClientSlewsTheMountThroughTheQueueAndFollowsIt) {
  StartProgram();
  TestClient client(textPort());
  Mark();
  EXPECT_EQ(Ask(client, "\x06"), "P");
  EXPECT_EQ(Ask(client, ":Sr 05:30:00#"), "1");
  EXPECT_EQ(Ask(client, ":Sd +20*00:00#"), "1");
  EXPECT_EQ(Ask(client, ":MS#"), "0");
  std::vector<std::string> slew;
  for (const std::string& command : Received()) {
    if (command.rfind(":S", 0) == 0 || command.rfind(":M", 0) == 0) slew.push_back(command);
  }
  EXPECT_EQ(slew, (std::vector<std::string>{":Sr05:30:00#", ":Sd+20:00:00#", ":MS#"}));
  EXPECT_EQ(Ask(client, ":D#"), "|#");
  // The client follows the slew to its end.
  EXPECT_TRUE(RunUntil([&] { return Ask(client, ":GR#") == "05:30:00#"; }, 120000));
  EXPECT_TRUE(RunUntil([&] { return Ask(client, ":D#") == "#"; }, 10000));
  EXPECT_EQ(Ask(client, ":GD#"), "+20:00:00#");
}

TEST_F(ShareTest, CommandsAPlanetariumHasNoBusinessWithNeverReachTheWire) {
  StartProgram();
  TestClient client(textPort());
  Mark();
  for (const char* command : {">120:4A#", "<120:F#", ":OS#", ":Oc#", "bC#", "bW#", ":U#",
                              ":Mgn0100#", ":SB3#", ":Sr 25:00:00#"}) {
    client.Write(command);
  }
  backend().advance(3000);
  client.Poll();
  // Answered at once: "0" for the setting read, the brightness and the bad target, which
  // have answers; nothing for the others, which have none.
  EXPECT_EQ(client.received, "000");
  for (const std::string& command : Received()) {
    EXPECT_TRUE(command == ":GR#" || command == ":GD#" || command == ":Gv#" || command == ":GB#" ||
                command == "<99:F#")
        << command << " reached the controller";
  }
  EXPECT_EQ(TraceLines("refused"), 10);
  EXPECT_EQ(TraceLines("\">120:4A#\" refused: setting writes are the program's own"), 1);
  EXPECT_EQ(server().clientCount(), 1);
}

// The stop button and the stop key pre-empt every client: a client's command still waiting
// for the line is withdrawn and answered as stopped.
TEST_F(ShareTest, TheProgramsStopWithdrawsAClientCommandNotWrittenYet) {
  StartProgram();
  TestClient client(textPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  ui::Form& main = *app().windows().main;
  const std::function<void()> stops[] = {
      [&] {
        schedule().StopMouseDown();
        schedule().StopMouseUp();
      },
      [&] { main.keyDown(main, kStopKey, {}); },
  };
  for (const auto& stop : stops) {
    ASSERT_TRUE(RunUntil([&] { return app().windows().cache->queue().Idle(); }));
    Mark();
    // The line is busy with the program's own command; the client's slew waits behind it.
    app().windows().cache->queue().Submit(CommandRequest{":GV#", true, 1000});
    client.Write(":MS#");
    backend().processMessages();
    stop();
    EXPECT_EQ(Ask(client, ""), "1Stopped#");
    backend().advance(2000);
    EXPECT_EQ(CountReceived(":Q#"), 1);
    EXPECT_EQ(CountReceived(":MS#"), 0);
    EXPECT_EQ(CountReceived(":GV#"), 1);
  }
}

TEST_F(ShareTest, AClientsStopJumpsTheQueue) {
  StartProgram();
  TestClient client(textPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  ASSERT_TRUE(RunUntil([&] { return app().windows().cache->queue().Idle(); }));
  std::vector<std::string> written;
  app().windows().cache->queue().onWritten = [&](const std::string& command) {
    written.push_back(command);
  };
  app().windows().cache->queue().Submit(CommandRequest{":GV#", true, 1000});
  client.Write(":Q#");
  backend().processMessages();
  // Written while the program's command still waits for its reply.
  EXPECT_EQ(written, (std::vector<std::string>{":GV#", ":Q#"}));
  EXPECT_FALSE(app().windows().cache->queue().Idle());
  app().windows().cache->queue().onWritten = nullptr;
}

TEST_F(ShareTest, AClientsStopOvertakesItsOwnSlewStillWaitingForTheLine) {
  StartProgram();
  TestClient client(textPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  ASSERT_TRUE(RunUntil([&] { return app().windows().cache->queue().Idle(); }));
  Mark();
  std::vector<std::string> written;
  app().windows().cache->queue().onWritten = [&](const std::string& command) {
    written.push_back(command);
  };
  // The program's command holds the line; the client's target and slew wait behind it.
  app().windows().cache->queue().Submit(CommandRequest{":GV#", true, 1000});
  client.Write(":Sr 05:30:00#:Sd +20*00:00#:MS#");
  backend().processMessages();
  client.Write(":Q#");
  backend().processMessages();
  EXPECT_EQ(written, (std::vector<std::string>{":GV#", ":Q#"}));
  // Every command gets its answer, in order: the target was taken as the client's own
  // (nothing written), the slew that would have sent it was withdrawn.
  EXPECT_EQ(Ask(client, ""), "111Stopped#");
  backend().advance(2000);
  app().windows().cache->queue().onWritten = nullptr;
  EXPECT_EQ(CountReceived(":MS#"), 0);
  EXPECT_EQ(CountReceived(":Sr05:30:00#"), 0);
  EXPECT_EQ(CountReceived(":Q#"), 1);
  // The client goes on as before.
  EXPECT_EQ(Ask(client, ":Sr 05:30:00#"), "1");
}

TEST_F(ShareTest, AStellariumGotoSlewsAsGoDoesInJ2000AndThePositionsConverge) {
  StartProgram();
  TestClient client(stellariumPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 1; }));
  Mark();
  const double targetHours = 18.6156;  // Vega, J2000
  const double targetDegrees = 38.7836;
  client.Write(EncodeStellariumGoto(targetHours, targetDegrees, 0));
  ASSERT_TRUE(RunUntil([&] { return CountReceived(":MS#") == 1; }));
  std::vector<std::string> slew;
  for (const std::string& command : Received()) {
    if (command.rfind(":S", 0) == 0 || command.rfind(":M", 0) == 0 || command.rfind(":O", 0) == 0)
      slew.push_back(command);
  }
  EXPECT_EQ(slew, (std::vector<std::string>{":Sr18:36:56#", ":ONunknown#", ":Sd+38:47:01#", ":Sp#",
                                            ":MS#"}));
  EXPECT_EQ(schedule().EquinoxMode, 0);  // the window's own choice is untouched

  // A position after every poll, closer and closer until on target.
  std::vector<StellariumPosition> positions;
  const auto distance = [&](const StellariumPosition& p) {
    double hours = std::fabs(p.rightAscensionHours - targetHours);
    hours = std::min(hours, 24.0 - hours);
    return std::max(hours * 15.0, std::fabs(p.declinationDegrees - targetDegrees));
  };
  const bool arrived = RunUntil(
      [&] {
        client.Poll();
        while (client.received.size() >= StellariumFramer::kPositionLength) {
          positions.push_back(*DecodeStellariumPosition(
              client.received.substr(0, StellariumFramer::kPositionLength)));
          client.received.erase(0, StellariumFramer::kPositionLength);
        }
        // The controller takes whole seconds: within a second of time (15'') of the target.
        return !positions.empty() && distance(positions.back()) < 15.0 / 3600;
      },
      120000);
  EXPECT_TRUE(arrived);
  // The controller went to the place of date and reports it there; the clients were sent
  // the J2000 position.
  const std::optional<double> reported =
      HoursOfReading(main().controllerState().LastRightAscension.text);
  ASSERT_TRUE(reported);
  EXPECT_NEAR((*reported - targetHours) * 3600, 54, 2);
  ASSERT_GE(positions.size(), 3u);
  EXPECT_GT(distance(positions.front()), distance(positions[positions.size() / 2]));
  for (const StellariumPosition& position : positions) EXPECT_EQ(position.status, 0);
}

TEST_F(ShareTest, ANewStellariumClientIsSentTheLatestPositionAtOnce) {
  StartProgram();
  // No poll comes meanwhile: what arrives is the connection's own message.
  main().UpdateTimer.stop();
  TestClient client(stellariumPort());
  ASSERT_TRUE(RunUntil([&] {
    client.Poll();
    return client.received.size() >= StellariumFramer::kPositionLength;
  }));
  const std::optional<StellariumPosition> position = DecodeStellariumPosition(client.received);
  ASSERT_TRUE(position);
  // The simulated mount is parked at the pole of the date.
  EXPECT_GT(position->declinationDegrees, 89.8);
  EXPECT_EQ(position->status, 0);
}

TEST_F(ShareTest, WithoutAControllerClientsAreRefusedAndNothingIsWritten) {
  StartProgram();
  main().SerialPort->setItemIndex(6);  // "Offline"
  main().connection.SerialPortSelect(main().SerialPort.get());
  ASSERT_EQ(main().ConnectedPort, 0);
  TestClient client(textPort());
  TestClient stellarium(stellariumPort());
  Mark();
  EXPECT_EQ(Ask(client, ":Sr 05:30:00#"), "0");
  client.Write(":GR#:Mn#");
  stellarium.Write(EncodeStellariumGoto(1, 2, 0));
  backend().advance(3000);
  client.Poll();
  EXPECT_EQ(client.received, "");
  EXPECT_TRUE(Received().empty());
  EXPECT_EQ(TraceLines("no controller is connected"), 4);
}

}  // namespace
}  // namespace orvane::share_test

namespace orvane::share_test {
namespace {

// The settings store as the user may have edited it by hand.
class FakeSettings final : public SettingLookup {
 public:
  std::map<std::string, std::string> values;
  std::optional<std::string> read(std::string_view key) const override {
    auto found = values.find(std::string(key));
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
};

TEST(ShareSettingsTest, OffOnLoopbackByDefaultAndBadPortsNamed) {
  FakeSettings settings;
  ShareSettings read = ReadShareSettings(settings);
  EXPECT_FALSE(read.enabled);
  EXPECT_EQ(read.address, "127.0.0.1");
  EXPECT_EQ(read.textPort, 4030);
  EXPECT_EQ(read.stellariumPort, 10001);
  EXPECT_EQ(read.problem, "");

  settings.values = {{"Share", " on "}, {"ShareAddress", " "}, {"ShareTextPort", "0"},
                     {"ShareStellariumPort", " 10002"}};
  read = ReadShareSettings(settings);
  EXPECT_TRUE(read.enabled);
  EXPECT_EQ(read.address, "127.0.0.1");  // a blank address is no address
  EXPECT_EQ(read.textPort, std::nullopt);
  EXPECT_EQ(read.stellariumPort, 10002);

  settings.values = {{"ShareTextPort", "forty"}, {"ShareStellariumPort", "65536"}};
  read = ReadShareSettings(settings);
  EXPECT_EQ(read.problem, "ShareTextPort is not a port, ShareStellariumPort is not a port");
  settings.values = {{"ShareTextPort", "-1"}};
  EXPECT_EQ(ReadShareSettings(settings).problem, "ShareTextPort is not a port");
}

TEST_F(ShareTest, SettingsThatCannotBeServedAreShownAndNothingListens) {
  StartProgram(false);
  app().settings().write("ShareTextPort", "forty");
  main().ShareSwitch->click();
  EXPECT_FALSE(server().running());
  EXPECT_EQ(main().ShareStatus->text(), "Error: Setting not valid");
  EXPECT_EQ(main().ShareStatus->hint(), "ShareTextPort is not a port");
  EXPECT_EQ(main().ShareSwitch->text(), "Sharing off");
  EXPECT_EQ(app().settings().read("Share"), std::nullopt);

  // A name is no numeric address; the program does not look names up.
  app().settings().write("ShareTextPort", std::to_string(textPort()));
  app().settings().write("ShareAddress", "localhost");
  main().ShareSwitch->click();
  EXPECT_FALSE(server().running());
  EXPECT_EQ(main().ShareStatus->text(), "Error: Address not valid");
  EXPECT_EQ(main().ShareStatus->hint(), "localhost is not an address");
  EXPECT_FALSE(TestClient(stellariumPort()).connected());

  // Both protocols switched off leave nothing to share on.
  app().settings().write("ShareAddress", "127.0.0.1");
  app().settings().write("ShareTextPort", "0");
  app().settings().write("ShareStellariumPort", "0");
  main().ShareSwitch->click();
  EXPECT_FALSE(server().running());
  EXPECT_EQ(main().ShareStatus->text(), "Error: No port to share on");
  EXPECT_EQ(TraceLines("Sharing the mount failed"), 3);

  // Once sharing starts, the status line says so and its hint is gone.
  app().settings().write("ShareTextPort", std::to_string(textPort()));
  main().ShareSwitch->click();
  EXPECT_TRUE(server().running());
  EXPECT_EQ(main().ShareStatus->text(), "Status: No client connected");
  EXPECT_EQ(main().ShareStatus->hint(), "");
}

}  // namespace
}  // namespace orvane::share_test
