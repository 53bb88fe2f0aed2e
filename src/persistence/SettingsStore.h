// SettingsStore: the per-user settings store, a small key=value file
// ($XDG_CONFIG_HOME/OrvaneControl/OrvaneControl.conf, or $HOME/.config/... when unset).
// It holds LastProfile= (the profile opened at the last exit) and the serial device map
// (COM1= ... COM5=), and the settings other parts add. Each write reads the file again and
// changes only its own key, under an advisory lock on "OrvaneControl.conf.lock" beside the
// file, so that two running copies of the program never undo each other's change. Writes
// are atomic (temporary file, then rename; a symbolic link is followed and kept) and keep
// every other line of the file as it was.
// Thread: user-interface thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "link/SettingLookup.h"

namespace orvane {

class SettingsStore final : public SettingLookup {
 public:
  explicit SettingsStore(std::filesystem::path file);
  // The file's usual place for the current user.
  static std::filesystem::path DefaultLocation();

  const std::filesystem::path& file() const { return file_; }
  // The value of key; nothing when the file or the key is missing.
  std::optional<std::string> read(std::string_view key) const override;
  // Sets key to value, creating the folder and the file when needed. False when the file
  // cannot be written, or another program kept the lock for seconds (nothing is changed
  // then).
  bool write(std::string_view key, std::string_view value);

 private:
  std::filesystem::path file_;
};

}  // namespace orvane
