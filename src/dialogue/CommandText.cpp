#include "dialogue/CommandText.h"

#include <cstdlib>
#include <vector>

#include "link/AstroTime.h"
#include "text/Checksum.h"
#include "text/NumberText.h"

namespace orvane {

namespace {

std::string withoutCharacter(std::string text, char removed) {
  std::string kept;
  kept.reserve(text.size());
  for (char ch : text) {
    if (ch != removed) kept += ch;
  }
  return kept;
}

// Replaces the first occurrence of what (at or after from) by with; returns the position
// after the replacement, or npos when there was none.
size_t replaceFirst(std::string& text, std::string_view what, std::string_view with,
                    size_t from = 0) {
  const size_t at = text.find(what, from);
  if (at == std::string::npos) return std::string::npos;
  text.replace(at, what.size(), with);
  return at + with.size();
}

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

// The number of the digits at text[at, at + count); -1 when they are not all digits.
int digitsAt(std::string_view text, size_t at, size_t count) {
  if (at + count > text.size() || !allDigits(text.substr(at, count))) return -1;
  int value = 0;
  for (char ch : text.substr(at, count)) value = value * 10 + (ch - '0');
  return value;
}

bool isSign(char ch) {
  return ch == '+' || ch == '-';
}

// The groups of digits of a reply, split at every other character (":", ".", 0xDF ...).
std::vector<std::string_view> digitGroups(std::string_view text) {
  std::vector<std::string_view> groups;
  size_t start = std::string_view::npos;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool digit = i < text.size() && text[i] >= '0' && text[i] <= '9';
    if (digit && start == std::string_view::npos) start = i;
    if (!digit && start != std::string_view::npos) {
      groups.push_back(text.substr(start, i - start));
      start = std::string_view::npos;
    }
  }
  return groups;
}

// Separators between the groups: anything but digits and signs.
bool onlyGroupsAndSeparators(std::string_view text) {
  for (char ch : text) {
    if (isSign(ch) || ch == ' ') return false;
  }
  return true;
}

std::string lastCharacters(std::string text, size_t count) {
  return text.size() > count ? text.substr(text.size() - count) : text;
}

}  // namespace

std::string InsertBefore(std::string text, size_t position, char character) {
  const size_t at = position == 0 ? 0 : position - 1;
  text.insert(std::min(at, text.size()), 1, character);
  return text;
}

std::string SetDateCommand(std::string_view fieldText) {
  std::string command = BlanksAsZeros(":SC" + std::string(fieldText) + "#");
  if (command.size() >= 7) command.insert(7, "/");
  if (command.size() >= 5) command.insert(5, "/");
  return command;
}

std::string SetUtcOffsetCommand(long long hours) {
  return ":SG" + std::to_string(-hours) + "#";
}

std::string SetLongitudeCommand(std::string_view fieldText) {
  return ":Sg" + InsertBefore(BlanksAsZeros(std::string(fieldText)), 5, kControllerDegree) + "#";
}

std::string SetLatitudeCommand(std::string_view fieldText) {
  return ":St" + InsertBefore(BlanksAsZeros(std::string(fieldText)), 4, kControllerDegree) + "#";
}

std::string SetBrightnessTextCommand(std::string_view fieldText) {
  return ":SB" + InsertBefore(std::string(fieldText), 5, kControllerDegree) + "#";
}

std::string UploadLineCommand(std::string_view line) {
  std::string command = ":Od" + std::string(line);
  if (line.empty() || line.back() != '#') command += '#';
  return command;
}

std::string RewriteHourOffsetReply(std::string_view reply) {
  std::string text(reply);
  if (!text.empty() && text[0] == '+') {
    text[0] = '-';
  } else if (!text.empty() && text[0] == '-') {
    text[0] = '+';
  }
  return text.substr(0, 3);
}

std::string RewriteVersionReply(std::string_view reply) {
  return std::string(reply.substr(0, std::min<size_t>(4, reply.size())));
}

