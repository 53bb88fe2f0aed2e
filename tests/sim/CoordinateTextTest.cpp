// The controller's text forms and the check character.
#include <gtest/gtest.h>

#include "CoordinateText.h"
#include "NativeChecksum.h"
#include "text/Checksum.h"

namespace orvane::sim {
namespace {

struct FormatCase {
  double value;
  bool high;
  std::string text;
};

class RightAscensionText : public ::testing::TestWithParam<FormatCase> {};
TEST_P(RightAscensionText, Formats) {
  EXPECT_EQ(formatRightAscension(GetParam().value, GetParam().high), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(
    Forms, RightAscensionText,
    ::testing::Values(FormatCase{12 + 34 / 60.0 + 56 / 3600.0, true, "12:34:56"},
                      FormatCase{12 + 34.5 / 60.0, false, "12:34.5"},
                      FormatCase{0, true, "00:00:00"}, FormatCase{0, false, "00:00.0"},
                      FormatCase{23.99999, true, "00:00:00"}, FormatCase{-1, true, "23:00:00"},
                      FormatCase{25, false, "01:00.0"}));

class DeclinationText : public ::testing::TestWithParam<FormatCase> {};
TEST_P(DeclinationText, Formats) {
  EXPECT_EQ(formatDeclination(GetParam().value, GetParam().high), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(Forms, DeclinationText,
                         ::testing::Values(FormatCase{-(5 + 10 / 60.0 + 20 / 3600.0), true,
                                                      "-05:10:20"},
                                           FormatCase{45.5, false,
                                                      "+45\xDF"
                                                      "30"},
                                           FormatCase{-0.0001, true, "+00:00:00"},
                                           FormatCase{-0.0001, false,
                                                      "+00\xDF"
                                                      "00"},
                                           FormatCase{90, true, "+90:00:00"},
                                           FormatCase{-90, false,
                                                      "-90\xDF"
                                                      "00"}));

TEST(CoordinateText, SiteTimeAndDateForms) {
  EXPECT_EQ(formatLongitude(-614),
            "+349\xDF"
            "46");
  EXPECT_EQ(formatLongitude(270 * 60 + 30),
            "+270\xDF"
            "30");
  EXPECT_EQ(formatLongitude(0),
            "+000\xDF"
            "00");
  EXPECT_EQ(formatLatitude(53 * 60 + 29),
            "+53\xDF"
            "29");
  EXPECT_EQ(formatLatitude(-(33 * 60 + 52)),
            "-33\xDF"
            "52");
  EXPECT_EQ(formatUtcOffset(5), "+05.0");
  EXPECT_EQ(formatUtcOffset(-1), "-01.0");
  EXPECT_EQ(formatUtcOffset(-5.5), "-05.5");
  EXPECT_EQ(formatUtcOffset(0), "+00.0");
  EXPECT_EQ(formatTimeOfDay(86399), "23:59:59");
  EXPECT_EQ(formatDate(CivilDate{2003, 3, 7}), "03/07/03");
}

struct ParseCase {
  std::string text;
  std::optional<double> value;
};

class RightAscensionReading : public ::testing::TestWithParam<ParseCase> {};
TEST_P(RightAscensionReading, Reads) {
  auto value = parseRightAscension(GetParam().text);
  ASSERT_EQ(value.has_value(), GetParam().value.has_value()) << GetParam().text;
  if (value) {
    EXPECT_NEAR(*value, *GetParam().value, 1e-9);
  }
}
INSTANTIATE_TEST_SUITE_P(
    Forms, RightAscensionReading,
    ::testing::Values(ParseCase{"18:36:56", 18 + 36 / 60.0 + 56 / 3600.0},
                      ParseCase{"12:34.5", 12 + 34.5 / 60.0}, ParseCase{"00:00:00", 0.0},
                      ParseCase{"24:00:00", std::nullopt}, ParseCase{"12:60:00", std::nullopt},
                      ParseCase{"12:00:60", std::nullopt}, ParseCase{"12:00", std::nullopt},
                      ParseCase{"12:00:00x", std::nullopt}, ParseCase{"", std::nullopt},
                      ParseCase{"ab:cd:ef", std::nullopt}));

class DeclinationReading : public ::testing::TestWithParam<ParseCase> {};
TEST_P(DeclinationReading, Reads) {
  auto value = parseDeclination(GetParam().text);
  ASSERT_EQ(value.has_value(), GetParam().value.has_value()) << GetParam().text;
  if (value) {
    EXPECT_NEAR(*value, *GetParam().value, 1e-9);
  }
}
INSTANTIATE_TEST_SUITE_P(Forms, DeclinationReading,
                         ::testing::Values(ParseCase{"+38:47:01", 38 + 47 / 60.0 + 1 / 3600.0},
                                           ParseCase{"-05:10:20", -(5 + 10 / 60.0 + 20 / 3600.0)},
                                           ParseCase{"+45\xDF"
                                                     "30",
                                                     45.5},
                                           ParseCase{"-45*30:15", -(45.5 + 15 / 3600.0)},
                                           ParseCase{"12\xB0"
                                                     "00",
                                                     12.0},
                                           ParseCase{"+90:00:00", 90.0},
                                           ParseCase{"+90:00:01", std::nullopt},
                                           ParseCase{"+45:60", std::nullopt},
                                           ParseCase{"+45", std::nullopt},
                                           ParseCase{"+45:30:00#", std::nullopt}));

TEST(CoordinateText, AnglesTimesDatesAndHoursAreRead) {
  EXPECT_EQ(parseAngleMinutes("-010\xDF"
                              "14",
                              180, 360),
            -614);
  EXPECT_EQ(parseAngleMinutes("+360\xDF"
                              "00",
                              180, 360),
            21600);
  EXPECT_EQ(parseAngleMinutes("+360\xDF"
                              "01",
                              180, 360),
            std::nullopt);
  EXPECT_EQ(parseAngleMinutes("-181\xDF"
                              "00",
                              180, 360),
            std::nullopt);
  EXPECT_EQ(parseAngleMinutes("+53\xDF"
                              "29",
                              90, 90),
            3209);
  EXPECT_EQ(parseAngleMinutes("+5329", 90, 90), std::nullopt);
  EXPECT_EQ(parseTimeOfDay("21:30:05"), 21 * 3600 + 30 * 60 + 5);
  EXPECT_EQ(parseTimeOfDay("213005"), 21 * 3600 + 30 * 60 + 5);
  EXPECT_EQ(parseTimeOfDay("21:3005"), std::nullopt);
  EXPECT_EQ(parseTimeOfDay("24:00:00"), std::nullopt);
  auto date = parseDate("03/07/03");
  ASSERT_TRUE(date);
  EXPECT_EQ(date->year, 2003);
  EXPECT_EQ(parseDate("12/31/99")->year, 1999);
  EXPECT_FALSE(parseDate("02/29/01"));
  EXPECT_TRUE(parseDate("02/29/00"));
  EXPECT_FALSE(parseDate("3/7/03"));
  EXPECT_EQ(parseHours("-5"), -5.0);
  EXPECT_EQ(parseHours("+05.5"), 5.5);
  EXPECT_EQ(parseHours("25"), std::nullopt);
  EXPECT_EQ(parseHours(""), std::nullopt);
}

TEST(NativeChecksum, KnownValues) {
  EXPECT_EQ(calculateChecksum("<99:"), 'F');
  EXPECT_EQ(calculateChecksum(""), '@');
  EXPECT_TRUE(checkChecksum("21C#"));
  EXPECT_FALSE(checkChecksum("21D#"));
  EXPECT_FALSE(checkChecksum("21C"));
  EXPECT_FALSE(checkChecksum("@#"));
  EXPECT_FALSE(checkChecksum(""));
}

TEST(NativeChecksum, EightBitTextKeepsTheSignOfTheXor) {
  // One byte with the high bit set: the XOR is negative and so is the remainder.
  std::string text = "\xDF";
  int remainder = static_cast<signed char>('\xDF') % 128;
  EXPECT_EQ(calculateChecksum(text), static_cast<char>((remainder + 64) & 0xFF));
  EXPECT_TRUE(checkChecksum(text + calculateChecksum(text) + "#"));
}

TEST(NativeChecksum, AgreesWithTheProgramsCheckCharacter) {
  for (int number = 0; number < 1000; number += 7) {
    for (std::string value : {"", "0", "180", "-9999", "+004244", "\xDF\xB0x"}) {
      std::string command = ">" + std::to_string(number) + ":" + value;
      ASSERT_EQ(calculateChecksum(command), orvane::CalculateChecksum(command)) << command;
      std::string reply = value + calculateChecksum(value) + "#";
      EXPECT_EQ(checkChecksum(reply), orvane::CheckChecksum(reply)) << reply;
    }
  }
}

}  // namespace
}  // namespace orvane::sim
