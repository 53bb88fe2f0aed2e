// Keyword lines read by the real reader: what each one writes into the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/ProfileTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

class KeywordLinesTest : public ProfileTest {
 protected:
  static std::string ScheduleLine(int index) {
    return "Schedule Time=\"2" + std::to_string(index % 4) + ":00:00\" Name=\"Object " +
           std::to_string(index) + "\" RA=\"0" + std::to_string(index % 10) +
           "h 00m 00s\" Dec=\"+10\xB0 00' 00''\"";
  }
};

TEST_F(KeywordLinesTest, MillisecondFields) {
  struct Case {
    const char* keyword;
    const char* value;
    const char* digits;
  };
  const Case cases[] = {
      {"CacheDelay", "\"250\"", "0250"},  {"CacheDelay", "\"12345\"", "1234"},
      {"CacheDelay", "\"5\"", "0005"},    {"TimeOut", "\"1 0\"", "0100"},
      {"TimeOut", "\"1500\"", "1500"},    {"Update", "\"750\" \"9999\"", "0750"},
      {"Update", "\"\"", "0000"},         {"TimeOut", "2000", "0000"},
      {"CacheDelay", "\"3000", "3000"},   {"Update", "\"1   \"", "1000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.keyword) + " " + c.value);
    ASSERT_TRUE(Load(std::string(c.keyword) + " " + c.value + "\n"));
    EXPECT_EQ(status(), kStatusLoaded);
    ui::MaskEdit& field = std::string(c.keyword) == "CacheDelay" ? *main().CacheDelay
                          : std::string(c.keyword) == "TimeOut"  ? *main().TimeOut
                                                                 : *main().UpdateInterval;
    EXPECT_EQ(Digits(field), c.digits);
  }
}

// The cache manager takes a new cache delay at once (the field's change handler).
TEST_F(KeywordLinesTest, CacheDelayReachesTheCacheManager) {
  ASSERT_TRUE(Load("CacheDelay \"3000\"\n"));
  EXPECT_EQ(cache().Timer.tag(), 3);
  ASSERT_TRUE(Load("CacheDelay \"5000\"\n"));
  EXPECT_EQ(cache().Timer.tag(), 5);
}

TEST_F(KeywordLinesTest, PortSelectsWithoutRegardToCase) {
  int selected = 0;
  main().SerialPort->onChange = [&](ui::Widget&) { ++selected; };
  struct Case {
    const char* line;
    int index;
  };
  const Case cases[] = {
      {"Port \"com2\"", 2},       {"Port \"COM5\"", 5},       {"Port \"offline\"", 6},
      {"Port \"Auto-detect\"", 0}, {"Port \"COM9\"", -1},      {"Port COM1", -1},
      {"Port \"\"", -1},          {"Port \"COM1\"\nPort \"COM3\"", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_TRUE(Load(std::string(c.line) + "\n"));
    EXPECT_EQ(main().SerialPort->itemIndex(), c.index);
    if (c.index >= 0) {
      EXPECT_EQ(main().SerialPort->text(), main().SerialPort->items()[c.index]);
    }
  }
  EXPECT_EQ(selected, 0);  // selecting from a profile runs no change handler
}

TEST_F(KeywordLinesTest, SlewingSelectsTheSpeedEntry) {
  struct Case {
    const char* line;
    int index;
  };
  const Case cases[] = {
      {"Slewing \"1\xB0/s\"", 0}, {"Slewing \"6\xB0/S\"", 5},
      {"Slewing \"3\xB0/s\"", 2}, {"Slewing \"7\xB0/s\"", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_TRUE(Load(std::string(c.line) + "\n"));
    EXPECT_EQ(schedule().Speed->itemIndex(), c.index);
  }
}

TEST_F(KeywordLinesTest, ControlModeIsCaseSensitive) {
  struct Case {
    const char* value;
    int mode;  // after the line, starting from the previous case's mode
  };
  const Case cases[] = {
      {"Touch", 2}, {"toggle", 2}, {"None", 2}, {"Toggle", 1},
      {"TOUCH", 1}, {"", 1},       {"Touch ", 1},
  };
  schedule().SetControlMode(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_TRUE(Load("ControlMode \"" + std::string(c.value) + "\"\n"));
    EXPECT_EQ(schedule().ControlMode, c.mode);
  }
}

TEST_F(KeywordLinesTest, VersionLabelAndComparison) {
  int comparisons = 0;
  main().reader.compareVersions = [&] { ++comparisons; };
  ASSERT_TRUE(Load("Version \"1124\"\n"));
  EXPECT_EQ(main().ProfileVersion->text(), "Level 1, Version 124");
  EXPECT_EQ(comparisons, 1);
  ASSERT_TRUE(Load("Version 1124\n"));
  EXPECT_EQ(main().ProfileVersion->text(), "Level , Version ");
  ASSERT_TRUE(Load("Version \"32.4\"\n"));
  EXPECT_EQ(main().ProfileVersion->text(), "Level 3, Version 2.4");
  EXPECT_EQ(comparisons, 3);
}

// "Value " lines address a list by its group number (exact) and fields by their number.
TEST_F(KeywordLinesTest, ValueLinesPresetControls) {
  const Lines sheetLines = {"Sheet \"A\"",  "10 \"Mode\"",    "121 \"Alpha\"", "122 \"Beta\"",
                            "123 \"Gamma\"", "124 \"Delta\"", "125 \"Epsilon\"",
                            "55 \"Speed\" 0:15", "Sheet \"B\"", "55 \"Speed\" 0:15"};
  struct Case {
    const char* value;
    int option;        // selected option of the list of group 12
    const char* field;  // text of both fields 55
  };
  const Case cases[] = {
      {"Value 12=\"123\"", 2, ""},     {"Value 12=\"5\"", 4, ""},
      {"Value 12=\"beta\"", 1, ""},    {"Value 12=\"Zeta\"", -1, ""},
      {"Value 12.9=\"2\"", 1, ""},     {"Value 12 =\"1\"", 0, ""},
      {"Value 55=\"7\"", 0, "7"},      {"Value 55=\"12\" 12=\"3\"", 0, "12"},
      {"Value 12=\"9\"", -1, ""},      {"Value 12=\"0\"", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Lines lines = sheetLines;
    lines.push_back(c.value);
    ASSERT_TRUE(Load(Join(lines)));
    EXPECT_EQ(status(), kStatusLoaded);
    EXPECT_EQ(sheet(0).lists.at(0)->itemIndex(), c.option);
    EXPECT_EQ(sheet(0).fields.at(0)->text(), c.field);
    EXPECT_EQ(sheet(1).fields.at(0)->text(), c.field);
    // Presetting while the profile is read sends nothing.
    EXPECT_TRUE(queued().empty());
  }
}

TEST_F(KeywordLinesTest, LaterValueLineWins) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15", "Value 55=\"3\"", "Value 55=\"9\""})));
  EXPECT_EQ(sheet(0).fields.at(0)->text(), "9");
}

