// ClientCommands: the text protocol as the server speaks it with planetarium programs (the
// controller's own command family, which SkySafari-style clients and INDI's generic driver
// use). Bytes from a client are cut into commands (TextCommandFramer); each complete command
// is classified once (ClassifyClientCommand):
// - refused, without reaching the wire: what a planetarium has no business with (setting
//   writes and reads, the object memory, the start-mode and boot bytes, the precision
//   toggle the program's own reading depends on), malformed arguments and anything the
//   program does not pass on;
// - answered by the program itself: the acknowledge byte, and the few questions such
//   clients ask on connecting that this controller has no command for (time format, site
//   names, tracking frequency, the slew's progress);
// - a position read, which polling usually answers without wire traffic;
// - a stop, which is written at once;
// - a command for the controller, rewritten into the exact form the program itself sends,
//   with whether the program waits for its reply and how the reply is shaped for the
//   client (these clients expect some answers without the closing "#", others not at all).
//   Arguments are checked and rounded as the controller reads them (whole seconds of
//   right ascension and declination, whole minutes of latitude and longitude, whole
//   hours from UTC, real calendar dates). A target (right ascension, declination) is the
//   client's own until a slew or synchronisation uses it (see ShareServer).
// Every command gets what a client of this controller expects: an answer at once for one
// that is refused (the protocol's "0" where the command has an answer, nothing where it has
// none, so that the client's next answer is not shifted).
// Thread: any (pure functions and a plain accumulator).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/CommandQueue.h"

namespace orvane {

// Cuts a client's bytes into commands: ":" ... "#", "<" ... "#", ">" ... "#", the single
// acknowledge byte 6 between commands, and anything else up to the next "#" (which the
// classification refuses). A "#" outside a command is the clients' way to clear the line
// and is skipped, and so are line ends and blanks between commands, which the controller
// ignores too.
class TextCommandFramer {
 public:
  // The longest command, its "#" included.
  static constexpr size_t kLongestCommand = 64;

  // Adds received bytes and appends the commands they complete; false once a command has
  // grown longer than kLongestCommand bytes (the bytes after it are not looked at).
  bool Feed(std::string_view bytes, std::vector<std::string>& commands);
  // Bytes of an incomplete command are waiting for the rest.
  bool midCommand() const { return !partial_.empty(); }

 private:
  std::string partial_;
};

// How the client's answer is made from the controller's reply.
enum class ClientAnswer {
  None,         // the client expects nothing
  AsReplied,    // the reply as it came (nothing without one)
  StatusDigit,  // the reply's "1" or "0" without its "#" ("0" without a reply)
  Accepted,     // "1" once written ("0" when not): the controller does not answer these
  Slew,         // "0" when the slew started, otherwise "1" and a reason and "#"
  Date,         // "1" and the planetary update's two lines, or "0"
};

enum class PositionAxis { RightAscension, Declination };

struct ClientCommand {
  enum class Kind {
    Refused,       // reason says why; reply is what the client gets (often nothing)
    Local,         // reply is the answer
    Position,      // axis tells which
    SlewProgress,  // the answer depends on the mount's motion
    Stop,          // wire is the stop command
    Controller,    // wire is the command; waitsForReply and answer
  };
  Kind kind = Kind::Refused;
  std::string reason;
  // Refused: not a command of the protocol at all (binary noise, another protocol).
  bool garbage = false;
  std::string reply;
  PositionAxis axis = PositionAxis::RightAscension;
  std::string wire;
  bool waitsForReply = false;
  ClientAnswer answer = ClientAnswer::None;
  // Controller: the command sets the target on this axis (the client keeps it).
  std::optional<PositionAxis> target;
  // Controller: the command acts on the target (a slew, a synchronisation), which goes
  // out with it.
  bool usesTarget = false;
  // Refused: a park, which this controller cannot do.
  bool park = false;
};

// command: one command as the framer cut it (with its "#"; the acknowledge byte alone).
ClientCommand ClassifyClientCommand(std::string_view command);

// What the client gets for a command that went to the controller and ended with result.
std::string AnswerForClient(ClientAnswer answer, const CommandResult& result);

// A command as the trace shows it: printable characters as they are, others as \xHH,
// at most kLongestCommand characters.
std::string PrintableCommand(std::string_view command);

}  // namespace orvane
