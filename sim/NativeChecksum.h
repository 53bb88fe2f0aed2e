// The check character of native commands as the controller computes and tests it.
// Thread: any (pure functions).
#pragma once

#include <string_view>

namespace orvane::sim {

// XOR of all character codes taken as signed 8-bit values, the remainder of a truncating
// division by 128, plus 64; the low 8 bits of the sum. "<99:" gives 'F', empty text '@'.
char calculateChecksum(std::string_view text);

// True for a text longer than two characters that ends in "#" and whose next-to-last
// character is the check character of everything before it.
bool checkChecksum(std::string_view text);

}  // namespace orvane::sim
