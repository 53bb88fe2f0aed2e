// The network device protocol of imaging programs (ASCOM Alpaca) through real HTTP on the
// loopback address, the whole program in virtual time with a simulated controller: the
// management API, every member the mount serves and every one it does not, requests it
// cannot understand, transaction numbers, slews, synchronisation, stops and axis motion as
// the controller sees them, discovery over UDP, and the limits of the sharing server.
#include <algorithm>
#include <cmath>
#include <memory>

#include "link/TraceForm.h"
#include "share/AlpacaTestSupport.h"
#include "share/StellariumProtocol.h"
#include "support/TextShape.h"

namespace orvane::share_test {
namespace {

using nlohmann::json;

constexpr int kNotImplemented = 0x400;
constexpr int kInvalidValue = 0x401;
constexpr int kValueNotSet = 0x402;
constexpr int kNotConnected = 0x407;
constexpr int kInvalidOperation = 0x40B;

// A JSON answer that the device gave without error.
void ExpectFine(const HttpAnswer& answer, const std::string& what) {
  EXPECT_EQ(answer.status, 200) << what << ": " << answer.body;
  EXPECT_EQ(answer.contentType, "application/json; charset=utf-8") << what;
  const json body = answer.json();
  EXPECT_EQ(body.value("ErrorNumber", -1), 0) << what << ": " << answer.body;
  EXPECT_EQ(body.value("ErrorMessage", "?"), "") << what;
}

TEST_F(AlpacaTest, TheManagementApiDescribesTheServerAndItsOneTelescope) {
  StartAlpaca();
  HttpAnswer versions = Get("/management/apiversions?ClientTransactionID=7");
  ExpectFine(versions, "apiversions");
  EXPECT_EQ(versions.json()["Value"], json::array({1}));
  EXPECT_EQ(versions.json()["ClientTransactionID"], 7);

  HttpAnswer description = Get("/management/v1/description");
  ExpectFine(description, "description");
  for (const char* field : {"ServerName", "Manufacturer", "ManufacturerVersion", "Location"}) {
    EXPECT_TRUE(description.json()["Value"].contains(field)) << field;
  }
  EXPECT_EQ(description.json()["Value"]["ManufacturerVersion"], ORVANE_VERSION);

  HttpAnswer devices = Get("/management/v1/configureddevices");
  ExpectFine(devices, "configureddevices");
  ASSERT_EQ(devices.json()["Value"].size(), 1u);
  const json device = devices.json()["Value"][0];
  EXPECT_EQ(device["DeviceType"], "Telescope");
  EXPECT_EQ(device["DeviceNumber"], 0);
  EXPECT_FALSE(device["DeviceName"].get<std::string>().empty());
  EXPECT_FALSE(device["UniqueID"].get<std::string>().empty());

  // The setup pages exist; other setup paths and other paths do not.
  EXPECT_EQ(Get("/setup").status, 200);
  EXPECT_EQ(Get("/setup/v1/telescope/0/setup").status, 200);
  EXPECT_EQ(Get("/setup/v1/telescope/1/setup").status, 403);
  EXPECT_EQ(Get("/favicon.ico").status, 404);
  EXPECT_EQ(Get("/management/v1/nothing").status, 400);
}

TEST_F(AlpacaTest, EverySupportedMemberAnswersFromWhatTheProgramKnows) {
  StartAlpaca();
  const ControllerState& state = main().controllerState();
  EXPECT_TRUE(Put(Device("connected"), "Connected=True").json()["ErrorNumber"] == 0);
  EXPECT_EQ(Get(Device("connected")).json()["Value"], true);
  EXPECT_EQ(Get(Device("interfaceversion")).json()["Value"], 3);
  EXPECT_EQ(Get(Device("driverversion")).json()["Value"], ORVANE_VERSION);
  for (const char* text : {"name", "description", "driverinfo"}) {
    const HttpAnswer answer = Get(Device(text));
    ExpectFine(answer, text);
    EXPECT_FALSE(answer.json()["Value"].get<std::string>().empty()) << text;
  }
  EXPECT_EQ(Get(Device("supportedactions")).json()["Value"], json::array());
  EXPECT_EQ(Get(Device("alignmentmode")).json()["Value"], 2);
  EXPECT_EQ(Get(Device("equatorialsystem")).json()["Value"], 1);
  EXPECT_EQ(Get(Device("tracking")).json()["Value"], true);
  EXPECT_EQ(Get(Device("slewing")).json()["Value"], false);

  // What it can do, truthfully: slew and synchronise on equatorial coordinates, move two
  // axes; nothing else.
  const std::map<std::string, bool> capabilities{
      {"canslewasync", true},   {"cansync", true},         {"canslew", false},
      {"canpark", false},       {"canunpark", false},      {"canfindhome", false},
      {"canpulseguide", false}, {"cansettracking", false}, {"cansetpark", false},
      {"canslewaltaz", false},  {"canslewaltazasync", false},
      {"cansyncaltaz", false},  {"cansetpierside", false}, {"cansetguiderates", false},
      {"cansetdeclinationrate", false},                    {"cansetrightascensionrate", false}};
  for (const auto& [member, can] : capabilities) {
    const HttpAnswer answer = Get(Device(member));
    ExpectFine(answer, member);
    EXPECT_EQ(answer.json()["Value"], can) << member;
  }
  EXPECT_EQ(Get(Device("canmoveaxis?Axis=0")).json()["Value"], true);
  EXPECT_EQ(Get(Device("canmoveaxis?Axis=1")).json()["Value"], true);
  EXPECT_EQ(Get(Device("canmoveaxis?Axis=2")).json()["Value"], false);
  const json rates = Get(Device("axisrates?Axis=0")).json()["Value"];
  ASSERT_EQ(rates.size(), 6u);
  EXPECT_EQ(rates[0], json({{"Maximum", 1}, {"Minimum", 1}}));
  EXPECT_EQ(rates[5], json({{"Maximum", 6}, {"Minimum", 6}}));
  EXPECT_EQ(Get(Device("axisrates?Axis=2")).json()["Value"], json::array());

  // The position is the one polling read last: reading it does not ask the controller.
  Mark();
  for (int i = 0; i < 20; ++i) {
    const double hours = Get(Device("rightascension")).json()["Value"];
    const double degrees = Get(Device("declination")).json()["Value"];
    EXPECT_DOUBLE_EQ(hours, *HoursOfReading(state.LastRightAscension.text));
    EXPECT_DOUBLE_EQ(degrees, *DegreesOfReading(state.LastDeclination.text));
  }
  EXPECT_EQ(CountReceived(":GR#"), CountReceived(":GD#"));
  EXPECT_LE(CountReceived(":GR#"), 2) << "polls only";

  // The site is the controller's (10 degrees 14 minutes east, 53 degrees 29 north), read
  // once however often it is asked.
  Mark();
  EXPECT_NEAR(Get(Device("sitelatitude")).json()["Value"].get<double>(), 53 + 29 / 60.0, 1e-9);
  EXPECT_NEAR(Get(Device("sitelongitude")).json()["Value"].get<double>(), 10 + 14 / 60.0, 1e-9);
  const double sidereal = Get(Device("siderealtime")).json()["Value"];
  EXPECT_GE(sidereal, 0.0);
  EXPECT_LT(sidereal, 24.0);
  EXPECT_EQ(CountReceived(":Gt#"), 1);
  EXPECT_EQ(CountReceived(":Gg#"), 1);
  const std::string utc = Get(Device("utcdate")).json().value("Value", "");
  EXPECT_TRUE(testing::Shaped(utc, "9999-99-99T99:99:99.9999999Z")) << utc;

  // A target is remembered; none set is "value not set".
  EXPECT_EQ(Get(Device("targetrightascension")).json()["ErrorNumber"], kValueNotSet);
  ExpectFine(Put(Device("targetrightascension"), "TargetRightAscension=5.5"), "target");
  ExpectFine(Put(Device("targetdeclination"), "TargetDeclination=-12.25"), "target");
  EXPECT_EQ(Get(Device("targetrightascension")).json()["Value"], 5.5);
  EXPECT_EQ(Get(Device("targetdeclination")).json()["Value"], -12.25);
  EXPECT_EQ(Put(Device("targetdeclination"), "TargetDeclination=95").json()["ErrorNumber"],
            kInvalidValue);

  ExpectFine(Put(Device("connected"), "Connected=False"), "disconnect");
  EXPECT_EQ(Get(Device("connected")).json()["Value"], false);
  EXPECT_EQ(main().ConnectedPort, 1) << "the program keeps its controller";
}

TEST_F(AlpacaTest, EveryOtherMemberOfTheInterfaceAnswersNotImplemented) {
  StartAlpaca();
  const std::vector<std::string> gets{
      "altitude",        "aperturearea",   "aperturediameter",        "athome",
      "atpark",          "azimuth",        "declinationrate",         "doesrefraction",
      "focallength",     "guideratedeclination", "guideraterightascension", "ispulseguiding",
      "rightascensionrate", "sideofpier",  "siteelevation",           "slewsettletime",
      "trackingrate",    "trackingrates",  "destinationsideofpier?RightAscension=1&Declination=2"};
  for (const std::string& member : gets) {
    const HttpAnswer answer = Get(Device(member));
    EXPECT_EQ(answer.status, 200) << member;
    EXPECT_EQ(answer.json()["ErrorNumber"], kNotImplemented) << member << ": " << answer.body;
    EXPECT_FALSE(answer.json()["ErrorMessage"].get<std::string>().empty()) << member;
  }
  const std::vector<std::pair<std::string, std::string>> puts{
      {"action", "Action=x&Parameters="},    {"commandblind", "Command=:Q%23&Raw=True"},
      {"commandbool", "Command=x&Raw=True"}, {"commandstring", "Command=:GR%23&Raw=True"},
      {"findhome", ""},                      {"park", ""},
      {"unpark", ""},                        {"setpark", ""},
      {"pulseguide", "Direction=0&Duration=100"},
      {"slewtoaltaz", "Azimuth=10&Altitude=20"},
      {"slewtoaltazasync", "Azimuth=10&Altitude=20"},
      {"slewtocoordinates", "RightAscension=1&Declination=2"},
      {"slewtotarget", ""},                  {"synctoaltaz", "Azimuth=10&Altitude=20"},
      {"synctotarget", ""},                  {"tracking", "Tracking=False"},
      {"trackingrate", "TrackingRate=1"},    {"sitelatitude", "SiteLatitude=10"},
      {"sitelongitude", "SiteLongitude=10"}, {"utcdate", "UTCDate=2026-01-01T00:00:00Z"},
      {"sideofpier", "SideOfPier=0"},        {"declinationrate", "DeclinationRate=0"}};
  Mark();
  for (const auto& [member, body] : puts) {
    const HttpAnswer answer = Put(Device(member), body);
    EXPECT_EQ(answer.status, 200) << member;
    EXPECT_EQ(answer.json()["ErrorNumber"], kNotImplemented) << member << ": " << answer.body;
  }
  // Raw commands never reach the controller.
  for (const std::string& command : Received()) {
    EXPECT_TRUE(command == ":GR#" || command == ":GD#" || command == ":Gv#" ||
                command.rfind("<", 0) == 0 || command.rfind(":G", 0) == 0)
        << command;
  }
}

TEST_F(AlpacaTest, RequestsItCannotUnderstandAreAnswered400WithTheReason) {
  StartAlpaca();
  const auto expectBad = [&](const HttpAnswer& answer, const std::string& reason) {
    EXPECT_EQ(answer.status, 400) << answer.body;
    EXPECT_EQ(answer.contentType, "text/plain; charset=utf-8");
    EXPECT_NE(answer.body.find(reason), std::string::npos) << answer.body;
  };
  expectBad(Put(Device("slewtocoordinatesasync"), "Declination=10"),
            "RightAscension is missing");
  expectBad(Put(Device("slewtocoordinatesasync"), "RightAscension=abc&Declination=10"),
            "RightAscension=abc is not a number");
  expectBad(Put(Device("moveaxis"), "Axis=0.5&Rate=1"), "Axis=0.5 is not a whole number");
  expectBad(Put(Device("connected"), "Connected=yes"), "Connected=yes is not True or False");
  expectBad(Get(Device("canmoveaxis")), "Axis is missing");
  expectBad(Get(Device("warpdrive")), "no member \"warpdrive\"");
  expectBad(Get("/api/v1/telescope/1/name"), "no telescope number 1");
  expectBad(Get("/api/v1/camera/0/name"), "no device of type camera");
  expectBad(Get("/api/v1/Telescope/0/name"), "no device of type Telescope");
  expectBad(Get(Device("abortslew")), "abortslew is reached with PUT");
  expectBad(Put(Device("name"), ""), "name is reached with GET");
  expectBad(Get(Device("name?ClientID=1&x=%G1")), "not form-encoded");
  {
    TestClient client(alpacaPort());
    HttpAnswerReader reader;
    expectBad(Ask(client, reader, "PUT", Device("abortslew"), "{}", "application/json"),
              "form-encoded");
  }
  // A value that is a number but no position is the device's "invalid value".
  const HttpAnswer outside = Put(Device("slewtocoordinatesasync"), "RightAscension=24&Declination=0");
  EXPECT_EQ(outside.status, 200);
  EXPECT_EQ(outside.json()["ErrorNumber"], kInvalidValue);
  EXPECT_EQ(Put(Device("moveaxis"), "Axis=0&Rate=2.5").json()["ErrorNumber"], kInvalidValue);
  EXPECT_EQ(Put(Device("moveaxis"), "Axis=2&Rate=1").json()["ErrorNumber"], kInvalidValue);
  EXPECT_EQ(Get(Device("axisrates?Axis=3")).json()["ErrorNumber"], kInvalidValue);
  // Each 400 is in the trace, for whoever wonders what a client got wrong.
  EXPECT_GE(TraceLines("bad request"), 10);
}

TEST_F(AlpacaTest, TransactionNumbersAreEchoedAndCountedAndNamesHaveTheCaseTheProtocolSays) {
  StartAlpaca();
  TestClient client(alpacaPort());
  HttpAnswerReader reader;
  const json first = Ask(client, reader, "GET", Device("name?ClientID=3&ClientTransactionID=41")).json();
  const json second =
      Ask(client, reader, "GET", Device("name?clientid=3&clienttransactionid=42")).json();
  EXPECT_EQ(first["ClientTransactionID"], 41);
  EXPECT_EQ(second["ClientTransactionID"], 42);
  EXPECT_GE(first["ServerTransactionID"].get<long long>(), 1);
  EXPECT_EQ(second["ServerTransactionID"].get<long long>(),
            first["ServerTransactionID"].get<long long>() + 1);
  // None, or none that is a number of the protocol: 0.
  EXPECT_EQ(Ask(client, reader, "GET", Device("name")).json()["ClientTransactionID"], 0);
  EXPECT_EQ(Ask(client, reader, "GET", Device("name?ClientTransactionID=-5")).json()["ClientTransactionID"], 0);
  EXPECT_EQ(Ask(client, reader, "GET", Device("name?ClientTransactionID=4294967296")).json()["ClientTransactionID"], 0);
  EXPECT_EQ(Ask(client, reader, "GET", Device("name?ClientTransactionID=4294967295")).json()["ClientTransactionID"], 4294967295u);
  // PUT: form-encoded body, names exactly as the protocol writes them, escapes decoded.
  const HttpAnswer put = Ask(client, reader, "PUT", Device("targetrightascension"),
                             "ClientTransactionID=9&TargetRightAscension=%31%32.5");
  ExpectFine(put, "put");
  EXPECT_EQ(put.json()["ClientTransactionID"], 9);
  EXPECT_FALSE(put.json().contains("Value"));
  EXPECT_EQ(Ask(client, reader, "GET", Device("targetrightascension")).json()["Value"], 12.5);
  // A name of a body in another case is one the device does not know: a required one is
  // missing (400, the value unchanged), a transaction number is not there (0).
  const HttpAnswer otherCase = Ask(client, reader, "PUT", Device("targetrightascension"),
                                   "ClientTransactionID=10&targetRIGHTascension=3");
  EXPECT_EQ(otherCase.status, 400);
  EXPECT_NE(otherCase.body.find("the parameter TargetRightAscension is missing"), std::string::npos)
      << otherCase.body;
  const HttpAnswer otherCaseNumber = Ask(client, reader, "PUT", Device("targetrightascension"),
                                         "clienttransactionid=11&TargetRightAscension=4");
  ExpectFine(otherCaseNumber, "put");
  EXPECT_EQ(otherCaseNumber.json()["ClientTransactionID"], 0);
  EXPECT_EQ(Ask(client, reader, "GET", Device("targetrightascension")).json()["Value"], 4);
  // A client that asks whether its body is welcome is told so before it sends it.
  client.Write("PUT " + Device("targetdeclination") +
               " HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
               "Content-Length: 20\r\nExpect: 100-continue\r\n\r\n");
  EXPECT_TRUE(RunUntil([&] {
    client.Poll();
    return client.received.find("HTTP/1.1 100 Continue\r\n\r\n") != std::string::npos;
  }));
  ExpectFine(Send(client, reader, "TargetDeclination=12"), "after 100 Continue");
  // The same connection served them all, in order.
  EXPECT_FALSE(client.closed);
  EXPECT_EQ(alpaca().clientCount(), 1);
}

TEST_F(AlpacaTest, ASlewIsOneSequenceThatMovesTheMountAndEndsNotSlewing) {
  StartAlpaca();
  Mark();
  const HttpAnswer slew =
      Put(Device("slewtocoordinatesasync"), "RightAscension=1.5&Declination=75.25");
  ExpectFine(slew, "slew");
  EXPECT_EQ(Get(Device("slewing")).json()["Value"], true);
  // The target of the equinox of the date, as one sequence: nothing comes between.
  const std::vector<std::string> sent = Received();
  const auto at = std::find(sent.begin(), sent.end(), ":Sr01:30:00#");
  ASSERT_NE(at, sent.end());
  ASSERT_GE(sent.end() - at, 4);
  EXPECT_EQ(*(at + 1), ":ONunknown#");
  EXPECT_EQ(*(at + 2), ":Sd+75:15:00#");
  EXPECT_EQ(*(at + 3), ":MS#");
  EXPECT_EQ(CountReceived(":Sp#"), 0);
  EXPECT_EQ(Get(Device("targetrightascension")).json()["Value"], 1.5);

  // The mount moves; once it stands on the target, slewing ends.
  ASSERT_TRUE(RunUntil([&] { return Get(Device("slewing")).json()["Value"] == false; }, 60000));
  EXPECT_NEAR(Get(Device("rightascension")).json()["Value"].get<double>(), 1.5, 1e-3);
  EXPECT_NEAR(Get(Device("declination")).json()["Value"].get<double>(), 75.25, 1e-3);
  EXPECT_GE(TraceLines("slew to 01h 30m 00s"), 1);

  // To the target set before.
  ExpectFine(Put(Device("targetrightascension"), "TargetRightAscension=2"), "target");
  ExpectFine(Put(Device("targetdeclination"), "TargetDeclination=70"), "target");
  ExpectFine(Put(Device("slewtotargetasync"), ""), "slew to target");
  ASSERT_TRUE(RunUntil([&] { return Get(Device("slewing")).json()["Value"] == false; }, 60000));
  EXPECT_NEAR(Get(Device("declination")).json()["Value"].get<double>(), 70, 1e-3);
}

TEST_F(AlpacaTest, AbortSlewStopsTheMountAsTheStopButtonDoes) {
  StartAlpaca();
  ExpectFine(Put(Device("slewtocoordinatesasync"), "RightAscension=12&Declination=-30"), "slew");
  backend().advance(2000);
  Mark();
  ExpectFine(Put(Device("abortslew"), ""), "abort");
  EXPECT_EQ(CountReceived(":Q#"), 1);
  EXPECT_EQ(Get(Device("slewing")).json()["Value"], false);
  // The polls after the stop find the mount standing, far from the target.
  backend().advance(3000);
  const double stoppedAt = Get(Device("declination")).json()["Value"];
  backend().advance(5000);
  EXPECT_EQ(Get(Device("slewing")).json()["Value"], false);
  EXPECT_DOUBLE_EQ(Get(Device("declination")).json()["Value"].get<double>(), stoppedAt);
  EXPECT_GT(stoppedAt, 60.0) << "stopped on the way";
  EXPECT_GE(TraceLines(": stop"), 1);
}

TEST_F(AlpacaTest, TheProgramsStopWithdrawsASlewNotWrittenYet) {
  StartAlpaca();
  Mark();
  TestClient client(alpacaPort());
  HttpAnswerReader reader;
  client.Write("PUT " + Device("slewtocoordinatesasync") +
               " HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
               "Content-Length: 35\r\n\r\nRightAscension=12&Declination=-30.0");
  // The connection is taken, then the request read and queued; the stop button comes
  // before its slew command.
  backend().processMessages();
  backend().processMessages();
  schedule().StopMouseDown();
  schedule().StopMouseUp();
  const HttpAnswer answer = Send(client, reader, "");
  EXPECT_EQ(answer.json()["ErrorNumber"], kInvalidOperation) << answer.body;
  backend().advance(3000);
  EXPECT_EQ(CountReceived(":MS#"), 0);
}

// Imaging programs that keep the line busy (a synchronisation after every plate solve, from
// several at once) hold the program's own position poll up by one of their units at most,
// and take turns among themselves.
TEST_F(AlpacaTest, ClientsYieldTheLineToThePositionPollAndTakeTurns) {
  sim::ControllerOptions strict;
  strict.strict = true;
  StartAlpaca(strict);
  const long long alone = LongestPollCycle(10000);
  struct Syncing {
    std::unique_ptr<TestClient> client;
    HttpAnswerReader reader;
    int answers = 0;
  };
  const std::string form = "RightAscension=6.25&Declination=10";
  const std::string sync = "PUT " + Device("synctocoordinates") +
                           " HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                           "Content-Length: " +
                           std::to_string(form.size()) + "\r\n\r\n" + form;
  std::vector<Syncing> clients(4);
  for (Syncing& each : clients) {
    each.client = std::make_unique<TestClient>(alpacaPort());
    each.client->Write(sync);
  }
  // Each client synchronises again as soon as it has its answer.
  const long long shared = LongestPollCycle(20000, [&] {
    for (Syncing& each : clients) {
      each.client->Poll();
      if (each.client->received.empty()) continue;
      each.reader.Feed(each.client->received);
      each.client->received.clear();
      if (static_cast<int>(each.reader.answers.size()) == each.answers) continue;
      ASSERT_EQ(each.reader.answers.back().json()["ErrorNumber"], 0)
          << each.reader.answers.back().body;
      ++each.answers;
      each.client->Write(sync);
    }
  });
  // One unit on the line: the target's two commands and the synchronisation, with their
  // replies and pauses.
  EXPECT_LE(shared, alone + 250) << "alone " << alone << " ms";
  int fewest = clients.front().answers, most = fewest;
  for (const Syncing& each : clients) {
    fewest = std::min(fewest, each.answers);
    most = std::max(most, each.answers);
  }
  EXPECT_GT(fewest, 10);
  EXPECT_LE(most - fewest, 2);
  EXPECT_EQ(controller().breaches(), 0);
}

TEST_F(AlpacaTest, SyncToCoordinatesTellsTheControllerWhereTheMountPoints) {
  StartAlpaca();
  Mark();
  ExpectFine(Put(Device("synctocoordinates"), "RightAscension=6.25&Declination=-10.5"), "sync");
  const std::vector<std::string> sent = Received();
  const auto at = std::find(sent.begin(), sent.end(), ":Sr06:15:00#");
  ASSERT_NE(at, sent.end());
  ASSERT_GE(sent.end() - at, 3);
  EXPECT_EQ(*(at + 1), ":Sd-10:30:00#");
  EXPECT_EQ(*(at + 2), ":CM#");
  ASSERT_TRUE(RunUntil([&] {
    return std::fabs(Get(Device("declination")).json()["Value"].get<double>() + 10.5) < 1e-3;
  }));
  EXPECT_NEAR(Get(Device("rightascension")).json()["Value"].get<double>(), 6.25, 1e-3);
}

TEST_F(AlpacaTest, MoveAxisDrivesAnAxisAtASlewingSpeedAndStopsIt) {
  StartAlpaca();
  const double start = Get(Device("declination")).json()["Value"];
  Mark();
  ExpectFine(Put(Device("moveaxis"), "Axis=1&Rate=-3"), "move");
  // Slewing speed, 3 degrees a second, south: one sequence.
  const std::vector<std::string> sent = Received();
  const auto at = std::find(sent.begin(), sent.end(), ":RS#");
  ASSERT_GE(sent.end() - at, 3);
  EXPECT_EQ(*(at + 1), ":Sw3#");
  EXPECT_EQ(*(at + 2), ":Ms#");
  backend().advance(3000);
  EXPECT_EQ(Get(Device("slewing")).json()["Value"], true);
  Mark();
  ExpectFine(Put(Device("moveaxis"), "Axis=1&Rate=0"), "stop");
  EXPECT_EQ(CountReceived(":Qn#"), 1);
  EXPECT_EQ(CountReceived(":Qs#"), 1);
  backend().advance(5000);
  EXPECT_EQ(Get(Device("slewing")).json()["Value"], false);
  const double stopped = Get(Device("declination")).json()["Value"];
  EXPECT_LT(stopped, start - 5.0) << "moved south at 3 degrees a second";
}

TEST_F(AlpacaTest, DiscoveryOverUdpAnswersWithThePortOfTheServer) {
  StartAlpaca();
  ASSERT_EQ(alpaca().discoveryPort(), discoveryPort());
  const int udp = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(discoveryPort()));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const auto ask = [&](std::string_view question) {
    ::sendto(udp, question.data(), question.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  };
  std::vector<std::string> answers;
  const auto collect = [&] {
    char buffer[512];
    for (;;) {
      const ssize_t got = ::recv(udp, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      answers.emplace_back(buffer, static_cast<size_t>(got));
    }
  };
  ask("alpacadiscovery1");
  ASSERT_TRUE(RunUntil([&] {
    collect();
    return !answers.empty();
  }));
  EXPECT_EQ(json::parse(answers[0]), json({{"AlpacaPort", alpacaPort()}}));
  // Anything else is not answered; a flood is answered a few times a second only.
  answers.clear();
  ask("alpacadiscovery2");
  ask(std::string(200, 'a'));
  backend().advance(100);
  collect();
  EXPECT_TRUE(answers.empty());
  backend().advance(1000);
  for (int i = 0; i < 100; ++i) ask("alpacadiscovery1");
  // All within one second: the program reads them all without the clock moving.
  for (int round = 0; round < 20; ++round) backend().processMessages();
  collect();
  EXPECT_EQ(answers.size(), static_cast<size_t>(AlpacaDiscovery::kMostAnswersPerSecond));
  ::close(udp);
}

TEST_F(AlpacaTest, TheLimitsOfTheSharingServerApply) {
  StartAlpaca();
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < AlpacaServer::kMostClients + 1; ++i) {
    clients.push_back(std::make_unique<TestClient>(alpacaPort()));
  }
  ASSERT_TRUE(RunUntil([&] {
    clients.back()->Poll();
    return clients.back()->closed;
  }));
  EXPECT_EQ(alpaca().clientCount(), AlpacaServer::kMostClients);
  EXPECT_EQ(TraceLines("refused: 8 clients are connected already"), 1);
  clients.clear();
  RunUntil([&] { return alpaca().clientCount() == 0; });

  {
    // Pipelined requests are answered in order, on one connection.
    TestClient pipelined(alpacaPort());
    HttpAnswerReader reader;
    std::string burst;
    for (int i = 1; i <= 5; ++i) {
      burst += "GET " + Device("interfaceversion?ClientTransactionID=") + std::to_string(i) +
               " HTTP/1.1\r\n\r\n";
    }
    pipelined.Write(burst);
    ASSERT_TRUE(RunUntil([&] {
      pipelined.Poll();
      reader.Feed(pipelined.received);
      pipelined.received.clear();
      return reader.answers.size() == 5;
    }));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(reader.answers[i].json()["ClientTransactionID"], i + 1);

    // A request too long is refused and the connection ends.
    TestClient big(alpacaPort());
    HttpAnswerReader bigReader;
    const HttpAnswer tooLong =
        Ask(big, bigReader, "PUT", Device("targetrightascension"), std::string(20000, 'x'));
    EXPECT_EQ(tooLong.status, 413);
    EXPECT_TRUE(RunUntil([&] {
      big.Poll();
      return big.closed;
    }));
    // Not HTTP at all: 400, and the end.
    TestClient noise(alpacaPort());
    HttpAnswerReader noiseReader;
    EXPECT_EQ(Send(noise, noiseReader, "\x16\x03\x01 hello\r\n\r\n").status, 400);
  }
  RunUntil([&] { return alpaca().clientCount() == 0; });

  // A client silent for 10 minutes is dropped; one that keeps asking is not.
  TestClient silent(alpacaPort());
  TestClient busy(alpacaPort());
  HttpAnswerReader busyReader;
  for (int minute = 0; minute < 11; ++minute) {
    Ask(busy, busyReader, "GET", Device("slewing"));
    backend().advance(60000);
  }
  silent.Poll();
  EXPECT_TRUE(silent.closed);
  busy.Poll();
  EXPECT_FALSE(busy.closed);
  EXPECT_EQ(TraceLines("silent for 10 minutes"), 1);
}

TEST_F(AlpacaTest, WithoutAControllerTheMountAnswersNotConnected) {
  StartAlpaca();
  main().SerialPort->setItemIndex(6);  // "Offline"
  main().connection.SerialPortSelect(main().SerialPort.get());
  ASSERT_EQ(main().ConnectedPort, 0);
  for (const char* member : {"rightascension", "declination", "sitelatitude", "siderealtime"}) {
    EXPECT_EQ(Get(Device(member)).json()["ErrorNumber"], kNotConnected) << member;
  }
  EXPECT_EQ(Put(Device("slewtocoordinatesasync"), "RightAscension=1&Declination=2").json()["ErrorNumber"],
            kNotConnected);
  EXPECT_EQ(Put(Device("connected"), "Connected=True").json()["ErrorNumber"], kNotConnected);
  EXPECT_EQ(Get(Device("connected")).json()["Value"], false);
  // What the mount is does not need it.
  ExpectFine(Get(Device("name")), "name");
}

TEST_F(AlpacaTest, AlpacaAloneIsEnoughToShareAndAPortInUseIsReported) {
  StartAlpaca();
  server().ShareSwitchClick();
  app().settings().write("ShareTextPort", "0");
  app().settings().write("ShareStellariumPort", "0");
  server().ShareSwitchClick();
  EXPECT_TRUE(server().running());
  EXPECT_FALSE(server().textPort());
  ExpectFine(Get(Device("name")), "name");
  EXPECT_NE(main().ShareSwitch->hint().find("ASCOM Alpaca"), std::string::npos);

  server().ShareSwitchClick();
  EXPECT_FALSE(alpaca().running());
  // Another program holds the port: sharing does not start and says why.
  const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
  const int yes = 1;
  ::setsockopt(holder, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(alpacaPort()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(holder, 1), 0);
  server().ShareSwitchClick();
  EXPECT_FALSE(server().running());
  EXPECT_EQ(main().ShareStatus->text(), "Error: Port in use");
  EXPECT_NE(main().ShareStatus->hint().find("ASCOM Alpaca"), std::string::npos);
  ::close(holder);
}

}  // namespace
}  // namespace orvane::share_test
