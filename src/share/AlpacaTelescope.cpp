// The Telescope device's members: the table of the interface, the description and
// connection, what the mount is and can do, and the readings (position, site, clocks).
// Targets, slews, synchronisation and stops are in AlpacaMotion.cpp.
#include "share/AlpacaTelescope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "dialogue/CommandText.h"
#include "link/AstroTime.h"
#include "link/Cache.h"
#include "share/AlpacaSettings.h"
#include "share/StellariumProtocol.h"
#include "ui/Backend.h"
#include "ui/Calendar.h"

namespace orvane {

namespace {

// Two polls further apart than this mean the mount moves.
constexpr double kMovingDegrees = 0.01;
// After a slew or motion has begun, its motion may take this long beyond two polls to show.
constexpr long long kSettleMs = 1000;
constexpr long long kDayMs = 24LL * 3600 * 1000;
// The protocol's equatorial system "topocentric": the equinox of the date.
constexpr int kEquinoxOfDate = 1;

struct Capability {
  std::string_view member;
  bool can;
};

// What the mount can do, as the protocol asks it.
constexpr std::array kCapabilities{
    Capability{"canfindhome", false},      Capability{"canpark", false},
    Capability{"canpulseguide", false},    Capability{"cansetdeclinationrate", false},
    Capability{"cansetguiderates", false}, Capability{"cansetpark", false},
    Capability{"cansetpierside", false},   Capability{"cansetrightascensionrate", false},
    Capability{"cansettracking", false},   Capability{"canslew", false},
    Capability{"canslewaltaz", false},     Capability{"canslewaltazasync", false},
    Capability{"canslewasync", true},      Capability{"cansync", true},
    Capability{"cansyncaltaz", false},     Capability{"canunpark", false},
};

// "yyyy-MM-ddTHH:mm:ss.fffffffZ", as the protocol writes a UTC time.
std::string UtcText(const ui::DateTime& utc) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03d0000Z", utc.year,
                utc.month, utc.day, utc.hour, utc.minute, utc.second, utc.millisecond);
  return buffer;
}

}  // namespace

struct AlpacaTelescope::Member {
  std::string_view name;
  // The methods the protocol defines for the member, and the device's handler of each
  // (null: not implemented).
  bool get;
  bool put;
  Handler getHandler;
  Handler putHandler;
};

