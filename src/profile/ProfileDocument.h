// ProfileDocument: the loaded profile as the program holds it: every stored line in file
// order, the name it was read from, and whether it is being read right now (no commands
// go out while it is). The reader fills it, saving rewrites it; the main window shows its
// fields under their established names.
// Thread: user-interface thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "profile/FileStamp.h"

namespace orvane {

struct ProfileDocument {
  std::vector<std::string> Profile;
  std::string LoadedProfile;
  bool ProfileLoading = false;
  // The loaded profile was refused part way through: Profile holds only the lines before
  // the fault, so it must never be written over the file it came from.
  bool ProfileIncomplete = false;
  // The loaded profile's file as it was read or last saved.
  FileStamp LoadedStamp;

  // The index of the last line beginning with prefix, or fallback.
  int FindInProfile(std::string_view prefix, int fallback) const {
    for (int i = static_cast<int>(Profile.size()) - 1; i >= 0; --i) {
      if (std::string_view(Profile[static_cast<size_t>(i)]).substr(0, prefix.size()) == prefix)
        return i;
    }
    return fallback;
  }
};

}  // namespace orvane
