#include "SimulatedController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "CoordinateText.h"
#include "NativeChecksum.h"
#include "Precession.h"

namespace orvane::sim {
namespace {

constexpr std::size_t kMaxCommandLength = 512;  // longer noise without "#" is dropped
constexpr std::size_t kLogCapacity = 10000;
constexpr std::size_t kMemoryCapacity = 10000;  // lines of the object memory
constexpr double kAnnouncementGapMs = 20;       // between the two halves of a split one
constexpr int kMaxSlewSpeed = 6;

std::string_view argumentOf(std::string_view body) {
  return body.substr(2);
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::optional<Direction> directionOf(char letter) {
  switch (letter) {
    case 'n':
      return Direction::North;
    case 's':
      return Direction::South;
    case 'e':
      return Direction::East;
    case 'w':
      return Direction::West;
    default:
      return std::nullopt;
  }
}

char speedLetter(SpeedMode mode) {
  switch (mode) {
    case SpeedMode::Guiding:
      return 'G';
    case SpeedMode::Centering:
      return 'C';
    case SpeedMode::Slewing:
      return 'S';
  }
  return 'C';
}

std::optional<SpeedMode> speedModeOf(char letter) {
  switch (letter) {
    case 'G':
      return SpeedMode::Guiding;
    case 'C':
      return SpeedMode::Centering;
    case 'S':
      return SpeedMode::Slewing;
    default:
      return std::nullopt;
  }
}

// A setting number of one to six digits (leading zeros allowed).
std::optional<int> settingNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 6) return std::nullopt;
  int number = 0;
  for (char ch : digits) {
    if (ch < '0' || ch > '9') return std::nullopt;
    number = number * 10 + (ch - '0');
  }
  return number;
}

}  // namespace

SimulatedController::SimulatedController(ControllerOptions options)
    : options_(std::move(options)),
      transmitter_(options_),
      clock_(CivilDate{options_.startYear, options_.startMonth, options_.startDay},
             options_.startSecondOfDay),
      mount_(options_.startRightAscensionHours, options_.startDeclinationDegrees,
             options_.slewSpeedDegreesPerSecond,
             speedModeOf(options_.speedMode).value_or(SpeedMode::Centering)),
      bootMode_(options_.startInBootMode),
      highPrecision_(options_.highPrecision),
      statusBits_(options_.aligned ? kStatusAligned : 0u),
      brightness_(options_.brightness),
      utcOffsetHours_(options_.utcOffsetHours),
      longitudeMinutes_(options_.longitudeMinutes),
      latitudeMinutes_(options_.latitudeMinutes),
      settings_(options_.settings) {
  scheduleAnnouncements(0);
}

std::vector<Output> SimulatedController::receive(std::string_view bytes, double nowMs) {
  std::vector<Output> out = poll(nowMs);
  if (bytes.empty() || unplugged(nowMs)) return out;
  if (options_.echo) {
    appendAll(out, transmitter_.immediate(std::string(bytes), nowMs));
    return out;
  }
  for (char byte : bytes) {
    // Byte 6 stands alone, except inside a native write, whose value may hold any byte.
    if (byte == kAcknowledgeByte && (pending_.empty() || pending_.front() != '>')) {
      pending_.clear();
      handleCommand(std::string(1, byte), nowMs, out);
      continue;
    }
    // A colon after noise starts a new text command; the noise is dropped.
    if (byte == ':' && !pending_.empty() && pending_.front() != ':' && pending_.front() != '<' &&
        pending_.front() != '>') {
      pending_.clear();
    }
    pending_ += byte;
    if (byte == '#') {
      std::string command;
      command.swap(pending_);
      handleCommand(command, nowMs, out);
    } else if (pending_.size() > kMaxCommandLength) {
      pending_.clear();
    }
  }
  return out;
}

void SimulatedController::scheduleAnnouncements(double nowMs) {
  if (options_.announceEveryMs <= 0) {
    nextAnnouncementMs_ = -1;
  } else if (nextAnnouncementMs_ < 0) {
    nextAnnouncementMs_ = nowMs + options_.announceEveryMs;
  }
}

