#include "share/ClientCommands.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace orvane {

namespace {

constexpr char kAcknowledge = 0x06;
constexpr char kDegreeSign = '\xDF';  // the controller's degree sign
// What the program answers for the controller, which has no command for these.
constexpr std::string_view kAlignmentPolar = "P";
constexpr std::string_view kTwentyFourHours = "24#";
constexpr std::string_view kSiteName = "Orvane#";
constexpr std::string_view kSiderealFrequency = "60.1#";
// The two lines clients read after a date was taken.
constexpr std::string_view kDateTaken = "1Updating Planetary Data#                              #";
constexpr int kHighestSlewSpeed = 6;
constexpr int kLargestUtcOffset = 12;

// Reads the fixed-width fields of a coordinate argument.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // +1, -1 (a sign was there) or +1 without one.
  int sign() {
    if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) {
      return text_[at_++] == '-' ? -1 : 1;
    }
    return 1;
  }
  std::optional<int> digits(size_t least, size_t most) {
    size_t count = 0;
    int value = 0;
    while (at_ < text_.size() && count < most && text_[at_] >= '0' && text_[at_] <= '9') {
      value = value * 10 + (text_[at_++] - '0');
      ++count;
    }
    if (count < least) return std::nullopt;
    return value;
  }
  bool separator(std::string_view allowed) {
    if (at_ < text_.size() && allowed.find(text_[at_]) != std::string_view::npos) {
      ++at_;
      return true;
    }
    return false;
  }
  // A decimal fraction of the last field: its value (0 without one); nothing when the point
  // has no digit after it.
  std::optional<double> fraction() {
    if (at_ >= text_.size() || text_[at_] != '.') return 0.0;
    ++at_;
    double value = 0;
    double scale = 0.1;
    size_t count = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      value += (text_[at_++] - '0') * scale;
      scale /= 10;
      ++count;
    }
    if (count == 0) return std::nullopt;
    return value;
  }
  bool atEnd() const { return at_ == text_.size(); }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

