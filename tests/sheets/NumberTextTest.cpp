#include "text/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace orvane {
namespace {

struct FloatCase {
  const char* text;
  double expected;
};

TEST(NumberTextTest, StrToFloatDefReadsPointAndComma) {
  const FloatCase cases[] = {
      {"1,5", 1.5},     {"1.5", 1.5},    {"  1.5  ", 1.5}, {"-2,25", -2.25}, {"+7", 7},
      {"0", 0},         {".5", 0.5},     {"5.", 5},        {"1.5E3", 1500},  {"2e-2", 0.02},
      {"-0,125", -0.125},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(StrToFloatDef(c.text, -99), c.expected) << c.text;
  }
}

TEST(NumberTextTest, StrToFloatDefGivesDefaultForNonNumbers) {
  const char* const texts[] = {"",     "   ",  "abc", "1.5x", "1,000.5", "1.2.3", "--1",
                               "+-1",  ".",    "e5",  "1e",   "1e+",     "nan",   "inf",
                               "1e999", "0x10", "1 5"};
  for (const char* text : texts) {
    EXPECT_EQ(StrToFloatDef(text, -7.5), -7.5) << text;
  }
}

TEST(NumberTextTest, CorrectFloatToStrWritesShortestText) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {2.5, "2.5"},   {-3, "-3"},           {0.1, "0.1"},   {0, "0"},
      {-0.0, "0"},    {23, "23"},           {100, "100"},   {0.0001, "0.0001"},
      {1e-5, "1E-5"}, {1.5e20, "1.5E20"},   {-1e-10, "-1E-10"},
      {123456789012345, "123456789012345"}, {1.0 / 3, "0.333333333333333"},
      {1e15, "1E15"}, {0.1 + 0.2, "0.3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CorrectFloatToStr(c.value), c.text) << c.value;
  }
}

TEST(NumberTextTest, NumbersSurviveTheRoundTripThroughText) {
  for (double value : {2.5, -0.75, 1234.125, 0.1, 359.99, -179.5, 1e-7, 6.02e23}) {
    EXPECT_DOUBLE_EQ(StrToFloatDef(CorrectFloatToStr(value), 0), value) << value;
  }
}

// The program may run where the decimal separator is ","; texts must not follow it.
TEST(NumberTextTest, ConversionsIgnoreTheLocaleDecimalSeparator) {
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* name : {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8", "C"}) {
    if (std::setlocale(LC_NUMERIC, name) == nullptr) continue;
    EXPECT_EQ(CorrectFloatToStr(2.5), "2.5") << name;
    EXPECT_EQ(StrToFloatDef("1,5", 0), 1.5) << name;
    EXPECT_EQ(StrToFloatDef("1.5", 0), 1.5) << name;
    EXPECT_EQ(LeadingNumber("2.5:"), 2.5) << name;
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumberTextTest, PowerMultipliesAndSaturates) {
  struct Case {
    long long base;
    int exponent;
    long long expected;
  };
  constexpr long long kMax = std::numeric_limits<long long>::max();
  constexpr long long kMin = std::numeric_limits<long long>::min();
  const Case cases[] = {
      {10, 0, 1},      {10, -2, 1},  {10, 3, 1000},    {2, 10, 1024},   {-2, 3, -8},
      {-2, 4, 16},     {0, 5, 0},    {1, 1000000, 1},  {-1, 1000001, -1}, {-1, 1000000, 1},
      {10, 18, 1000000000000000000LL},
      {10, 19, kMax},  {-10, 19, kMin}, {-10, 20, kMax}, {2, 2147483647, kMax},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Power(c.base, c.exponent), c.expected) << c.base << "^" << c.exponent;
  }
}

TEST(NumberTextTest, TryParseIntegerTakesOnlyWholeIntegers) {
  struct Case {
    const char* text;
    bool ok;
    long long value;
  };
  const Case cases[] = {
      {"201", true, 201},   {"  -12", true, -12}, {"+5", true, 5},     {"0", true, 0},
      {"-9223372036854775808", true, std::numeric_limits<long long>::min()},
      {"9223372036854775808", false, 0},          {"", false, 0},      {"-", false, 0},
      {"12 ", false, 0},    {"1.0", false, 0},    {"12a", false, 0},   {"a12", false, 0},
      {"201&202", false, 0}, {"$1F", false, 0},   {"0x1F", false, 0},  {"+-1", false, 0},
  };
  for (const auto& c : cases) {
    long long value = 4242;
    EXPECT_EQ(TryParseInteger(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : 4242) << c.text;
  }
}

TEST(NumberTextTest, LeadingNumberReadsTheNumericPrefix) {
  const FloatCase cases[] = {
      {"15abc", 15}, {"abc", 0},   {"-2.5:", -2.5}, {"0", 0},     {"23", 23},
      {"", 0},       {" 5", 0},    {"+3", 3},       {"-", 0},     {".", 0},
      {".5x", 0.5},  {"1,5", 1.5}, {"7.", 7},       {"1e3", 1},   {"-0.25\"", -0.25},
      {"GD\"", 0},   {"99999999999999999999", 1e20},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.expected) << c.text;
  }
  EXPECT_EQ(LeadingNumber(std::string(400, '9')), 0);  // beyond double: not a number
}

}  // namespace
}  // namespace orvane
