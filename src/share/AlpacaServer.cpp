#include "share/AlpacaServer.h"

#include <unistd.h>

#include <algorithm>
#include <exception>
#include <string_view>

#include "link/TraceForm.h"
#include "share/AlpacaSettings.h"
#include "share/TcpSockets.h"
#include "text/Latin1Text.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr int kSilenceCheckMs = 10000;
constexpr std::size_t kReadChunk = 4096;
constexpr int kReadsPerRound = 4;
constexpr const char* kJson = "application/json; charset=utf-8";
constexpr const char* kText = "text/plain; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kFormType = "application/x-www-form-urlencoded";
constexpr std::string_view kApiPrefix = "/api/v1/";
constexpr std::string_view kDeviceType = "telescope";
constexpr std::string_view kDeviceNumber = "0";
constexpr const char* kDeviceName = "Orvane mount";
// Names the kind of device the program serves (the same for every installation).
constexpr const char* kUniqueId = "3c9e5f1a-7b2d-4e86-a0c4-5d81f6b2e7a9";
constexpr const char* kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

// The path's parts between slashes.
std::vector<std::string> PartsOf(std::string_view path) {
  std::vector<std::string> parts;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    if (slash != 0) parts.emplace_back(path.substr(0, slash));
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return parts;
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string SetupPage() {
  return "<!DOCTYPE html>\n<html><head><title>Orvane Control</title></head><body>\n"
         "<h1>Orvane Control</h1>\n"
         "<p>The Orvane mount controller, shared by Orvane Control " ORVANE_VERSION
         " as Telescope 0.</p>\n"
         "<p>The server is set up in the program's settings file "
         "(~/.config/OrvaneControl/OrvaneControl.conf): Share, ShareAddress, AlpacaPort, "
         "AlpacaDiscoveryPort and AlpacaAlignmentMode.</p>\n"
         "</body></html>\n";
}

}  // namespace

AlpacaServer::AlpacaServer(ui::Backend& backend, TCache& cache, ControllerState& controller,
                           const ui::Timer& pollingTimer, const SettingLookup& settings,
                           TTraceForm& trace)
    : backend_(backend),
      settings_(settings),
      trace_(trace),
      telescope_(backend, cache, controller, pollingTimer, settings),
      discovery_(backend),
      reaper_(backend, 1, false),
      silence_(backend, kSilenceCheckMs, false) {
  reaper_.onTimer = [this](ui::Timer& timer) {
    timer.stop();
    reap();
  };
  silence_.onTimer = [this](ui::Timer&) { checkSilence(); };
  telescope_.report = [this](const std::string& line) { this->trace(line); };
}

AlpacaServer::~AlpacaServer() {
  *alive_ = false;
  StopSharing();
  reap();
}

bool AlpacaServer::Offered() const {
  return ReadAlpacaSettings(settings_).port.has_value();
}

SharedService::Started AlpacaServer::StartSharing(const std::string& address) {
  StopSharing();
  const AlpacaSettings settings = ReadAlpacaSettings(settings_);
  if (!settings.problem.empty()) return Started{false, "Setting not valid", settings.problem, {}};
  if (!settings.port) return Started{false, "No port to share on", "AlpacaPort is 0", {}};
  ListenResult result = OpenListener(address, *settings.port);
  if (result.descriptor < 0) {
    return Started{false,
                   result.failure == ListenFailure::PortInUse      ? "Port in use"
                   : result.failure == ListenFailure::NotAnAddress ? "Address not valid"
                   : result.failure == ListenFailure::NotAllowed   ? "Port not allowed"
                                                                   : "Cannot listen",
                   "ASCOM Alpaca: " + result.error,
                   {}};
  }
  listener_ = result.descriptor;
  port_ = ListeningPort(listener_);
  listenerWatch_ = std::make_unique<ui::DescriptorWatch>(backend_, listener_);
  listenerWatch_->onReadable = [this](ui::DescriptorWatch&) { accept(); };
  silence_.start();
  std::string hint = "port " + std::to_string(port_) + " (ASCOM Alpaca";
  trace("Sharing the mount on " + address + " port " + std::to_string(port_) + " (ASCOM Alpaca)");
  if (settings.discoveryPort) {
    // Without discovery clients are told the address by hand; the server runs all the same.
    if (std::optional<std::string> failure =
            discovery_.Start(address, *settings.discoveryPort, port_)) {
      trace("ASCOM Alpaca discovery not offered: " + *failure);
    } else {
      hint += ", discovery on UDP port " + std::to_string(discovery_.port());
      trace("Answering ASCOM Alpaca discovery on UDP port " + std::to_string(discovery_.port()));
    }
  }
  return Started{true, {}, {}, hint + ")"};
}

