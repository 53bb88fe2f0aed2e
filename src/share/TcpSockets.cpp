#include "share/TcpSockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane {

namespace {

// Connections the system completes before the program takes them; more than the server
// serves, so that a crowd is taken and the surplus closed at once rather than left hanging.
constexpr int kBacklog = 64;

}  // namespace

ListenResult OpenListener(const std::string& address, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (::getaddrinfo(address.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    return ListenResult{-1, ListenFailure::NotAnAddress, address + " is not an address"};
  }
  const int descriptor =
      ::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (descriptor < 0) {
    ::freeaddrinfo(found);
    return ListenResult{-1, ListenFailure::Other, std::strerror(errno)};
  }
  const int yes = 1;
  ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (::bind(descriptor, found->ai_addr, found->ai_addrlen) != 0 ||
      ::listen(descriptor, kBacklog) != 0) {
    const int error = errno;
    ::freeaddrinfo(found);
    ::close(descriptor);
    const std::string where = address + " port " + service;
    if (error == EADDRINUSE) return ListenResult{-1, ListenFailure::PortInUse, where + " is in use"};
    const ListenFailure failure = error == EACCES ? ListenFailure::NotAllowed : ListenFailure::Other;
    return ListenResult{-1, failure, where + ": " + std::strerror(error)};
  }
  ::freeaddrinfo(found);
  return ListenResult{descriptor, ListenFailure::None, {}};
}

int ListeningPort(int descriptor) {
  sockaddr_storage local{};
  socklen_t length = sizeof local;
  if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &length) != 0) return -1;
  if (local.ss_family == AF_INET) {
    return ntohs(reinterpret_cast<sockaddr_in*>(&local)->sin_port);
  }
  if (local.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<sockaddr_in6*>(&local)->sin6_port);
  }
  return -1;
}

int AcceptConnection(int listener) {
  for (;;) {
    const int descriptor = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (descriptor >= 0) {
      // Replies are small and each is awaited: send them at once.
      const int yes = 1;
      ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
      return descriptor;
    }
    // A connection that was reset before it was taken is simply not there.
    if (errno == EINTR || errno == ECONNABORTED) continue;
    return -1;
  }
}

std::string PeerName(int descriptor) {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return "?";
  char host[NI_MAXHOST];
  char service[NI_MAXSERV];
  if (::getnameinfo(reinterpret_cast<sockaddr*>(&peer), length, host, sizeof host, service,
                    sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
    return "?";
  }
  return std::string(host) + ":" + service;
}

Transfer ReadSome(int descriptor, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::recv(descriptor, buffer, size, 0);
    if (got > 0) return Transfer{TransferStatus::Done, static_cast<std::size_t>(got)};
    if (got == 0) return Transfer{TransferStatus::Closed, 0};
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Transfer{TransferStatus::WouldBlock, 0};
    return Transfer{TransferStatus::Closed, 0};
  }
}

Transfer WriteSome(int descriptor, const char* data, std::size_t size) {
  for (;;) {
    // No SIGPIPE for a peer that has gone: the error says so.
    const ssize_t sent = ::send(descriptor, data, size, MSG_NOSIGNAL);
    if (sent >= 0) return Transfer{TransferStatus::Done, static_cast<std::size_t>(sent)};
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Transfer{TransferStatus::WouldBlock, 0};
    return Transfer{TransferStatus::Closed, 0};
  }
}

void CloseSocket(int descriptor) {
  if (descriptor >= 0) ::close(descriptor);
}

}  // namespace orvane
