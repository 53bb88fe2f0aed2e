// The sharing server's connections: listening, accepting, reading, writing, dropping and
// closing, the silence check, and the switch and status line on the profile page.
#include "share/ShareServer.h"

#include <algorithm>

#include "link/Cache.h"
#include "link/TraceForm.h"
#include "persistence/SettingsStore.h"
#include "share/TcpSockets.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr int kSilenceCheckMs = 10000;
// What one readiness of a socket reads at most; the rest waits for the next round, so
// one busy client does not hold the others up.
constexpr std::size_t kReadChunk = 4096;
constexpr int kReadsPerRound = 4;

const char* protocolName(ShareProtocol protocol) {
  return protocol == ShareProtocol::Text ? "text protocol" : "Stellarium protocol";
}

}  // namespace

ShareServer::ShareServer(ui::Backend& backend, TCache& cache, ControllerState& controller,
                         SettingsStore& settings, TTraceForm& trace, ui::ColorScheme& scheme,
                         const ui::Timer& pollingTimer, ShareFields fields)
    : backend_(backend),
      cache_(cache),
      controller_(controller),
      settings_(settings),
      trace_(trace),
      scheme_(scheme),
      pollingTimer_(pollingTimer),
      fields_(fields),
      reaper_(backend, 1, false),
      silence_(backend, kSilenceCheckMs, false),
      readDeadline_(backend, 1, false),
      stopSubscription_(cache.queue(), [this](const StopNotice& notice) { stopped(notice); }) {
  reaper_.onTimer = [this](ui::Timer& timer) {
    timer.stop();
    reap();
  };
  silence_.onTimer = [this](ui::Timer&) { checkSilence(); };
  readDeadline_.setPrecise(true);
  readDeadline_.onTimer = [this](ui::Timer& timer) {
    timer.stop();
    checkAwaitedReads();
  };
  fields_.shareSwitch.onClick = [this](ui::Widget&) { ShareSwitchClick(); };
  fields_.shareSwitch.setShowHint(true);
  fields_.status.setShowHint(true);
  showStatus();
}

ShareServer::~ShareServer() {
  *alive_ = false;
  fields_.shareSwitch.onClick = nullptr;
  Stop();
  reap();
}

void ShareServer::StartFromSettings() {
  if (ReadShareSettings(settings_).enabled) Start();
}

void ShareServer::ShareSwitchClick() {
  scheme_.Defocus();
  if (running()) {
    Stop();
    settings_.write(kShareKey, kShareOff);
  } else if (Start()) {
    settings_.write(kShareKey, kShareOn);
  }
}

bool ShareServer::Start() {
  if (running()) return true;
  const ShareSettings settings = ReadShareSettings(settings_);
  if (!settings.problem.empty()) {
    showError("Setting not valid", settings.problem);
    return false;
  }
  std::vector<Listener> opened;
  for (const auto& [protocol, port] :
       {std::pair{ShareProtocol::Text, settings.textPort},
        std::pair{ShareProtocol::Stellarium, settings.stellariumPort}}) {
    if (!port) continue;
    ListenResult result = OpenListener(settings.address, *port);
    if (result.descriptor < 0) {
      for (Listener& listener : opened) CloseSocket(listener.descriptor);
      showError(result.failure == ListenFailure::PortInUse      ? "Port in use"
                : result.failure == ListenFailure::NotAnAddress ? "Address not valid"
                : result.failure == ListenFailure::NotAllowed   ? "Port not allowed"
                                                                : "Cannot listen",
                result.error);
      return false;
    }
    opened.push_back(Listener{protocol, result.descriptor, ListeningPort(result.descriptor), {}});
  }
  const bool serviceOffered = std::any_of(services_.begin(), services_.end(),
                                          [](SharedService* service) { return service->Offered(); });
  if (opened.empty() && !serviceOffered) {
    showError("No port to share on", "both ports are 0");
    return false;
  }
  std::string serviceHints;
  for (SharedService* service : services_) {
    if (!service->Offered()) continue;
    const SharedService::Started started = service->StartSharing(settings.address);
    if (!started.ok) {
      for (SharedService* running : startedServices_) running->StopSharing();
      startedServices_.clear();
      for (Listener& listener : opened) CloseSocket(listener.descriptor);
      showError(started.status, started.detail);
      return false;
    }
    startedServices_.push_back(service);
    serviceHints += ", " + started.hint;
  }
  listeners_ = std::move(opened);
  std::string hint = "Planetarium programs reach the mount at " + settings.address;
  for (size_t i = 0; i < listeners_.size(); ++i) {
    Listener& listener = listeners_[i];
    const ShareProtocol protocol = listener.protocol;
    listener.watch = std::make_unique<ui::DescriptorWatch>(backend_, listener.descriptor);
    listener.watch->onReadable = [this, i](ui::DescriptorWatch&) { acceptOn(listeners_[i]); };
    hint += ", port " + std::to_string(listener.port) + " (" + protocolName(protocol) + ")";
    trace("Sharing the mount on " + settings.address + " port " + std::to_string(listener.port) +
          " (" + protocolName(protocol) + ")");
  }
  fields_.shareSwitch.setHint(hint + serviceHints);
  silence_.start();
  showStatus();
  return true;
}

