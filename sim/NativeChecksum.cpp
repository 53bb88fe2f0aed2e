#include "NativeChecksum.h"

namespace orvane::sim {

char calculateChecksum(std::string_view text) {
  int bits = 0;
  for (char ch : text) bits ^= static_cast<signed char>(ch);
  return static_cast<char>((bits % 128 + 64) & 0xFF);
}

bool checkChecksum(std::string_view text) {
  if (text.size() <= 2 || text.back() != '#') return false;
  return text[text.size() - 2] == calculateChecksum(text.substr(0, text.size() - 2));
}

}  // namespace orvane::sim