const AlpacaTelescope::Member* AlpacaTelescope::FindMember(std::string_view name) {
  using T = AlpacaTelescope;
  static const Member kMembers[] = {
      // Common to every device.
      {"action", false, true, nullptr, nullptr},
      {"commandblind", false, true, nullptr, nullptr},
      {"commandbool", false, true, nullptr, nullptr},
      {"commandstring", false, true, nullptr, nullptr},
      {"connected", true, true, &T::GetConnected, &T::PutConnected},
      {"description", true, false, &T::GetDescription, nullptr},
      {"driverinfo", true, false, &T::GetDriverInfo, nullptr},
      {"driverversion", true, false, &T::GetDriverVersion, nullptr},
      {"interfaceversion", true, false, &T::GetInterfaceVersion, nullptr},
      {"name", true, false, &T::GetName, nullptr},
      {"supportedactions", true, false, &T::GetSupportedActions, nullptr},
      // The telescope's.
      {"alignmentmode", true, false, &T::GetAlignmentMode, nullptr},
      {"altitude", true, false, nullptr, nullptr},
      {"aperturearea", true, false, nullptr, nullptr},
      {"aperturediameter", true, false, nullptr, nullptr},
      {"athome", true, false, nullptr, nullptr},
      {"atpark", true, false, nullptr, nullptr},
      {"azimuth", true, false, nullptr, nullptr},
      {"canfindhome", true, false, &T::GetCapability, nullptr},
      {"canpark", true, false, &T::GetCapability, nullptr},
      {"canpulseguide", true, false, &T::GetCapability, nullptr},
      {"cansetdeclinationrate", true, false, &T::GetCapability, nullptr},
      {"cansetguiderates", true, false, &T::GetCapability, nullptr},
      {"cansetpark", true, false, &T::GetCapability, nullptr},
      {"cansetpierside", true, false, &T::GetCapability, nullptr},
      {"cansetrightascensionrate", true, false, &T::GetCapability, nullptr},
      {"cansettracking", true, false, &T::GetCapability, nullptr},
      {"canslew", true, false, &T::GetCapability, nullptr},
      {"canslewaltaz", true, false, &T::GetCapability, nullptr},
      {"canslewaltazasync", true, false, &T::GetCapability, nullptr},
      {"canslewasync", true, false, &T::GetCapability, nullptr},
      {"cansync", true, false, &T::GetCapability, nullptr},
      {"cansyncaltaz", true, false, &T::GetCapability, nullptr},
      {"canunpark", true, false, &T::GetCapability, nullptr},
      {"declination", true, false, &T::GetDeclination, nullptr},
      {"declinationrate", true, true, nullptr, nullptr},
      {"doesrefraction", true, true, nullptr, nullptr},
      {"equatorialsystem", true, false, &T::GetEquatorialSystem, nullptr},
      {"focallength", true, false, nullptr, nullptr},
      {"guideratedeclination", true, true, nullptr, nullptr},
      {"guideraterightascension", true, true, nullptr, nullptr},
      {"ispulseguiding", true, false, nullptr, nullptr},
      {"rightascension", true, false, &T::GetRightAscension, nullptr},
      {"rightascensionrate", true, true, nullptr, nullptr},
      {"sideofpier", true, true, nullptr, nullptr},
      {"siderealtime", true, false, &T::GetSiderealTime, nullptr},
      {"siteelevation", true, true, nullptr, nullptr},
      {"sitelatitude", true, true, &T::GetSiteLatitude, nullptr},
      {"sitelongitude", true, true, &T::GetSiteLongitude, nullptr},
      {"slewing", true, false, &T::GetSlewing, nullptr},
      {"slewsettletime", true, true, nullptr, nullptr},
      {"targetdeclination", true, true, &T::GetTargetDeclination, &T::PutTargetDeclination},
      {"targetrightascension", true, true, &T::GetTargetRightAscension,
       &T::PutTargetRightAscension},
      {"tracking", true, true, &T::GetTracking, nullptr},
      {"trackingrate", true, true, nullptr, nullptr},
      {"trackingrates", true, false, nullptr, nullptr},
      {"utcdate", true, true, &T::GetUtcDate, nullptr},
      {"abortslew", false, true, nullptr, &T::PutAbortSlew},
      {"axisrates", true, false, &T::GetAxisRates, nullptr},
      {"canmoveaxis", true, false, &T::GetCanMoveAxis, nullptr},
      {"destinationsideofpier", true, false, nullptr, nullptr},
      {"findhome", false, true, nullptr, nullptr},
      {"moveaxis", false, true, nullptr, &T::PutMoveAxis},
      {"park", false, true, nullptr, nullptr},
      {"pulseguide", false, true, nullptr, nullptr},
      {"setpark", false, true, nullptr, nullptr},
      {"slewtoaltaz", false, true, nullptr, nullptr},
      {"slewtoaltazasync", false, true, nullptr, nullptr},
      {"slewtocoordinates", false, true, nullptr, nullptr},
      {"slewtocoordinatesasync", false, true, nullptr, &T::PutSlewToCoordinatesAsync},
      {"slewtotarget", false, true, nullptr, nullptr},
      {"slewtotargetasync", false, true, nullptr, &T::PutSlewToTargetAsync},
      {"synctoaltaz", false, true, nullptr, nullptr},
      {"synctocoordinates", false, true, nullptr, &T::PutSyncToCoordinates},
      {"synctotarget", false, true, nullptr, nullptr},
      {"unpark", false, true, nullptr, nullptr},
  };
  for (const Member& member : kMembers) {
    if (member.name == name) return &member;
  }
  return nullptr;
}

AlpacaAnswer AlpacaAnswer::Value(nlohmann::json value) {
  AlpacaAnswer answer;
  answer.hasValue = true;
  answer.value = std::move(value);
  return answer;
}

AlpacaAnswer AlpacaAnswer::Done() {
  return AlpacaAnswer{};
}

AlpacaAnswer AlpacaAnswer::Error(int number, std::string message) {
  AlpacaAnswer answer;
  answer.errorNumber = number;
  answer.errorMessage = std::move(message);
  return answer;
}

AlpacaAnswer AlpacaAnswer::BadRequest(std::string reason) {
  AlpacaAnswer answer;
  answer.badRequest = std::move(reason);
  return answer;
}

