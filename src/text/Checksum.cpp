#include "text/Checksum.h"

namespace orvane {

char CalculateChecksum(std::string_view text) {
  int x = 0;
  for (char ch : text) x ^= static_cast<signed char>(ch);
  int sum = x % 128 + 64;
  return static_cast<char>(sum & 0xFF);
}

bool CheckChecksum(std::string_view reply) {
  if (reply.size() <= 2 || reply.back() != '#') return false;
  return reply[reply.size() - 2] == CalculateChecksum(reply.substr(0, reply.size() - 2));
}

}  // namespace orvane