void AlpacaServer::StopSharing() {
  if (!running()) return;
  for (auto& [id, connection] : connections_) {
    if (!connection->gone) drop(*connection, "sharing switched off");
  }
  discovery_.Stop();
  listenerWatch_.reset();
  CloseSocket(listener_);
  listener_ = -1;
  silence_.stop();
  trace("ASCOM Alpaca sharing ended");
}

std::optional<int> AlpacaServer::port() const {
  if (!running()) return std::nullopt;
  return port_;
}

std::optional<int> AlpacaServer::discoveryPort() const {
  if (!discovery_.running()) return std::nullopt;
  return discovery_.port();
}

int AlpacaServer::clientCount() const {
  return static_cast<int>(std::count_if(connections_.begin(), connections_.end(),
                                        [](const auto& entry) { return !entry.second->gone; }));
}

void AlpacaServer::trace(const std::string& text) {
  trace_.Report(text);
}

AlpacaServer::Connection* AlpacaServer::find(int id) {
  auto found = connections_.find(id);
  if (found == connections_.end() || found->second->gone) return nullptr;
  return found->second.get();
}

// ---- connections ----

void AlpacaServer::accept() {
  for (;;) {
    const int descriptor = AcceptConnection(listener_);
    if (descriptor < 0) return;
    if (clientCount() >= kMostClients) {
      trace("ASCOM Alpaca client " + PeerName(descriptor) + " refused: " +
            std::to_string(kMostClients) + " clients are connected already");
      CloseSocket(descriptor);
      continue;
    }
    auto connection = std::make_unique<Connection>();
    connection->id = nextConnectionId_++;
    connection->descriptor = descriptor;
    connection->peer = PeerName(descriptor);
    connection->lastHeardMs = backend_.ticksMs();
    connection->watch = std::make_unique<ui::DescriptorWatch>(backend_, descriptor);
    const int id = connection->id;
    connection->watch->onReadable = [this, id](ui::DescriptorWatch&) { readFrom(id); };
    connection->watch->onWritable = [this, id](ui::DescriptorWatch&) {
      if (Connection* found = find(id)) flush(*found);
    };
    connections_.emplace(id, std::move(connection));
  }
}

void AlpacaServer::readFrom(int id) {
  char buffer[kReadChunk];
  for (int round = 0; round < kReadsPerRound; ++round) {
    Connection* connection = find(id);
    if (connection == nullptr || connection->closing) return;
    const Transfer got = ReadSome(connection->descriptor, buffer, sizeof buffer);
    if (got.status == TransferStatus::WouldBlock) return;
    if (got.status == TransferStatus::Closed) {
      drop(*connection, connection->reader.midRequest() ? "disconnected in the middle of a request"
                                                        : "disconnected");
      return;
    }
    connection->lastHeardMs = backend_.ticksMs();
    std::vector<HttpRequest> requests;
    const bool readable = connection->reader.Feed(std::string_view(buffer, got.bytes), requests);
    for (HttpRequest& request : requests) connection->requests.push_back(std::move(request));
    if (!readable) {
      // What came before is answered first; then the reason, and the connection ends.
      HttpRequest refused;
      refused.method = "";
      refused.body = connection->reader.refusedReason();
      refused.keepAlive = false;
      connection->requests.push_back(std::move(refused));
      connection->watch->setWatchReading(false);
      if (connection->refusalsTraced++ < kMostTracedRefusals) {
        trace("ASCOM Alpaca client " + connection->peer + ": " + connection->reader.refusedReason());
      }
      serve(id);
      return;
    }
    // The body is welcome; said only when no earlier answer is owed, which would come first.
    if (connection->reader.TakeContinueWish() && !connection->busy &&
        connection->requests.empty()) {
      send(*connection, kContinue);
    }
    serve(id);
    connection = find(id);
    if (connection == nullptr) return;
    // A client that sends faster than it is answered is read no further until it is.
    if (connection->requests.size() >= kMostWaitingRequests) {
      connection->watch->setWatchReading(false);
      return;
    }
  }
}

