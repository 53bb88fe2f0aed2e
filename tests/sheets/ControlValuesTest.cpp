// Commands bound to controls, and values put into and read from controls by setting number,
// on sheets built by the real reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/ProfileTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

class ControlValuesTest : public ProfileTest {
 protected:
  std::vector<std::string> commands() {
    std::vector<std::string> result;
    for (const auto& binding : sheets().bindings()) result.push_back(binding->command);
    return result;
  }
  // A list of group 12 with five options on two sheets, and a field 55 on both.
  void LoadTwoSheets() {
    ASSERT_TRUE(Load(Join({"Sheet \"A\"", "121 \"Alpha\"", "122 \"Beta\"", "123 \"Gamma\"",
                           "124 \"Delta\"", "125 \"Epsilon\"", "55 \"Speed\" 0:15",
                           "Sheet \"B\"", "121 \"Alpha\"", "122 \"Beta\"", "123 \"Gamma\"",
                           "124 \"Delta\"", "125 \"Epsilon\"", "55 \"Speed\" 0:15"})));
  }
  ui::ComboBox& list(size_t sheetIndex) { return *sheet(sheetIndex).lists.at(0); }
  ui::MaskEdit& field(size_t sheetIndex) { return *sheet(sheetIndex).fields.at(0); }
};

TEST_F(ControlValuesTest, CommandListBindsInOrder) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "11 \"Position\" command=\":GR#,:GD#\" 0:0",
                         "12 \"Trailing\" command=\":GV#,\" 0:0",
                         "13 \"Blank\" command=\": GR,:GD \" 0:0"})));
  EXPECT_EQ(commands(), (Lines{":GR#", ":GD#", ":GV#", ": GR", ":GD "}));
  const auto& bindings = sheets().bindings();
  EXPECT_EQ(bindings[0]->control, sheet(0).fields[0].get());
  EXPECT_EQ(bindings[1]->control, sheet(0).fields[0].get());
  EXPECT_EQ(bindings[2]->control, sheet(0).fields[1].get());
  for (const auto& binding : bindings) EXPECT_EQ(binding->synchroniserLabel, nullptr);
}

TEST_F(ControlValuesTest, RememberedBindings) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "511 \"Offset\" command=\":SG,:GG\" 0:0",
                         "512 \"Time\" command=\":SL,:GL\" 0:0",
                         "513 \"Date\" command=\":SC,:GC\" 0:0",
                         "501 \"Longitude\" command=\":Sg,:Gg\" 0:0"})));
  ASSERT_NE(sheets().UtcOffsetBinding, nullptr);
  EXPECT_EQ(sheets().UtcOffsetBinding->command, ":SG");
  EXPECT_EQ(sheets().UtcOffsetBinding->control, sheet(0).fields[0].get());
  ASSERT_NE(sheets().LocalTimeBinding, nullptr);
  EXPECT_EQ(sheets().LocalTimeBinding->control, sheet(0).fields[1].get());
  ASSERT_NE(sheets().DateBinding, nullptr);
  EXPECT_EQ(sheets().DateBinding->command, ":GC");
  ASSERT_NE(sheets().LongitudeBinding, nullptr);
  EXPECT_EQ(sheets().LongitudeBinding->control, sheet(0).fields[3].get());

  sheets().RemoveAllComponents();
  EXPECT_EQ(sheets().UtcOffsetBinding, nullptr);
  EXPECT_EQ(sheets().LocalTimeBinding, nullptr);
  EXPECT_EQ(sheets().DateBinding, nullptr);
  EXPECT_EQ(sheets().LongitudeBinding, nullptr);
  EXPECT_TRUE(sheets().bindings().empty());
}

