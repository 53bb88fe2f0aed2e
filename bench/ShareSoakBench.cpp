// The program's memory under hostile clients of the sharing server, for an hour (or the
// seconds given as the first argument): the whole program on the Qt backend, connected to
// the orvane-sim program, while a client on a thread of its own connects again and again,
// sends commands that are refused, a line too long to be a command, a Stellarium message
// that is no goto, and a connection that says nothing, each ending in a drop. The resident
// memory is sampled every minute; goal: flat within 2 MB after the first minute.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "SimulatorSession.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "persistence/SettingsStore.h"
#include "share/ShareServer.h"
#include "share/StellariumProtocol.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSampleSeconds = 60;

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

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

// One connection: sends bytes (none: goes at once) and reads until the program ends it.
void Visit(int port, const std::string& bytes) {
  const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  timeval patience{2, 0};
  ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      !bytes.empty()) {
    ::send(descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    char buffer[512];
    while (::recv(descriptor, buffer, sizeof buffer, 0) > 0) {
    }
  }
  ::close(descriptor);
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace orvane;
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3600;
  bench::WithConnectedProgram("share_soak", argc, argv, [seconds](Application& app) {
    TMainForm& main = *app.windows().main;
    const int textPort = FreePort();
    const int stellariumPort = FreePort();
    app.context().settings.write("ShareTextPort", std::to_string(textPort));
    app.context().settings.write("ShareStellariumPort", std::to_string(stellariumPort));
    if (!app.share()->Start()) {
      std::printf("the sharing server did not start: %s\n", main.ShareStatus->text().c_str());
      return;
    }
    main.UpdateTimer.start();

    std::atomic<bool> done = false;
    std::atomic<bool> ended = false;
    std::atomic<long> rounds = 0;
    std::thread client([&] {
      std::string stellariumNoise = EncodeStellariumGoto(5, 5, 0);
      stellariumNoise[0] = 40;
      const std::string textNoise =
          ":SB3#>120:4A#<99:F#:hP#\r\n:ST060.2#\x01\x02#:" + std::string(70, 'A') + "#";
      while (!done) {
        Visit(textPort, textNoise);
        Visit(stellariumPort, stellariumNoise);
        Visit(textPort, "");
        ++rounds;
      }
      ended = true;
    });

    std::printf("%8s %10s %12s\n", "minute", "rounds", "resident kB");
    const auto start = Clock::now();
    auto nextSample = start;
    long firstMinuteKb = -1;
    long lowestKb = -1;
    long highestKb = -1;
    for (int sample = 0;; ++sample) {
      while (Clock::now() < nextSample) {
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
      }
      const long kb = ResidentKb();
      std::printf("%8d %10ld %12ld\n", sample, rounds.load(), kb);
      std::fflush(stdout);
      if (sample == 1) firstMinuteKb = kb;
      if (sample >= 1) {
        lowestKb = lowestKb < 0 ? kb : std::min(lowestKb, kb);
        highestKb = std::max(highestKb, kb);
      }
      if (Clock::now() - start >= std::chrono::seconds(seconds)) break;
      nextSample += std::chrono::seconds(kSampleSeconds);
    }
    const long endKb = ResidentKb();
    done = true;
    // The client's last visit waits on the program: the program runs until it is over.
    while (!ended) QApplication::processEvents(QEventLoop::AllEvents, 50);
    client.join();
    std::printf(
        "%ld hostile rounds in %d s; resident memory after the first minute %ld kB, at the end "
        "%ld kB (lowest %ld, highest %ld): growth %ld kB (goal: under 2048 kB)\n",
        rounds.load(), seconds, firstMinuteKb, endKb, lowestKb, highestKb, endKb - firstMinuteKb);
  });
  return 0;
}
