#include "sheets/ControlLine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace orvane {
namespace {

// What a line must read as; low and high are only compared when hasRange is expected.
struct RowCase {
  const char* line;
  long long number;
  const char* rowText;
  bool hasRange;
  double low;
  double high;
  const char* command;
  const char* mask;
};

TEST(ControlLineTest, ReadsNumberTextAndRange) {
  const RowCase cases[] = {
      {"10 \"Heading\"", 10, "Heading", false, 0, 0, "", ""},
      {"10", 10, "", false, 0, 0, "", ""},
      {"11 \"Hours\" 0:23", 11, "Hours", true, 0, 23, "", ""},
      {"21 \"Option A\"", 21, "Option A", false, 0, 0, "", ""},
      {"121 \"One\"", 121, "One", false, 0, 0, "", ""},
      {"122 \"Two\"", 122, "Two", false, 0, 0, "", ""},
      {"123 \"Three\"", 123, "Three", false, 0, 0, "", ""},
      // A command without a range still makes a value row, read as 0:0.
      {"55 \"Speed\" command=\":GR\"", 55, "Speed", true, 0, 0, ":GR", ""},
      {"55 \"Speed\" 1:5 command=\":GR\"", 55, "Speed", true, 1, 5, ":GR", ""},
      // The range stands before attributes whose value holds a colon: words are dropped only
      // while a blank comes before the first colon.
      {"55 \"Speed\" command=\":GR\" 1:5", 55, "Speed", true, 0, 0, ":GR", ""},
      {"55 \"Speed\" command=\":GR, :GD\" 1:5", 55, "Speed", true, 0, 0, ":GR, :GD", ""},
      {"11 \"Hours\" mask=\"#99\" -12:12", 11, "Hours", true, -12, 12, "", "#99"},
      {"11 \"Step\" 0.5:2,5", 11, "Step", true, 0.5, 2.5, "", ""},
      {"11 \"Words\" abc:def", 11, "Words", true, 0, 0, "", ""},
      // Without a colon the low text is empty and the high text ends at the first blank.
      {"11 \"One\" 5", 11, "One", true, 0, 5, "", ""},
      {"11 \"Two\" 5 7", 11, "Two", true, 0, 5, "", ""},
      // -3 marks a missing limit, so -3:-3 reads as no range at all.
      {"11 \"None\" -3:-3", 11, "None", false, 0, 0, "", ""},
      {"11 \"Half\" -3:4", 11, "Half", true, -3, 4, "", ""},
      // Anything after the row text and its blank is an attribute part, even blanks.
      {"10 \"Heading\"  ", 10, "Heading", true, 0, 0, "", ""},
      {"10 \"Heading\" ", 10, "Heading", false, 0, 0, "", ""},
      {"-5 \"Negative\" 1:2", -5, "Negative", true, 1, 2, "", ""},
      {"12 \"Open", 12, "Open", false, 0, 0, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ControlLine parsed = ParseControlLine(c.line);
    EXPECT_EQ(parsed.number, c.number);
    EXPECT_EQ(parsed.rowText, c.rowText);
    EXPECT_EQ(parsed.hasRange(), c.hasRange);
    if (c.hasRange) {
      EXPECT_DOUBLE_EQ(parsed.low, c.low);
      EXPECT_DOUBLE_EQ(parsed.high, c.high);
    } else {
      EXPECT_EQ(parsed.low, kNoLimit);
      EXPECT_EQ(parsed.high, kNoLimit);
    }
    EXPECT_EQ(parsed.command, c.command);
    EXPECT_EQ(parsed.mask, c.mask);
    EXPECT_FALSE(parsed.pair);
    EXPECT_FALSE(parsed.database);
  }
}

TEST(ControlLineTest, RejectsLinesWithoutAnIntegerNumber) {
  const char* const lines[] = {"",           " 10 \"Leading blank\"", "abc \"x\" 0:1",
                               "Sheet\"Main\"", "201&202 \"A\" \"B\" 0:10", "1.5 \"x\"",
                               "12a \"x\"",   "99999999999999999999 \"x\""};
  for (const char* line : lines) {
    EXPECT_THROW(ParseControlLine(line), ProfileLineError) << line;
  }
}

TEST(ControlLineTest, ReadsPairLines) {
  ControlLine pair = ParseControlLine("201 & 202 \"Alpha\" \"Beta\" 0:10");
  EXPECT_TRUE(pair.pair);
  EXPECT_EQ(pair.numberText, "201");
  EXPECT_EQ(pair.number, 201);
  EXPECT_EQ(pair.rowText, "Alpha");
  // As many characters as the first number has, plus one.
  EXPECT_EQ(pair.secondNumberText, "202 ");
  EXPECT_EQ(pair.secondRowText, "Beta");
  EXPECT_DOUBLE_EQ(pair.low, 0);
  EXPECT_DOUBLE_EQ(pair.high, 10);

  ControlLine withCommand = ParseControlLine("31 & 32 \"A\" \"B\" -5:5 command=\":GR\"");
  EXPECT_TRUE(withCommand.pair);
  EXPECT_EQ(withCommand.secondNumberText, "32 ");
  EXPECT_EQ(withCommand.command, ":GR");
  EXPECT_DOUBLE_EQ(withCommand.low, -5);
  EXPECT_DOUBLE_EQ(withCommand.high, 5);

  EXPECT_EQ(ParseControlLine("5 & 10 \"A\" \"B\" 0:1").secondNumberText, "10");
  EXPECT_EQ(ParseControlLine("10 & 5 \"A\" \"B\"").secondNumberText, "5 \"");
  EXPECT_EQ(ParseControlLine("10 &").secondNumberText, "");
}

TEST(ControlLineTest, PairMarkCountsOnlyInTheFirstSixCharacters) {
  EXPECT_TRUE(ParseControlLine("1 \"&\"").pair);
  EXPECT_TRUE(ParseControlLine("12 \"&x\" 0:5").pair);
  EXPECT_FALSE(ParseControlLine("123 \"A&B\"").pair);
  EXPECT_FALSE(ParseControlLine("1000000 \"&\"").pair);
}

TEST(ControlLineTest, ReadsDatabaseRows) {
  ControlLine row = ParseControlLine("130 \"Objects\" DataBase \"User\"");
  EXPECT_TRUE(row.database);
  EXPECT_EQ(row.databaseName, "User");
  EXPECT_EQ(row.rowText, "Objects");
  EXPECT_EQ(row.attributes, "DataBase \"User\"");
  EXPECT_FALSE(row.hasRange());

  // A database row reads no range and no command.
  ControlLine extra = ParseControlLine("130 \"Objects\" DataBase \"User\" command=\":GR\" 0:5");
  EXPECT_TRUE(extra.database);
  EXPECT_TRUE(extra.hasCommand);
  EXPECT_EQ(extra.command, "");
  EXPECT_FALSE(extra.hasRange());

  EXPECT_FALSE(ParseControlLine("130 \"Objects\" 0:5 DataBase \"User\"").database);
  EXPECT_EQ(ParseControlLine("130 \"Objects\" DataBase").databaseName, "");
}

TEST(ControlLineTest, ReadsFileTransferAndButtonAttributes) {
  ControlLine panel = ParseControlLine(
      "300 \"Catalog\" files=\"*.txt\" command=\":OS,:Od,:Oc\" caption=\"Receive,Send,Clear\" "
      "align=true");
  EXPECT_TRUE(panel.hasFiles);
  EXPECT_TRUE(panel.hasCommand);
  EXPECT_TRUE(panel.hasCaption);
  EXPECT_TRUE(panel.align);
  EXPECT_FALSE(panel.hasMask);
  EXPECT_EQ(panel.files, "*.txt");
  EXPECT_EQ(panel.command, ":OS,:Od,:Oc");
  EXPECT_EQ(panel.caption, "Receive,Send,Clear");
  EXPECT_FALSE(panel.hasRange());  // a caption replaces the range

  ControlLine button = ParseControlLine("40 \"Park\" caption=\"Go\" command=\":hP\" 1:5");
  EXPECT_TRUE(button.hasCaption);
  EXPECT_EQ(button.caption, "Go");
  EXPECT_EQ(button.command, ":hP");
  EXPECT_FALSE(button.hasRange());
  EXPECT_FALSE(button.align);
  EXPECT_FALSE(button.hasFiles);
}

TEST(ControlLineTest, CommandComesFromTheWholeLineTheOthersFromTheAttributePart) {
  // The first quoted value is ":GR", so the attribute part starts inside "command=".
  ControlLine command = ParseControlLine("10 command=\":GR\" \"Label\" 0:5");
  EXPECT_TRUE(command.hasCommand);
  EXPECT_EQ(command.rowText, ":GR");
  EXPECT_EQ(command.command, ":GR");

  ControlLine mask = ParseControlLine("10 mask=\"99\" \"Label\"");
  EXPECT_TRUE(mask.hasMask);
  EXPECT_EQ(mask.mask, "");
  EXPECT_TRUE(mask.hasRange());
  EXPECT_DOUBLE_EQ(mask.low, 0);
  EXPECT_DOUBLE_EQ(mask.high, 0);

  // A flag needs the opening quote right after the equals sign.
  ControlLine bare = ParseControlLine("11 \"x\" mask=99 0:5");
  EXPECT_FALSE(bare.hasMask);
  EXPECT_EQ(bare.mask, "");
}

TEST(ControlLineTest, ValueAfterAndQuotedValue) {
  EXPECT_EQ(ValueAfter("a name=\"x\"", "name="), "x");
  EXPECT_EQ(ValueAfter("a name=\"\"", "name="), "");
  EXPECT_EQ(ValueAfter("a name=\"x\"", "mask="), "");
  EXPECT_EQ(ValueAfter("mask=abc mask=\"#9\" x", "mask="), "#9");
  EXPECT_EQ(ValueAfter("files=\"*.txt", "files="), "*.txt");
  EXPECT_EQ(ValueAfter("files=\"", "files="), "");

  const std::string line = "201 & 202 \"Alpha\" \"Beta\" 0:10";
  EXPECT_EQ(QuotedValue(line, 1), "Alpha");
  EXPECT_EQ(QuotedValue(line, 2), "Beta");
  EXPECT_EQ(QuotedValue(line, 3), "");
  EXPECT_EQ(QuotedValue(line, 0), "");
  EXPECT_EQ(QuotedValue("\"\"", 1), "");
  EXPECT_EQ(QuotedValue("\"a\" \"open", 2), "open");
}

// Random damage to real lines must never crash the parser or raise anything but the
// profile line error.
std::string Mutate(std::string line, std::mt19937& random) {
  static constexpr char kInteresting[] = "\" &:=,.-+09aD\t\xB0";
  std::uniform_int_distribution<int> kind(0, 5);
  int edits = std::uniform_int_distribution<int>(1, 4)(random);
  for (int i = 0; i < edits; ++i) {
    size_t pos = std::uniform_int_distribution<size_t>(0, line.size())(random);
    size_t pick = std::uniform_int_distribution<size_t>(0, sizeof kInteresting - 2)(random);
    char c = kInteresting[pick];
    switch (kind(random)) {
      case 0: line.insert(pos, 1, c); break;
      case 1: if (pos < line.size()) line[pos] = c; break;
      case 2: if (pos < line.size()) line.erase(pos, 1); break;
      case 3: line.resize(pos); break;
      case 4: line.insert(pos, line.substr(0, pos)); break;
      default: line.insert(pos, 1, static_cast<char>(random() & 0xFF)); break;
    }
  }
  return line;
}

TEST(ControlLineTest, SurvivesMutatedLines) {
  const std::vector<std::string> seeds = {
      "10 \"Heading\"", "11 \"Hours\" 0:23", "55 \"Speed\" command=\":GR\"",
      "201 & 202 \"Alpha\" \"Beta\" command=\":GR\" 0:10", "130 \"Objects\" DataBase \"User\"",
      "300 \"Catalog\" files=\"*.txt\" command=\":OS,:Od\" caption=\"Read,Write\" align=true",
      "11 \"Lat\" mask=\"#00\xB0 00';1;_\" command=\":St,:Gt\" -90:90", "121 \"One\""};
  std::mt19937 random(20240607);
  int parsed = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string line = Mutate(seeds[static_cast<size_t>(i) % seeds.size()], random);
    try {
      ControlLine result = ParseControlLine(line);
      ++parsed;
      EXPECT_EQ(result.numberText.find(' '), std::string::npos) << line;
      EXPECT_TRUE(line.ends_with(result.attributes)) << line;
      if (result.database || result.hasCaption) {
        EXPECT_FALSE(result.hasRange()) << line;
      }
    } catch (const ProfileLineError&) {
    }
  }
  EXPECT_GT(parsed, 1000);  // the mutations leave many lines readable
}

}  // namespace
}  // namespace orvane
