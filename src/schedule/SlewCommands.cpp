#include "schedule/SlewCommands.h"

namespace orvane {

namespace {

// Characters first..first+count-1 (counted from 1) of text as a field of count digits. A
// blank is an untyped digit: the typed digits are read as the number they show ("3 " and
// " 3" are both 03), so a half-typed field still gives a command of fixed form. Positions
// beyond the end of a short text count as blanks.
std::string digitsAt(std::string_view text, size_t first, size_t count) {
  std::string part;
  for (size_t i = first - 1; i < first - 1 + count && i < text.size(); ++i) {
    if (text[i] != ' ') part.push_back(text[i]);
  }
  part.insert(0, count - part.size(), '0');
  return part;
}

// The sign of a declination; a blank or missing sign is sent as "0".
std::string signAt(std::string_view text) {
  return std::string(1, text.empty() || text[0] == ' ' ? '0' : text[0]);
}

}  // namespace

std::string RightAscensionCommand(std::string_view text) {
  return ":Sr" + digitsAt(text, 1, 2) + ":" + digitsAt(text, 5, 2) + ":" + digitsAt(text, 9, 2) +
         "#";
}

std::string DeclinationCommand(std::string_view text) {
  return ":Sd" + signAt(text) + digitsAt(text, 2, 2) + ":" + digitsAt(text, 6, 2) + ":" +
         digitsAt(text, 10, 2) + "#";
}

std::string ObjectNameCommand(std::string_view name) {
  return ":ON" + std::string(name) + "#";
}

std::string MaxSlewSpeedCommand(int speedIndex) {
  return ":Sw" + std::to_string(speedIndex + 1) + "#";
}

std::string WithDeclinationSign(std::string text) {
  if (!text.empty() && text[0] != '+' && text[0] != '-') text[0] = '+';
  return text;
}

}  // namespace orvane
