// Bad input to the sharing server, in the whole program (virtual time, simulated
// controller): noise, an endless line, a crowd of connections, clients that vanish in the
// middle of a command, that fall silent or stop reading. The program keeps polling, and
// nothing but whole, allowed commands reaches the controller.
#include <random>

#include "share/ShareTestSupport.h"
#include "share/StellariumProtocol.h"

namespace orvane::share_test {
namespace {

// The program's own reads while it polls; every other command in these tests is a fault.
bool IsPollingRead(const std::string& command) {
  return command == ":GR#" || command == ":GD#" || command == ":Gv#" || command == ":GB#" ||
         command == "<99:F#";
}

class ShareSafetyTest : public ShareTest {
 protected:
  void ExpectOnlyPolling() {
    for (const std::string& command : Received()) {
      EXPECT_TRUE(IsPollingRead(command)) << command << " reached the controller";
    }
  }
  // Writes all bytes, letting the program run while the socket is full (and taking the
  // answers unless told not to); false when the program ended the connection first.
  bool WriteAll(TestClient& client, const std::string& bytes, bool readAnswers = true) {
    size_t at = 0;
    const long long start = backend().nowMs();
    while (at < bytes.size()) {
      const size_t written = client.Write(std::string_view(bytes).substr(at));
      at += written;
      if (readAnswers) {
        client.Poll();
        client.received.clear();
      }
      if (client.closed || (written == 0 && client.writeFailed())) return false;
      if (backend().nowMs() - start > 60000) return false;
      backend().advance(1);
    }
    return true;
  }
};

TEST_F(ShareSafetyTest, NoiseIsRefusedTheClientDroppedAndPollingGoesOn) {
  StartProgram();
  TestClient client(textPort());
  Mark();
  std::mt19937 random(14);
  std::string noise;
  for (int i = 0; i < 4096; ++i) {
    // Plenty of "#", so that the noise is cut into many would-be commands.
    noise += i % 7 == 0 ? '#' : static_cast<char>(random() % 256);
  }
  WriteAll(client, noise);
  ASSERT_TRUE(RunUntil([&] {
    client.Poll();
    return client.closed;
  }));
  backend().advance(8000);
  ExpectOnlyPolling();
  EXPECT_GE(CountReceived(":GR#"), 5);
  EXPECT_EQ(server().clientCount(), 0);
  EXPECT_EQ(TraceLines("dropped"), 1);
}

TEST_F(ShareSafetyTest, AOneMegabyteLineEndsTheConnection) {
  StartProgram();
  TestClient client(textPort());
  Mark();
  WriteAll(client, ":" + std::string(1 << 20, 'A') + "#");
  ASSERT_TRUE(RunUntil([&] {
    client.Poll();
    return client.closed;
  }));
  EXPECT_EQ(TraceLines("dropped: command longer than 64 bytes"), 1);
  backend().advance(3000);
  ExpectOnlyPolling();
  // A new client is served as before.
  TestClient next(textPort());
  EXPECT_EQ(Ask(next, ":GR#"), main().controllerState().LastRightAscension.text + "#");
}

TEST_F(ShareSafetyTest, FiftyConnectionsAtOnceGetEightServedAndTheRestClosed) {
  StartProgram();
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < 50; ++i) {
    clients.push_back(std::make_unique<TestClient>(i % 2 == 0 ? textPort() : stellariumPort()));
  }
  const auto closedCount = [&] {
    int closed = 0;
    for (auto& client : clients) {
      client->Poll();
      closed += client->closed ? 1 : 0;
    }
    return closed;
  };
  ASSERT_TRUE(RunUntil([&] { return closedCount() == 42; }));
  backend().advance(2000);
  EXPECT_EQ(closedCount(), 42);
  EXPECT_EQ(server().clientCount(), ShareServer::kMostClients);
  EXPECT_EQ(main().ShareStatus->text(), "Status: 8 clients connected");
  EXPECT_EQ(TraceLines("8 clients are connected already"), 42);
  for (auto& client : clients) {
    if (!client->closed) client->received.clear();
  }
  // The eight are served: text clients answer, Stellarium clients get positions.
  for (size_t i = 0; i < clients.size(); i += 2) {
    if (!clients[i]->closed) clients[i]->Write(":GR#");
  }
  backend().advance(1500);
  int served = 0;
  for (auto& client : clients) {
    if (client->closed) continue;
    client->Poll();
    EXPECT_FALSE(client->received.empty());
    ++served;
  }
  EXPECT_EQ(served, 8);
  clients.clear();
  EXPECT_TRUE(RunUntil([&] { return server().clientCount() == 0; }));
  TestClient late(textPort());
  EXPECT_EQ(Ask(late, "\x06"), "P");
}

TEST_F(ShareSafetyTest, AClientThatVanishesMidCommandLeavesNothingOnTheWire) {
  StartProgram();
  Mark();
  {
    TestClient half(textPort());
    half.Write(":Sd +20*00:0");
    backend().advance(100);
    half.Abort();
  }
  {
    // Gone right after a whole command: the command goes out whole, its reply nowhere.
    TestClient whole(textPort());
    whole.Write(":Sr 05:30:00#");
    backend().processMessages();
    whole.Close();
  }
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 0; }));
  backend().advance(3000);
  EXPECT_EQ(TraceLines("disconnected in the middle of a command"), 1);
  for (const std::string& command : Received()) {
    EXPECT_TRUE(IsPollingRead(command) || command == ":Sr05:30:00#") << command;
  }
  EXPECT_GE(CountReceived(":GR#"), 2);
}

