// AlpacaDiscovery: answers the network device protocol's discovery (ASCOM Alpaca): a client
// sends the datagram "alpacadiscovery1" to the discovery port, by broadcast (IPv4) or to the
// multicast group ff12::a1:9aca (IPv6), and every device answers the sender alone with
// {"AlpacaPort": N}, the port of its HTTP server. The port is shared with other devices on
// the same computer (address and port reuse).
//
// It answers only where the server listens: on the loopback address it takes datagrams sent
// to that address alone; on another address it hears broadcasts but answers only those that
// came in for that address (all of them for the wildcard address 0.0.0.0 or ::). Inputs are
// bounded: longer datagrams and any other text are ignored, and it answers at most
// kMostAnswersPerSecond times a second, so that it cannot be used to flood a third party.
// Thread: user-interface thread only (the socket is watched through the backend).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/DescriptorWatch.h"

namespace orvane {

namespace ui {
class Backend;
}

class AlpacaDiscovery {
 public:
  static constexpr std::string_view kQuestion = "alpacadiscovery1";
  static constexpr std::size_t kLongestQuestion = 64;
  static constexpr int kMostAnswersPerSecond = 20;

  explicit AlpacaDiscovery(ui::Backend& backend);
  ~AlpacaDiscovery();
  AlpacaDiscovery(const AlpacaDiscovery&) = delete;
  AlpacaDiscovery& operator=(const AlpacaDiscovery&) = delete;

  // Listens on port for the address the HTTP server listens on and answers with httpPort.
  // On failure nothing listens and the reason is returned.
  std::optional<std::string> Start(const std::string& address, int port, int httpPort);
  void Stop();
  bool running() const { return descriptor_ >= 0; }
  // The port it listens on (the one asked for, or the system's choice for 0).
  int port() const { return port_; }
  long long answers() const { return answers_; }

 private:
  void readQuestions();

  ui::Backend& backend_;
  int descriptor_ = -1;
  int port_ = 0;
  bool ipv6_ = false;
  // The local address (IPv4) or interface (IPv6) a question must have come in for;
  // nothing: any.
  std::optional<std::string> onlyAddress_;
  unsigned onlyInterface_ = 0;
  std::string answer_;
  std::unique_ptr<ui::DescriptorWatch> watch_;
  long long windowStartMs_ = 0;
  int answersInWindow_ = 0;
  long long answers_ = 0;
};

}  // namespace orvane
