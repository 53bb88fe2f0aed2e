// Parsing of control definition lines of a profile: the control number, the row text, the
// attributes (caption=, command=, mask=, files=, align=true), a range low:high, a database
// reference, and pair lines ("201 & 202 "A" "B" 0:10").
// Thread: any (pure functions).
#pragma once

#include <string>
#include <string_view>

#include "profile/ProfileLineError.h"

namespace orvane {

constexpr double kNoLimit = -3;  // marks a missing range value

struct ControlLine {
  std::string numberText;  // the line up to its first blank
  long long number = 0;
  std::string rowText;     // the first quoted value
  std::string attributes;  // the line after the number, the quoted row text and one blank
  bool hasCaption = false;
  bool hasCommand = false;
  bool hasMask = false;
  bool hasFiles = false;
  bool align = false;
  // Pair line: the first "&" stands among the first six characters.
  bool pair = false;
  std::string secondNumberText;  // not yet checked to be an integer
  std::string secondRowText;     // between the third and fourth double quotes
  // Database row: the attribute part begins with "DataBase".
  bool database = false;
  std::string databaseName;
  std::string files;
  std::string command;
  std::string mask;
  std::string caption;
  double low = kNoLimit;
  double high = kNoLimit;
  bool hasRange() const { return low != kNoLimit || high != kNoLimit; }
};

// Parses a control definition line. Throws ProfileLineError when the control number is not
// an integer. Every other oddity is read the forgiving way profiles rely on (a text without
// numbers reads as the range 0:0).
ControlLine ParseControlLine(std::string_view line);

// The text after the first occurrence of key followed by a double quote, up to the next
// double quote; empty when key does not occur. ValueAfter("a name=\"x\"", "name=") is "x".
std::string ValueAfter(std::string_view text, std::string_view key);

// The n-th double-quoted value of a line (n from 1): the text between quote 2n-1 and 2n.
std::string QuotedValue(std::string_view line, int n);

}  // namespace orvane