// A value line whose id is not a number is reported like a faulty control line; reading
// goes on and nothing is changed.
TEST_F(KeywordLinesTest, ValueLineWithFaultyIdIsReported) {
  for (const char* line : {"Value abc=\"3\"", "Value =\"3\"", "Value 55\"3\"",
                           "Value 99999999999999999999999=\"3\"", "Value 5 5=\"3\""}) {
    SCOPED_TRACE(line);
    ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15", line, "Value 55=\"4\"",
                           "20 \"After\""})));
    EXPECT_EQ(status(), kStatusErrors);
    EXPECT_EQ(sheet(0).fields.at(0)->text(), "4");
    EXPECT_EQ(sheet(0).labels.back()->text(), "After:");
  }
}

TEST_F(KeywordLinesTest, ColorsLineForDay) {
  const ColorTable night = main().appearance.nightColors;
  ASSERT_TRUE(Load(
      "Colors \"Day\" 010203 0a0B0c 111111 222222 333333 444444 555555 666666\n"));
  EXPECT_EQ(status(), kStatusLoaded);
  const ColorTable expected{0x010203, 0x0A0B0C, 0x111111, 0x222222,
                            0x333333, 0x444444, 0x555555, 0x555555};
  EXPECT_EQ(main().appearance.dayColors, expected);
  EXPECT_EQ(main().appearance.nightColors, night);
}

TEST_F(KeywordLinesTest, ColorsLineForNight) {
  const ColorTable day = main().appearance.dayColors;
  ASSERT_TRUE(Load("Colors \"Night\" 000001 000002 000003 000004 000005 000006 000007\n"));
  const ColorTable expected{1, 2, 3, 4, 5, 6, 7, 7};
  EXPECT_EQ(main().appearance.nightColors, expected);
  EXPECT_EQ(main().appearance.dayColors, day);
}

// Colour tables survive a load of a profile without "Colors " lines.
TEST_F(KeywordLinesTest, ColorTablesPersistAcrossLoads) {
  ASSERT_TRUE(Load("Colors \"Day\" 000001 000002 000003 000004 000005 000006 000007\n"));
  const ColorTable day = main().appearance.dayColors;
  ASSERT_TRUE(Load("# no colours\n", "plain.ocf"));
  EXPECT_EQ(main().appearance.dayColors, day);
}

