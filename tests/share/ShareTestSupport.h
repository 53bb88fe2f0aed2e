// The whole program in virtual time with a simulated controller on COM1, its sharing server
// on two free loopback ports, and network clients the test drives on its own thread:
// bytes a client writes are in the program's socket at once, and the program reads them
// the next time it processes events.
// Thread: the test's thread, which is the program's user-interface thread.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/MainForm.h"
#include "link/Cache.h"
#include "link/TraceForm.h"
#include "schedule/Schedule.h"
#include "share/ShareServer.h"
#include "support/HeadlessApp.h"

namespace orvane::share_test {

// A loopback port nobody listens on right now.
inline int FreePort() {
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

// One network client of the program, non-blocking.
class TestClient {
 public:
  // receiveBuffer: the socket's receive buffer in bytes (0: the system's, which grows).
  explicit TestClient(int port, int receiveBuffer = 0) {
    descriptor_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
      ::setsockopt(descriptor_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // On the loopback the connection is made by the system before the program accepts it.
    connected_ = ::connect(descriptor_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::fcntl(descriptor_, F_SETFL, O_NONBLOCK);
  }
  ~TestClient() { Close(); }
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  bool connected() const { return connected_; }
  // Writes what the socket takes now; the count written.
  size_t Write(std::string_view bytes) {
    if (descriptor_ < 0) return 0;
    const ssize_t sent = ::send(descriptor_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    writeFailed_ = sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
    return sent > 0 ? static_cast<size_t>(sent) : 0;
  }
  // The last write failed for good (the program closed the connection).
  bool writeFailed() const { return writeFailed_; }
  // Takes what has arrived; notes the program's end of the connection.
  void Poll() {
    if (descriptor_ < 0) return;
    char buffer[4096];
    for (;;) {
      const ssize_t got = ::recv(descriptor_, buffer, sizeof buffer, 0);
      if (got > 0) {
        received.append(buffer, static_cast<size_t>(got));
        continue;
      }
      if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) closed = true;
      return;
    }
  }
  void Close() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
  }
  // Ends the connection with a reset, as a client whose computer goes away does.
  void Abort() {
    linger hard{1, 0};
    ::setsockopt(descriptor_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    Close();
  }

  std::string received;
  bool closed = false;

 private:
  int descriptor_ = -1;
  bool connected_ = false;
  bool writeFailed_ = false;
};

class ShareTest : public ::testing::Test {
 protected:
  // The program with a profile on COM1: polling every second, replies awaited a second.
  void StartProgram(bool shareOn = true, sim::ControllerOptions options = {}) {
    SettingsStore& settings = app_.settings();
    settings.write("ShareTextPort", std::to_string(textPort_));
    settings.write("ShareStellariumPort", std::to_string(stellariumPort_));
    if (shareOn) settings.write("Share", "on");
    testing::WriteFile(app_.programFolder() / "Share.ocf",
                       "Version \"32.4\"\nPort \"COM1\"\nTimeOut \"1000\"\nCacheDelay \"1000\"\n"
                       "Update \"1000\"\n");
    settings.write("LastProfile", "Share.ocf");
    controller_ = &app_.devices().addController(1, options);
    app_.Start();
    ASSERT_EQ(app_.main().ConnectedPort, 1);
    // Polling has read the position once.
    ASSERT_TRUE(RunUntil([&] { return main().controllerState().LastDeclination.atMs >= 0; }));
  }

  TMainForm& main() { return app_.main(); }
  ShareServer& server() { return *app_.app().share(); }
  TSchedule& schedule() { return *app_.windows().schedule; }
  ui::HeadlessBackend& backend() { return app_.backend(); }
  sim::SimulatedController& controller() { return *controller_; }
  testing::HeadlessApp& app() { return app_; }
  int textPort() const { return textPort_; }
  int stellariumPort() const { return stellariumPort_; }

  // Runs the program (virtual time) until done() holds; false after limitMs.
  bool RunUntil(const std::function<bool()>& done, long long limitMs = 10000) {
    return backend().runUntil(done, limitMs);
  }

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

  // Sends a command and runs the program until the client has a whole answer: one ending
  // in "#", or the single characters "0", "1" and "P" some answers are.
  std::string Ask(TestClient& client, std::string_view command) {
    client.received.clear();
    client.Write(command);
    RunUntil([&] {
      client.Poll();
      const std::string& got = client.received;
      return client.closed || (!got.empty() && (got.back() == '#' || got == "0" ||
                                                got == "1" || got == "P"));
    });
    std::string answer = std::move(client.received);
    client.received.clear();
    return answer;
  }

  // The commands the controller received since the mark.
  void Mark() { mark_ = controller_->commandLog().size(); }
  std::vector<std::string> Received() const {
    const auto& log = controller_->commandLog();
    return std::vector<std::string>(log.begin() + static_cast<long>(std::min(mark_, log.size())),
                                    log.end());
  }
  int CountReceived(const std::string& command) const {
    const std::vector<std::string> log = Received();
    return static_cast<int>(std::count(log.begin(), log.end(), command));
  }

  // Trace lines that contain text.
  int TraceLines(const std::string& text) {
    const auto& lines = app_.windows().trace->Status->lines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    }));
  }

 private:
  testing::HeadlessApp app_;
  sim::SimulatedController* controller_ = nullptr;
  int textPort_ = FreePort();
  int stellariumPort_ = FreePort();
  size_t mark_ = 0;
};

}  // namespace orvane::share_test