void AlpacaServer::serve(int id) {
  Connection* connection = find(id);
  if (connection == nullptr || connection->serving) return;
  connection->serving = true;
  while (connection != nullptr && !connection->busy && !connection->closing &&
         !connection->requests.empty()) {
    const HttpRequest request = std::move(connection->requests.front());
    connection->requests.pop_front();
    connection->busy = true;
    const bool keepAlive = request.keepAlive;
    std::weak_ptr<bool> alive = alive_;
    if (request.method.empty()) {
      // The reader refused the stream: its reason is the answer.
      answered(id,
               Response{connection->reader.refusedStatus(), kText, request.body + "\n"}, false);
    } else {
      Respond respond = [this, alive, id, keepAlive](Response response) {
        const std::shared_ptr<bool> server = alive.lock();
        if (server && *server) answered(id, response, keepAlive);
      };
      try {
        dispatch(*connection, request, respond);
      } catch (const std::exception& error) {
        // What the device could not recover from is answered as the protocol says, and the
        // program goes on.
        respond(Response{500, kText, std::string("internal error: ") + error.what() + "\n"});
      }
    }
    connection = find(id);
  }
  if (connection == nullptr) return;
  connection->serving = false;
  if (!connection->closing && connection->requests.size() < kMostWaitingRequests &&
      connection->reader.refusedStatus() == 0) {
    connection->watch->setWatchReading(true);
  }
  flush(*connection);
}

void AlpacaServer::answered(int id, const Response& response, bool keepAlive) {
  Connection* connection = find(id);
  // A client that went meanwhile: the answer is nobody's.
  if (connection == nullptr) return;
  connection->busy = false;
  if (response.status == 400 && connection->refusalsTraced++ < kMostTracedRefusals) {
    // The reason may quote what the client sent: the trace takes its start, without the
    // line break that ends it for the client.
    std::string_view reason = response.body;
    while (!reason.empty() && reason.back() == '\n') reason.remove_suffix(1);
    const bool cut = reason.size() > kMostTracedReason;
    trace("ASCOM Alpaca client " + connection->peer + ": bad request: " +
          std::string(reason.substr(0, kMostTracedReason)) + (cut ? "..." : ""));
  }
  send(*connection, HttpResponseText(response.status, response.contentType, response.body,
                                     keepAlive));
  if (!keepAlive) {
    connection->closing = true;
    connection->requests.clear();
    connection->watch->setWatchReading(false);
  }
  if (!connection->serving) serve(id);
}

void AlpacaServer::send(Connection& connection, std::string_view bytes) {
  if (connection.gone) return;
  connection.output.append(bytes.data(), bytes.size());
  if (!connection.serving) flush(connection);
}

void AlpacaServer::flush(Connection& connection) {
  if (connection.gone) return;
  if (!connection.output.empty()) {
    const Transfer sent =
        WriteSome(connection.descriptor, connection.output.data(), connection.output.size());
    if (sent.status == TransferStatus::Closed) {
      drop(connection, "disconnected");
      return;
    }
    connection.output.erase(0, sent.bytes);
    if (connection.output.size() > kLongestOutput) {
      drop(connection, "does not take its answers");
      return;
    }
  }
  connection.watch->setWatchWriting(!connection.output.empty());
  if (connection.output.empty() && connection.closing && !connection.busy) {
    drop(connection, "closed");
  }
}

void AlpacaServer::drop(Connection& connection, const std::string& reason) {
  if (connection.gone) return;
  connection.gone = true;
  connection.requests.clear();
  connection.watch->setWatchReading(false);
  connection.watch->setWatchWriting(false);
  // Ordinary ends of a connection are no news; the server's own drops are.
  if (reason != "disconnected" && reason != "closed") {
    trace("ASCOM Alpaca client " + connection.peer + " dropped: " + reason);
  }
  reaper_.start();
}

void AlpacaServer::reap() {
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (it->second->gone) {
      it->second->watch.reset();
      CloseSocket(it->second->descriptor);
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }
}

void AlpacaServer::checkSilence() {
  const long long now = backend_.ticksMs();
  for (auto& [id, connection] : connections_) {
    if (!connection->gone && !connection->busy && now - connection->lastHeardMs >= kLongestSilenceMs) {
      drop(*connection, "silent for 10 minutes");
    }
  }
}

// ---- requests ----

std::uint32_t AlpacaServer::nextServerTransaction() {
  // Counts from 1 and leaves 0 out when it wraps.
  if (++serverTransaction_ == 0) serverTransaction_ = 1;
  return serverTransaction_;
}

AlpacaServer::Response AlpacaServer::responseOf(const AlpacaAnswer& answer,
                                                std::uint32_t clientTransaction) {
  if (!answer.badRequest.empty()) return Response{400, kText, answer.badRequest + "\n"};
  nlohmann::ordered_json body;
  if (answer.hasValue) body["Value"] = answer.value;
  body["ClientTransactionID"] = clientTransaction;
  body["ServerTransactionID"] = nextServerTransaction();
  body["ErrorNumber"] = answer.errorNumber;
  body["ErrorMessage"] = Latin1ToUtf8(answer.errorMessage);
  return Response{200, kJson,
                  body.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)};
}