AlpacaTelescope::AlpacaTelescope(ui::Backend& backend, TCache& cache,
                                 ControllerState& controller, const ui::Timer& pollingTimer,
                                 const SettingLookup& settings)
    : backend_(backend),
      cache_(cache),
      controller_(controller),
      pollingTimer_(pollingTimer),
      settings_(settings) {}

AlpacaTelescope::~AlpacaTelescope() {
  *alive_ = false;
}

long long AlpacaTelescope::now() const {
  return backend_.ticksMs();
}

void AlpacaTelescope::Report(const std::string& client, const std::string& text) {
  if (report) report("ASCOM Alpaca client " + client + ": " + text);
}

void AlpacaTelescope::Handle(const AlpacaCall& call, Reply reply) {
  const Member* member = FindMember(call.member);
  if (member == nullptr) {
    reply(AlpacaAnswer::BadRequest("the Telescope device has no member \"" + call.member + "\""));
    return;
  }
  if (call.put ? !member->put : !member->get) {
    reply(AlpacaAnswer::BadRequest(call.member + " is reached with " +
                                   (member->put ? "PUT" : "GET") + ", not with " +
                                   (call.put ? "PUT" : "GET")));
    return;
  }
  const Handler handler = call.put ? member->putHandler : member->getHandler;
  if (handler == nullptr) {
    reply(AlpacaAnswer::Error(alpaca_error::kNotImplemented,
                              std::string(call.put ? "PUT " : "GET ") + call.member +
                                  " is not implemented by this device"));
    return;
  }
  (this->*handler)(call, reply);
}

// ---- parameters ----

std::optional<double> AlpacaTelescope::NumberParameter(const AlpacaCall& call,
                                                       std::string_view name, Reply& reply) {
  const std::optional<std::string> text = call.parameters.Find(name);
  std::optional<double> value = text ? ReadNumber(*text) : std::nullopt;
  if (!text) {
    reply(AlpacaAnswer::BadRequest("the parameter " + std::string(name) + " is missing"));
  } else if (!value) {
    reply(AlpacaAnswer::BadRequest(std::string(name) + "=" + *text + " is not a number"));
  }
  return value;
}

std::optional<long long> AlpacaTelescope::IntegerParameter(const AlpacaCall& call,
                                                           std::string_view name, Reply& reply) {
  const std::optional<std::string> text = call.parameters.Find(name);
  std::optional<long long> value = text ? ReadInteger(*text) : std::nullopt;
  if (!text) {
    reply(AlpacaAnswer::BadRequest("the parameter " + std::string(name) + " is missing"));
  } else if (!value) {
    reply(AlpacaAnswer::BadRequest(std::string(name) + "=" + *text + " is not a whole number"));
  }
  return value;
}

std::optional<bool> AlpacaTelescope::BooleanParameter(const AlpacaCall& call,
                                                      std::string_view name, Reply& reply) {
  const std::optional<std::string> text = call.parameters.Find(name);
  std::optional<bool> value = text ? ReadBoolean(*text) : std::nullopt;
  if (!text) {
    reply(AlpacaAnswer::BadRequest("the parameter " + std::string(name) + " is missing"));
  } else if (!value) {
    reply(AlpacaAnswer::BadRequest(std::string(name) + "=" + *text + " is not True or False"));
  }
  return value;
}

bool AlpacaTelescope::RequireController(Reply& reply, bool current) {
  if (controller_.ConnectedPort <= 0) {
    reply(AlpacaAnswer::Error(alpaca_error::kNotConnected,
                              "no controller is connected to the program"));
    return false;
  }
  if (current && controller_.ReadingsStale) {
    reply(AlpacaAnswer::Error(alpaca_error::kNotConnected,
                              "the controller does not answer: there is no current position"));
    return false;
  }
  return true;
}

// ---- common members ----

void AlpacaTelescope::GetConnected(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value(connected_ && controller_.ConnectedPort > 0));
}

void AlpacaTelescope::PutConnected(const AlpacaCall& call, Reply& reply) {
  const std::optional<bool> wanted = BooleanParameter(call, "Connected", reply);
  if (!wanted) return;
  // The program holds the serial line for everyone: a client connects to the program's
  // controller and disconnects from it, the line stays as it is.
  if (*wanted && !RequireController(reply)) return;
  if (*wanted != connected_) Report(call.client, *wanted ? "connected" : "disconnected");
  connected_ = *wanted;
  reply(AlpacaAnswer::Done());
}