std::string twoDigits(int value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string threeDigits(int value) {
  char text[24];
  std::snprintf(text, sizeof text, "%03d", value);
  return text;
}

constexpr std::string_view kDegreeSeparators = ":*\xDF\xB0";

// Seconds with an optional fraction after the separator just read: "SS" or "SS.s".
std::optional<double> secondsField(FieldReader& reader) {
  const auto whole = reader.digits(2, 2);
  if (!whole || *whole > 59) return std::nullopt;
  const auto fraction = reader.fraction();
  if (!fraction) return std::nullopt;
  return *whole + *fraction;
}

// Whole seconds of an angle or a time, rounded (the controller takes whole seconds).
long long roundedSeconds(int whole, int minutes, double seconds) {
  return std::llround(whole * 3600.0 + minutes * 60.0 + seconds);
}

std::string sexagesimal(long long seconds) {
  return twoDigits(static_cast<int>(seconds / 3600)) + ":" +
         twoDigits(static_cast<int>(seconds / 60 % 60)) + ":" +
         twoDigits(static_cast<int>(seconds % 60));
}

// "HH:MM:SS" (seconds may carry a fraction) or the low-precision "HH:MM.T".
std::optional<std::string> rightAscensionCommand(std::string_view argument) {
  FieldReader reader(argument);
  const auto hours = reader.digits(1, 2);
  if (!hours || !reader.separator(":")) return std::nullopt;
  const auto minutes = reader.digits(2, 2);
  if (!minutes) return std::nullopt;
  double seconds = 0;
  if (reader.separator(":")) {
    const auto field = secondsField(reader);
    if (!field) return std::nullopt;
    seconds = *field;
  } else if (reader.separator(".")) {
    const auto tenths = reader.digits(1, 1);
    if (!tenths) return std::nullopt;
    seconds = *tenths * 6;
  } else {
    return std::nullopt;
  }
  if (!reader.atEnd() || *hours > 23 || *minutes > 59) return std::nullopt;
  // 23:59:59.6 rounds to the start of the day again.
  const long long total = roundedSeconds(*hours, *minutes, seconds) % (24 * 3600);
  return ":Sr" + sexagesimal(total) + "#";
}

// "sDD*MM:SS", "sDD:MM:SS" or "sDD*MM", any of the usual degree signs.
std::optional<std::string> declinationCommand(std::string_view argument) {
  FieldReader reader(argument);
  const int sign = reader.sign();
  const auto degrees = reader.digits(1, 2);
  if (!degrees || !reader.separator(kDegreeSeparators)) return std::nullopt;
  const auto minutes = reader.digits(2, 2);
  if (!minutes || *minutes > 59) return std::nullopt;
  double seconds = 0;
  if (reader.separator(":'")) {
    const auto field = secondsField(reader);
    if (!field) return std::nullopt;
    seconds = *field;
  }
  if (!reader.atEnd()) return std::nullopt;
  const long long total = roundedSeconds(*degrees, *minutes, seconds);
  if (total > 90 * 3600) return std::nullopt;
  return std::string(":Sd") + (sign < 0 && total > 0 ? "-" : "+") + sexagesimal(total) + "#";
}

std::optional<std::string> localTimeCommand(std::string_view argument) {
  FieldReader reader(argument);
  const auto hours = reader.digits(2, 2);
  if (!hours || !reader.separator(":")) return std::nullopt;
  const auto minutes = reader.digits(2, 2);
  if (!minutes || !reader.separator(":")) return std::nullopt;
  const auto seconds = reader.digits(2, 2);
  if (!seconds || !reader.atEnd() || *hours > 23 || *minutes > 59 || *seconds > 59) {
    return std::nullopt;
  }
  return ":SL" + twoDigits(*hours) + ":" + twoDigits(*minutes) + ":" + twoDigits(*seconds) + "#";
}

// Hours to add to local time for UTC, "sHH" or "sHH.H". The controller takes whole hours:
// a zone half an hour off (+5.5) cannot be set and is refused rather than cut.
std::optional<std::string> utcOffsetCommand(std::string_view argument) {
  FieldReader reader(argument);
  const int sign = reader.sign();
  const auto hours = reader.digits(1, 2);
  if (!hours) return std::nullopt;
  const auto fraction = reader.fraction();
  if (!fraction || *fraction != 0 || !reader.atEnd() || *hours > kLargestUtcOffset) {
    return std::nullopt;
  }
  return ":SG" + std::to_string(sign * *hours) + "#";
}

// An angle in whole minutes, "DDD*MM" with optional ":SS", rounded to the minute.
std::optional<int> angleMinutes(FieldReader& reader, size_t mostDegreeDigits) {
  const auto degrees = reader.digits(1, mostDegreeDigits);
  if (!degrees || !reader.separator(kDegreeSeparators)) return std::nullopt;
  const auto minutes = reader.digits(2, 2);
  if (!minutes || *minutes > 59) return std::nullopt;
  int seconds = 0;
  if (reader.separator(":'")) {
    const auto field = reader.digits(2, 2);
    if (!field || *field > 59) return std::nullopt;
    seconds = *field;
  }
  if (!reader.atEnd()) return std::nullopt;
  return (*degrees * 3600 + *minutes * 60 + seconds + 30) / 60;
}

// "sDDD*MM" (the sign may be missing) as the controller takes it, with its degree sign.
std::optional<std::string> longitudeCommand(std::string_view argument) {
  FieldReader reader(argument);
  const int sign = reader.sign();
  const auto total = angleMinutes(reader, 3);
  if (!total || *total > (sign < 0 ? 180 : 360) * 60) return std::nullopt;
  return std::string(":Sg") + (sign < 0 ? "-" : "+") + threeDigits(*total / 60) + kDegreeSign +
         twoDigits(*total % 60) + "#";
}

// "sDD*MM" or "sDD:MM:SS" (the controller takes whole minutes).
std::optional<std::string> latitudeCommand(std::string_view argument) {
  FieldReader reader(argument);
  const int sign = reader.sign();
  const auto total = angleMinutes(reader, 2);
  if (!total || *total > 90 * 60) return std::nullopt;
  return std::string(":St") + (sign < 0 ? "-" : "+") + twoDigits(*total / 60) + kDegreeSign +
         twoDigits(*total % 60) + "#";
}

int daysInMonth(int month, int twoDigitYear) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  // Two-digit years are this century's, where every fourth year is a leap year.
  if (month == 2 && twoDigitYear % 4 == 0) return 29;
  return kDays[month - 1];
}

std::optional<std::string> dateCommand(std::string_view argument) {
  FieldReader reader(argument);
  const auto month = reader.digits(2, 2);
  if (!month || !reader.separator("/")) return std::nullopt;
  const auto day = reader.digits(2, 2);
  if (!day || !reader.separator("/")) return std::nullopt;
  const auto year = reader.digits(2, 2);
  if (!year || !reader.atEnd() || *month < 1 || *month > 12 || *day < 1 ||
      *day > daysInMonth(*month, *year)) {
    return std::nullopt;
  }
  return ":SC" + twoDigits(*month) + "/" + twoDigits(*day) + "/" + twoDigits(*year) + "#";
}

std::optional<std::string> slewSpeedCommand(std::string_view argument) {
  if (argument.size() != 1 || argument[0] < '1' || argument[0] > '0' + kHighestSlewSpeed) {
    return std::nullopt;
  }
  return ":Sw" + std::string(argument) + "#";
}

