#include "profile/KeywordText.h"
#include "text/VersionText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace orvane {
namespace {

struct TextCase {
  const char* input;
  const char* expected;
};

TEST(KeywordTextTest, FirstQuotedValue) {
  const TextCase cases[] = {
      {"CacheDelay \"250\"", "250"}, {"Port \"COM2\" \"COM3\"", "COM2"},
      {"Port \"\"", ""},             {"TimeOut 250", ""},
      {"TimeOut \"12", "12"},        {"Slewing \"3\xB0/s\"", "3\xB0/s"},
      {"Update \"1 0\"", "1 0"},     {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstQuotedValue(c.input), c.expected) << c.input;
}

TEST(KeywordTextTest, NormaliseMilliseconds) {
  const TextCase cases[] = {
      {"250", "0250"},   {"5", "0005"},   {"1 0", "0100"},    {"12345", "12345"},
      {"", "0000"},      {"1   ", "1000"}, {" ", "0000"},     {"2000", "2000"},
      {"12 45", "12045"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormaliseMilliseconds(c.input), c.expected) << c.input;
}

TEST(KeywordTextTest, VersionLabel) {
  const TextCase cases[] = {
      {"1124", "Level 1, Version 124"},
      {"112456", "Level 1, Version 124"},
      {"2", "Level 2, Version "},
      {"21", "Level 2, Version 1"},
      {"", "Level , Version "},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionLabel(c.input), c.expected) << c.input;
}

TEST(KeywordTextTest, ParseValueLine) {
  struct Case {
    const char* line;
    long long id;
    const char* text;
  };
  const Case cases[] = {
      {"Value 12=\"123\"", 12, "123"},       {"Value 11=\"+05:30\"", 11, "+05:30"},
      {"Value 12.7=\"x\"", 12, "x"},         {"Value -1.5=\"x\"", -1, "x"},
      {"Value 1,5=\"x\"", 1, "x"},           {"Value  7 =\"a b\"", 7, "a b"},
      {"Value 12=\"\"", 12, ""},             {"Value 12=\"open", 12, "open"},
      {"Value 12=\"x=y\" 13=\"z\"", 12, "x=y"}, {"Value 12=", 12, ""},
  };
  for (const auto& c : cases) {
    std::optional<ValueLine> parsed = ParseValueLine(c.line);
    ASSERT_TRUE(parsed.has_value()) << c.line;
    EXPECT_EQ(parsed->id, c.id) << c.line;
    EXPECT_EQ(parsed->text, c.text) << c.line;
  }
  for (const char* line : {"Value abc=\"x\"", "Value =\"x\"", "Value 12 \"x\"", "Value",
                           "Value 99999999999999999999=\"x\"", "Value -=\"x\"", "Value .=\"x\""}) {
    EXPECT_FALSE(ParseValueLine(line).has_value()) << line;
  }
}

TEST(KeywordTextTest, ParseColorsLineReadsSevenFieldsAndCopiesTheSeventh) {
  std::optional<ColorsLine> day = ParseColorsLine(
      "Colors \"Day\" 96550C FFFFFF ffffff 000000 FFFFFF EE932D 123456 ABCDEF");
  ASSERT_TRUE(day.has_value());
  EXPECT_TRUE(day->day);
  const std::array<ui::Color, 8> expected = {0x96550C, 0xFFFFFF, 0xFFFFFF, 0x000000,
                                             0xFFFFFF, 0xEE932D, 0x123456, 0x123456};
  EXPECT_EQ(day->colors, expected);

  // Exactly seven fields are enough; anything after the seventh is ignored.
  std::optional<ColorsLine> night =
      ParseColorsLine("Colors \"Night\" 000000 00008C 0000B2 000000 0000B2 000000 0000FF");
  ASSERT_TRUE(night.has_value());
  EXPECT_FALSE(night->day);
  EXPECT_EQ(night->colors[1], 0x00008Cu);
  EXPECT_EQ(night->colors[7], 0x0000FFu);
}

TEST(KeywordTextTest, ParseColorsLineChoosesTheTableByTheQuotedWordDay) {
  const std::string fields = " 000000 000000 000000 000000 000000 000000 000000";
  struct Case {
    std::string line;
    bool day;
  };
  const Case cases[] = {
      {"Colors \"Day\"" + fields, true},
      {"Colors \"day\"" + fields, false},
      {"Colors \"Daylight\"" + fields, false},
      {"Colors \"Night\"" + fields + " \"Day\"", true},
  };
  for (const auto& c : cases) {
    std::optional<ColorsLine> parsed = ParseColorsLine(c.line);
    ASSERT_TRUE(parsed.has_value()) << c.line;
    EXPECT_EQ(parsed->day, c.day) << c.line;
  }
}

TEST(KeywordTextTest, ParseColorsLineRefusesDamagedFields) {
  const char* const lines[] = {
      "Colors \"Night\" 000000 00008C 0000B2 000000 0000B2 000000 0000F",  // short seventh
      "Colors \"Night\" 000000 00008C 0000B2 000000 0000B2 000000",        // six fields
      "Colors \"Night\" 000000 00008C 0000G2 000000 0000B2 000000 0000FF",  // not hex
      "Colors \"Night\" -00000 00008C 0000B2 000000 0000B2 000000 0000FF",  // sign
      "Colors \"Night\" 0x0000 00008C 0000B2 000000 0000B2 000000 0000FF",
      "Colors \"Night\"",
      "Colors Night 000000 00008C 0000B2 000000 0000B2 000000 0000FF",  // no quote + blank
      "",
  };
  for (const char* line : lines) EXPECT_FALSE(ParseColorsLine(line).has_value()) << line;
}

TEST(KeywordTextTest, ColorToHexWritesWhatParseColorsLineReads) {
  EXPECT_EQ(ColorToHex(0x96550C), "96550C");
  EXPECT_EQ(ColorToHex(0), "000000");
  EXPECT_EQ(ColorToHex(0xEE932D), "EE932D");
  EXPECT_EQ(ColorToHex(0xFF000012), "000012");  // only the 24 colour bits

  const std::array<ui::Color, 7> colors = {0x000001, 0xABCDEF, 0x10FF00, 0x0000FF,
                                           0xFFFFFF, 0x808080, 0xC0FFEE};
  std::string line = "Colors \"Day\"";
  for (ui::Color color : colors) line += " " + ColorToHex(color);
  std::optional<ColorsLine> parsed = ParseColorsLine(line);
  ASSERT_TRUE(parsed.has_value());
  for (size_t i = 0; i < colors.size(); ++i) EXPECT_EQ(parsed->colors[i], colors[i]);
}

TEST(KeywordTextTest, ParseScheduleLine) {
  ScheduleLine row = ParseScheduleLine(
      "Schedule Time=\"21:30:00\" Name=\"M 31\" RA=\"00:42:44\" Dec=\"+41:16:09\"");
  EXPECT_EQ(row.time, "21:30:00");
  EXPECT_EQ(row.name, "M 31");
  EXPECT_EQ(row.ra, "00:42:44");
  EXPECT_EQ(row.dec, "+41:16:09");

  ScheduleLine reordered = ParseScheduleLine(
      "Schedule Dec=\"-05:23:28\" RA=\"05:35:17\" Name=\"M 42\" Time=\"22:00:00\"");
  EXPECT_EQ(reordered.time, "22:00:00");
  EXPECT_EQ(reordered.name, "M 42");
  EXPECT_EQ(reordered.ra, "05:35:17");
  EXPECT_EQ(reordered.dec, "-05:23:28");

  // A missing attribute stays empty instead of taking text from elsewhere in the line.
  ScheduleLine missing =
      ParseScheduleLine("Schedule Time=\"01:00:00\" Name=\"Vega\" RA=\"18:36:56\"");
  EXPECT_EQ(missing.ra, "18:36:56");
  EXPECT_EQ(missing.dec, "");
  EXPECT_EQ(ParseScheduleLine("Schedule Time=01:00 Name=\"x\"").time, "");
}

// Random damage to real keyword lines must never crash a reader or throw.
std::string Mutate(std::string line, std::mt19937& random) {
  static constexpr char kInteresting[] = "\" =:,.-+09aFG";
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

TEST(KeywordTextTest, SurvivesMutatedLines) {
  const std::vector<std::string> seeds = {
      "CacheDelay \"250\"", "Version \"1124\"", "Value 12=\"123\"", "Value 11=\"+05:30:00\"",
      "Colors \"Day\" 96550C FFFFFF FFFFFF 000000 FFFFFF EE932D FFFFFF FFFFFF",
      "Colors \"Night\" 000000 00008C 0000B2 000000 0000B2 000000 0000FF 000000",
      "Schedule Time=\"21:30:00\" Name=\"M 31\" RA=\"00:42:44\" Dec=\"+41:16:09\""};
  std::mt19937 random(19870410);
  int colorTablesRead = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string line = Mutate(seeds[static_cast<size_t>(i) % seeds.size()], random);
    EXPECT_GE(NormaliseMilliseconds(FirstQuotedValue(line)).size(), 4u);
    EXPECT_LE(VersionLabel(FirstQuotedValue(line)).size(), 20u);
    ParseValueLine(line);
    ParseScheduleLine(line);
    if (std::optional<ColorsLine> colors = ParseColorsLine(line)) {
      ++colorTablesRead;
      EXPECT_EQ(colors->colors[7], colors->colors[6]) << line;
      for (ui::Color color : colors->colors) EXPECT_LE(color, 0xFFFFFFu) << line;
    }
  }
  EXPECT_GT(colorTablesRead, 100);
}

}  // namespace
}  // namespace orvane
