#include "share/AlpacaDiscovery.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <nlohmann/json.hpp>

#include "ui/Backend.h"

namespace orvane {

namespace {

// The protocol's IPv6 multicast group.
constexpr const char* kMulticastGroup = "ff12::a1:9aca";
constexpr int kQuestionsPerRound = 16;

std::string AddressText(int family, const void* address) {
  char text[INET6_ADDRSTRLEN] = {};
  if (::inet_ntop(family, address, text, sizeof text) == nullptr) return {};
  return text;
}

// The index of the interface that has the IPv6 address; 0 when none has.
unsigned InterfaceOf(const in6_addr& address) {
  ifaddrs* all = nullptr;
  if (::getifaddrs(&all) != 0) return 0;
  unsigned index = 0;
  for (ifaddrs* entry = all; entry != nullptr && index == 0; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET6) continue;
    const auto* own = reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr);
    if (std::memcmp(&own->sin6_addr, &address, sizeof address) == 0) {
      index = ::if_nametoindex(entry->ifa_name);
    }
  }
  ::freeifaddrs(all);
  return index;
}

}  // namespace

AlpacaDiscovery::AlpacaDiscovery(ui::Backend& backend) : backend_(backend) {}

AlpacaDiscovery::~AlpacaDiscovery() {
  Stop();
}

std::optional<std::string> AlpacaDiscovery::Start(const std::string& address, int port,
                                                  int httpPort) {
  Stop();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
  addrinfo* found = nullptr;
  if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 ||
      found == nullptr) {
    return address + " is not an address";
  }
  sockaddr_storage bound{};
  std::memcpy(&bound, found->ai_addr, found->ai_addrlen);
  const socklen_t boundLength = found->ai_addrlen;
  ipv6_ = found->ai_family == AF_INET6;
  ::freeaddrinfo(found);

  // The loopback address takes the questions sent to it; any other address needs the
  // wildcard to hear broadcasts, and questions for other addresses are left unanswered.
  bool loopback = false;
  bool wildcard = false;
  onlyAddress_.reset();
  onlyInterface_ = 0;
  if (ipv6_) {
    auto& six = reinterpret_cast<sockaddr_in6&>(bound);
    loopback = IN6_IS_ADDR_LOOPBACK(&six.sin6_addr);
    wildcard = IN6_IS_ADDR_UNSPECIFIED(&six.sin6_addr);
    if (!loopback && !wildcard) {
      onlyInterface_ = InterfaceOf(six.sin6_addr);
      six.sin6_addr = in6addr_any;
    }
  } else {
    auto& four = reinterpret_cast<sockaddr_in&>(bound);
    loopback = (ntohl(four.sin_addr.s_addr) >> 24) == 127;
    wildcard = four.sin_addr.s_addr == htonl(INADDR_ANY);
    if (!loopback && !wildcard) {
      onlyAddress_ = address;
      four.sin_addr.s_addr = htonl(INADDR_ANY);
    }
  }

  const int descriptor =
      ::socket(ipv6_ ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (descriptor < 0) return std::string(std::strerror(errno));
  const int yes = 1;
  // Other devices on this computer answer on the same port.
  ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes);
  if (ipv6_) {
    ::setsockopt(descriptor, IPPROTO_IPV6, IPV6_RECVPKTINFO, &yes, sizeof yes);
  } else {
    ::setsockopt(descriptor, IPPROTO_IP, IP_PKTINFO, &yes, sizeof yes);
  }
  if (::bind(descriptor, reinterpret_cast<sockaddr*>(&bound), boundLength) != 0) {
    const std::string error = address + " port " + std::to_string(port) + ": " +
                              std::strerror(errno);
    ::close(descriptor);
    return error;
  }
  if (ipv6_ && !loopback) {
    ipv6_mreq group{};
    ::inet_pton(AF_INET6, kMulticastGroup, &group.ipv6mr_multiaddr);
    group.ipv6mr_interface = onlyInterface_;
    // Without a network the group cannot be joined; questions sent to the address still
    // are answered.
    ::setsockopt(descriptor, IPPROTO_IPV6, IPV6_JOIN_GROUP, &group, sizeof group);
  }
  sockaddr_storage local{};
  socklen_t length = sizeof local;
  ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &length);
  port_ = ipv6_ ? ntohs(reinterpret_cast<sockaddr_in6&>(local).sin6_port)
                : ntohs(reinterpret_cast<sockaddr_in&>(local).sin_port);
  descriptor_ = descriptor;
  answer_ = nlohmann::json{{"AlpacaPort", httpPort}}.dump();
  watch_ = std::make_unique<ui::DescriptorWatch>(backend_, descriptor_);
  watch_->onReadable = [this](ui::DescriptorWatch&) { readQuestions(); };
  return std::nullopt;
}

void AlpacaDiscovery::Stop() {
  watch_.reset();
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

void AlpacaDiscovery::readQuestions() {
  for (int round = 0; round < kQuestionsPerRound && descriptor_ >= 0; ++round) {
    char question[kLongestQuestion + 1];
    alignas(cmsghdr) char control[256];
    sockaddr_storage sender{};
    iovec part{question, sizeof question};
    msghdr message{};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(descriptor_, &message, 0);
    if (got < 0) return;  // nothing more now (or a passing error of a datagram socket)
    const std::string_view text(question, static_cast<std::size_t>(got));
    if ((message.msg_flags & MSG_TRUNC) != 0 || text.size() > kLongestQuestion ||
        text.substr(0, kQuestion.size()) != kQuestion) {
      continue;
    }
    // Answer only what came in for the address the server listens on.
    bool forUs = !onlyAddress_ && onlyInterface_ == 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr && !forUs;
         header = CMSG_NXTHDR(&message, header)) {
      if (!ipv6_ && header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
        const auto* info = reinterpret_cast<const in_pktinfo*>(CMSG_DATA(header));
        forUs = onlyAddress_ && AddressText(AF_INET, &info->ipi_spec_dst) == *onlyAddress_;
      } else if (ipv6_ && header->cmsg_level == IPPROTO_IPV6 && header->cmsg_type == IPV6_PKTINFO) {
        const auto* info = reinterpret_cast<const in6_pktinfo*>(CMSG_DATA(header));
        forUs = info->ipi6_ifindex == onlyInterface_;
      }
    }
    if (!forUs) continue;
    const long long now = backend_.ticksMs();
    if (now - windowStartMs_ >= 1000) {
      windowStartMs_ = now;
      answersInWindow_ = 0;
    }
    if (answersInWindow_ >= kMostAnswersPerSecond) continue;
    ++answersInWindow_;
    ++answers_;
    ::sendto(descriptor_, answer_.data(), answer_.size(), MSG_NOSIGNAL,
             reinterpret_cast<sockaddr*>(&sender), message.msg_namelen);
  }
}

}  // namespace orvane
