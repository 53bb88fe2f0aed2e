// The desktop's trash (the freedesktop.org trash layout): a deleted file (a profile, an
// object list) goes there with a .trashinfo record of where it came from and when, so that
// a file manager can restore it. Used by "Delete" of the profile page and of the file
// transfer panels.
// Thread: any (file system calls only); used on the user-interface thread.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvane {

// The user's trash: $XDG_DATA_HOME/Trash, or $HOME/.local/share/Trash.
std::filesystem::path TrashFolder();

// Moves file (a symbolic link itself, not its target) into the trash: files/<name> with
// info/<name>.trashinfo, the name made unique there ("Night.ocf", "Night.2.ocf", ...).
// Across file systems the file is copied and the original removed. False when the file
// cannot be moved; nothing is left behind in the trash then and the file stays.
bool MoveToTrash(const std::filesystem::path& file);

// The Path= value of a .trashinfo record: the absolute path with every byte outside the
// letters, digits, "-._~" and "/" written as %XX ("/a b" -> "/a%20b").
std::string TrashInfoPath(std::string_view absolutePath);

}  // namespace orvane
