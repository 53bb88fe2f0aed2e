// Number <-> text conversion of control values, the same everywhere in the program.
// Thread: any (pure functions).
// Layer: text/, the bottom beside ui/; pure functions that use nothing of the program.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Every blank replaced by "0" (how a masked field's untyped positions are read).
std::string BlanksAsZeros(std::string text);

// Text to floating point, accepting both "." and "," as the decimal point; leading and
// trailing blanks are allowed; defaultValue when the text is not a number.
double StrToFloatDef(std::string_view text, double defaultValue);

// Floating point to its shortest general decimal text (at most 15 significant digits),
// always with "." as the decimal point: 2.5 -> "2.5", -3 -> "-3", 0.1 -> "0.1".
std::string CorrectFloatToStr(double value);

// base raised to a non-negative integer exponent by repeated multiplication; 1 for an
// exponent of 0 or less.
long long Power(long long base, int exponent);

// Reads a whole decimal integer (optional sign, leading blanks allowed); nothing otherwise.
// Used where a profile number must be an integer.
bool TryParseInteger(std::string_view text, long long& value);

// Control numbers are 32-bit integers, as the controller's setting numbers are; larger ones
// would overflow the list tags and option numbers derived from them.
bool IsControlNumber(long long number);

// The numeric prefix of a text (optional sign, digits, optional fraction); 0 when the text
// does not begin with a number: "15abc" -> 15, "abc" -> 0, "-2.5:" -> -2.5.
double LeadingNumber(std::string_view text);

// Whole text read as a decimal integer (optional sign, blanks around allowed); fallback
// when it is not one.
long long IntegerOr(std::string_view text, long long fallback);

}  // namespace orvane
