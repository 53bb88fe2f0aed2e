// The version of a controller as the profile page shows it, from a profile's "Version "
// value or the controller's own version reply.
// Thread: any (pure functions).
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// "Level " + first character + ", Version " + characters 2 to 4 of a "Version " value.
std::string VersionLabel(std::string_view value);

}  // namespace orvane
