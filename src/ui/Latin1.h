// Case folding of 8-bit (Latin-1) text, for the comparisons that ignore case: list
// searches, masked fields and profile file names.
// Thread: any (pure functions).
#pragma once

#include <string_view>

namespace orvane::ui {

// Lower case of a Latin-1 character: A-Z and the accented capitals (not the
// multiplication sign at 0xD7). Unsigned, so that comparing folded characters orders the
// accented letters after ASCII.
constexpr unsigned char Latin1Lower(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
  return upper ? static_cast<unsigned char>(c + 0x20) : c;
}

constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Latin1Lower(a[i]) != Latin1Lower(b[i])) return false;
  }
  return true;
}

}  // namespace orvane::ui