std::vector<Output> SimulatedController::poll(double nowMs) {
  std::vector<Output> out;
  scheduleAnnouncements(nowMs);
  if (nextAnnouncementMs_ < 0) return out;
  // After a long pause only the latest announcement that fell due is sent.
  double every = options_.announceEveryMs;
  if (nowMs - nextAnnouncementMs_ >= every) {
    nextAnnouncementMs_ += std::floor((nowMs - nextAnnouncementMs_) / every) * every;
  }
  while (nextAnnouncementMs_ <= nowMs) {
    if (!bootMode_ && !options_.echo && !unplugged(nextAnnouncementMs_)) {
      // Every other announcement arrives in two parts, the first without the end mark.
      std::vector<std::string> pieces;
      if (announcementsSent_ % 2 == 0) {
        pieces.push_back(std::string(kPlanetaryUpdate) + std::string(kAnnouncementEnd));
      } else {
        pieces.push_back(std::string(kPlanetaryUpdate));
        pieces.push_back(std::string(kAnnouncementEnd));
      }
      appendAll(out, transmitter_.unsolicited(pieces, nextAnnouncementMs_, kAnnouncementGapMs));
      ++announcementsSent_;
    }
    nextAnnouncementMs_ += every;
  }
  return out;
}

double SimulatedController::nextUnsolicitedMs() const {
  if (options_.announceEveryMs <= 0 || nextAnnouncementMs_ < 0) {
    return std::numeric_limits<double>::infinity();
  }
  return nextAnnouncementMs_;
}

void SimulatedController::restart(double nowMs) {
  mount_.stopAll(nowMs);
  bootMode_ = true;
  pending_.clear();
  readPosition_ = 0;
}

void SimulatedController::startFromBootMode(char mode, double nowMs) {
  bootMode_ = false;
  if (mode == 'C') {
    // A cold start forgets the alignment and finds the mount parked.
    statusBits_ &= ~kStatusAligned;
    mount_.setPosition(options_.startRightAscensionHours, options_.startDeclinationDegrees, nowMs);
  }
}

void SimulatedController::setStatusBit4(bool on) {
  statusBits_ = on ? (statusBits_ | kStatusBit4) : (statusBits_ & ~kStatusBit4);
}

std::string SimulatedController::setting(int number) const {
  auto found = settings_.find(number);
  return found == settings_.end() ? std::string("0") : found->second;
}

void SimulatedController::handleCommand(const std::string& command, double nowMs,
                                        std::vector<Output>& out) {
  if (log_.size() >= kLogCapacity) log_.erase(log_.begin(), log_.begin() + kLogCapacity / 2);
  log_.push_back(command);
  if (observer_) observer_(command);
  if (options_.strict) checkTurn(command, nowMs);

  std::string reply;
  if (bootMode_) {
    // Waiting for the start mode: nothing but the handshake is answered.
    if (command.size() == 1 && command[0] == kAcknowledgeByte) {
      reply = kBootAcknowledge;
    } else if (command == "bC#" || command == "bW#" || command == "bR#") {
      startFromBootMode(command[1], nowMs);
    }
  } else {
    reply = answer(command, nowMs);
  }
  std::vector<Output> sent = transmitter_.reply(reply, nowMs);
  if (!sent.empty() && sent.back().endMs() > replyOwedUntilMs_) {
    replyOwedUntilMs_ = sent.back().endMs();
    owingCommand_ = command;
  }
  appendAll(out, std::move(sent));
}

void SimulatedController::checkTurn(const std::string& command, double nowMs) {
  if (nowMs >= replyOwedUntilMs_) return;
  const bool stop = command == ":Q#" || (command.size() == 4 && command.compare(0, 2, ":Q") == 0 &&
                                         command[3] == '#' && directionOf(command[2]));
  if (stop) {
    ++stopsDuringReplies_;
    return;
  }
  ++breaches_;
  if (breachObserver_) {
    char early[32];
    std::snprintf(early, sizeof early, "%.1f", replyOwedUntilMs_ - nowMs);
    breachObserver_(command + " arrived " + early + " ms before the reply to " + owingCommand_ +
                    " was sent");
  }
}

