// AlpacaSettings: how the settings store configures the network device protocol of imaging
// programs (ASCOM Alpaca), served while the mount is shared, on the sharing address:
// AlpacaPort (default 0: not offered; 11111 is the port such programs look at first),
// AlpacaDiscoveryPort (where the server answers the protocol's discovery; default 32227,
// 0: no discovery) and AlpacaAlignmentMode (the mount's build as the protocol names it:
// 0 alt-azimuth, 1 polar (fork), 2 German polar; default 2).
// Thread: any (pure functions).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/SettingLookup.h"

namespace orvane {

inline constexpr std::string_view kAlpacaPortKey = "AlpacaPort";
inline constexpr std::string_view kAlpacaDiscoveryPortKey = "AlpacaDiscoveryPort";
inline constexpr std::string_view kAlpacaAlignmentModeKey = "AlpacaAlignmentMode";
inline constexpr int kAlpacaDiscoveryPort = 32227;
inline constexpr int kGermanPolar = 2;

struct AlpacaSettings {
  // Nothing: not offered.
  std::optional<int> port;
  std::optional<int> discoveryPort = kAlpacaDiscoveryPort;
  int alignmentMode = kGermanPolar;
  // What was wrong with the stored values; empty when nothing was.
  std::string problem;
};

AlpacaSettings ReadAlpacaSettings(const SettingLookup& settings);

}  // namespace orvane
