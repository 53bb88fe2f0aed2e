// StellariumProtocol: Stellarium's telescope server protocol, binary over TCP, all numbers
// little-endian. A client sends goto messages: length (16 bits, 20), type (16 bits, 0),
// the client's time (64 bits, microseconds since 1970), right ascension (unsigned 32 bits,
// a full turn of 24 hours being 2^32) and declination (signed 32 bits, 90 degrees being
// 2^30), J2000. The server sends position messages of the same layout with length 24 and a
// status word (signed 32 bits, 0 for a good position) at the end.
// Also here: the position texts between the controller's readings, the target fields of
// manual targeting and these numbers.
// Thread: any (pure functions and a plain accumulator).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct StellariumGoto {
  std::int64_t clientMicros = 0;
  double rightAscensionHours = 0;
  double declinationDegrees = 0;
};

// Why a goto names no place on the sky (a declination beyond a pole, a right ascension
// outside the day); empty when it is one.
std::string StellariumGotoProblem(const StellariumGoto& target);

// Cuts a client's bytes into goto messages.
class StellariumFramer {
 public:
  static constexpr std::size_t kGotoLength = 20;
  static constexpr std::size_t kPositionLength = 24;

  // Adds received bytes and appends the gotos they complete; false at the first message
  // that is not a goto of the right length (nothing after it is looked at).
  bool Feed(std::string_view bytes, std::vector<StellariumGoto>& gotos);
  // The length and type of the message refused last, for the trace.
  std::uint16_t refusedLength() const { return refusedLength_; }
  std::uint16_t refusedType() const { return refusedType_; }

 private:
  std::string partial_;
  std::uint16_t refusedLength_ = 0;
  std::uint16_t refusedType_ = 0;
};

// A position message; status 0 means a good position.
std::string EncodeStellariumPosition(double rightAscensionHours, double declinationDegrees,
                                     std::int64_t micros, std::int32_t status = 0);
// The goto message a client sends (for tests and tools).
std::string EncodeStellariumGoto(double rightAscensionHours, double declinationDegrees,
                                 std::int64_t micros);
// A position message's fields; nothing when the bytes are not one.
struct StellariumPosition {
  std::int64_t micros = 0;
  double rightAscensionHours = 0;
  double declinationDegrees = 0;
  std::int32_t status = 0;
};
std::optional<StellariumPosition> DecodeStellariumPosition(std::string_view message);

// A right ascension the controller reported, "HH:MM:SS" or in low precision "HH:MM.T".
std::optional<double> HoursOfReading(std::string_view text);
// A declination the controller reported, "sDD:MM:SS" or "sDD" degree sign "MM".
std::optional<double> DegreesOfReading(std::string_view text);

// The target fields of manual targeting: "HHh MMm SSs" and "sDD° MM' SS''" (Latin-1
// degree sign), rounded to the second.
std::string RightAscensionFieldText(double hours);
std::string DeclinationFieldText(double degrees);

}  // namespace orvane
