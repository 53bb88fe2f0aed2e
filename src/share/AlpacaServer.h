// AlpacaServer: the network device protocol of imaging programs (ASCOM Alpaca), HTTP with
// JSON, served while the mount is shared, on the sharing address and the port AlpacaPort
// (see AlpacaSettings). It offers the management API (/management/apiversions,
// /management/v1/description, /management/v1/configureddevices), the setup pages, and one
// device, the mount as Telescope number 0 (/api/v1/telescope/0/..., see AlpacaTelescope),
// and answers the protocol's discovery (AlpacaDiscovery).
//
// Answers follow the protocol: JSON with Value, ClientTransactionID (the client's number
// echoed, 0 when it sent none or none that is one), ServerTransactionID (counting from 1),
// ErrorNumber and ErrorMessage; "400 Bad Request" with the reason in plain text for a
// request the device cannot understand (an unknown device or member, a missing parameter
// or one that is no value of its kind, a member reached with the wrong method). GET
// parameters come in the query, PUT parameters form-encoded in the body; their names in
// any case.
//
// The limits of the sharing server apply: at most kMostClients connections, a request of at
// most HttpRequestReader::kLongestRequest bytes, a client silent for 10 minutes is dropped,
// one that does not take its answers is dropped at kLongestOutput unsent bytes, and one
// that sends faster than it is answered is not read until its backlog is handled. Requests
// of one connection are answered in the order they came.
//
// Created by the Application with the sharing server, which starts and stops it with the
// sharing switch (SharedService).
// Thread: user-interface thread only; sockets are watched through the backend.
// Layer: share/, just below app/.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "share/AlpacaDiscovery.h"
#include "share/AlpacaTelescope.h"
#include "share/HttpRequests.h"
#include "share/SharedService.h"
#include "ui/DescriptorWatch.h"
#include "ui/Timer.h"

namespace orvane {

class SettingLookup;
class TCache;
class TTraceForm;

class AlpacaServer final : public SharedService {
 public:
  static constexpr int kMostClients = 8;
  static constexpr long long kLongestSilenceMs = 10 * 60 * 1000;
  static constexpr std::size_t kLongestOutput = 256 * 1024;
  static constexpr std::size_t kMostWaitingRequests = 16;
  static constexpr int kMostTracedRefusals = 20;
  // The characters of a bad request's reason the trace takes (a value may be 16 KB).
  static constexpr std::size_t kMostTracedReason = 200;

  AlpacaServer(ui::Backend& backend, TCache& cache, ControllerState& controller,
               const ui::Timer& pollingTimer, const SettingLookup& settings, TTraceForm& trace);
  ~AlpacaServer();
  AlpacaServer(const AlpacaServer&) = delete;
  AlpacaServer& operator=(const AlpacaServer&) = delete;

  bool Offered() const override;
  Started StartSharing(const std::string& address) override;
  void StopSharing() override;

  bool running() const { return listener_ >= 0; }
  std::optional<int> port() const;
  std::optional<int> discoveryPort() const;
  int clientCount() const;
  AlpacaTelescope& telescope() { return telescope_; }
  const AlpacaDiscovery& discovery() const { return discovery_; }

 private:
  struct Connection {
    int id = 0;
    int descriptor = -1;
    std::string peer;
    std::unique_ptr<ui::DescriptorWatch> watch;
    HttpRequestReader reader;
    std::deque<HttpRequest> requests;  // complete, not answered yet
    bool busy = false;                 // one is being answered
    bool serving = false;              // the server goes through its requests now
    bool closing = false;              // the last answer is given: close once it is out
    std::string output;
    long long lastHeardMs = 0;
    int refusalsTraced = 0;
    bool gone = false;
  };
  // What one request is answered with.
  struct Response {
    int status = 200;
    std::string contentType;
    std::string body;
  };
  using Respond = std::function<void(Response)>;

  // ---- connections ----
  void accept();
  void readFrom(int id);
  void serve(int id);
  void answered(int id, const Response& response, bool keepAlive);
  void send(Connection& connection, std::string_view bytes);
  void flush(Connection& connection);
  void drop(Connection& connection, const std::string& reason);
  void reap();
  void checkSilence();
  Connection* find(int id);
  void trace(const std::string& text);

  // ---- requests ----
  void dispatch(Connection& connection, const HttpRequest& request, Respond respond);
  void answerDevice(Connection& connection, const HttpRequest& request, const std::string& member,
                    Respond respond);
  // The protocol's JSON answer around a device's answer, or the 400 it asks for.
  Response responseOf(const AlpacaAnswer& answer, std::uint32_t clientTransaction);
  std::uint32_t nextServerTransaction();

  ui::Backend& backend_;
  const SettingLookup& settings_;
  TTraceForm& trace_;
  AlpacaTelescope telescope_;
  AlpacaDiscovery discovery_;

  int listener_ = -1;
  int port_ = 0;
  std::unique_ptr<ui::DescriptorWatch> listenerWatch_;
  std::map<int, std::unique_ptr<Connection>> connections_;
  int nextConnectionId_ = 1;
  std::uint32_t serverTransaction_ = 0;
  ui::Timer reaper_;   // closes dropped connections outside their handlers
  ui::Timer silence_;  // looks for silent clients
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orvane
