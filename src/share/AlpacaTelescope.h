// AlpacaTelescope: the mount as the one Telescope device (number 0, interface version 3) of
// the network device protocol of imaging programs (ASCOM Alpaca). It answers the members
// the controller can serve: the device's description and connection, the position, the
// site and its sidereal time, the clock, the target, slews and synchronisation to
// equatorial coordinates, stopping, and moving an axis at the slewing speeds; every other
// member of the interface answers "not implemented" (0x400).
//
// Nothing here writes to the device: a slew, a synchronisation or a motion is one sequence
// in the program's one command queue (nothing comes between its commands, and the program's
// stops withdraw what has not been written yet); the site is read through the queue too,
// once a minute at most. The position is the one polling read last, so reading it adds no
// traffic at all. Coordinates are those of the equinox of the date, as the controller
// reports and takes them. "abortslew" stops the mount as the program's stop button does.
// Whether the mount slews is seen from the polled positions: it moves between two polls, or
// a slew or motion began less than two polls ago.
//
// Owned by the AlpacaServer, which reads the requests and writes the answers.
// Thread: user-interface thread only; queue completions run there too.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "link/CommandQueue.h"
#include "link/ControllerState.h"
#include "share/AlpacaParameters.h"
#include "ui/Timer.h"

namespace orvane {

class SettingLookup;
class TCache;
struct CommandStep;

// The protocol's error numbers.
namespace alpaca_error {
inline constexpr int kNotImplemented = 0x400;
inline constexpr int kInvalidValue = 0x401;
inline constexpr int kValueNotSet = 0x402;
inline constexpr int kNotConnected = 0x407;
inline constexpr int kInvalidOperation = 0x40B;
// The first of the numbers a device gives its own failures.
inline constexpr int kDeviceError = 0x500;
}  // namespace alpaca_error

// One request to the device: the member (lower case, as in the path), the method and the
// parameters, and who sent it (for the trace).
struct AlpacaCall {
  std::string member;
  bool put = false;
  AlpacaParameters parameters;
  std::string client;
};

// What the device answers: a value or none, an error number and message, or a request it
// could not understand ("400 Bad Request" with the reason).
struct AlpacaAnswer {
  std::string badRequest;
  bool hasValue = false;
  nlohmann::json value;
  int errorNumber = 0;
  std::string errorMessage;

  static AlpacaAnswer Value(nlohmann::json value);
  static AlpacaAnswer Done();
  static AlpacaAnswer Error(int number, std::string message);
  static AlpacaAnswer BadRequest(std::string reason);
};

class AlpacaTelescope {
 public:
  static constexpr int kInterfaceVersion = 3;
  // The slewing speeds of the controller ("1°/s" to "6°/s"), the rates of moveaxis.
  static constexpr int kSlowestSlewRate = 1;
  static constexpr int kFastestSlewRate = 6;
  // The site is read from the controller again after this long.
  static constexpr long long kSiteLifeMs = 60 * 1000;

  using Reply = std::function<void(AlpacaAnswer)>;

  AlpacaTelescope(ui::Backend& backend, TCache& cache, ControllerState& controller,
                  const ui::Timer& pollingTimer, const SettingLookup& settings);
  ~AlpacaTelescope();
  AlpacaTelescope(const AlpacaTelescope&) = delete;
  AlpacaTelescope& operator=(const AlpacaTelescope&) = delete;

  // Answers the call, now or once the controller has answered; reply runs exactly once,
  // unless the device goes first.
  void Handle(const AlpacaCall& call, Reply reply);
  // Polling has read a position.
  void PositionRead();
  bool Slewing() const;

  // Stops the mount as the program's stop button does. Set by app/.
  std::function<void()> stopMount;
  // A slew has gone to the controller (every slew hides the alignment buttons). Set by app/.
  std::function<void()> slewSent;
  // A line for the trace window's status report.
  std::function<void(const std::string&)> report;

  // A member the interface has, and what the device does with each method.
  struct Member;

 private:
  using Handler = void (AlpacaTelescope::*)(const AlpacaCall&, Reply&);
  friend struct Member;
  static const Member* FindMember(std::string_view name);

