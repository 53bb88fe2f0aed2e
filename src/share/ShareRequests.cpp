// The sharing server's requests: the commands of text clients (refused, answered here,
// answered from polling, or queued for the controller), the gotos of Stellarium clients
// and the positions sent to them.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "link/Cache.h"
#include "link/TraceForm.h"
#include "share/Precession.h"
#include "share/ShareServer.h"
#include "ui/Calendar.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

// After a slew has begun, its motion may take this long beyond two polls to show.
constexpr long long kSlewSettleMs = 1000;
// Two polls further apart than this mean the mount moves.
constexpr double kMovingDegrees = 0.01;

// Microseconds since 1970 of the computer's UTC clock.
std::int64_t microsOf(const ui::DateTime& utc) {
  const long long seconds = ui::DaysSince1970(utc.year, utc.month, utc.day) * 86400 +
                            utc.hour * 3600 + utc.minute * 60 + utc.second;
  return (seconds * 1000 + utc.millisecond) * 1000;
}

// The controller took the slew (":MS#" answered "0").
bool slewTaken(const CommandResult& result) {
  return result.outcome == CommandOutcome::Replied && !result.reply.empty() &&
         result.reply[0] == '0';
}

const char* readCommand(PositionAxis axis) {
  return axis == PositionAxis::RightAscension ? ":GR#" : ":GD#";
}

}  // namespace

bool ShareServer::controllerConnected() const {
  return controller_.ConnectedPort > 0;
}

const ControllerState::PositionReading& ShareServer::reading(PositionAxis axis) const {
  return axis == PositionAxis::RightAscension ? controller_.LastRightAscension
                                              : controller_.LastDeclination;
}

bool ShareServer::current(const ControllerState::PositionReading& reading) const {
  return controllerConnected() && !controller_.ReadingsStale && reading.atMs >= 0 &&
         now() - reading.atMs < pollingTimer_.interval();
}

void ShareServer::handleCommands(ShareClient& client) {
  // A command whose answer comes at once (from the queue's completion, or here) lets the
  // loop that is running go on; it is not entered twice.
  if (client.handling) return;
  client.handling = true;
  while (!client.gone && !client.busy && !client.commands.empty()) {
    const std::string command = std::move(client.commands.front());
    client.commands.pop_front();
    const bool withdrawn = client.withdrawn > 0;
    if (withdrawn) --client.withdrawn;
    handleCommand(client, command, withdrawn);
  }
  client.handling = false;
  // Commands held back for a backlog are read again once it is gone.
  if (!client.gone && client.commands.size() < kMostWaitingCommands) {
    client.watch->setWatchReading(true);
  }
  flush(client);
}

void ShareServer::handleCommand(ShareClient& client, const std::string& command,
                                bool withdrawn) {
  const ClientCommand classified = ClassifyClientCommand(command);
  switch (classified.kind) {
    case ClientCommand::Kind::Refused:
      if (classified.garbage && ++client.garbage > kMostGarbage) {
        drop(client, "sends no commands of the protocol");
        return;
      }
      if (classified.park) client.parkRefused = true;
      refuse(client, command, classified.reason);
      send(client, classified.reply);
      return;
    case ClientCommand::Kind::Local:
      send(client, classified.reply);
      return;
    case ClientCommand::Kind::SlewProgress:
      // A park the controller could not do is never reported done.
      send(client, client.parkRefused || slewing() ? "|#" : "#");
      return;
    case ClientCommand::Kind::Position:
      answerPosition(client, classified.axis);
      return;
    case ClientCommand::Kind::Stop:
      client.parkRefused = false;
      if (!controllerConnected()) {
        refuse(client, command, "no controller is connected");
        return;
      }
      cache_.SendStopCommand(classified.wire);
      return;
    case ClientCommand::Kind::Controller:
      handleForController(client, command, classified, withdrawn || heldByStop());
      return;
  }
}

void ShareServer::handleForController(ShareClient& client, const std::string& command,
                                      const ClientCommand& classified, bool withdrawn) {
  if (withdrawn) {
    // Sent before a stop, or while it goes out: answered as a command the stop withdrew.
    send(client, AnswerForClient(classified.answer, CommandResult{}));
    return;
  }
  if (!controllerConnected()) {
    refuse(client, command, "no controller is connected");
    send(client, AnswerForClient(classified.answer, CommandResult{}));
    return;
  }
  if (classified.target) {
    // The client's own target, written with the slew or synchronisation that uses it.
    std::string& target = *classified.target == PositionAxis::RightAscension
                              ? client.targetRightAscension
                              : client.targetDeclination;
    target = classified.wire;
    send(client, "1");
    return;
  }
  if (classified.usesTarget) {
    if (classified.answer == ClientAnswer::Slew) client.parkRefused = false;
    forward(client,
            TargetedSteps(client.targetRightAscension, client.targetDeclination, classified.wire),
            classified.answer);
    return;
  }
  forward(client, {CommandStep{classified.wire, classified.waitsForReply}}, classified.answer);
}

