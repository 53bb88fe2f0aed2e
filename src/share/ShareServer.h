// ShareServer: shares the mount with planetarium programs over the network while the
// program keeps the serial line. Off by default; the switch on the profile page starts and
// stops it (and the settings store remembers the choice, see ShareSettings). It listens on
// the loopback address unless the user names another, on one port for the controller's
// text protocol (SkySafari-style clients, INDI's generic driver in its network mode) and
// one for Stellarium's telescope protocol, and serves at most kMostClients at once.
//
// Nothing from the network writes to the device: every command a text client sends that
// the controller is to see is a request in the program's one command queue (the cache
// manager's), taking its turn as ClientTurns says (behind the program's own commands,
// clients in turn), and its reply goes back to that client alone. A client's target is
// kept as its own and goes out with its slew or synchronisation as one unit, so two
// clients' gotos never mix. A stop jumps the queue as the program's stops do, and every
// stop (the program's or a client's) withdraws every client command not written yet: what
// is queued, what clients sent ahead, and what arrives until the stop is on the wire; each
// is answered as not done, in order. Position reads are answered from the latest polled
// position, so clients that poll fast add no wire traffic. A Stellarium goto slews as "Go"
// of manual targeting does in J2000.0, and every poll's position, taken back from the
// equinox of the date to J2000, goes to every Stellarium client.
//
// Inputs are bounded: a command longer than 64 bytes, a binary message that is no goto,
// a client that sends no command for 10 minutes, output a client does not take and
// persistent noise end that client's connection with a line in the trace; a client that
// sends faster than its commands are served is not read until its backlog is handled;
// refused commands never reach the wire and are answered at once (see ClientCommands); a
// goto to no place on the sky is refused with a line in the trace. A client that
// disconnects mid-command leaves nothing on the wire: only complete commands are queued.
//
// Created by the Application after the windows, which wires it to polling (PositionRead)
// and to what follows a client's slew (onClientSlew).
// Thread: user-interface thread only; sockets are watched through the backend, so every
// handler runs there and none blocks.
// Layer: share/, just below app/; it may use dialogue/ and everything below.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "link/CommandQueue.h"
#include "link/ControllerState.h"
#include "share/ClientTurns.h"
#include "share/ShareClient.h"
#include "share/ShareSettings.h"
#include "share/SharedService.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/DescriptorWatch.h"
#include "ui/Timer.h"

namespace orvane {

class SettingsStore;
class TCache;
class TTraceForm;

// The profile page's parts of the server: its switch and its status line.
struct ShareFields {
  ui::Label& shareSwitch;
  ui::Label& status;
};

class ShareServer {
 public:
  static constexpr int kMostClients = 8;
  static constexpr long long kLongestSilenceMs = 10 * 60 * 1000;
  static constexpr std::size_t kLongestOutput = 64 * 1024;
  // A client's complete commands not handled yet, beyond which it is not read for a while.
  static constexpr std::size_t kMostWaitingCommands = 32;
  static constexpr int kMostGarbage = 8;
  static constexpr int kMostTracedRefusals = 20;

  ShareServer(ui::Backend& backend, TCache& cache, ControllerState& controller,
              SettingsStore& settings, TTraceForm& trace, ui::ColorScheme& scheme,
              const ui::Timer& pollingTimer, ShareFields fields);
  ~ShareServer();
  ShareServer(const ShareServer&) = delete;
  ShareServer& operator=(const ShareServer&) = delete;

  // At program start: starts when the settings store says so.
  void StartFromSettings();
  // The switch on the profile page: starts or stops, and remembers the choice.
  void ShareSwitchClick();
  // Listens on the configured address and ports; false (and the status line says why)
  // when a port cannot be had.
  bool Start();
  // Ends every connection and stops listening.
  void Stop();
  bool running() const { return !listeners_.empty() || !startedServices_.empty(); }
  int clientCount() const;
  // The port each protocol listens on; nothing while it does not.
  std::optional<int> textPort() const;
  std::optional<int> stellariumPort() const;

  // Another service that runs while the mount is shared (started after the planetarium
  // protocols, stopped before them). It must outlive the server or be removed first.
  void AddService(SharedService& service) { services_.push_back(&service); }
  void RemoveService(SharedService& service) { std::erase(services_, &service); }

