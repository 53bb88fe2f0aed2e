// The program's 8-bit (Latin-1) text where the world outside wants UTF-8: the lines of the
// program run without a display and the texts of network answers in JSON.
// Thread: any (pure functions).
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Each byte read as the Latin-1 character of that number.
std::string Latin1ToUtf8(std::string_view latin1);

}  // namespace orvane
