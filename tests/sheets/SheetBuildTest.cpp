// Sheets and their controls as the real reader builds them from control definition lines:
// rows, geometry, tags, option lists, pairs, buttons, menu entries and the per-sheet limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/ProfileTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

class SheetBuildTest : public ProfileTest {
 protected:
  // Bounds as {left, top, width}.
  static std::vector<int> At(const ui::Widget& widget) {
    return {widget.left(), widget.top(), widget.width()};
  }
};

// A heading, a value row, a label and two options.
TEST_F(SheetBuildTest, RowsOfAMixedSheet) {
  ASSERT_TRUE(Load(Join({"Sheet \"Clock\"", "10 \"Heading\"", "11 \"Hour\" 0:23",
                         "20 \"Mode\"", "21 \"Twelve\"", "22 \"Twenty-four\""})));
  EXPECT_EQ(status(), kStatusLoaded);
  const SheetRecord& s = sheet(0);
  ASSERT_EQ(s.labels.size(), 3u);
  EXPECT_EQ(texts(s.labels), (Lines{"Heading:", "Hour:", "Mode:"}));
  EXPECT_EQ(At(*s.labels[0]), (std::vector<int>{0, 5, 133}));
  EXPECT_EQ(At(*s.labels[1]), (std::vector<int>{20, 35, 133}));
  EXPECT_EQ(At(*s.labels[2]), (std::vector<int>{0, 65, 133}));
  EXPECT_EQ(s.labels[1]->tag(), 11);
  EXPECT_FALSE(s.labels[1]->autoSize());

  ASSERT_EQ(s.fields.size(), 1u);
  const ui::MaskEdit& hour = *s.fields[0];
  EXPECT_EQ(At(hour), (std::vector<int>{160, 32, 132}));
  EXPECT_EQ(hour.tag(), 11);
  EXPECT_EQ(hour.hint(), "Possible values: 0 - 23");
  EXPECT_TRUE(hour.showHint());
  EXPECT_EQ(hour.maxLength(), 7);
  EXPECT_EQ(hour.text(), "");
  EXPECT_EQ(hour.tabOrder(), 0);

  // Options take no row of their own: one list beside the label of 20.
  ASSERT_EQ(s.lists.size(), 1u);
  const ui::ComboBox& mode = *s.lists[0];
  EXPECT_EQ(At(mode), (std::vector<int>{160, 62, 145}));
  EXPECT_EQ(mode.tag(), 1002);
  EXPECT_EQ(mode.name(), "DynamicBox11");
  EXPECT_EQ(mode.items(), (Lines{"Twelve", "Twenty-four"}));
  EXPECT_EQ(mode.itemIndex(), 0);
  EXPECT_FALSE(mode.editable());
  EXPECT_TRUE(mode.niteCombo());
  EXPECT_EQ(mode.tabOrder(), 1);

  // Events: the field (group "1") and one per option (group "2", limits -1).
  ASSERT_EQ(sheets().events().size(), 3u);
  const ControlEvent& field = *sheets().events()[0];
  EXPECT_EQ(field.number, "11");
  EXPECT_EQ(field.group, "1");
  EXPECT_EQ(field.text, "Hour");
  EXPECT_EQ(field.low, 0);
  EXPECT_EQ(field.high, 23);
  EXPECT_FALSE(field.lastValue.has_value());
  const ControlEvent& option = *sheets().events()[2];
  EXPECT_EQ(option.number, "22");
  EXPECT_EQ(option.group, "2");
  EXPECT_EQ(option.text, "Twenty-four");
  EXPECT_EQ(option.low, -1);
  EXPECT_EQ(option.high, -1);
}

TEST_F(SheetBuildTest, LabelIndent) {
  struct Case {
    int number;
    int left;
  };
  const Case cases[] = {{10, 0},   {90, 0},   {100, 20}, {150, 20}, {200, 0}, {250, 0},
                        {1000, 0}, {0, 0},    {205, 20}, {11, 20},  {199, 20}};
  Lines lines = {"Sheet \"A\""};
  for (const Case& c : cases) lines.push_back(std::to_string(c.number) + " \"Row\" 0:9");
  ASSERT_TRUE(Load(Join(lines)));
  EXPECT_EQ(status(), kStatusLoaded);
  const SheetRecord& s = sheet(0);
  ASSERT_EQ(s.labels.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].number);
    EXPECT_EQ(s.labels[i]->tag(), cases[i].number);
    EXPECT_EQ(s.labels[i]->left(), cases[i].left);
    EXPECT_EQ(s.labels[i]->top(), 30 * static_cast<int>(i + 1) - 25);
  }
}

TEST_F(SheetBuildTest, EmptyRowTextGivesAnEmptyLabel) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "10 \"\"", "11 \"\" 0:5"})));
  EXPECT_EQ(texts(sheet(0).labels), (Lines{"", ""}));
}

