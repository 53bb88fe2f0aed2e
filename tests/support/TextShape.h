// Shaped: whether a text has a fixed shape, "9" standing for any digit and every other
// character for itself: Shaped("12:34:56#", "99:99:99#"). What tests check of times and
// positions the program writes.
#pragma once

#include <string_view>

namespace orvane::testing {

inline bool Shaped(std::string_view text, std::string_view shape) {
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (shape[i] == '9' ? !digit : text[i] != shape[i]) return false;
  }
  return true;
}

}  // namespace orvane::testing
