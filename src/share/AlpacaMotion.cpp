// The Telescope device's target, slews, synchronisation, stops and axis motion: each a
// sequence of the controller's commands in the one command queue, answered when the
// controller has taken it.
#include <cmath>
#include <cstdio>

#include "link/Cache.h"
#include "schedule/SlewCommands.h"
#include "share/AlpacaTelescope.h"
#include "share/ClientTurns.h"
#include "share/StellariumProtocol.h"

namespace orvane {

namespace {

// The controller needs a moment after the object name before the next target command.
constexpr int kAfterNamePauseMs = 60;
// The name a target without one is given, as manual targeting gives it.
constexpr const char* kObjectName = "unknown";

bool InHours(double hours) {
  return hours >= 0.0 && hours < 24.0;
}

bool InDegrees(double degrees) {
  return degrees >= -90.0 && degrees <= 90.0;
}

std::string NumberText(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

// A right ascension the protocol gives (hours) as the controller takes it.
std::string RightAscensionOf(double hours) {
  return RightAscensionCommand(RightAscensionFieldText(hours));
}

std::string DeclinationOf(double degrees) {
  return DeclinationCommand(DeclinationFieldText(degrees));
}

// The direction letters of an axis: the first for positive rates, the second for negative.
// The primary axis positive moves east (the right ascension grows), the secondary north.
std::pair<char, char> DirectionsOf(long long axis) {
  return axis == 0 ? std::pair{'e', 'w'} : std::pair{'n', 's'};
}

}  // namespace

void AlpacaTelescope::Submit(const std::vector<CommandStep>& steps,
                             std::function<void(const std::vector<CommandResult>&)> done) {
  // A client's unit: it yields the line to the program's own position reads, takes turns
  // with the other clients, and the program's stops withdraw what is not written yet.
  std::weak_ptr<bool> alive = alive_;
  QueueClientSequence(cache_, steps,
                      [alive, done = std::move(done)](const std::vector<CommandResult>& results) {
                        const std::shared_ptr<bool> device = alive.lock();
                        if (device && *device) done(results);
                      });
}

std::optional<AlpacaAnswer> AlpacaTelescope::FailureOf(const CommandResult& result,
                                                      const char* what) {
  if (result.outcome == CommandOutcome::Cancelled) {
    return AlpacaAnswer::Error(alpaca_error::kInvalidOperation,
                               std::string("the ") + what +
                                   " was withdrawn: the mount was stopped, or the controller "
                                   "is gone");
  }
  if (result.outcome == CommandOutcome::NoReply) {
    return AlpacaAnswer::Error(alpaca_error::kDeviceError,
                               std::string("the controller did not answer the ") + what);
  }
  return std::nullopt;
}

// ---- target ----

void AlpacaTelescope::GetTargetRightAscension(const AlpacaCall&, Reply& reply) {
  if (!targetHours_) {
    reply(AlpacaAnswer::Error(alpaca_error::kValueNotSet, "no target right ascension is set"));
    return;
  }
  reply(AlpacaAnswer::Value(*targetHours_));
}

void AlpacaTelescope::PutTargetRightAscension(const AlpacaCall& call, Reply& reply) {
  const std::optional<double> hours = NumberParameter(call, "TargetRightAscension", reply);
  if (!hours) return;
  if (!InHours(*hours)) {
    reply(AlpacaAnswer::Error(alpaca_error::kInvalidValue,
                              "TargetRightAscension " + NumberText(*hours) +
                                  " is not from 0 to 24 hours"));
    return;
  }
  targetHours_ = *hours;
  reply(AlpacaAnswer::Done());
}

void AlpacaTelescope::GetTargetDeclination(const AlpacaCall&, Reply& reply) {
  if (!targetDegrees_) {
    reply(AlpacaAnswer::Error(alpaca_error::kValueNotSet, "no target declination is set"));
    return;
  }
  reply(AlpacaAnswer::Value(*targetDegrees_));
}

void AlpacaTelescope::PutTargetDeclination(const AlpacaCall& call, Reply& reply) {
  const std::optional<double> degrees = NumberParameter(call, "TargetDeclination", reply);
  if (!degrees) return;
  if (!InDegrees(*degrees)) {
    reply(AlpacaAnswer::Error(alpaca_error::kInvalidValue,
                              "TargetDeclination " + NumberText(*degrees) +
                                  " is not from -90 to +90 degrees"));
    return;
  }
  targetDegrees_ = *degrees;
  reply(AlpacaAnswer::Done());
}

// ---- slews and synchronisation ----

void AlpacaTelescope::PutSlewToCoordinatesAsync(const AlpacaCall& call, Reply& reply) {
  const std::optional<double> hours = NumberParameter(call, "RightAscension", reply);
  if (!hours) return;
  const std::optional<double> degrees = NumberParameter(call, "Declination", reply);
  if (!degrees) return;
  SlewTo(*hours, *degrees, call.client, reply);
}

void AlpacaTelescope::PutSlewToTargetAsync(const AlpacaCall& call, Reply& reply) {
  if (!targetHours_ || !targetDegrees_) {
    reply(AlpacaAnswer::Error(alpaca_error::kValueNotSet,
                              !targetHours_ ? "no target right ascension is set"
                                            : "no target declination is set"));
    return;
  }
  SlewTo(*targetHours_, *targetDegrees_, call.client, reply);
}

void AlpacaTelescope::SlewTo(double hours, double degrees, const std::string& client,
                             Reply& reply) {
  if (!InHours(hours) || !InDegrees(degrees)) {
    reply(AlpacaAnswer::Error(
        alpaca_error::kInvalidValue,
        !InHours(hours) ? "RightAscension " + NumberText(hours) + " is not from 0 to 24 hours"
                        : "Declination " + NumberText(degrees) +
                              " is not from -90 to +90 degrees"));
    return;
  }
  if (!RequireController(reply)) return;
  targetHours_ = hours;
  targetDegrees_ = degrees;
  Report(client, "slew to " + RightAscensionFieldText(hours) + " " +
                     DeclinationFieldText(degrees) + " (equinox of date)");
  // One sequence, as manual targeting sends it for the equinox of the date: no poll or
  // click comes between the target and the slew.
  Submit({{RightAscensionOf(hours), true},
          {ObjectNameCommand(kObjectName), false, kAfterNamePauseMs},
          {DeclinationOf(degrees), true},
          {":MS#", true}},
         [this, reply](const std::vector<CommandResult>& results) {
           if (std::optional<AlpacaAnswer> failure = FailureOf(results.back(), "slew")) {
             reply(*failure);
             return;
           }
           const std::string& answer = results.back().reply;
           // "0" starts the slew; anything else says why the controller will not.
           if (answer.empty() || answer[0] != '0') {
             reply(AlpacaAnswer::Error(alpaca_error::kInvalidOperation,
                                       "the controller refused the slew: " +
                                           answer.substr(0, answer.find('#'))));
             return;
           }
           motionStartedMs_ = now();
           if (slewSent) slewSent();
           reply(AlpacaAnswer::Done());
         });
}

void AlpacaTelescope::PutSyncToCoordinates(const AlpacaCall& call, Reply& reply) {
  const std::optional<double> hours = NumberParameter(call, "RightAscension", reply);
  if (!hours) return;
  const std::optional<double> degrees = NumberParameter(call, "Declination", reply);
  if (!degrees) return;
  if (!InHours(*hours) || !InDegrees(*degrees)) {
    reply(AlpacaAnswer::Error(
        alpaca_error::kInvalidValue,
        !InHours(*hours) ? "RightAscension " + NumberText(*hours) + " is not from 0 to 24 hours"
                         : "Declination " + NumberText(*degrees) +
                               " is not from -90 to +90 degrees"));
    return;
  }
  if (!RequireController(reply)) return;
  targetHours_ = *hours;
  targetDegrees_ = *degrees;
  Report(call.client, "synchronise on " + RightAscensionFieldText(*hours) + " " +
                          DeclinationFieldText(*degrees) + " (equinox of date)");
  Submit({{RightAscensionOf(*hours), true}, {DeclinationOf(*degrees), true}, {":CM#", true}},
         [reply](const std::vector<CommandResult>& results) {
           if (std::optional<AlpacaAnswer> failure =
                   FailureOf(results.back(), "synchronisation")) {
             reply(*failure);
             return;
           }
           reply(AlpacaAnswer::Done());
         });
}

// ---- stops and motion ----

void AlpacaTelescope::PutAbortSlew(const AlpacaCall& call, Reply& reply) {
  if (!RequireController(reply)) return;
  Report(call.client, "stop");
  // As the program's stop button: the stop goes out at once, ahead of everything, and
  // withdraws the commands clients asked for that are not written yet.
  if (stopMount) stopMount();
  axisDirection_[0] = axisDirection_[1] = 0;
  motionStartedMs_ = -1;
  stoppedMs_ = now();
  reply(AlpacaAnswer::Done());
}

void AlpacaTelescope::PutMoveAxis(const AlpacaCall& call, Reply& reply) {
  const std::optional<long long> axis = IntegerParameter(call, "Axis", reply);
  if (!axis) return;
  const std::optional<double> rate = NumberParameter(call, "Rate", reply);
  if (!rate) return;
  if (*axis < 0 || *axis > 1) {
    reply(AlpacaAnswer::Error(alpaca_error::kInvalidValue,
                              *axis == 2 ? std::string("the mount has no third axis")
                                         : "Axis " + std::to_string(*axis) + " is not 0 or 1"));
    return;
  }
  const long long speed = std::llround(std::fabs(*rate));
  const bool stop = *rate == 0.0;
  if (!stop && (std::fabs(std::fabs(*rate) - static_cast<double>(speed)) > 1e-9 ||
                speed < kSlowestSlewRate || speed > kFastestSlewRate)) {
    reply(AlpacaAnswer::Error(alpaca_error::kInvalidValue,
                              "Rate " + NumberText(*rate) +
                                  " is none of the axis rates (1 to 6 degrees a second)"));
    return;
  }
  if (!RequireController(reply)) return;
  const auto [forward, backward] = DirectionsOf(*axis);
  const char direction = *rate > 0 ? forward : backward;
  const char opposite = *rate > 0 ? backward : forward;
  if (stop) {
    // As releasing a direction button: the stops go out at once.
    Report(call.client, "axis " + std::to_string(*axis) + " stopped");
    cache_.SendStopCommand(std::string(":Q") + forward + "#");
    cache_.SendStopCommand(std::string(":Q") + backward + "#");
    axisDirection_[*axis] = 0;
    motionStartedMs_ = -1;
    stoppedMs_ = now();
    reply(AlpacaAnswer::Done());
    return;
  }
  Report(call.client, "axis " + std::to_string(*axis) + " moves at " + NumberText(*rate) +
                          " degrees a second");
  // At most one direction of an axis moves: the opposite stops first.
  if (axisDirection_[*axis] == opposite) cache_.SendStopCommand(std::string(":Q") + opposite + "#");
  axisDirection_[*axis] = direction;
  Submit({{":RS#", true},
          {MaxSlewSpeedCommand(static_cast<int>(speed) - 1), false},
          {std::string(":M") + direction + "#", false}},
         [this, reply](const std::vector<CommandResult>& results) {
           if (std::optional<AlpacaAnswer> failure = FailureOf(results.back(), "motion")) {
             reply(*failure);
             return;
           }
           motionStartedMs_ = now();
           reply(AlpacaAnswer::Done());
         });
}

}  // namespace orvane