TEST_F(SheetBuildTest, OptionWithoutAListFails) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "11 \"Hour\" 0:23", "12 \"Orphan\"", "20 \"After\""})));
  EXPECT_EQ(status(), kStatusErrors);
  EXPECT_TRUE(sheet(0).lists.empty());
  EXPECT_EQ(texts(sheet(0).labels), (Lines{"Hour:", "After:"}));
}

// A list started on one sheet does not take options of the next sheet.
TEST_F(SheetBuildTest, OptionListsDoNotCrossSheets) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "21 \"On\"", "Sheet \"B\"", "22 \"Off\""})));
  EXPECT_EQ(status(), kStatusErrors);
  EXPECT_EQ(sheet(0).lists.at(0)->items(), (Lines{"On"}));
  EXPECT_TRUE(sheet(1).lists.empty());
}

TEST_F(SheetBuildTest, RangeOfMinusThreeMeansNone) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "21 \"Option\" -3:-3", "30 \"Label\" -3:-3"})));
  EXPECT_EQ(status(), kStatusLoaded);
  EXPECT_TRUE(sheet(0).fields.empty());
  ASSERT_EQ(sheet(0).lists.size(), 1u);
  EXPECT_EQ(texts(sheet(0).labels), (Lines{"Label:"}));
}

TEST_F(SheetBuildTest, RangeForms) {
  struct Case {
    const char* attributes;
    const char* hint;
  };
  const Case cases[] = {
      {"0:23", "Possible values: 0 - 23"},
      {"-9999:9999", "Possible values: -9999 - 9999"},
      {"-1.5:2.5", "Possible values: -1.5 - 2.5"},
      {"1:64 trailing words", "Possible values: 1 - 64"},
      {"mask=\"000;0;_\" 0:999", "Possible values: 0 - 999"},
      {"command=\":XY\"", "Possible values: 0 - 0"},
      {"abc:def", "Possible values: 0 - 0"},
      {"15", "Possible values: 0 - 15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    ASSERT_TRUE(Load(Join({"Sheet \"A\"", std::string("55 \"Speed\" ") + c.attributes})));
    ASSERT_EQ(sheet(0).fields.size(), 1u);
    const ui::MaskEdit& field = *sheet(0).fields[0];
    if (field.hasActiveMask()) {
      EXPECT_EQ(field.hint(), "+000");
    } else {
      EXPECT_EQ(field.hint(), c.hint);
    }
  }
}

TEST_F(SheetBuildTest, SpeedWithCommandAndNoRange) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" command=\":XY\""})));
  ASSERT_EQ(sheet(0).fields.size(), 1u);
  EXPECT_EQ(sheet(0).fields[0]->hint(), "Possible values: 0 - 0");
  ASSERT_EQ(sheets().bindings().size(), 1u);
  EXPECT_EQ(sheets().bindings()[0]->command, ":XY");
}

TEST_F(SheetBuildTest, PairLine) {
  ASSERT_TRUE(Load(Join({"Sheet \"Gear\"", "10 \"Heading\"",
                         "201 & 202 \"RA Teeth\" \"Dec Teeth\" 1:999", "20 \"Next\""})));
  EXPECT_EQ(status(), kStatusLoaded);
  const SheetRecord& s = sheet(0);
  ASSERT_EQ(s.labels.size(), 4u);
  EXPECT_EQ(texts(s.labels), (Lines{"Heading:", "RA Teeth:", "Dec Teeth:", "Next:"}));
  EXPECT_EQ(At(*s.labels[1]), (std::vector<int>{20, 35, 133}));
  EXPECT_EQ(At(*s.labels[2]), (std::vector<int>{270, 35, 133}));
  EXPECT_EQ(s.labels[2]->tag(), 202);
  // The next line starts a new row at the usual left.
  EXPECT_EQ(At(*s.labels[3]), (std::vector<int>{0, 65, 133}));
  ASSERT_EQ(s.fields.size(), 2u);
  EXPECT_EQ(At(*s.fields[0]), (std::vector<int>{160, 32, 100}));
  EXPECT_EQ(At(*s.fields[1]), (std::vector<int>{410, 32, 100}));
  EXPECT_EQ(s.fields[0]->tag(), 201);
  EXPECT_EQ(s.fields[1]->tag(), 202);
  EXPECT_EQ(s.fields[1]->hint(), "Possible values: 1 - 999");
  ASSERT_EQ(sheets().events().size(), 2u);
  EXPECT_EQ(sheets().events()[1]->number, "202");
  EXPECT_EQ(sheets().events()[1]->group, "202");
  EXPECT_EQ(sheets().events()[1]->text, "Dec Teeth");
}