std::string RewriteDateReply(std::string_view reply) {
  if (reply.find(' ') != std::string_view::npos) return {};
  if (reply.find('#') == std::string_view::npos || reply.find('/') == std::string_view::npos) {
    return {};
  }
  return lastCharacters(withoutCharacter(CutAtHash(reply), '/'), 8);
}

std::string RewriteLongitudeReply(std::string_view reply) {
  std::string text = CutAtHash(
      withoutCharacter(withoutCharacter(std::string(reply), kDegreeSign), kControllerDegree));
  if (text.empty() || (text[0] != '+' && text[0] != '-')) text.insert(0, "+");
  if (text[0] != '+') return text;
  long long degrees = IntegerOr(text.substr(1, 3), -1);
  long long minutes = text.size() > 4 ? IntegerOr(text.substr(4, 2), -1) : -1;
  if (degrees <= 179 || minutes < 0) return text;
  while (degrees > 179) {
    if (minutes == 0) {
      degrees -= 360;
    } else {
      degrees -= 359;
      minutes = 60 - minutes;
    }
  }
  std::string folded =
      "-" + std::to_string(std::llabs(degrees)) + LZ(static_cast<unsigned>(minutes));
  while (folded.size() < 6) folded.insert(1, "0");
  return folded;
}

std::string RewriteLatitudeReply(std::string_view reply) {
  return CutAtHash(
      withoutCharacter(withoutCharacter(std::string(reply), kDegreeSign), kControllerDegree));
}

std::string CutAtHash(std::string_view reply) {
  return std::string(reply.substr(0, reply.find('#')));
}

std::string RewriteClockReply(std::string_view reply) {
  if (reply.find('#') == std::string_view::npos) return {};
  return lastCharacters(CutAtHash(reply), 8);
}

int BrightnessIndexFromReply(std::string_view reply) {
  if (reply.empty() || reply[0] < '0' || reply[0] > '9') return -1;
  return reply[0] - '0';
}

PrecisionReply ReadPrecisionReply(std::string_view reply) {
  if (reply == "HIGH PRECISION") return PrecisionReply::High;
  if (reply == "LOW  PRECISION") return PrecisionReply::Low;
  return PrecisionReply::Other;
}

bool ReadReplyInRange(std::string_view command, std::string_view text) {
  if (command == ":Gg") {
    if (text.size() != 6 || !isSign(text[0])) return false;
    const int degrees = digitsAt(text, 1, 3);
    const int minutes = digitsAt(text, 4, 2);
    return degrees >= 0 && minutes >= 0 && minutes <= 59 && degrees * 60 + minutes <= 180 * 60;
  }
  if (command == ":Gt") {
    if (text.size() != 5 || !isSign(text[0])) return false;
    const int degrees = digitsAt(text, 1, 2);
    const int minutes = digitsAt(text, 3, 2);
    return degrees >= 0 && minutes >= 0 && minutes <= 59 && degrees * 60 + minutes <= 90 * 60;
  }
  if (command == ":GC") {
    const int month = digitsAt(text, 0, 2);
    const int day = digitsAt(text, 2, 2);
    return text.size() == 6 && digitsAt(text, 4, 2) >= 0 && month >= 1 && month <= 12 && day >= 1 &&
           day <= 31;
  }
  if (command == ":GL") {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
    const int hours = digitsAt(text, 0, 2);
    const int minutes = digitsAt(text, 3, 2);
    const int seconds = digitsAt(text, 6, 2);
    return hours >= 0 && hours <= 23 && minutes >= 0 && minutes <= 59 && seconds >= 0 &&
           seconds <= 59;
  }
  if (command == ":GG") {
    const int hours = digitsAt(text, 1, 2);
    return text.size() == 3 && isSign(text[0]) && hours >= 0 && hours <= 14;
  }
  return true;
}

