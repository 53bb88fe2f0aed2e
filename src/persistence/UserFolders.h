// UserFolders: the user's home folder and the base folders for data and settings, as the
// XDG rules name them.
// Thread: any (reads the environment and the password database).
#pragma once

#include <filesystem>

namespace orvane {

// $HOME, else the password database entry, else the current folder.
std::filesystem::path HomeFolder();

// $XDG_DATA_HOME, or ~/.local/share when it is unset or relative (relative values are
// invalid by the XDG rules and are ignored).
std::filesystem::path DataHome();

// $XDG_CONFIG_HOME, or ~/.config under the same rule.
std::filesystem::path ConfigHome();

}  // namespace orvane