std::string SimulatedController::answer(const std::string& command, double nowMs) {
  if (command.size() == 1 && command[0] == kAcknowledgeByte) {
    return std::string(kRunningAcknowledge);
  }
  if (command == "END#") return "";  // end of an upload: the lines are already stored
  if (command.size() < 2 || command.back() != '#') return "";
  if (command.front() == '<') return answerNativeRead(command);
  if (command.front() == '>') {
    storeNativeWrite(command);
    return "";
  }
  if (command.front() != ':') return "";
  std::string_view body(command);
  body = body.substr(1, body.size() - 2);
  if (body.empty()) return "";
  switch (body.front()) {
    case 'G':
      return answerRead(body, nowMs);
    case 'S':
      return answerSet(body, nowMs);
    case 'M':
    case 'Q':
    case 'R':
    case 'C':
    case 'p':
      return answerMotion(body, nowMs);
    case 'O':
      return answerMemory(body);
    default:
      break;
  }
  if (body == "U") {
    highPrecision_ = !highPrecision_;
    return "";
  }
  if (body == "P") return highPrecision_ ? "HIGH PRECISION" : "LOW  PRECISION";
  return "";
}

std::string SimulatedController::answerRead(std::string_view body, double nowMs) {
  if (body == "GV") return std::to_string(options_.level) + options_.version + "#";
  if (body == "GR")
    return formatRightAscension(mount_.rightAscensionHours(nowMs), highPrecision_) + "#";
  if (body == "GD")
    return formatDeclination(mount_.declinationDegrees(nowMs), highPrecision_) + "#";
  if (body == "GL") return formatTimeOfDay(clock_.secondOfDay(nowMs)) + "#";
  if (body == "GC") return formatDate(clock_.date(nowMs)) + "#";
  if (body == "GG") return formatUtcOffset(utcOffsetHours_) + "#";
  if (body == "Gg") return formatLongitude(longitudeMinutes_) + "#";
  if (body == "Gt") return formatLatitude(latitudeMinutes_) + "#";
  if (body == "GB") return std::to_string(brightness_) + "#";
  if (body == "Gv") return std::string(1, speedLetter(mount_.speedMode())) + "#";
  if (body == "GE") return formatTimeOfDay(timeValueSeconds_) + "#";
  return "";
}

std::string SimulatedController::answerSet(std::string_view body, double nowMs) {
  if (body == "Sp") {
    // The target was given in J2000.0: it moves to the equinox of the controller's date.
    double hours = mount_.targetRightAscensionHours();
    double degrees = mount_.targetDeclinationDegrees();
    const CivilDate date = clock_.date(nowMs);
    PrecessFromJ2000(hours, degrees,
                     CenturiesSinceJ2000(date.year, date.month, date.day,
                                         clock_.secondOfDay(nowMs)));
    mount_.setTargetRightAscension(hours);
    mount_.setTargetDeclination(degrees);
    return "1#";
  }
  if (body.size() < 2) return "";
  std::string_view argument = argumentOf(body);
  std::string_view name = body.substr(0, 2);
  if (name == "SC") {
    auto date = parseDate(argument);
    if (!date) return "0#";
    clock_.setDate(*date, nowMs);
    // The real device recomputes its planet tables after a date change and says so.
    return "1" + std::string(kPlanetaryUpdate) + std::string(kAnnouncementEnd);
  }
  if (name == "SL") {
    if (auto seconds = parseTimeOfDay(argument)) clock_.setTimeOfDay(*seconds, nowMs);
    return "";
  }
  if (name == "SG") {
    if (auto hours = parseHours(argument)) utcOffsetHours_ = *hours;
    return "";
  }
  if (name == "Sg") {
    if (auto minutes = parseAngleMinutes(argument, 180, 360)) longitudeMinutes_ = *minutes;
    return "";
  }
  if (name == "St") {
    if (auto minutes = parseAngleMinutes(argument, 90, 90)) latitudeMinutes_ = *minutes;
    return "";
  }
  if (name == "SE") {
    if (auto seconds = parseTimeOfDay(argument)) timeValueSeconds_ = *seconds;
    return "";
  }
  if (name == "SB") {
    // The first character is the brightness index; the rest is not looked at.
    if (argument.empty() || argument[0] < '0' || argument[0] > '6') return "0#";
    brightness_ = argument[0] - '0';
    return "1#";
  }
  if (name == "Sr") {
    auto hours = parseRightAscension(argument);
    if (!hours) return "0#";
    mount_.setTargetRightAscension(*hours);
    return "1#";
  }
  if (name == "Sd") {
    auto degrees = parseDeclination(argument);
    if (!degrees) return "0#";
    mount_.setTargetDeclination(*degrees);
    return "1#";
  }
  if (name == "Sw") {
    if (argument.size() == 1 && argument[0] >= '1' && argument[0] <= '0' + kMaxSlewSpeed) {
      mount_.setSlewSpeed(argument[0] - '0', nowMs);
    }
    return "";
  }
  return "";
}

