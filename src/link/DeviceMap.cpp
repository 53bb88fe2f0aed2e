#include "link/DeviceMap.h"

#include <array>

#include "link/SettingLookup.h"

namespace orvane {

namespace {

constexpr std::array<const char*, DeviceMap::kPortCount> kDefaultPaths = {
    "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1"};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The device used for port 1-5 when the settings store names none.
std::string DefaultPath(int port) {
  if (port < 1 || port > DeviceMap::kPortCount) return {};
  return kDefaultPaths[static_cast<std::size_t>(port - 1)];
}

}  // namespace

DeviceMap::DeviceMap(const SettingLookup& settings) : settings_(&settings) {}

std::optional<int> DeviceMap::PortNumber(std::string_view deviceName) {
  if (deviceName.size() != 4) return std::nullopt;
  if (Lower(deviceName[0]) != 'c' || Lower(deviceName[1]) != 'o' || Lower(deviceName[2]) != 'm')
    return std::nullopt;
  const char digit = deviceName[3];
  if (digit < '1' || digit > '0' + kPortCount) return std::nullopt;
  return digit - '0';
}

std::string DeviceMap::PathFor(std::string_view deviceName) const {
  const std::optional<int> port = PortNumber(deviceName);
  if (!port) return std::string(deviceName);
  const std::optional<std::string> stored = settings_->read("COM" + std::to_string(*port));
  if (stored && !stored->empty()) return *stored;
  return DefaultPath(*port);
}

}  // namespace orvane