void AlpacaServer::dispatch(Connection& connection, const HttpRequest& request, Respond respond) {
  const std::vector<std::string> parts = PartsOf(request.path);
  const bool get = request.method == "GET";
  if (!parts.empty() && parts[0] == "setup") {
    const bool known = parts.size() == 1 ||
                       (parts.size() == 5 && parts[1] == "v1" && parts[2] == kDeviceType &&
                        parts[3] == kDeviceNumber && parts[4] == "setup");
    if (!known || !get) {
      respond(Response{403, kText, "no such page\n"});
      return;
    }
    respond(Response{200, kHtml, SetupPage()});
    return;
  }
  if (request.path.rfind(kApiPrefix, 0) == 0) {
    if (parts.size() != 5 || parts[2] != kDeviceType || parts[3] != kDeviceNumber) {
      const bool typeKnown = parts.size() >= 3 && parts[2] == kDeviceType;
      respond(Response{400, kText,
                       parts.size() != 5 ? std::string("a device path is /api/v1/telescope/0/member\n")
                       : typeKnown       ? "there is no telescope number " + parts[3] + "\n"
                                         : "there is no device of type " + parts[2] + "\n"});
      return;
    }
    answerDevice(connection, request, parts[4], std::move(respond));
    return;
  }
  const bool management = !parts.empty() && parts[0] == "management";
  if (!management) {
    respond(Response{404, kText, "not found\n"});
    return;
  }
  const std::optional<AlpacaParameters> parameters = AlpacaParameters::FromForm(request.query);
  if (!get || !parameters) {
    respond(Response{400, kText,
                     !get ? request.method + " " + request.path + ": the management API takes GET\n"
                          : std::string("the query is not form-encoded\n")});
    return;
  }
  const std::optional<std::string> number = parameters->Find("ClientTransactionID");
  const std::uint32_t client = number ? ReadTransactionNumber(*number).value_or(0) : 0;
  if (request.path == "/management/apiversions") {
    respond(responseOf(AlpacaAnswer::Value(nlohmann::json::array({1})), client));
  } else if (request.path == "/management/v1/description") {
    respond(responseOf(AlpacaAnswer::Value({{"ServerName", "Orvane Control"},
                                            {"Manufacturer", "Orvane Control"},
                                            {"ManufacturerVersion", ORVANE_VERSION},
                                            {"Location", Latin1ToUtf8(HostName())}}),
                       client));
  } else if (request.path == "/management/v1/configureddevices") {
    respond(responseOf(AlpacaAnswer::Value(nlohmann::json::array({{{"DeviceName", kDeviceName},
                                                                   {"DeviceType", "Telescope"},
                                                                   {"DeviceNumber", 0},
                                                                   {"UniqueID", kUniqueId}}})),
                       client));
  } else {
    respond(Response{400, kText, "the management API has no " + request.path + "\n"});
  }
}

void AlpacaServer::answerDevice(Connection& connection, const HttpRequest& request,
                                const std::string& member, Respond respond) {
  const bool put = request.method == "PUT";
  if (!put && request.method != "GET") {
    respond(Response{400, kText, request.method + " is no method of the device API\n"});
    return;
  }
  std::string_view type = request.contentType;
  type = type.substr(0, type.find(';'));
  while (!type.empty() && type.back() == ' ') type.remove_suffix(1);
  if (put && !type.empty() && type != kFormType) {
    respond(Response{400, kText, "PUT parameters come form-encoded (" + std::string(kFormType) +
                                     "), not as " + std::string(type) + "\n"});
    return;
  }
  const std::optional<AlpacaParameters> parameters =
      put ? AlpacaParameters::FromForm(request.body, AlpacaParameters::Names::Exact)
          : AlpacaParameters::FromForm(request.query);
  if (!parameters) {
    respond(Response{400, kText, "the parameters are not form-encoded\n"});
    return;
  }
  const std::optional<std::string> number = parameters->Find("ClientTransactionID");
  const std::uint32_t client = number ? ReadTransactionNumber(*number).value_or(0) : 0;
  AlpacaCall call{member, put, *parameters, connection.peer};
  std::weak_ptr<bool> alive = alive_;
  telescope_.Handle(call, [this, alive, client, respond](AlpacaAnswer answer) {
    const std::shared_ptr<bool> server = alive.lock();
    if (server && *server) respond(responseOf(answer, client));
  });
}

}  // namespace orvane
