#include "dialogue/CommandText.h"

#include <cstdlib>

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
