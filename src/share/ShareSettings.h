// ShareSettings: how the settings store configures the server that shares the mount with
// planetarium programs: whether it runs (Share=on, which the switch on the profile page
// writes), the address it listens on (ShareAddress, the loopback address unless the user
// names another) and its two ports (ShareTextPort for the controller's text protocol,
// ShareStellariumPort for Stellarium's telescope protocol; 0 offers that protocol not).
// Thread: any (pure functions).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/SettingLookup.h"

namespace orvane {

inline constexpr std::string_view kShareKey = "Share";
inline constexpr std::string_view kShareAddressKey = "ShareAddress";
inline constexpr std::string_view kShareTextPortKey = "ShareTextPort";
inline constexpr std::string_view kShareStellariumPortKey = "ShareStellariumPort";
inline constexpr std::string_view kShareOn = "on";
inline constexpr std::string_view kShareOff = "off";

inline constexpr std::string_view kDefaultShareAddress = "127.0.0.1";
inline constexpr int kDefaultTextPort = 4030;
inline constexpr int kDefaultStellariumPort = 10001;

struct ShareSettings {
  bool enabled = false;
  std::string address{kDefaultShareAddress};
  // Nothing: the protocol is not offered.
  std::optional<int> textPort = kDefaultTextPort;
  std::optional<int> stellariumPort = kDefaultStellariumPort;
  // What was wrong with the stored values (they were replaced by the defaults); empty when
  // nothing was.
  std::string problem;
};

// A port setting: a missing or blank value gives the default, "0" no port, 1 to 65535 that
// port; anything else is refused (nothing, with ok false).
struct PortSetting {
  bool ok = true;
  std::optional<int> port;
};
PortSetting ReadPortSetting(const std::optional<std::string>& value, int defaultPort);

ShareSettings ReadShareSettings(const SettingLookup& settings);

}  // namespace orvane