void AlpacaTelescope::GetDescription(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value("Orvane telescope mount controller"));
}

void AlpacaTelescope::GetDriverInfo(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value(std::string("Orvane Control ") + ORVANE_VERSION +
                            ", which holds the controller's serial line and shares the mount"));
}

void AlpacaTelescope::GetDriverVersion(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value(ORVANE_VERSION));
}

void AlpacaTelescope::GetInterfaceVersion(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value(kInterfaceVersion));
}

void AlpacaTelescope::GetName(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value("Orvane mount"));
}

void AlpacaTelescope::GetSupportedActions(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value(nlohmann::json::array()));
}

// ---- what the mount is and can do ----

void AlpacaTelescope::GetAlignmentMode(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value(ReadAlpacaSettings(settings_).alignmentMode));
}

void AlpacaTelescope::GetCapability(const AlpacaCall& call, Reply& reply) {
  const auto found = std::find_if(kCapabilities.begin(), kCapabilities.end(),
                                  [&](const Capability& c) { return c.member == call.member; });
  reply(AlpacaAnswer::Value(found != kCapabilities.end() && found->can));
}

void AlpacaTelescope::GetEquatorialSystem(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value(kEquinoxOfDate));
}

void AlpacaTelescope::GetTracking(const AlpacaCall&, Reply& reply) {
  // The controller tracks whenever it runs; the program cannot switch it off.
  reply(AlpacaAnswer::Value(true));
}

void AlpacaTelescope::GetCanMoveAxis(const AlpacaCall& call, Reply& reply) {
  const std::optional<long long> axis = IntegerParameter(call, "Axis", reply);
  if (!axis) return;
  if (*axis < 0 || *axis > 2) {
    reply(AlpacaAnswer::Error(alpaca_error::kInvalidValue,
                              "Axis " + std::to_string(*axis) + " is not 0, 1 or 2"));
    return;
  }
  reply(AlpacaAnswer::Value(*axis < 2));
}

void AlpacaTelescope::GetAxisRates(const AlpacaCall& call, Reply& reply) {
  const std::optional<long long> axis = IntegerParameter(call, "Axis", reply);
  if (!axis) return;
  if (*axis < 0 || *axis > 2) {
    reply(AlpacaAnswer::Error(alpaca_error::kInvalidValue,
                              "Axis " + std::to_string(*axis) + " is not 0, 1 or 2"));
    return;
  }
  nlohmann::json rates = nlohmann::json::array();
  if (*axis < 2) {
    // The controller moves an axis at one of its slewing speeds, whole degrees a second.
    for (int rate = kSlowestSlewRate; rate <= kFastestSlewRate; ++rate) {
      rates.push_back({{"Maximum", rate}, {"Minimum", rate}});
    }
  }
  reply(AlpacaAnswer::Value(std::move(rates)));
}

// ---- readings ----

void AlpacaTelescope::GetRightAscension(const AlpacaCall&, Reply& reply) {
  if (!RequireController(reply, true)) return;
  const std::optional<double> hours = HoursOfReading(controller_.LastRightAscension.text);
  if (!hours) {
    reply(AlpacaAnswer::Error(alpaca_error::kValueNotSet, "no position has been read yet"));
    return;
  }
  reply(AlpacaAnswer::Value(*hours));
}

void AlpacaTelescope::GetDeclination(const AlpacaCall&, Reply& reply) {
  if (!RequireController(reply, true)) return;
  const std::optional<double> degrees = DegreesOfReading(controller_.LastDeclination.text);
  if (!degrees) {
    reply(AlpacaAnswer::Error(alpaca_error::kValueNotSet, "no position has been read yet"));
    return;
  }
  reply(AlpacaAnswer::Value(*degrees));
}

void AlpacaTelescope::GetSlewing(const AlpacaCall&, Reply& reply) {
  reply(AlpacaAnswer::Value(controller_.ConnectedPort > 0 && Slewing()));
}

