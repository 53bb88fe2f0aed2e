#include "text/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace orvane {

namespace {

constexpr int kSignificantDigits = 15;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Reads sign, digits and an optional fraction ("." or ",") from the start of text into a
// locale-free form that std::from_chars takes. Returns the number of characters used; 0 when
// the text does not begin with a number.
size_t ScanDecimal(std::string_view text, std::string& normalised) {
  normalised.clear();
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    if (text[pos] == '-') normalised += '-';
    ++pos;
  }
  bool sawDigit = false;
  while (pos < text.size() && IsDigit(text[pos])) {
    normalised += text[pos++];
    sawDigit = true;
  }
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
    size_t fraction = pos + 1;
    std::string digits;
    while (fraction < text.size() && IsDigit(text[fraction])) digits += text[fraction++];
    // "5." still counts as 5; a lone "." is no number.
    if (sawDigit || !digits.empty()) {
      normalised += '.';
      normalised += digits;
      sawDigit = true;
      pos = fraction;
    }
  }
  return sawDigit ? pos : 0;
}

// Converts a normalised decimal text; false on overflow or when characters are left over.
bool ConvertDecimal(const std::string& normalised, double& value) {
  const char* first = normalised.data();
  const char* last = first + normalised.size();
  auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  return error == std::errc() && end == last && std::isfinite(value);
}

// Normalises a text that is one number as a whole, with an optional exponent.
bool ScanWholeNumber(std::string_view text, std::string& normalised) {
  size_t used = ScanDecimal(text, normalised);
  if (used == 0) return false;
  text.remove_prefix(used);
  if (text.empty()) return true;
  // An exponent as in "1.5E3" or "2e-4".
  if (text.front() != 'e' && text.front() != 'E') return false;
  text.remove_prefix(1);
  std::string exponent;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    if (text.front() == '-') exponent += '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    exponent += c;
  }
  normalised += 'e';
  normalised += exponent;
  return true;
}

// Rewrites the exponent of std::to_chars ("1e+20", "1.5e-05") the way the program has
// always written it ("1E20", "1.5E-5").
std::string TidyExponent(std::string text) {
  size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string mantissa = text.substr(0, e);
  std::string_view exponent(text);
  exponent.remove_prefix(e + 1);
  bool negative = false;
  if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-')) {
    negative = exponent.front() == '-';
    exponent.remove_prefix(1);
  }
  while (exponent.size() > 1 && exponent.front() == '0') exponent.remove_prefix(1);
  return mantissa + "E" + (negative ? "-" : "") + std::string(exponent);
}

}  // namespace

std::string BlanksAsZeros(std::string text) {
  std::replace(text.begin(), text.end(), ' ', '0');
  return text;
}

bool IsControlNumber(long long number) {
  return number >= std::numeric_limits<std::int32_t>::min() &&
         number <= std::numeric_limits<std::int32_t>::max();
}

double StrToFloatDef(std::string_view text, double defaultValue) {
  std::string normalised;
  double value = 0;
  if (!ScanWholeNumber(TrimBlanks(text), normalised) || !ConvertDecimal(normalised, value)) {
    return defaultValue;
  }
  return value;
}

std::string CorrectFloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";  // also for -0
  // std::to_chars never uses the locale's decimal separator.
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::general, kSignificantDigits);
  if (error != std::errc()) return "0";
  return TidyExponent(std::string(buffer, end));
}

long long Power(long long base, int exponent) {
  if (exponent <= 0) return 1;
  if (base == 0 || base == 1) return base;
  if (base == -1) return exponent % 2 == 0 ? 1 : -1;
  // Saturates instead of overflowing: a wrapped-around power would be a wrong number. Any
  // other base overflows within 64 steps, so the loop stays short.
  long long result = 1;
  for (int i = 0; i < exponent; ++i) {
    if (__builtin_mul_overflow(result, base, &result)) {
      bool negative = base < 0 && exponent % 2 == 1;
      return negative ? std::numeric_limits<long long>::min()
                      : std::numeric_limits<long long>::max();
    }
  }
  return result;
}

bool TryParseInteger(std::string_view text, long long& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  // Read the digits with the sign so that the most negative value fits.
  std::string digits = negative ? "-" : "";
  digits += text;
  long long parsed = 0;
  const char* first = digits.data();
  const char* last = first + digits.size();
  auto [end, error] = std::from_chars(first, last, parsed);
  if (error != std::errc() || end != last) return false;
  value = parsed;
  return true;
}

double LeadingNumber(std::string_view text) {
  std::string normalised;
  if (ScanDecimal(text, normalised) == 0) return 0;
  double value = 0;
  return ConvertDecimal(normalised, value) ? value : 0;
}

long long IntegerOr(std::string_view text, long long fallback) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  size_t end = text.size();
  while (end > i && text[end - 1] == ' ') --end;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == end || end - i > 18) return fallback;
  long long value = 0;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return fallback;
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

}  // namespace orvane
