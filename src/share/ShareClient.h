// ShareClient: one planetarium program connected to the sharing server: its socket and the
// watch on it, what it has sent that is not handled yet, what it is owed that its socket
// has not taken yet, its target, and when it was last heard. Text clients are served one
// command at a time, in the order sent; the next waits until the one before has its
// answer.
// Owned by the ShareServer, which does all the work.
// Thread: user-interface thread only.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "share/ClientCommands.h"
#include "share/StellariumProtocol.h"
#include "ui/DescriptorWatch.h"

namespace orvane {

enum class ShareProtocol { Text, Stellarium };

struct ShareClient {
  long long id = 0;
  ShareProtocol protocol = ShareProtocol::Text;
  int descriptor = -1;
  std::string peer;  // "address:port"
  std::unique_ptr<ui::DescriptorWatch> watch;
  std::string output;         // owed bytes the socket has not taken yet
  long long lastHeardMs = 0;  // last complete command or message received, or the connection
  long long lastSentMs = 0;   // last bytes the socket took
  bool gone = false;          // dropped; the socket is closed when the server reaps it

  // Text protocol.
  TextCommandFramer framer;
  std::deque<std::string> commands;  // complete, not yet handled
  // The first of them were sent before a stop: they are answered, not written.
  std::size_t withdrawn = 0;
  bool busy = false;                 // a command is with the controller or waits for a poll
  bool handling = false;             // the server is going through the commands now
  // A position read waiting for the next poll: since when, until when at most.
  bool awaitingPoll = false;
  PositionAxis awaitedAxis = PositionAxis::RightAscension;
  long long awaitingSinceMs = 0;
  long long awaitDeadlineMs = 0;
  int garbage = 0;          // commands that were no commands of the protocol
  int refusalsTraced = 0;
  // The target the client has given (wire forms; empty until given): it goes out with the
  // client's slew or synchronisation, as one unit.
  std::string targetRightAscension;
  std::string targetDeclination;
  // The client asked for a park, which the controller cannot do: until it stops or slews,
  // the motion it asked for is not reported done (a client must not take the mount for
  // parked).
  bool parkRefused = false;
  bool reading = false;  // the server is reading from its socket now

  // Stellarium protocol.
  StellariumFramer stellarium;
  bool slewQueued = false;                 // a goto of this client waits for the line
  std::optional<StellariumGoto> nextGoto;  // the goto that follows it
};

}  // namespace orvane
