#include "share/ShareSettings.h"

#include "text/NumberText.h"

namespace orvane {

namespace {

constexpr long long kHighestPort = 65535;

std::string trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

PortSetting ReadPortSetting(const std::optional<std::string>& value, int defaultPort) {
  if (!value || trimmed(*value).empty()) return PortSetting{true, defaultPort};
  long long number = -1;
  if (!TryParseInteger(trimmed(*value), number) || number < 0 || number > kHighestPort) {
    return PortSetting{false, defaultPort};
  }
  if (number == 0) return PortSetting{true, std::nullopt};
  return PortSetting{true, static_cast<int>(number)};
}

ShareSettings ReadShareSettings(const SettingLookup& settings) {
  ShareSettings result;
  if (std::optional<std::string> share = settings.read(kShareKey)) {
    result.enabled = trimmed(*share) == kShareOn;
  }
  if (std::optional<std::string> address = settings.read(kShareAddressKey)) {
    if (!trimmed(*address).empty()) result.address = trimmed(*address);
  }
  const PortSetting text = ReadPortSetting(settings.read(kShareTextPortKey), kDefaultTextPort);
  const PortSetting stellarium =
      ReadPortSetting(settings.read(kShareStellariumPortKey), kDefaultStellariumPort);
  result.textPort = text.port;
  result.stellariumPort = stellarium.port;
  if (!text.ok) result.problem = std::string(kShareTextPortKey) + " is not a port";
  if (!stellarium.ok) {
    if (!result.problem.empty()) result.problem += ", ";
    result.problem += std::string(kShareStellariumPortKey) + " is not a port";
  }
  return result;
}

}  // namespace orvane
