#include "share/AlpacaSettings.h"

#include "share/ShareSettings.h"

namespace orvane {

AlpacaSettings ReadAlpacaSettings(const SettingLookup& settings) {
  AlpacaSettings result;
  const PortSetting port = ReadPortSetting(settings.read(kAlpacaPortKey), 0);
  const PortSetting discovery =
      ReadPortSetting(settings.read(kAlpacaDiscoveryPortKey), kAlpacaDiscoveryPort);
  // Missing or blank gives the default 0, which offers it not.
  if (port.port && *port.port > 0) result.port = port.port;
  result.discoveryPort = discovery.port;
  if (!port.ok) result.problem = std::string(kAlpacaPortKey) + " is not a port";
  if (!discovery.ok) {
    if (!result.problem.empty()) result.problem += ", ";
    result.problem += std::string(kAlpacaDiscoveryPortKey) + " is not a port";
  }
  if (std::optional<std::string> mode = settings.read(kAlpacaAlignmentModeKey)) {
    if (*mode == "0" || *mode == "1" || *mode == "2") {
      result.alignmentMode = (*mode)[0] - '0';
    } else if (!mode->empty()) {
      if (!result.problem.empty()) result.problem += ", ";
      result.problem += std::string(kAlpacaAlignmentModeKey) + " is not 0, 1 or 2";
    }
  }
  return result;
}

}  // namespace orvane