ClientCommand refused(std::string reason, std::string reply = {}) {
  ClientCommand command;
  command.kind = ClientCommand::Kind::Refused;
  command.reason = std::move(reason);
  command.reply = std::move(reply);
  return command;
}

ClientCommand garbage(std::string reason) {
  ClientCommand command = refused(std::move(reason));
  command.garbage = true;
  return command;
}

ClientCommand local(std::string_view reply) {
  ClientCommand command;
  command.kind = ClientCommand::Kind::Local;
  command.reply = std::string(reply);
  return command;
}

ClientCommand controller(std::string wire, bool waits, ClientAnswer answer) {
  ClientCommand command;
  command.kind = ClientCommand::Kind::Controller;
  command.wire = std::move(wire);
  command.waitsForReply = waits;
  command.answer = answer;
  return command;
}

// The characters a command's text may hold: printable ASCII and the degree signs.
bool printable(std::string_view text) {
  for (unsigned char ch : text) {
    if ((ch < 0x20 || ch > 0x7E) && ch != 0xDF && ch != 0xB0) return false;
  }
  return true;
}

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

// A set command with its argument rewritten, or refused with "0" (the clients' "invalid").
ClientCommand setCommand(const std::optional<std::string>& wire, bool waits, ClientAnswer answer,
                         std::string_view what) {
  if (!wire) return refused("not a valid " + std::string(what), "0");
  return controller(*wire, waits, answer);
}

// Whether a command of this family has an answer (body: the text between ":" and "#").
// Motion, stops, rates, park and home, focus, reticle, site choice, alignment mode,
// tracking rate, the toggles and the object memory's writes have none: a client sends the
// next command without reading, so an answer to them would be taken for the next one's.
bool answered(std::string_view body) {
  if (body.empty()) return false;
  switch (body.front()) {
    case 'M':
      return body == "MS" || body == "MA";
    case 'A':
      return body == "Aa";
    case 'F':
      return body == "FB";
    case 'h':
      return body == "h?";
    case 'O':
      return body == "OR" || body == "Or";
    case 'B':
    case 'H':
    case 'I':
    case 'Q':
    case 'R':
    case 'T':
    case 'U':
    case 'W':
    case 'f':
    case 'g':
    case 'r':
      return false;
    default:
      return true;
  }
}

// Refused with the answer the command has: "0", or nothing.
ClientCommand refusedCommand(std::string_view body, std::string reason) {
  return refused(std::move(reason), answered(body) ? "0" : "");
}

ClientCommand target(const std::optional<std::string>& wire, PositionAxis axis,
                     std::string_view what) {
  ClientCommand command = setCommand(wire, true, ClientAnswer::StatusDigit, what);
  if (command.kind == ClientCommand::Kind::Controller) command.target = axis;
  return command;
}

ClientCommand usingTarget(std::string wire, ClientAnswer answer) {
  ClientCommand command = controller(std::move(wire), true, answer);
  command.usesTarget = true;
  return command;
}

}  // namespace

bool TextCommandFramer::Feed(std::string_view bytes, std::vector<std::string>& commands) {
  for (char byte : bytes) {
    if (partial_.empty()) {
      if (byte == kAcknowledge) {
        commands.emplace_back(1, kAcknowledge);
        continue;
      }
      if (byte == '#' || byte == '\r' || byte == '\n' || byte == ' ' || byte == '\t') continue;
    }
    partial_ += byte;
    if (partial_.size() > kLongestCommand) return false;
    if (byte == '#') {
      commands.push_back(std::move(partial_));
      partial_.clear();
    }
  }
  return true;
}

