// The check character of native commands.
// Thread: any (pure functions).
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// XOR of all character codes (as signed 8-bit values), remainder of a truncating division
// by 128, plus 64; the low 8 bits of the sum. "<99:" gives 'F'; empty text gives '@'.
char CalculateChecksum(std::string_view text);

// True only for a reply longer than two characters ending in "#" whose next-to-last
// character is the check character of everything before it.
bool CheckChecksum(std::string_view reply);

}  // namespace orvane
