#include "sheets/ControlLine.h"

#include "text/NumberText.h"

namespace orvane {

namespace {

constexpr std::string_view kDatabaseWord = "DataBase";
constexpr size_t kPairMarkWithin = 6;  // the "&" of a pair line stands in the first six

// The text from index pos on; empty when pos lies past the end.
std::string_view From(std::string_view text, size_t pos) {
  return pos < text.size() ? text.substr(pos) : std::string_view();
}

// Text up to, not including, the first double quote; all of it without one.
std::string_view UpToQuote(std::string_view text) {
  return text.substr(0, text.find('"'));
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool HasValueAttribute(std::string_view line, std::string_view key) {
  return Contains(line, std::string(key) + '"');
}

// The range "low:high" at the end of an attribute part. Words in front of the range
// (attributes, the texts of a pair line) are dropped one blank at a time; a text that is
// not a number reads as 0.
void ReadRange(std::string_view part, double& low, double& high) {
  for (;;) {
    size_t blank = part.find(' ');
    size_t colon = part.find(':');
    if (blank == std::string_view::npos || colon == std::string_view::npos || blank > colon) break;
    part.remove_prefix(blank + 1);
  }
  size_t colon = part.find(':');
  std::string_view lowText;
  std::string_view highText = part;
  if (colon != std::string_view::npos) {
    lowText = part.substr(0, colon);
    highText = part.substr(colon + 1);
  }
  highText = highText.substr(0, highText.find(' '));
  low = LeadingNumber(lowText);
  high = LeadingNumber(highText);
}

void ReadPair(std::string_view line, ControlLine& result) {
  size_t mark = line.find('&');
  if (mark == std::string_view::npos || mark >= kPairMarkWithin) return;
  result.pair = true;
  std::string_view after = From(line, mark + 1);
  while (!after.empty() && after.front() == ' ') after.remove_prefix(1);
  result.secondNumberText = std::string(after.substr(0, result.numberText.size() + 1));
  result.secondRowText = QuotedValue(line, 2);
}

}  // namespace

std::string ValueAfter(std::string_view text, std::string_view key) {
  std::string opening = std::string(key) + '"';
  size_t pos = text.find(opening);
  if (pos == std::string_view::npos) return {};
  return std::string(UpToQuote(From(text, pos + opening.size())));
}

std::string QuotedValue(std::string_view line, int n) {
  if (n < 1) return {};
  size_t pos = 0;
  for (int quote = 1; quote < 2 * n; ++quote) {
    pos = line.find('"', pos);
    if (pos == std::string_view::npos) return {};
    ++pos;
  }
  // A missing closing quote leaves the value running to the end of the line.
  return std::string(UpToQuote(From(line, pos)));
}

ControlLine ParseControlLine(std::string_view line) {
  ControlLine result;
  result.numberText = std::string(line.substr(0, line.find(' ')));
  if (!TryParseInteger(result.numberText, result.number) || !IsControlNumber(result.number)) {
    throw ProfileLineError("'" + result.numberText + "' is not a valid control number");
  }
  result.rowText = QuotedValue(line, 1);

  // After the number, a blank, the quoted row text and one more blank.
  std::string_view attributes = From(line, result.numberText.size() + result.rowText.size() + 4);
  result.attributes = std::string(attributes);

  result.hasCaption = HasValueAttribute(line, "caption=");
  result.hasCommand = HasValueAttribute(line, "command=");
  result.hasMask = HasValueAttribute(line, "mask=");
  result.hasFiles = HasValueAttribute(line, "files=");
  result.align = Contains(line, "align=true");
  ReadPair(line, result);

  if (attributes.substr(0, kDatabaseWord.size()) == kDatabaseWord) {
    result.database = true;
    result.databaseName = QuotedValue(attributes.substr(kDatabaseWord.size()), 1);
  } else if (!attributes.empty()) {
    result.files = ValueAfter(attributes, "files=");
    result.command = ValueAfter(line, "command=");
    result.mask = ValueAfter(attributes, "mask=");
    if (result.hasCaption) {
      result.caption = ValueAfter(attributes, "caption=");
    } else {
      ReadRange(attributes, result.low, result.high);
    }
  }
  return result;
}

}  // namespace orvane