std::string SimulatedController::answerMotion(std::string_view body, double nowMs) {
  if (body == "MS") {
    mount_.slewToTarget(nowMs);
    return "0#";
  }
  if (body == "Q") {
    mount_.stopAll(nowMs);
    return "";
  }
  if (body.size() == 2 && (body[0] == 'M' || body[0] == 'Q')) {
    auto direction = directionOf(body[1]);
    if (!direction) return "";
    if (body[0] == 'M') {
      mount_.startMoving(*direction, nowMs);
    } else {
      mount_.stopMoving(*direction, nowMs);
    }
    return "";
  }
  if (body.size() == 2 && body[0] == 'R') {
    auto mode = speedModeOf(body[1]);
    if (!mode) return "";
    mount_.setSpeedMode(*mode, nowMs);
    return "1#";
  }
  if (body == "Cm" || body == "CM") {
    // Additional alignment and synchronisation: the mount points at the target now.
    mount_.syncToTarget(nowMs);
    statusBits_ |= kStatusAligned;
    return std::string(kCoordinatesMatched);
  }
  if (body == "p0") {
    j2000_ = true;
    return "1#";
  }
  return "";
}

std::string SimulatedController::answerMemory(std::string_view body) {
  if (startsWith(body, "ON")) {
    objectName_ = std::string(argumentOf(body));
    return "";
  }
  if (startsWith(body, "Od")) {
    if (memory_.size() < kMemoryCapacity) memory_.emplace_back(argumentOf(body));
    return "";
  }
  if (body == "OS" || body == "Os") {
    readPosition_ = 0;
    return "";
  }
  if (body == "OR" || body == "Or") {
    if (readPosition_ >= memory_.size()) return "END#";
    return memory_[readPosition_++] + "#";
  }
  if (body == "Oc" || body == "OC") {
    memory_.clear();
    readPosition_ = 0;
  }
  return "";
}

std::string SimulatedController::answerNativeRead(const std::string& command) const {
  // "<" number ":" check "#"; a wrong check character gets no answer.
  std::size_t colon = command.find(':');
  if (colon == std::string::npos || command.size() != colon + 3) return "";
  auto number = settingNumber(std::string_view(command).substr(1, colon - 1));
  if (!number || command[colon + 1] != calculateChecksum(command.substr(0, colon + 1))) {
    return "";
  }
  std::string value = *number == kStatusSetting
                          ? std::string(1, static_cast<char>(0x40 | (statusBits_ & 0x3F)))
                          : setting(*number);
  char check = calculateChecksum(value);
  if (options_.wrongCheckSettings.count(*number) != 0) ++check;
  return value + check + "#";
}

void SimulatedController::storeNativeWrite(const std::string& command) {
  // ">" number ":" value check "#"; a wrong check character is ignored.
  std::size_t colon = command.find(':');
  if (colon == std::string::npos || command.size() < colon + 3) return;
  std::size_t checkAt = command.size() - 2;
  auto number = settingNumber(std::string_view(command).substr(1, colon - 1));
  if (!number || command[checkAt] != calculateChecksum(command.substr(0, checkAt))) return;
  if (*number == kStatusSetting) return;  // the status is read-only
  std::string value = command.substr(colon + 1, checkAt - colon - 1);
  if (value.empty()) {
    // An option (or a button) carries no value: its list's setting takes its number.
    settings_[*number / 10 * 10] = std::to_string(*number);
  } else {
    settings_[*number] = value;
  }
}

}  // namespace orvane::sim