void ShareServer::refuse(ShareClient& client, const std::string& command,
                         const std::string& reason) {
  if (client.refusalsTraced >= kMostTracedRefusals) return;
  ++client.refusalsTraced;
  std::string line =
      describe(client) + ": \"" + PrintableCommand(command) + "\" refused: " + reason;
  if (client.refusalsTraced == kMostTracedRefusals) line += " (further refusals not traced)";
  trace(line);
}

void ShareServer::answerPosition(ShareClient& client, PositionAxis axis) {
  const ControllerState::PositionReading& latest = reading(axis);
  if (current(latest)) {
    send(client, latest.text + "#");
    return;
  }
  const int interval = pollingTimer_.interval();
  const int timeout = cache_.ReplyTimeoutMs();
  if (controllerConnected() && !controller_.ReadingsStale && latest.atMs >= 0 && interval > 0 &&
      now() - latest.atMs < 2LL * interval + timeout) {
    // Polling reads the position again any moment: its reading is the answer, so that the
    // controller is not asked twice.
    client.busy = true;
    client.awaitingPoll = true;
    client.awaitedAxis = axis;
    client.awaitingSinceMs = now();
    client.awaitDeadlineMs = now() + interval + timeout;
    armReadDeadline();
    return;
  }
  if (!controllerConnected()) {
    refuse(client, readCommand(axis), "no controller is connected");
    return;
  }
  forward(client, {CommandStep{readCommand(axis), true}}, ClientAnswer::AsReplied);
}

void ShareServer::forward(ShareClient& client, const std::vector<CommandStep>& steps,
                          ClientAnswer answer) {
  const long long id = client.id;
  const std::string wire = steps.back().command;
  std::weak_ptr<bool> alive = alive_;
  client.busy = true;
  QueueClientSequence(cache_, steps,
                      [this, alive, id, wire, answer](const std::vector<CommandResult>& results) {
                        const std::shared_ptr<bool> server = alive.lock();
                        if (server && *server) commandDone(id, wire, answer, results.back());
                      });
}

void ShareServer::commandDone(long long id, const std::string& wire, ClientAnswer answer,
                              const CommandResult& result) {
  if (wire == ":MS#" && slewTaken(result)) clientSlewStarted();
  ShareClient* client = find(id);
  // A client that went meanwhile: its reply is nobody's.
  if (client == nullptr) return;
  client->busy = false;
  send(*client, AnswerForClient(answer, result));
  handleCommands(*client);
}

void ShareServer::clientSlewStarted() {
  slewStartedMs_ = now();
  if (onClientSlew) onClientSlew();
}

bool ShareServer::heldByStop() const {
  return stopOnLineAtMs_ >= 0 && now() <= stopOnLineAtMs_;
}

void ShareServer::stopped(const StopNotice& notice) {
  stopOnLineAtMs_ = std::max(stopOnLineAtMs_, notice.onLineAtMs);
  slewStartedMs_ = -1;
  // What clients sent before the stop, also what still waits in their sockets, is not
  // done: marked now, answered in order (after a command of theirs that the queue
  // withdraws, which is older).
  for (auto& [id, client] : clients_) {
    if (client->gone) continue;
    if (!client->reading) readAhead(*client);
    if (client->gone) continue;
    client->withdrawn = client->commands.size();
    client->nextGoto.reset();
  }
  for (auto& [id, client] : clients_) {
    if (!client->gone && client->protocol == ShareProtocol::Text) handleCommands(*client);
  }
}

void ShareServer::armReadDeadline() {
  long long earliest = -1;
  for (const auto& [id, client] : clients_) {
    if (client->gone || !client->awaitingPoll) continue;
    if (earliest < 0 || client->awaitDeadlineMs < earliest) earliest = client->awaitDeadlineMs;
  }
  readDeadline_.stop();
  if (earliest < 0) return;
  readDeadline_.setInterval(static_cast<int>(std::max<long long>(1, earliest - now())));
  readDeadline_.start();
}

void ShareServer::checkAwaitedReads() {
  const long long moment = now();
  for (auto& [id, client] : clients_) {
    if (client->gone || !client->awaitingPoll || client->awaitDeadlineMs > moment) continue;
    // The poll did not come (polling paused for a long operation): ask the controller.
    client->awaitingPoll = false;
    client->busy = false;
    const PositionAxis axis = client->awaitedAxis;
    if (controllerConnected()) {
      forward(*client, {CommandStep{readCommand(axis), true}}, ClientAnswer::AsReplied);
    } else {
      refuse(*client, readCommand(axis), "no controller is connected");
    }
    handleCommands(*client);
  }
  armReadDeadline();
}