// A short or non-hexadecimal colour field is reported; the tables stay as they were and
// the reader goes on.
TEST_F(KeywordLinesTest, FaultyColorsLinesAreReported) {
  const char* lines[] = {
      "Colors \"Day\" 12345 000002 000003 000004 000005 000006 000007",
      "Colors \"Day\" 000001 000002 000003 000004 000005 000006 00007",
      "Colors \"Day\" 000001 000002 000003 000004 000005 000006",
      "Colors \"Day\" 00000G 000002 000003 000004 000005 000006 000007",
      "Colors \"Night\" 000001 000002 000003 -00004 000005 000006 000007",
      "Colors \"Night\" 000001 000002 000003 0x0004 000005 000006 000007",
      "Colors \"Day\"",
      "Colors \"Day\" ",
      "Colors Day 000001 000002 000003 000004 000005 000006 000007",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    const ColorTable day = main().appearance.dayColors;
    const ColorTable night = main().appearance.nightColors;
    ASSERT_TRUE(Load(Join({line, "Sheet \"After\""})));
    EXPECT_EQ(status(), kStatusErrors);
    EXPECT_EQ(main().appearance.dayColors, day);
    EXPECT_EQ(main().appearance.nightColors, night);
    EXPECT_EQ(sheets().sheets().size(), 1u);
  }
}

TEST_F(KeywordLinesTest, ThreeScheduleLines) {
  ASSERT_TRUE(Load(Join({"# before", ScheduleLine(1), "Sheet \"A\"", ScheduleLine(2),
                         ScheduleLine(3), "# after"})));
  EXPECT_EQ(status(), kStatusLoaded);
  const ui::StringGrid& grid = *schedule().Objects;
  EXPECT_EQ(grid.rowCount(), 4);
  EXPECT_EQ(grid.height(), 83);
  EXPECT_EQ(grid.cell(0, 0), "Slew Time");
  for (int row = 1; row <= 3; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(grid.cell(0, row), "2" + std::to_string(row % 4) + ":00:00");
    EXPECT_EQ(grid.cell(1, row), "Object " + std::to_string(row));
    EXPECT_EQ(grid.cell(2, row), "0" + std::to_string(row) + "h 00m 00s");
    EXPECT_EQ(grid.cell(3, row), "+10\xB0 00' 00''");
  }
  EXPECT_EQ(main().Profile, (Lines{"# before", "Sheet \"A\"", "# after"}));
}

TEST_F(KeywordLinesTest, TenScheduleLinesCapTheGridHeight) {
  Lines lines;
  for (int i = 1; i <= 10; ++i) lines.push_back(ScheduleLine(i));
  ASSERT_TRUE(Load(Join(lines)));
  EXPECT_EQ(schedule().Objects->rowCount(), 11);
  EXPECT_EQ(schedule().Objects->height(), 153);
  EXPECT_EQ(schedule().Objects->cell(1, 10), "Object 10");
  EXPECT_TRUE(main().Profile.empty());
}

TEST_F(KeywordLinesTest, ScheduleAttributesInAnyOrder) {
  ASSERT_TRUE(Load("Schedule Dec=\"-05\xB0 23' 28''\" RA=\"05h 35m 17s\" Name=\"M 42\" "
                   "Time=\"23:15:00\"\n"));
  const ui::StringGrid& grid = *schedule().Objects;
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.height(), 43);
  EXPECT_EQ(grid.cell(0, 1), "23:15:00");
  EXPECT_EQ(grid.cell(1, 1), "M 42");
  EXPECT_EQ(grid.cell(2, 1), "05h 35m 17s");
  EXPECT_EQ(grid.cell(3, 1), "-05\xB0 23' 28''");
}

// A later keyword line overrides an earlier one of the same keyword.
TEST_F(KeywordLinesTest, LaterKeywordLineWins) {
  ASSERT_TRUE(Load(Join({"TimeOut \"3000\"", "Port \"COM1\"", "TimeOut \"4000\"",
                         "Port \"COM4\"", "Version \"1100\"", "Version \"2200\""})));
  EXPECT_EQ(Digits(*main().TimeOut), "4000");
  EXPECT_EQ(main().SerialPort->text(), "COM4");
  EXPECT_EQ(main().ProfileVersion->text(), "Level 2, Version 200");
}

}  // namespace
}  // namespace orvane::testing