// Time and date setters get a hint, and a "Synchronize to PC" button beside their row.
TEST_F(ControlValuesTest, TimeAndDateCommands) {
  struct Case {
    const char* command;
    const char* hint;
    bool synchroniser;
  };
  const Case cases[] = {
      {":SL", "Time Format: hh:mm:ss", true},
      {":SC", "Date Format: mm-dd-yy", true},
      {":SE", "Time Format: hh:mm:ss", false},
      {":SL#", "Possible values: 0 - 0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    ASSERT_TRUE(Load(Join({"Sheet \"Site\"", "500 \"Heading\"", "501 \"Other\" 0:9",
                           std::string("512 \"Setting\" command=\"") + c.command + ",:GL\""})));
    const ui::MaskEdit& setting = *sheet(0).fields.at(1);
    EXPECT_EQ(setting.hint(), c.hint);
    EXPECT_TRUE(setting.showHint());
    ASSERT_EQ(sheets().bindings().size(), 2u);
    const ControlBinding& binding = *sheets().bindings()[0];
    EXPECT_EQ(binding.synchroniserLabel != nullptr, c.synchroniser);
    EXPECT_EQ(binding.synchroniserShape != nullptr, c.synchroniser);
    EXPECT_EQ(sheets().bindings()[1]->synchroniserLabel, nullptr);
    if (!c.synchroniser) continue;
    // Row 3 of the sheet.
    const ui::Label& label = *binding.synchroniserLabel;
    EXPECT_EQ(label.text(), "Synchronize to PC");
    EXPECT_EQ(label.parent(), sheet(0).contentPanel.get());
    EXPECT_EQ((std::vector<int>{label.left(), label.top(), label.width(), label.height()}),
              (std::vector<int>{335, 30 * 3 - 27, 160, 25}));
    const ui::Shape& shape = *binding.synchroniserShape;
    EXPECT_EQ((std::vector<int>{shape.left(), shape.top(), shape.width(), shape.height()}),
              (std::vector<int>{335, 63, 160, 25}));
  }
}

TEST_F(ControlValuesTest, SynchroniserClickRunsItsBinding) {
  ASSERT_TRUE(Load(Join({"Sheet \"Site\"", "512 \"Time\" command=\":SL,:GL\"",
                         "513 \"Date\" command=\":SC,:GC\""})));
  std::vector<std::string> synchronised;
  sheets().synchronise = [&](ControlBinding& binding) {
    synchronised.push_back(binding.command);
  };
  sheets().bindings()[2]->synchroniserLabel->click();
  sheets().bindings()[0]->synchroniserLabel->click();
  EXPECT_EQ(synchronised, (Lines{":SC", ":SL"}));
}

// SetControlValue, exact: the group number addresses the list; the text is an option number
// (own number or position) or an option text.
TEST_F(ControlValuesTest, SetControlValueExact) {
  LoadTwoSheets();
  struct Case {
    const char* text;
    int option;
  };
  const Case cases[] = {
      {"123", 2},    {"5", 4},     {"Beta", 1},  {"gAMMA", 2}, {"121", 0},
      {"125", 4},    {"1", 0},     {"Zeta", -1}, {"0", -1},    {"6", -1},
      {"120", -1},   {"130", -1},  {"", -1},     {"-1", -1},   {"99999999999", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    sheets().SetControlValue(nullptr, 12, true, c.text, true);
    EXPECT_EQ(list(0).itemIndex(), c.option);
    EXPECT_EQ(list(1).itemIndex(), c.option);
    if (c.option >= 0) {
      EXPECT_EQ(list(0).text(), list(0).items()[c.option]);
    }
  }
  EXPECT_TRUE(queued().empty());
}

// Not exact: an option's own number addresses the list of its group.
TEST_F(ControlValuesTest, SetControlValueByOptionNumber) {
  LoadTwoSheets();
  sheets().SetControlValue(nullptr, 123, true, "Delta", false);
  EXPECT_EQ(list(0).text(), "Delta");
  sheets().SetControlValue(&list(1), 124, true, "Beta", false);
  EXPECT_EQ(list(0).text(), "Beta");
  EXPECT_EQ(list(1).text(), "Delta");  // excluded
}

TEST_F(ControlValuesTest, SetControlValueIntoFields) {
  LoadTwoSheets();
  sheets().SetControlValue(nullptr, 55, true, "7", true);
  EXPECT_EQ(field(0).text(), "7");
  EXPECT_EQ(field(1).text(), "7");
  sheets().SetControlValue(&field(0), 55, true, "9", false);
  EXPECT_EQ(field(0).text(), "7");
  EXPECT_EQ(field(1).text(), "9");
  sheets().SetControlValue(nullptr, 56, true, "1", true);
  EXPECT_EQ(field(0).text(), "7");
  EXPECT_TRUE(queued().empty());
}

// Not quiet: each changed control reports as if the user had changed it.
TEST_F(ControlValuesTest, SetControlValueFiresEventsUnlessQuiet) {
  LoadTwoSheets();
  sheets().SetControlValue(nullptr, 55, false, "7", true);
  EXPECT_EQ(field(0).text(), "7");
  EXPECT_EQ(field(1).text(), "7");
  // The second field finds the value already sent.
  EXPECT_EQ(queued(), (Lines{Native(">055:7")}));
}

TEST_F(ControlValuesTest, GetControlValue) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "51 \"Sidereal\"", "52 \"Lunar\"", "55 \"Speed\" 0:15",
                         "Sheet \"B\"", "55 \"Speed\" 0:15", "61 \"North\"", "62 \"South\"",
                         "Value 55=\"3\"", "Value 6=\"2\""})));
  sheet(1).fields.at(0)->setText("9");
  // On one sheet the field comes after the lists; the first sheet with a value wins.
  EXPECT_EQ(sheets().GetControlValue(55), "3");
  EXPECT_EQ(sheets().GetControlValue(52), "Sidereal");
  EXPECT_EQ(sheets().GetControlValue(61), "South");
  EXPECT_EQ(sheets().GetControlValue(77), "");
  sheets().RemoveAllComponents();
  EXPECT_EQ(sheets().GetControlValue(55), "");
}