void ShareServer::PositionRead() {
  bool awaited = false;
  for (auto& [id, client] : clients_) {
    if (client->gone || !client->awaitingPoll) continue;
    awaited = true;
    const ControllerState::PositionReading& latest = reading(client->awaitedAxis);
    if (latest.atMs < client->awaitingSinceMs) continue;
    client->awaitingPoll = false;
    client->busy = false;
    send(*client, latest.text + "#");
    handleCommands(*client);
  }
  if (awaited) armReadDeadline();

  const ControllerState::PositionReading& ra = controller_.LastRightAscension;
  const ControllerState::PositionReading& dec = controller_.LastDeclination;
  if (ra.atMs <= pushedAtMs_ || dec.atMs <= pushedAtMs_) return;
  pushedAtMs_ = std::max(ra.atMs, dec.atMs);
  const std::optional<double> hours = HoursOfReading(ra.text);
  const std::optional<double> degrees = DegreesOfReading(dec.text);
  if (!hours || !degrees) return;
  previous_ = latest_;
  latest_ = Position{*hours, *degrees, now()};
  pushPosition();
}

void ShareServer::pushPosition() {
  for (auto& [id, client] : clients_) {
    if (!client->gone && client->protocol == ShareProtocol::Stellarium) sendPosition(*client);
  }
}

void ShareServer::sendPosition(ShareClient& client) {
  // The controller reports the equinox of the date; Stellarium's clients take J2000.
  const ui::DateTime utc = backend_.utcNow();
  const Equatorial j2000 =
      PrecessToJ2000(Equatorial{latest_.hours, latest_.degrees}, CenturiesSinceJ2000(utc));
  send(client, EncodeStellariumPosition(j2000.hours, j2000.degrees, microsOf(utc)));
}

bool ShareServer::slewing() const {
  const long long moment = now();
  const long long interval = std::max(pollingTimer_.interval(), 1);
  if (slewStartedMs_ >= 0 && moment - slewStartedMs_ < 2 * interval + kSlewSettleMs) return true;
  if (latest_.atMs < 0 || previous_.atMs < 0 || moment - latest_.atMs > 3 * interval) return false;
  double hours = std::fabs(latest_.hours - previous_.hours);
  hours = std::min(hours, 24.0 - hours);
  const double cosine = std::cos(latest_.degrees * std::numbers::pi / 180.0);
  const double apart =
      std::max(hours * 15.0 * cosine, std::fabs(latest_.degrees - previous_.degrees));
  return apart > kMovingDegrees;
}

void ShareServer::receiveGotos(ShareClient& client, std::string_view bytes) {
  std::vector<StellariumGoto> gotos;
  const bool fits = client.stellarium.Feed(bytes, gotos);
  if (!gotos.empty()) client.lastHeardMs = now();
  // A newer goto replaces an older one not begun yet: only the last of a burst counts.
  if (!gotos.empty()) {
    const StellariumGoto& target = gotos.back();
    if (const std::string problem = StellariumGotoProblem(target); !problem.empty()) {
      trace(describe(client) + ": goto refused: " + problem);
    } else if (!controllerConnected()) {
      trace(describe(client) + ": goto refused: no controller is connected");
    } else if (heldByStop()) {
      trace(describe(client) + ": goto withdrawn by a stop");
    } else {
      client.nextGoto = target;
      startGoto(client);
    }
  }
  if (!fits) {
    drop(client, "sent a message of length " + std::to_string(client.stellarium.refusedLength()) +
                     " and type " + std::to_string(client.stellarium.refusedType()) +
                     ", which is no goto");
  }
}

void ShareServer::startGoto(ShareClient& client) {
  if (client.gone || client.slewQueued || !client.nextGoto) return;
  const StellariumGoto target = *client.nextGoto;
  client.nextGoto.reset();
  if (!controllerConnected()) return;
  trace("Stellarium goto to " + RightAscensionFieldText(target.rightAscensionHours) + " " +
        DeclinationFieldText(target.declinationDegrees) + " (J2000.0)");
  client.slewQueued = true;
  const long long id = client.id;
  std::weak_ptr<bool> alive = alive_;
  QueueClientSequence(cache_, J2000SlewSteps(target.rightAscensionHours, target.declinationDegrees),
                      [this, alive, id](const std::vector<CommandResult>& results) {
                        const std::shared_ptr<bool> server = alive.lock();
                        if (!server || !*server) return;
                        if (slewTaken(results.back())) clientSlewStarted();
                        ShareClient* client = find(id);
                        if (client == nullptr) return;
                        client->slewQueued = false;
                        startGoto(*client);
                      });
}

}  // namespace orvane
