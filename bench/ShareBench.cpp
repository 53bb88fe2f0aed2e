// A planetarium client reading the position fast through the sharing server, against the
// orvane-sim program on a pseudo-terminal at 9600 baud, with the whole program on the Qt
// backend polling at the shipped profile's interval (1 s):
//  - first the program alone for a while: the commands polling writes per second;
//  - then a client on the text port sending ":GR#" 100 times a second for 60 s, each
//    time waiting for its answer: the reply latency (median, 99th percentile, worst), and
//    the commands written meanwhile, against the polls made (goal: no ":GR#" beyond the
//    program's own polls, the same commands per second as without the client).
// The client runs on a thread of its own with a blocking socket, as a separate program
// would; it touches nothing of the program.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "SimulatorSession.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "link/Cache.h"
#include "persistence/SettingsStore.h"
#include "share/ShareServer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBaselineSeconds = 20;
constexpr int kClientSeconds = 60;
constexpr auto kReadEvery = std::chrono::milliseconds(10);

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

// What the client thread measured.
struct ClientRun {
  std::vector<double> latenciesMs;
  int failures = 0;  // no answer within its time-out, or a wrong one
  bool connected = false;
};

// Reads ":GR#" every 10 ms for the given time, each read waiting for its whole answer
// (up to 3 s).
void RunClient(int port, int seconds, ClientRun& run, std::atomic<bool>& done) {
  const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int yes = 1;
  ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  timeval patience{3, 0};
  ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  run.connected =
      ::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  auto next = Clock::now();
  while (run.connected && Clock::now() < end) {
    std::this_thread::sleep_until(next);
    next += kReadEvery;
    const auto asked = Clock::now();
    if (::send(descriptor, ":GR#", 4, MSG_NOSIGNAL) != 4) {
      ++run.failures;
      break;
    }
    std::string answer;
    char buffer[64];
    while (answer.empty() || answer.back() != '#') {
      const ssize_t got = ::recv(descriptor, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      answer.append(buffer, static_cast<size_t>(got));
    }
    if (answer.size() != 9 || answer.back() != '#') {
      ++run.failures;
      if (answer.empty()) continue;
    }
    run.latenciesMs.push_back(
        std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
    // A late client stays on schedule rather than catching up in a burst.
    next = std::max(next, Clock::now());
  }
  ::close(descriptor);
  done = true;
}

// Lets the program run for the given time.
void RunFor(double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace orvane;
  bench::WithConnectedProgram("share", argc, argv, [](Application& app) {
    TMainForm& main = *app.windows().main;
    TCache& cache = *app.windows().cache;
    ShareServer& server = *app.share();
    const int port = FreePort();
    app.context().settings.write("ShareTextPort", std::to_string(port));
    app.context().settings.write("ShareStellariumPort", "0");
    if (!server.Start()) {
      std::printf("the sharing server did not start: %s\n", main.ShareStatus->text().c_str());
      return;
    }

    long long written = 0;
    long long positionReads = 0;
    cache.queue().onWritten = [&](const std::string& command) {
      ++written;
      if (command == ":GR#") ++positionReads;
    };
    main.UpdateTimer.start();
    RunFor(2);  // polling settles (the first slow reads)

    written = 0;
    positionReads = 0;
    RunFor(kBaselineSeconds);
    const double baselinePerSecond = static_cast<double>(written) / kBaselineSeconds;
    const double baselinePolls = static_cast<double>(positionReads) / kBaselineSeconds;

    written = 0;
    positionReads = 0;
    long long polls = 0;
    long long lastReading = main.controllerState().LastRightAscension.atMs;
    ClientRun run;
    std::atomic<bool> done = false;
    const auto start = Clock::now();
    std::thread client(RunClient, port, kClientSeconds, std::ref(run), std::ref(done));
    while (!done) {
      QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
      const long long reading = main.controllerState().LastRightAscension.atMs;
      if (reading != lastReading) {
        ++polls;
        lastReading = reading;
      }
    }
    client.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    cache.queue().onWritten = nullptr;

    std::vector<double> sorted = run.latenciesMs;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double fraction) {
      return sorted.empty() ? 0.0 : sorted[static_cast<size_t>(fraction * (sorted.size() - 1))];
    };
    std::printf("program alone, %d s: %.2f commands/s written, %.2f \":GR#\"/s (its polls)\n",
                kBaselineSeconds, baselinePerSecond, baselinePolls);
    std::printf("client reading \":GR#\" every %lld ms for %.1f s: %zu answers, %d failed%s\n",
                static_cast<long long>(kReadEvery.count()), seconds, run.latenciesMs.size(),
                run.failures, run.connected ? "" : " (no connection)");
    std::printf("reply latency: median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n",
                at(0.5), at(0.99), sorted.empty() ? 0.0 : sorted.back());
    std::printf(
        "meanwhile: %.2f commands/s written, %lld \":GR#\" written for %lld polls; extra "
        "\":GR#\" caused by the client: %lld (goal: 0)\n",
        static_cast<double>(written) / seconds, positionReads, polls, positionReads - polls);
  });
  return 0;
}