ClientCommand ClassifyClientCommand(std::string_view command) {
  if (command.size() == 1 && command[0] == kAcknowledge) return local(kAlignmentPolar);
  if (command.empty() || command.back() != '#') return garbage("not a command");
  if (command.front() == '>') return refused("setting writes are the program's own");
  if (command.front() == '<') return refused("setting reads are the program's own", "0");
  if (command == "bC#" || command == "bW#" || command == "bR#") {
    return refused("the start mode is chosen in the program");
  }
  if (command.front() != ':' || !printable(command)) return garbage("not a command");
  const std::string_view body = command.substr(1, command.size() - 2);
  if (body.empty()) return garbage("not a command");
  if (body.front() == 'O') return refusedCommand(body, "the object memory is the program's own");

  const std::string_view name = body.substr(0, std::min<size_t>(body.size(), 2));
  std::string_view argument = body.substr(name.size());
  while (!argument.empty() && argument.front() == ' ') argument.remove_prefix(1);
  const bool bare = argument.empty() && body.size() == name.size();
  const std::string exact(command);

  if (bare && body == "D") {
    ClientCommand progress;
    progress.kind = ClientCommand::Kind::SlewProgress;
    return progress;
  }
  if (bare && body == "Q") {
    ClientCommand stop;
    stop.kind = ClientCommand::Kind::Stop;
    stop.wire = exact;
    return stop;
  }
  if (bare && body == "U") {
    return refused("the program keeps the precision it reads positions in");
  }
  if (bare && body == "P") return controller(exact, true, ClientAnswer::AsReplied);
  if (bare && name.size() == 2) {
    if (name == "GR" || name == "GD") {
      ClientCommand read;
      read.kind = ClientCommand::Kind::Position;
      read.axis = name == "GR" ? PositionAxis::RightAscension : PositionAxis::Declination;
      return read;
    }
    if (oneOf(name, {"GV", "GL", "GC", "GG", "Gg", "Gt", "Gv", "GB", "GE"})) {
      return controller(exact, true, ClientAnswer::AsReplied);
    }
    if (name == "Gc") return local(kTwentyFourHours);
    if (oneOf(name, {"GM", "GN", "GO", "GP"})) return local(kSiteName);
    if (name == "GT") return local(kSiderealFrequency);
    if (oneOf(name, {"Qn", "Qs", "Qe", "Qw"})) {
      ClientCommand stop;
      stop.kind = ClientCommand::Kind::Stop;
      stop.wire = exact;
      return stop;
    }
    if (oneOf(name, {"Mn", "Ms", "Me", "Mw"})) {
      return controller(exact, false, ClientAnswer::None);
    }
    if (name == "MS") return usingTarget(exact, ClientAnswer::Slew);
    if (name == "CM" || name == "Cm") return usingTarget(exact, ClientAnswer::AsReplied);
    // The rate is set as the program's speed buttons set it; its reply is not passed on.
    if (oneOf(name, {"RG", "RC", "RS"})) return controller(exact, true, ClientAnswer::None);
  }
  if (bare && body == "hP") {
    ClientCommand park = refused("the controller cannot park");
    park.park = true;
    return park;
  }
  if (name == "Sr") {
    return target(rightAscensionCommand(argument), PositionAxis::RightAscension, "right ascension");
  }
  if (name == "Sd") {
    return target(declinationCommand(argument), PositionAxis::Declination, "declination");
  }
  if (name == "Sw") {
    return setCommand(slewSpeedCommand(argument), false, ClientAnswer::Accepted, "slew speed");
  }
  if (name == "SL") {
    return setCommand(localTimeCommand(argument), false, ClientAnswer::Accepted, "local time");
  }
  if (name == "SG") {
    return setCommand(utcOffsetCommand(argument), false, ClientAnswer::Accepted, "UTC offset");
  }
  if (name == "Sg") {
    return setCommand(longitudeCommand(argument), false, ClientAnswer::Accepted, "longitude");
  }
  if (name == "St") {
    return setCommand(latitudeCommand(argument), false, ClientAnswer::Accepted, "latitude");
  }
  if (name == "SC") return setCommand(dateCommand(argument), true, ClientAnswer::Date, "date");
  return refusedCommand(body, "not a command the program passes on");
}

std::string AnswerForClient(ClientAnswer answer, const CommandResult& result) {
  const bool replied = result.outcome == CommandOutcome::Replied && !result.reply.empty();
  switch (answer) {
    case ClientAnswer::None:
      return {};
    case ClientAnswer::AsReplied:
      // A command withdrawn (or refused) is answered at once; the controller's silence is
      // passed on as silence.
      if (result.outcome == CommandOutcome::Cancelled) return "0";
      return replied ? result.reply : std::string();
    case ClientAnswer::StatusDigit:
      return replied && result.reply[0] == '1' ? "1" : "0";
    case ClientAnswer::Accepted:
      return result.outcome == CommandOutcome::Sent ? "1" : "0";
    case ClientAnswer::Slew:
      if (replied && result.reply[0] == '0') return "0";
      if (replied) return result.reply.back() == '#' ? result.reply : result.reply + "#";
      if (result.outcome == CommandOutcome::Cancelled) return "1Stopped#";
      return "1No answer from the controller#";
    case ClientAnswer::Date:
      if (replied && result.reply[0] == '0') return "0";
      if (result.outcome == CommandOutcome::Cancelled) return "0";
      return std::string(kDateTaken);
  }
  return {};
}

std::string PrintableCommand(std::string_view command) {
  std::string text;
  for (unsigned char ch : command.substr(0, TextCommandFramer::kLongestCommand)) {
    if (ch >= 0x20 && ch < 0x7F && ch != '\\') {
      text += static_cast<char>(ch);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", ch);
      text += escape;
    }
  }
  return text;
}

}  // namespace orvane