TEST_F(ShareSafetyTest, ASilentTextClientIsDroppedAfterTenMinutesAListeningStellariumOneIsNot) {
  StartProgram();
  TestClient text(textPort());
  TestClient stellarium(stellariumPort());
  TestClient chatty(textPort());
  ASSERT_TRUE(RunUntil([&] { return server().clientCount() == 3; }));
  const long long start = backend().nowMs();
  while (backend().nowMs() - start < 9 * 60 * 1000) {
    Ask(chatty, ":GV#");
    stellarium.Poll();
    stellarium.received.clear();
    backend().advance(30000);
  }
  text.Poll();
  EXPECT_FALSE(text.closed);
  backend().advance(90 * 1000);
  text.Poll();
  stellarium.Poll();
  chatty.Poll();
  EXPECT_TRUE(text.closed);
  EXPECT_FALSE(stellarium.closed);
  EXPECT_FALSE(chatty.closed);
  EXPECT_EQ(TraceLines("dropped: silent for 10 minutes"), 1);
}

TEST_F(ShareSafetyTest, AClientThatDoesNotReadItsAnswersIsDropped) {
  StartProgram();
  TestClient client(textPort(), 4096);
  // Questions the program answers itself at once, far more answers than the sockets hold.
  std::string questions;
  for (int i = 0; i < 2000000; ++i) questions += ":Gc#";
  WriteAll(client, questions, false);
  EXPECT_TRUE(RunUntil([&] { return server().clientCount() == 0; }));
  EXPECT_EQ(TraceLines("dropped: does not take what it is sent"), 1);
}

TEST_F(ShareSafetyTest, AStellariumMessageThatIsNoGotoEndsTheConnection) {
  StartProgram();
  TestClient client(stellariumPort());
  Mark();
  std::string wrong = EncodeStellariumGoto(5, 5, 0);
  wrong[0] = 40;
  client.Write(wrong);
  ASSERT_TRUE(RunUntil([&] {
    client.Poll();
    return client.closed;
  }));
  EXPECT_EQ(TraceLines("message of length 40 and type 0, which is no goto"), 1);
  backend().advance(2000);
  ExpectOnlyPolling();
}

}  // namespace
}  // namespace orvane::share_test