  // Polling has read a position: reads waiting for it are answered, and once right
  // ascension and declination are both new the position goes to the Stellarium clients.
  void PositionRead();

  // A client's slew has begun (the controller took it): the target the user aligned on is
  // no longer the controller's. Set by app/.
  std::function<void()> onClientSlew;

 private:
  struct Listener {
    ShareProtocol protocol;
    int descriptor;
    int port;
    std::unique_ptr<ui::DescriptorWatch> watch;
  };

  // ---- connections (ShareServer.cpp) ----
  void acceptOn(Listener& listener);
  void readFrom(long long id);
  // Bytes the client has sent: cut into commands or messages and handled (a stop at once).
  void take(ShareClient& client, std::string_view bytes);
  void writeTo(long long id);
  // Owed bytes go out as far as the socket takes them; the rest when it can take more.
  void send(ShareClient& client, std::string_view bytes);
  void flush(ShareClient& client);
  void drop(ShareClient& client, const std::string& reason);
  void reap();
  void checkSilence();
  ShareClient* find(long long id);
  void showStatus();
  // status: a few words for the status line; detail: the whole reason, for its hint and
  // the trace.
  void showError(const std::string& status, const std::string& detail);
  void trace(const std::string& text);
  long long now() const;
  std::string describe(const ShareClient& client) const;

  // ---- requests (ShareRequests.cpp) ----
  void handleCommands(ShareClient& client);
  // withdrawn: the command came before a stop; it is answered as not done instead of going
  // to the controller.
  void handleCommand(ShareClient& client, const std::string& command, bool withdrawn = false);
  void handleForController(ShareClient& client, const std::string& command,
                           const ClientCommand& classified, bool withdrawn);
  void refuse(ShareClient& client, const std::string& command, const std::string& reason);
  void answerPosition(ShareClient& client, PositionAxis axis);
  // Queues steps as one unit of the client; the last step's result makes its answer.
  void forward(ShareClient& client, const std::vector<CommandStep>& steps, ClientAnswer answer);
  void commandDone(long long id, const std::string& wire, ClientAnswer answer,
                   const CommandResult& result);
  void checkAwaitedReads();
  void armReadDeadline();
  // Every stop: withdraws what clients sent and is not written (see above).
  void stopped(const StopNotice& notice);
  // Takes in what the client's socket holds now (a bounded amount), for a stop to withdraw.
  void readAhead(ShareClient& client);
  // A command or goto handled now would go out behind a stop that is not on the wire yet.
  bool heldByStop() const;
  void receiveGotos(ShareClient& client, std::string_view bytes);
  void startGoto(ShareClient& client);
  void clientSlewStarted();
  void pushPosition();
  // The latest position to one Stellarium client.
  void sendPosition(ShareClient& client);
  bool controllerConnected() const;
  bool slewing() const;
  const ControllerState::PositionReading& reading(PositionAxis axis) const;
  bool current(const ControllerState::PositionReading& reading) const;

  ui::Backend& backend_;
  TCache& cache_;
  ControllerState& controller_;
  SettingsStore& settings_;
  TTraceForm& trace_;
  ui::ColorScheme& scheme_;
  const ui::Timer& pollingTimer_;
  ShareFields fields_;

  std::vector<Listener> listeners_;
  std::vector<SharedService*> services_;
  // Services started now (sharing may run with no planetarium port at all).
  std::vector<SharedService*> startedServices_;
  std::map<long long, std::unique_ptr<ShareClient>> clients_;
  long long nextClientId_ = 1;
  ui::Timer reaper_;       // closes dropped connections outside their handlers
  ui::Timer silence_;      // looks for silent clients
  ui::Timer readDeadline_; // reads waiting for a poll that does not come go to the wire
  StopSubscription stopSubscription_;
  long long stopOnLineAtMs_ = -1;  // the last stop's bytes have left the port then

  // The latest two positions polled, for the Stellarium clients and the slew's progress,
  // as the controller reported them (equinox of the date): turned to J2000 only when a
  // Stellarium client is sent one, so that a poll with no such client costs no precession.
  struct Position {
    double hours = 0;
    double degrees = 0;
    long long atMs = -1;
  };
  Position latest_;
  Position previous_;
  long long pushedAtMs_ = -1;      // the readings last sent to the Stellarium clients
  long long slewStartedMs_ = -1;   // a client's slew began then
  // Completions of queued commands check it: the server may be gone by then.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orvane
