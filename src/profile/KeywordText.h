// Reading the values of profile keyword lines ("CacheDelay ", "Value ", "Colors ",
// "Schedule " ...). Pure text functions; the handlers that apply them live on the main
// window's profile reader.
// Thread: any (pure functions).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "ui/Types.h"

namespace orvane {

// Text after the line's first double quote up to its second; empty without quotes; up to
// the end of the line when the closing quote is missing.
std::string FirstQuotedValue(std::string_view line);

// Millisecond values: padded with "0" in front to four characters, then every blank
// replaced by "0": "250" -> "0250", "1 0" -> "0100", "12345" stays.
std::string NormaliseMilliseconds(std::string_view value);

// A "Value " line: id between the first blank and the first "=", read as a number with its
// fraction dropped; text after the first "=" and its double quote, up to the next quote.
struct ValueLine {
  long long id = 0;
  std::string text;
};
// Nothing when the id is not a number.
std::optional<ValueLine> ParseValueLine(std::string_view line);

// A "Colors " line: the day table when "Day" in double quotes stands anywhere in the line,
// else the night table; seven six-digit hexadecimal fields, entry 8 copies entry 7.
struct ColorsLine {
  bool day = false;
  std::array<ui::Color, 8> colors{};
};
// Nothing when a field is shorter than six characters or holds a non-hexadecimal digit.
std::optional<ColorsLine> ParseColorsLine(std::string_view line);

// Formats a colour table entry as a "Colors " field writes it (six upper-case hex digits,
// most significant first).
std::string ColorToHex(ui::Color color);

// A "Schedule " line's four attributes.
struct ScheduleLine {
  std::string time;
  std::string name;
  std::string ra;
  std::string dec;
};
ScheduleLine ParseScheduleLine(std::string_view line);

}  // namespace orvane
