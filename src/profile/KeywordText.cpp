#include "profile/KeywordText.h"

#include <cmath>

namespace orvane {

namespace {

constexpr size_t kMillisecondDigits = 4;
constexpr int kColorFieldsRead = 7;  // the eighth entry copies the seventh
constexpr size_t kColorDigits = 6;
constexpr size_t kColorFieldStep = 7;  // six digits and one separator

// The text from index pos on; empty when pos lies past the end.
std::string_view From(std::string_view text, size_t pos) {
  return pos < text.size() ? text.substr(pos) : std::string_view();
}

std::string_view UpToQuote(std::string_view text) {
  return text.substr(0, text.find('"'));
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The value of an attribute written as name="value"; empty when the attribute is missing
// (the value is then not taken from some other place of the line).
std::string AttributeValue(std::string_view line, std::string_view name) {
  std::string opening = std::string(name) + '"';
  size_t pos = line.find(opening);
  if (pos == std::string_view::npos) return {};
  return std::string(UpToQuote(From(line, pos + opening.size())));
}

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return std::nullopt;
}

std::optional<ui::Color> ReadColorField(std::string_view field) {
  if (field.size() < kColorDigits) return std::nullopt;
  ui::Color value = 0;
  for (char c : field.substr(0, kColorDigits)) {
    std::optional<int> digit = HexDigit(c);
    if (!digit) return std::nullopt;
    value = value * 16 + static_cast<ui::Color>(*digit);
  }
  return value;
}

// A decimal number with an optional fraction ("." or ","), truncated toward zero; nothing
// when the text is not such a number or the result does not fit.
std::optional<long long> ReadTruncatedNumber(std::string_view text) {
  text = TrimBlanks(text);
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  size_t digitsStart = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
  size_t integerDigits = pos - digitsStart;
  size_t fractionDigits = 0;
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
    ++pos;
    size_t fractionStart = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    fractionDigits = pos - fractionStart;
  }
  if (pos != text.size() || integerDigits + fractionDigits == 0) return std::nullopt;
  // Only the integer digits matter once the fraction is dropped.
  long long value = 0;
  for (char c : text.substr(digitsStart, integerDigits)) {
    if (__builtin_mul_overflow(value, 10LL, &value) ||
        __builtin_add_overflow(value, static_cast<long long>(c - '0'), &value)) {
      return std::nullopt;
    }
  }
  return text.front() == '-' ? -value : value;
}

}  // namespace

std::string FirstQuotedValue(std::string_view line) {
  size_t open = line.find('"');
  if (open == std::string_view::npos) return {};
  return std::string(UpToQuote(From(line, open + 1)));
}

std::string NormaliseMilliseconds(std::string_view value) {
  std::string text(value);
  if (text.size() < kMillisecondDigits) {
    text.insert(0, kMillisecondDigits - text.size(), '0');
  }
  for (char& c : text) {
    if (c == ' ') c = '0';
  }
  return text;
}

std::optional<ValueLine> ParseValueLine(std::string_view line) {
  size_t blank = line.find(' ');
  size_t equals = line.find('=');
  if (blank == std::string_view::npos || equals == std::string_view::npos || equals < blank) {
    return std::nullopt;
  }
  std::optional<long long> id = ReadTruncatedNumber(line.substr(blank + 1, equals - blank - 1));
  if (!id) return std::nullopt;
  ValueLine result;
  result.id = *id;
  // The text starts after the "=" and its opening quote.
  result.text = std::string(UpToQuote(From(line, equals + 2)));
  return result;
}

std::optional<ColorsLine> ParseColorsLine(std::string_view line) {
  size_t schemeEnd = line.find("\" ");
  if (schemeEnd == std::string_view::npos) return std::nullopt;
  ColorsLine result;
  result.day = line.find("\"Day\"") != std::string_view::npos;
  std::string_view fields = From(line, schemeEnd + 2);
  for (int entry = 0; entry < kColorFieldsRead; ++entry) {
    std::optional<ui::Color> color =
        ReadColorField(From(fields, static_cast<size_t>(entry) * kColorFieldStep));
    if (!color) return std::nullopt;
    result.colors[static_cast<size_t>(entry)] = *color;
  }
  result.colors[kColorFieldsRead] = result.colors[kColorFieldsRead - 1];
  return result;
}

std::string ColorToHex(ui::Color color) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(kColorDigits, '0');
  for (size_t i = kColorDigits; i-- > 0;) {
    text[i] = kDigits[color & 0xF];
    color >>= 4;
  }
  return text;
}

ScheduleLine ParseScheduleLine(std::string_view line) {
  ScheduleLine result;
  result.time = AttributeValue(line, "Time=");
  result.name = AttributeValue(line, "Name=");
  result.ra = AttributeValue(line, "RA=");
  result.dec = AttributeValue(line, "Dec=");
  return result;
}

}  // namespace orvane