// A sign field left without a sign returns to its last accepted text and sends nothing; with
// a sign the text is accepted and committed.
TEST_F(ControlValuesTest, SignFieldsKeepTheirLastAcceptedText) {
  ASSERT_TRUE(Load(Join({"Sheet \"Site\"", "511 \"UTC Offset\" -12:12 mask=\"#00;0;_\"",
                         "Sheet \"Copy\"", "511 \"UTC Offset\" -12:12 mask=\"#00;0;_\""})));
  sheet(0).menuLabel->click();
  ui::MaskEdit& offset = field(0);
  ASSERT_EQ(offset.hint(), "+00");
  ASSERT_EQ(offset.text(), "+00");

  auto leave = [&](const std::string& text) {
    offset.setFocus();
    offset.userReplaceText(text);
    main().setActiveControl(nullptr);
  };
  leave("-05");
  EXPECT_EQ(offset.text(), "-05");
  EXPECT_EQ(offset.hint(), "-05");
  EXPECT_EQ(queued(), (Lines{Native(">511:-05")}));
  EXPECT_EQ(field(1).text(), "-05");

  for (const char* unsigned_ : {"7", " 07", ""}) {
    SCOPED_TRACE(unsigned_);
    leave(unsigned_);
    EXPECT_EQ(offset.text(), "-05");
    EXPECT_EQ(queued().size(), 1u);
  }
  leave("+11");
  EXPECT_EQ(offset.hint(), "+11");
  // It replaces the queued write for 511.
  EXPECT_EQ(queued(), (Lines{Native(">511:+11")}));
}

// Editable option lists (object database selectors) complete a typed prefix when exactly
// one option matches.
TEST_F(ControlValuesTest, AutoComplete) {
  ASSERT_TRUE(Load(Join({"Sheet \"Objects\"", "70 \"Star\""})));
  sheets().CreateBox(71, "Alpha", "", true, false);
  sheets().CreateBox(72, "Beta", "", true, false);
  sheets().CreateBox(73, "Betelgeuse", "", true, false);
  ui::ComboBox& stars = *sheet(0).lists.at(0);
  ASSERT_TRUE(stars.editable());
  ASSERT_TRUE(stars.onKeyUp);
  int selected = 0;
  sheets().selectDatabaseEntry = [&](ui::ComboBox& list) {
    EXPECT_EQ(&list, &stars);
    ++selected;
  };
  auto type = [&](const std::string& text) {
    stars.userEdit(text, text.size());
    stars.keyUp('A', {});
  };

  struct Case {
    const char* typed;
    const char* text;
    int index;
    size_t selStart;
    size_t selLength;
    int selections;  // database selections so far (userEdit's change counts too)
  };
  const Case cases[] = {
      {"Al", "Alpha", 0, 2, 3, 2},       {"Be", "Be", -1, 2, 0, 3},
      {"Betel", "Betelgeuse", 2, 5, 5, 5}, {"al", "al", -1, 2, 0, 6},
      {"Beta", "Beta", 1, 4, 0, 7},      {"Betelgeuse!", "Betelgeuse!", -1, 11, 0, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    type(c.typed);
    EXPECT_EQ(stars.text(), c.text);
    EXPECT_EQ(stars.itemIndex(), c.index);
    EXPECT_EQ(stars.selStart(), c.selStart);
    EXPECT_EQ(stars.selLength(), c.selLength);
    EXPECT_EQ(selected, c.selections);
  }
  EXPECT_TRUE(queued().empty());
}

}  // namespace
}  // namespace orvane::testing
