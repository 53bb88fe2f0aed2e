// SettingLookup: what the link reads from the per-user settings store (the device behind
// each port name). The store itself lives above the link and hands itself in.
// Thread: user-interface thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

class SettingLookup {
 public:
  // The value of key; nothing when the key is missing.
  virtual std::optional<std::string> read(std::string_view key) const = 0;

 protected:
  ~SettingLookup() = default;
};

}  // namespace orvane