void ShareServer::Stop() {
  if (!running()) return;
  for (auto& [id, client] : clients_) {
    if (!client->gone) drop(*client, "sharing switched off");
  }
  for (SharedService* service : startedServices_) service->StopSharing();
  startedServices_.clear();
  for (Listener& listener : listeners_) {
    listener.watch.reset();
    CloseSocket(listener.descriptor);
  }
  listeners_.clear();
  silence_.stop();
  readDeadline_.stop();
  trace("Sharing the mount ended");
  fields_.shareSwitch.setHint("");
  showStatus();
}

int ShareServer::clientCount() const {
  return static_cast<int>(std::count_if(clients_.begin(), clients_.end(),
                                        [](const auto& entry) { return !entry.second->gone; }));
}

std::optional<int> ShareServer::textPort() const {
  for (const Listener& listener : listeners_) {
    if (listener.protocol == ShareProtocol::Text) return listener.port;
  }
  return std::nullopt;
}

std::optional<int> ShareServer::stellariumPort() const {
  for (const Listener& listener : listeners_) {
    if (listener.protocol == ShareProtocol::Stellarium) return listener.port;
  }
  return std::nullopt;
}

long long ShareServer::now() const {
  return backend_.ticksMs();
}

void ShareServer::trace(const std::string& text) {
  trace_.Report(text);
}

std::string ShareServer::describe(const ShareClient& client) const {
  return "Planetarium client " + client.peer;
}

ShareClient* ShareServer::find(long long id) {
  auto found = clients_.find(id);
  if (found == clients_.end() || found->second->gone) return nullptr;
  return found->second.get();
}

void ShareServer::acceptOn(Listener& listener) {
  for (;;) {
    const int descriptor = AcceptConnection(listener.descriptor);
    if (descriptor < 0) return;
    const std::string peer = PeerName(descriptor);
    if (clientCount() >= kMostClients) {
      trace("Planetarium client " + peer + " refused: " + std::to_string(kMostClients) +
            " clients are connected already");
      CloseSocket(descriptor);
      continue;
    }
    auto client = std::make_unique<ShareClient>();
    client->id = nextClientId_++;
    client->protocol = listener.protocol;
    client->descriptor = descriptor;
    client->peer = peer;
    client->lastHeardMs = now();
    client->lastSentMs = now();
    client->watch = std::make_unique<ui::DescriptorWatch>(backend_, descriptor);
    const long long id = client->id;
    client->watch->onReadable = [this, id](ui::DescriptorWatch&) { readFrom(id); };
    client->watch->onWritable = [this, id](ui::DescriptorWatch&) { writeTo(id); };
    trace(describe(*client) + " connected (" + protocolName(client->protocol) + ")");
    ShareClient& added = *clients_.emplace(id, std::move(client)).first->second;
    showStatus();
    // A Stellarium client shows the mount at once, not only after the next poll.
    if (added.protocol == ShareProtocol::Stellarium && latest_.atMs >= 0 &&
        controllerConnected() && !controller_.ReadingsStale) {
      sendPosition(added);
    }
  }
}

void ShareServer::readFrom(long long id) {
  char buffer[kReadChunk];
  for (int round = 0; round < kReadsPerRound; ++round) {
    ShareClient* client = find(id);
    if (client == nullptr) return;
    const Transfer got = ReadSome(client->descriptor, buffer, sizeof buffer);
    if (got.status == TransferStatus::WouldBlock) return;
    if (got.status == TransferStatus::Closed) {
      drop(*client, client->framer.midCommand() ? "disconnected in the middle of a command"
                                                : "disconnected");
      return;
    }
    take(*client, std::string_view(buffer, got.bytes));
    client = find(id);
    if (client == nullptr) return;
    if (client->protocol == ShareProtocol::Stellarium) continue;
    handleCommands(*client);
    client = find(id);
    if (client == nullptr) return;
    // A client that sends faster than its commands are served is read no further until
    // they are: its bytes wait in the system's buffers, and then in its own.
    if (client->commands.size() >= kMostWaitingCommands) {
      client->watch->setWatchReading(false);
      return;
    }
  }
}

