// DeviceMap: which device file stands behind a port name. "Com1" ... "Com5" (any case)
// are looked up in the settings store under COM1 ... COM5, each with a default for the
// usual adapters and on-board ports; any other name is taken as a path.
// Thread: user-interface thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

class SettingLookup;

class DeviceMap {
 public:
  static constexpr int kPortCount = 5;

  explicit DeviceMap(const SettingLookup& settings);

  // 1-5 for "Com1" ... "Com5" in any case; nothing for any other name.
  static std::optional<int> PortNumber(std::string_view deviceName);
  // The device file to open for a port name (read from the store at each call, so a
  // changed map takes effect at the next open).
  std::string PathFor(std::string_view deviceName) const;

 private:
  const SettingLookup* settings_;
};

}  // namespace orvane
