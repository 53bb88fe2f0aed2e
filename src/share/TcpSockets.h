// TcpSockets: the few POSIX socket operations the sharing server uses: a non-blocking
// listening socket on a numeric address (IPv4 or IPv6), accepting a connection, its
// peer's name, reading and writing without blocking.
// Thread: user-interface thread (the calls never block).
#pragma once

#include <string>

namespace orvane {

// Why a port could not be listened on.
enum class ListenFailure { None, NotAnAddress, PortInUse, NotAllowed, Other };

struct ListenResult {
  int descriptor = -1;
  ListenFailure failure = ListenFailure::None;
  std::string error;  // when descriptor is -1: what went wrong, in words
};

// Listens on address (a numeric IPv4 or IPv6 address) and port.
ListenResult OpenListener(const std::string& address, int port);
// The port a listening socket is bound to (the one asked for, or the system's choice for 0).
int ListeningPort(int descriptor);

// A connection waiting on a listening socket, non-blocking and closed on exec; -1 when none.
int AcceptConnection(int listener);
// "address:port" of the connection's far end.
std::string PeerName(int descriptor);

enum class TransferStatus { Done, WouldBlock, Closed };
struct Transfer {
  TransferStatus status = TransferStatus::Done;
  std::size_t bytes = 0;
};
// Reads up to size bytes; Closed at the end of the stream or on an error.
Transfer ReadSome(int descriptor, char* buffer, std::size_t size);
// Writes what the socket takes now; Closed when the peer has gone.
Transfer WriteSome(int descriptor, const char* data, std::size_t size);

void CloseSocket(int descriptor);

}  // namespace orvane