TEST_F(SheetBuildTest, PairLineSharesCommandAndMask) {
  ASSERT_TRUE(Load(Join({"Sheet \"Obj\"",
                         "140 & 150 \"RA\" \"Dec\" -900000:900000 mask=\"#00 00 00;0;_\""})));
  ASSERT_EQ(sheet(0).fields.size(), 2u);
  for (const auto& field : sheet(0).fields) {
    EXPECT_EQ(field->editMask(), "#00 00 00;0;_");
    EXPECT_EQ(field->hint(), "+000000");
    EXPECT_EQ(field->width(), 100);
  }
}

TEST_F(SheetBuildTest, PairBelowTwoHundredBuildsTheFirstOnly) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "11 & 12 \"First\" \"Second\" 0:9"})));
  EXPECT_EQ(texts(sheet(0).labels), (Lines{"First:"}));
  ASSERT_EQ(sheet(0).fields.size(), 1u);
  EXPECT_EQ(sheet(0).fields[0]->tag(), 11);
  EXPECT_EQ(sheet(0).fields[0]->width(), 132);
}

TEST_F(SheetBuildTest, PairWithFaultySecondNumberFails) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "201 & x02 \"First\" \"Second\" 0:9", "20 \"After\""})));
  EXPECT_EQ(status(), kStatusErrors);
  // The first control of the line stays; the reader goes on.
  EXPECT_EQ(texts(sheet(0).labels), (Lines{"First:", "After:"}));
  EXPECT_EQ(sheet(0).fields.size(), 1u);
}

TEST_F(SheetBuildTest, ListOfOptions121To123) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "120 \"Slew\"", "121 \"One\"", "122 \"Two\"",
                         "123 \"Three\"", "131 \"Other\""})));
  const SheetRecord& s = sheet(0);
  ASSERT_EQ(s.lists.size(), 2u);
  EXPECT_EQ(s.lists[0]->tag(), 1012);
  EXPECT_EQ(s.lists[0]->items(), (Lines{"One", "Two", "Three"}));
  EXPECT_EQ(s.lists[1]->tag(), 1013);
  EXPECT_EQ(s.lists[1]->name(), "DynamicBox12");
  EXPECT_EQ(sheets().events().size(), 4u);
}

TEST_F(SheetBuildTest, ListNamesCarrySheetAndListNumber) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "Sheet \"B\"", "Sheet \"C\"", "21 \"x\"", "31 \"y\""})));
  EXPECT_EQ(sheet(2).lists.at(1)->name(), "DynamicBox32");
}

TEST_F(SheetBuildTest, ButtonRow) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "10 \"Heading\"", "281 \"PEC Table\" caption=\"Erase\"",
                         "282 \"Other\" caption=\"Go\" command=\":Q#\""})));
  const SheetRecord& s = sheet(0);
  ASSERT_EQ(s.buttons.size(), 2u);
  const ui::Button& erase = *s.buttons[0];
  EXPECT_EQ(erase.name(), "DynamicButton1");
  EXPECT_EQ(erase.text(), "Erase");
  EXPECT_EQ(erase.tag(), 281);
  EXPECT_EQ(At(erase), (std::vector<int>{160, 35, 133}));
  EXPECT_FALSE(erase.tabStop());
  EXPECT_EQ(s.buttons[1]->name(), "DynamicButton2");
  EXPECT_EQ(texts(s.labels), (Lines{"Heading:", "PEC Table:", "Other:"}));
  EXPECT_EQ(s.labels[1]->left(), 20);
  ASSERT_EQ(sheets().events().size(), 2u);
  EXPECT_EQ(sheets().events()[0]->group, "281");
  EXPECT_EQ(sheets().events()[0]->text, "Erase");
  EXPECT_EQ(sheets().events()[0]->low, -1);
  ASSERT_EQ(sheets().bindings().size(), 1u);
  EXPECT_EQ(sheets().bindings()[0]->control, s.buttons[1].get());
}

TEST_F(SheetBuildTest, MaskedFields) {
  struct Case {
    const char* mask;
    const char* editMask;
    const char* start;  // hint and text: "+" and one "0" per digit up to the first ";"
  };
  const Case cases[] = {
      {"#00;0;_", "#00;0;_", "+00"},
      {"#000\xB0 00';0;_", "#000\xB0 00';0;_", "+00000"},
      {"!90:00:00;1;_", "!90:00:00;1;_", "+000000"},
      {"00-00-00", "00-00-00;0", "+"},
      {"c#0;0;_", "c#0;0;_", "+0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    ASSERT_TRUE(Load(Join({"Sheet \"A\"", std::string("511 \"Field\" mask=\"") + c.mask + "\""})));
    ASSERT_EQ(sheet(0).fields.size(), 1u);
    const ui::MaskEdit& field = *sheet(0).fields[0];
    EXPECT_EQ(field.editMask(), c.editMask);
    EXPECT_TRUE(field.hasActiveMask());
    EXPECT_FALSE(field.showHint());
    EXPECT_EQ(field.hint(), c.start);
  }
}