bool RightAscensionInRange(std::string_view text) {
  text = text.substr(0, text.find('#'));
  const std::vector<std::string_view> groups = digitGroups(text);
  if (groups.size() != 3 || !onlyGroupsAndSeparators(text) || text.empty() || text.front() < '0' ||
      text.front() > '9' || text.back() < '0' || text.back() > '9') {
    return false;
  }
  const int hours = digitsAt(groups[0], 0, groups[0].size());
  const int minutes = digitsAt(groups[1], 0, groups[1].size());
  const int last = digitsAt(groups[2], 0, groups[2].size());
  // The third group: seconds, or in low precision the tenths of a minute.
  return groups[0].size() <= 2 && groups[1].size() <= 2 && groups[2].size() <= 2 && hours <= 23 &&
         minutes <= 59 && last <= 59;
}

bool DeclinationInRange(std::string_view text) {
  text = text.substr(0, text.find('#'));
  if (text.empty()) return false;
  if (isSign(text[0])) text.remove_prefix(1);
  const std::vector<std::string_view> groups = digitGroups(text);
  if (groups.size() < 2 || groups.size() > 3 || !onlyGroupsAndSeparators(text) ||
      text.front() < '0' || text.front() > '9' || text.back() < '0' || text.back() > '9') {
    return false;
  }
  int fields[3] = {0, 0, 0};
  for (size_t i = 0; i < groups.size(); ++i) {
    if (groups[i].size() > 2) return false;
    fields[i] = digitsAt(groups[i], 0, groups[i].size());
  }
  return fields[1] <= 59 && fields[2] <= 59 &&
         fields[0] * 3600 + fields[1] * 60 + fields[2] <= 90 * 3600;
}

std::string BreakDownloadedLines(std::string_view collected) {
  std::string text;
  text.reserve(collected.size() + collected.size() / 8);
  for (size_t i = 0; i < collected.size(); ++i) {
    text += collected[i];
    if (collected[i] == '#' && i + 1 < collected.size()) text += "\r\n";
  }
  return text;
}

std::string NativeReadCommand(std::string_view identifier) {
  std::string command = "<" + std::string(identifier) + ":";
  command += CalculateChecksum(command);
  command += '#';
  return command;
}

std::optional<std::string> NativeReplyValue(std::string_view reply) {
  if (reply.empty() || reply == "#" || !CheckChecksum(reply)) return std::nullopt;
  return std::string(reply.substr(0, reply.size() - 2));
}

std::optional<std::string> FormatRightAscension(std::string_view text, bool highPrecision) {
  std::string shown(text);
  if (highPrecision) {
    const size_t next = replaceFirst(shown, ":", "h ");
    if (next != std::string::npos) replaceFirst(shown, ":", "m ", next);
    return shown;
  }
  if (shown.empty() || shown.back() < '0' || shown.back() > '9') return std::nullopt;
  const unsigned tenths = static_cast<unsigned>(shown.back() - '0');
  replaceFirst(shown, ":", "h ");
  const size_t point = shown.find('.');
  if (point != std::string::npos) shown.erase(point);
  return shown + "m " + LZ(6 * tenths);
}

std::string FormatDeclination(std::string_view text, bool highPrecision) {
  std::string shown = CutAtHash(text);
  if (highPrecision) {
    const size_t next = replaceFirst(shown, ":", std::string{kDegreeSign, ' '});
    if (next != std::string::npos) replaceFirst(shown, ":", "' ", next);
    return shown;
  }
  const size_t degree = shown.find(kControllerDegree);
  if (degree != std::string::npos) {
    shown[degree] = kDegreeSign;
    shown.insert(degree + 1, " ");
  }
  return shown + "' 00";
}

std::optional<ObjectLine> ParseObjectLine(std::string_view line) {
  const size_t comma = line.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  ObjectLine object;
  object.name = std::string(line.substr(0, comma));
  std::string_view rest = line.substr(comma + 1);
  const size_t hash = rest.find('#');
  const size_t second = rest.find(',');
  if (hash == std::string_view::npos || second == std::string_view::npos || second > hash) {
    return std::nullopt;
  }
  object.rightAscension = std::string(rest.substr(0, second));
  object.declination = std::string(rest.substr(second + 1, hash - second - 1));
  return object;
}

}  // namespace orvane