  // ---- common members ----
  void GetConnected(const AlpacaCall& call, Reply& reply);
  void PutConnected(const AlpacaCall& call, Reply& reply);
  void GetDescription(const AlpacaCall& call, Reply& reply);
  void GetDriverInfo(const AlpacaCall& call, Reply& reply);
  void GetDriverVersion(const AlpacaCall& call, Reply& reply);
  void GetInterfaceVersion(const AlpacaCall& call, Reply& reply);
  void GetName(const AlpacaCall& call, Reply& reply);
  void GetSupportedActions(const AlpacaCall& call, Reply& reply);
  // ---- what the mount is and can do ----
  void GetAlignmentMode(const AlpacaCall& call, Reply& reply);
  void GetCapability(const AlpacaCall& call, Reply& reply);
  void GetEquatorialSystem(const AlpacaCall& call, Reply& reply);
  void GetTracking(const AlpacaCall& call, Reply& reply);
  void GetCanMoveAxis(const AlpacaCall& call, Reply& reply);
  void GetAxisRates(const AlpacaCall& call, Reply& reply);
  // ---- where it points, where it is, what time it is ----
  void GetRightAscension(const AlpacaCall& call, Reply& reply);
  void GetDeclination(const AlpacaCall& call, Reply& reply);
  void GetSlewing(const AlpacaCall& call, Reply& reply);
  void GetSiteLatitude(const AlpacaCall& call, Reply& reply);
  void GetSiteLongitude(const AlpacaCall& call, Reply& reply);
  void GetSiderealTime(const AlpacaCall& call, Reply& reply);
  void GetUtcDate(const AlpacaCall& call, Reply& reply);
  // ---- target, slews, synchronisation, stops (AlpacaMotion.cpp) ----
  void GetTargetRightAscension(const AlpacaCall& call, Reply& reply);
  void PutTargetRightAscension(const AlpacaCall& call, Reply& reply);
  void GetTargetDeclination(const AlpacaCall& call, Reply& reply);
  void PutTargetDeclination(const AlpacaCall& call, Reply& reply);
  void PutSlewToCoordinatesAsync(const AlpacaCall& call, Reply& reply);
  void PutSlewToTargetAsync(const AlpacaCall& call, Reply& reply);
  void PutSyncToCoordinates(const AlpacaCall& call, Reply& reply);
  void PutAbortSlew(const AlpacaCall& call, Reply& reply);
  void PutMoveAxis(const AlpacaCall& call, Reply& reply);

  // Slews to a target of the equinox of the date, as one sequence in the queue.
  void SlewTo(double hours, double degrees, const std::string& client, Reply& reply);
  // Runs the commands back to back in the queue (a stop withdraws those not written);
  // done gets their results in order.
  void Submit(const std::vector<CommandStep>& steps,
              std::function<void(const std::vector<CommandResult>&)> done);
  // The answer for a sequence a stop or the program's end withdrew, or that got no reply.
  static std::optional<AlpacaAnswer> FailureOf(const CommandResult& result, const char* what);

  // False, after answering so, when no controller is connected (or, with current, when its
  // readings are not current).
  bool RequireController(Reply& reply, bool current = false);
  // The site from the controller (read when the one known is older than kSiteLifeMs), then
  // use(); an error answer when the controller does not tell it.
  void WithSite(Reply reply, std::function<void(Reply&)> use);
  // Required parameters; on failure the request is answered "400 Bad Request".
  static std::optional<double> NumberParameter(const AlpacaCall& call, std::string_view name,
                                               Reply& reply);
  static std::optional<long long> IntegerParameter(const AlpacaCall& call, std::string_view name,
                                                   Reply& reply);
  static std::optional<bool> BooleanParameter(const AlpacaCall& call, std::string_view name,
                                              Reply& reply);
  void Report(const std::string& client, const std::string& text);
  long long now() const;

  ui::Backend& backend_;
  TCache& cache_;
  ControllerState& controller_;
  const ui::Timer& pollingTimer_;
  const SettingLookup& settings_;

  bool connected_ = false;  // a client asked to be connected
  std::optional<double> targetHours_;
  std::optional<double> targetDegrees_;

  // The site as the controller told it: latitude, longitude (positive west), when.
  struct Site {
    double latitude = 0;
    double westLongitude = 0;
    long long atMs = -1;
  };
  Site site_;
  std::vector<std::function<void()>> siteWaiters_;  // answers waiting for a site read

  // Slewing, seen from the polls.
  struct Sample {
    double hours = 0;
    double degrees = 0;
    long long atMs = -1;
  };
  Sample latest_;
  Sample previous_;
  long long motionStartedMs_ = -1;  // a slew or an axis motion began then
  long long stoppedMs_ = -1;        // stopped then: earlier motion does not count
  // The direction letter each axis was last sent to move in (0: stopped).
  char axisDirection_[2] = {0, 0};

  // Completions of queued commands check it: the device may be gone by then.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orvane
