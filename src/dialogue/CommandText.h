// The text side of the controller dialogue: building the wire form of set commands from a
// control's text, and rewriting the controller's replies into the forms the controls and
// the status strip show. No state, no line: the command engine around them does the
// sending and waiting.
// Thread: any (pure functions).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/NumberText.h"

namespace orvane {

constexpr char kDegreeSign = '\xB0';        // "°" in the program's own texts
constexpr char kControllerDegree = '\xDF';  // the controller's degree character

// character inserted before the position-th character (1-based); appended when the text is
// shorter.
std::string InsertBefore(std::string text, size_t position, char character);

// ":SC" MM "/" DD "/" YY "#" from the six digits MMDDYY of a date field (blanks as "0").
std::string SetDateCommand(std::string_view fieldText);
// ":SG" with the hour offset negated: 1 -> ":SG-1#", -5 -> ":SG5#".
std::string SetUtcOffsetCommand(long long hours);
// ":Sg" sDDD 0xDF MM "#" from the six-character longitude text sDDDMM.
std::string SetLongitudeCommand(std::string_view fieldText);
// ":St" sDD 0xDF MM "#" from the five-character latitude text sDDMM.
std::string SetLatitudeCommand(std::string_view fieldText);
// ":SB" + text with 0xDF before its fifth character + "#".
std::string SetBrightnessTextCommand(std::string_view fieldText);
// One memo line of an upload: ":Od" + line, "#" appended unless the line ends in one.
std::string UploadLineCommand(std::string_view line);

// ":GG#" reply: the sign swapped (the controller counts the other way), three characters.
std::string RewriteHourOffsetReply(std::string_view reply);
// ":GV#" reply: the first four characters.
std::string RewriteVersionReply(std::string_view reply);
// ":GC#" reply MM "/" DD "/" YY "#" -> MMDDYY; empty for a reply with a blank, without "#"
// or without "/".
std::string RewriteDateReply(std::string_view reply);
// ":Gg#" reply -> sDDDMM, degrees east of 179 folded into the western half (negative).
std::string RewriteLongitudeReply(std::string_view reply);
// ":Gt#" reply -> sDDMM (degree characters removed, cut at "#").
std::string RewriteLatitudeReply(std::string_view reply);
// Text before the first "#" (the whole text without one).
std::string CutAtHash(std::string_view reply);
// ":GL#" / ":GE#" reply: empty without "#", else cut at "#", the last eight characters.
std::string RewriteClockReply(std::string_view reply);
// ":GB#" brightness reply: its first character as a digit, -1 when it is none.
int BrightnessIndexFromReply(std::string_view reply);

enum class PrecisionReply { High, Low, Other };
// ":P#" reply: exactly "HIGH PRECISION" or "LOW  PRECISION" (two blanks), else Other.
PrecisionReply ReadPrecisionReply(std::string_view reply);

// Whether a rewritten read reply holds what its command promises, every field within its
// range: ":Gg" sDDDMM (at most 180 degrees either way), ":Gt" sDDMM (at most 90), ":GC"
// MMDDYY (a month 1-12, a day 1-31), ":GL" HH:MM:SS (a time of day), ":GG" sHH (at most 14
// hours). A reply that does not is refused like an unreadable one, so that a field never
// shows a value the controller cannot have meant. Other commands are not checked.
bool ReadReplyInRange(std::string_view command, std::string_view rewritten);
// Whether a position reply's fields are within range: right ascension HH:MM:SS or HH:MM.T
// (hours below 24, minutes and seconds below 60); declination sDD:MM:SS or sDD 0xDF MM (at
// most 90 degrees). Digits stand where digits belong.
bool RightAscensionInRange(std::string_view text);
bool DeclinationInRange(std::string_view text);

// Lines downloaded with ":OR#"/":Or#", joined: a line break after every "#" except a
// final one.
std::string BreakDownloadedLines(std::string_view collected);

// Native read of a setting: "<" + identifier + ":" + check character + "#".
std::string NativeReadCommand(std::string_view identifier);
// The value of a native reply (without check character and "#"); nothing for an empty
// reply, a lone "#" or a wrong check character.
std::optional<std::string> NativeReplyValue(std::string_view reply);

// Position texts for the status strip. Right ascension: high precision HH:MM:SS ->
// "HHh MMm SS"; low precision HH:MM.T -> "HHh MMm " + 6T seconds. Nothing when a
// low-precision reply does not end in a digit (the hand controller's cable is on the
// serial port).
std::optional<std::string> FormatRightAscension(std::string_view text, bool highPrecision);
// Declination without the final "''": high precision sDD:MM:SS -> "sDD° MM' SS"; low
// precision sDD 0xDF MM -> "sDD° MM' 00".
std::string FormatDeclination(std::string_view text, bool highPrecision);

// An object line of a memo: name "," right ascension "," declination "#" (more text may
// follow the "#"). Nothing for a line without "#" or without the commas.
struct ObjectLine {
  std::string name;
  std::string rightAscension;
  std::string declination;
};
std::optional<ObjectLine> ParseObjectLine(std::string_view line);

}  // namespace orvane