void AlpacaTelescope::PositionRead() {
  const ControllerState::PositionReading& ra = controller_.LastRightAscension;
  const ControllerState::PositionReading& dec = controller_.LastDeclination;
  const long long at = std::max(ra.atMs, dec.atMs);
  if (ra.atMs <= latest_.atMs || dec.atMs <= latest_.atMs) return;
  const std::optional<double> hours = HoursOfReading(ra.text);
  const std::optional<double> degrees = DegreesOfReading(dec.text);
  if (!hours || !degrees) return;
  previous_ = latest_;
  latest_ = Sample{*hours, *degrees, at};
}

bool AlpacaTelescope::Slewing() const {
  const long long moment = now();
  const long long interval = std::max(pollingTimer_.interval(), 1);
  if (motionStartedMs_ >= 0 && moment - motionStartedMs_ < 2 * interval + kSettleMs) return true;
  // Two polls after the last stop, both current, show whether the mount moves.
  if (latest_.atMs < 0 || previous_.atMs < 0 || previous_.atMs <= stoppedMs_ ||
      moment - latest_.atMs > 3 * interval || controller_.ReadingsStale) {
    return false;
  }
  double hours = std::fabs(latest_.hours - previous_.hours);
  hours = std::min(hours, 24.0 - hours);
  const double cosine = std::cos(latest_.degrees * std::numbers::pi / 180.0);
  const double apart =
      std::max(hours * 15.0 * cosine, std::fabs(latest_.degrees - previous_.degrees));
  return apart > kMovingDegrees;
}

void AlpacaTelescope::WithSite(Reply reply, std::function<void(Reply&)> use) {
  if (!RequireController(reply)) return;
  if (site_.atMs >= 0 && now() - site_.atMs < kSiteLifeMs) {
    use(reply);
    return;
  }
  const bool reading = !siteWaiters_.empty();
  siteWaiters_.push_back([this, reply, use]() mutable {
    if (site_.atMs < 0 || now() - site_.atMs >= kSiteLifeMs) {
      reply(AlpacaAnswer::Error(alpaca_error::kDeviceError,
                                "the controller did not tell its site's latitude and longitude"));
      return;
    }
    use(reply);
  });
  if (reading) return;
  Submit({{":Gt#", true}, {":Gg#", true}}, [this](const std::vector<CommandResult>& results) {
    // "sDD" degree sign "MM": the degree sign parts degrees and minutes.
    const std::optional<double> latitude = DegreesOfReading(CutAtHash(results[0].reply));
    const std::optional<double> longitude =
        LongitudeFromText(RewriteLongitudeReply(results[1].reply));
    if (results[0].outcome == CommandOutcome::Replied &&
        results[1].outcome == CommandOutcome::Replied && latitude && longitude) {
      site_ = Site{*latitude, *longitude, now()};
    }
    std::vector<std::function<void()>> waiting;
    waiting.swap(siteWaiters_);
    for (auto& answer : waiting) answer();
  });
}

void AlpacaTelescope::GetSiteLatitude(const AlpacaCall&, Reply& reply) {
  WithSite(reply, [this](Reply& answer) { answer(AlpacaAnswer::Value(site_.latitude)); });
}

void AlpacaTelescope::GetSiteLongitude(const AlpacaCall&, Reply& reply) {
  // The controller counts west positive, the protocol east.
  WithSite(reply, [this](Reply& answer) { answer(AlpacaAnswer::Value(-site_.westLongitude)); });
}

void AlpacaTelescope::GetSiderealTime(const AlpacaCall&, Reply& reply) {
  WithSite(reply, [this](Reply& answer) {
    answer(AlpacaAnswer::Value(LocalSiderealHours(site_.westLongitude, backend_.utcNow())));
  });
}

void AlpacaTelescope::GetUtcDate(const AlpacaCall&, Reply& reply) {
  long long epochMs = ui::EpochMsOf(backend_.utcNow());
  // The controller's clock runs by the program's clock and the offset polling measured
  // (taken the short way round, so a clock a little behind is not a day ahead).
  if (controller_.ClockOffsetKnown) {
    const TimeOffset& offset = controller_.ClockOffset;
    long long offsetMs = ((offset.hours * 60LL + offset.minutes) * 60 + offset.seconds) * 1000;
    if (offsetMs > kDayMs / 2) offsetMs -= kDayMs;
    epochMs += offsetMs;
  }
  reply(AlpacaAnswer::Value(UtcText(ui::DateTimeOfEpochMs(epochMs))));
}

}  // namespace orvane