TEST_F(SheetBuildTest, SlewSpeedControlIsRemembered) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "110 \"Acceleration\" 1:9", "120 \"Slew\" 1:6"})));
  ASSERT_NE(sheets().SlewSpeedControl, nullptr);
  EXPECT_EQ(sheets().SlewSpeedControl, sheet(0).fields.at(1).get());
  ASSERT_NE(sheets().SlewSpeedEvent, nullptr);
  EXPECT_EQ(sheets().SlewSpeedEvent->number, "120");
  sheets().RemoveAllComponents();
  EXPECT_EQ(sheets().SlewSpeedControl, nullptr);
  EXPECT_EQ(sheets().SlewSpeedEvent, nullptr);
}

TEST_F(SheetBuildTest, SheetMenuAndContentPanels) {
  ASSERT_TRUE(Load(Join({"Sheet \"Mechanics\"", "10 \"a\"", "Sheet \"Motors\" trailing",
                         "10 \"b\"", "Sheet \"\""})));
  ASSERT_EQ(sheets().sheets().size(), 3u);
  const ui::Panel& page = *main().SheetPanel;
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const SheetRecord& s = sheet(i);
    EXPECT_EQ(s.number, static_cast<int>(i) + 1);
    EXPECT_EQ(s.menuPanel->parent(), &main());
    EXPECT_EQ(s.menuPanel->left(), 25);
    EXPECT_EQ(s.menuPanel->top(), 120 + 45 * s.number);
    EXPECT_EQ(s.menuPanel->height(), 35);
    EXPECT_EQ(s.menuLabel->tag(), -s.number);
    EXPECT_EQ(s.menuLabel->font().name, "Times New Roman");
    EXPECT_EQ(s.menuLabel->font().pointSize, 16);
    EXPECT_EQ(s.menuLabel->top(), 3);
    EXPECT_EQ(s.menuLabel->height(), 29);
    EXPECT_EQ(s.contentPanel->parent(), &page);
    EXPECT_EQ(At(*s.contentPanel), (std::vector<int>{20, 20, page.width() - 40}));
    EXPECT_EQ(s.contentPanel->height(), page.height() - 40);
  }
  EXPECT_EQ(sheet(0).menuLabel->text(), "Mechanics");
  EXPECT_EQ(sheet(1).name, "Motors");
  EXPECT_EQ(sheet(2).name, "");
  // The row counter starts again on every sheet.
  EXPECT_EQ(sheet(1).labels.at(0)->top(), 5);
}

// More than 139 controls of one kind on a sheet are refused with the error status; the
// 139th is built and the reader goes on.
TEST_F(SheetBuildTest, AtMost139ControlsOfOneKind) {
  using Count = size_t (*)(const SheetRecord&);
  struct Kind {
    const char* name;
    std::string line;
    Count limited;  // the kind that reaches its limit first
  };
  const Kind kinds[] = {
      {"labels", "10 \"Heading\"", [](const SheetRecord& s) { return s.labels.size(); }},
      {"value rows", "11 \"Value\" 0:9", [](const SheetRecord& s) { return s.fields.size(); }},
      {"option lists", "21 \"Option\"", [](const SheetRecord& s) { return s.lists.size(); }},
      {"buttons", "281 \"Row\" caption=\"Go\"",
       [](const SheetRecord& s) { return s.buttons.size(); }},
      {"pairs", "201 & 202 \"A\" \"B\" 0:9", [](const SheetRecord& s) { return s.labels.size(); }},
  };
  for (const Kind& kind : kinds) {
    for (int count : {139, 140, 150}) {
      SCOPED_TRACE(std::string(kind.name) + " x " + std::to_string(count));
      Lines lines = {"Sheet \"Full\""};
      for (int i = 0; i < count; ++i) lines.push_back(kind.line);
      lines.push_back("Sheet \"Next\"");
      lines.push_back("10 \"After\"");
      ASSERT_TRUE(Load(Join(lines)));
      const bool pairs = std::string(kind.name) == "pairs";
      EXPECT_EQ(status(), count > 139 || pairs ? kStatusErrors : kStatusLoaded);
      const SheetRecord& s = sheet(0);
      EXPECT_EQ(kind.limited(s), 139u);
      EXPECT_LE(s.labels.size(), 139u);
      EXPECT_LE(s.fields.size(), 139u);
      EXPECT_LE(s.lists.size(), 139u);
      EXPECT_LE(s.buttons.size(), 139u);
      EXPECT_EQ(texts(sheet(1).labels), (Lines{"After:"}));
    }
  }
}

}  // namespace
}  // namespace orvane::testing
