// The version of a controller as the profile page shows it, from a profile's "Version "
// value or the controller's own version reply.
// Thread: any (pure functions).
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// "Level " + first character + ", Version " + characters 2 to 4 of a "Version " value.
std::string VersionLabel(std::string_view value);

// Whether a reply to ":GV#" is a controller's version: three digits (level, then two
// version digits) and "#". Anything else (random bytes, an echo) is no answer.
bool IsVersionReply(std::string_view reply);

}  // namespace orvane