void ShareServer::take(ShareClient& client, std::string_view bytes) {
  if (client.protocol == ShareProtocol::Stellarium) {
    receiveGotos(client, bytes);
    return;
  }
  std::vector<std::string> commands;
  const bool fits = client.framer.Feed(bytes, commands);
  // Only a whole command is a sign of life: line ends, a lone "#" or noise now and then
  // are not.
  if (std::any_of(commands.begin(), commands.end(), [](const std::string& command) {
        return !ClassifyClientCommand(command).garbage;
      })) {
    client.lastHeardMs = now();
  }
  client.reading = true;
  for (std::string& command : commands) {
    if (client.gone) break;
    if (ClassifyClientCommand(command).kind == ClientCommand::Kind::Stop) {
      // A stop does not wait behind the client's own commands: it goes out now, and what
      // was sent before it and is not handled yet is answered as not done.
      handleCommand(client, command);
      continue;
    }
    client.commands.push_back(std::move(command));
  }
  client.reading = false;
  if (!fits && !client.gone) {
    drop(client,
         "command longer than " + std::to_string(TextCommandFramer::kLongestCommand) + " bytes");
  }
}

void ShareServer::readAhead(ShareClient& client) {
  // A client with a full backlog is not read, stop or not: what it holds stays bounded.
  if (client.commands.size() >= kMostWaitingCommands) return;
  char buffer[TextCommandFramer::kLongestCommand * kMostWaitingCommands];
  const Transfer got = ReadSome(client.descriptor, buffer, sizeof buffer);
  // An end of the connection is noticed by the next read as usual.
  if (got.status != TransferStatus::Done || got.bytes == 0) return;
  take(client, std::string_view(buffer, got.bytes));
}

void ShareServer::send(ShareClient& client, std::string_view bytes) {
  if (client.gone || bytes.empty()) return;
  client.output.append(bytes.data(), bytes.size());
  // The answers to a burst of commands go out together once the burst is handled.
  if (!client.handling) flush(client);
}

void ShareServer::flush(ShareClient& client) {
  if (client.gone || client.output.empty()) return;
  const Transfer sent = WriteSome(client.descriptor, client.output.data(), client.output.size());
  if (sent.status == TransferStatus::Closed) {
    drop(client, "disconnected");
    return;
  }
  if (sent.bytes > 0) client.lastSentMs = now();
  client.output.erase(0, sent.bytes);
  if (client.output.size() > kLongestOutput) {
    drop(client, "does not take what it is sent");
    return;
  }
  client.watch->setWatchWriting(!client.output.empty());
}

void ShareServer::writeTo(long long id) {
  if (ShareClient* client = find(id)) flush(*client);
}

void ShareServer::drop(ShareClient& client, const std::string& reason) {
  if (client.gone) return;
  client.gone = true;
  client.commands.clear();
  client.withdrawn = 0;
  client.awaitingPoll = false;
  client.nextGoto.reset();
  // The socket is closed once no handler of it runs any more.
  client.watch->setWatchReading(false);
  client.watch->setWatchWriting(false);
  trace(describe(client) + (reason == "disconnected" ? " disconnected" : " dropped: " + reason));
  reaper_.start();
  showStatus();
}

void ShareServer::reap() {
  for (auto it = clients_.begin(); it != clients_.end();) {
    if (it->second->gone) {
      it->second->watch.reset();
      CloseSocket(it->second->descriptor);
      it = clients_.erase(it);
    } else {
      ++it;
    }
  }
}

void ShareServer::checkSilence() {
  const long long moment = now();
  for (auto& [id, client] : clients_) {
    if (client->gone) continue;
    // Stellarium's protocol has a client speak only to send a goto: one that takes the
    // positions it is sent is there.
    long long heard = client->lastHeardMs;
    if (client->protocol == ShareProtocol::Stellarium) heard = std::max(heard, client->lastSentMs);
    if (moment - heard >= kLongestSilenceMs) drop(*client, "silent for 10 minutes");
  }
}

void ShareServer::showStatus() {
  fields_.shareSwitch.setText(running() ? "Sharing on" : "Sharing off");
  fields_.status.setHint("");
  if (!running()) {
    fields_.status.setText("Status: Not shared");
    return;
  }
  const int count = clientCount();
  fields_.status.setText(count == 0   ? std::string("Status: No client connected")
                         : count == 1 ? std::string("Status: 1 client connected")
                                      : "Status: " + std::to_string(count) + " clients connected");
}

void ShareServer::showError(const std::string& status, const std::string& detail) {
  trace("Sharing the mount failed: " + detail);
  fields_.shareSwitch.setText("Sharing off");
  // The status line is short; its hint and the trace say exactly what went wrong.
  fields_.status.setText("Error: " + status);
  fields_.status.setHint(detail);
  scheme_.Blink(fields_.status);
}

}  // namespace orvane
