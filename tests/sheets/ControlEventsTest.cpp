// Control events end to end: the sheet menu, values committed with Enter and turned into
// native writes in the cache manager's queue, the range-error box, mirroring into other
// controls of the same number, and removing everything a profile built.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ErrorForm.h"
#include "profile/ProfileTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

class ControlEventsTest : public ProfileTest {
 protected:
  // The user opens the sheet, types text into the field and presses Enter.
  void Commit(ui::MaskEdit& field, const std::string& text) {
    for (const auto& record : sheets().sheets()) {
      if (record->contentPanel.get() == field.parent()) record->menuLabel->click();
    }
    field.setFocus();
    field.userReplaceText(text);
    main().keyPress(field, static_cast<char>(ui::keys::kReturn));
  }
  // The user changes the text and moves the focus elsewhere (the field's exit).
  void Leave(ui::MaskEdit& field, const std::string& text) {
    field.setFocus();
    field.userReplaceText(text);
    main().setActiveControl(nullptr);
  }
  int errorBoxes() {
    const auto& forms = backend().modalForms;
    return static_cast<int>(std::count(forms.begin(), forms.end(), "ErrorForm"));
  }
  ui::MaskEdit& field(size_t sheetIndex, size_t index = 0) {
    return *sheet(sheetIndex).fields.at(index);
  }
};

TEST_F(ControlEventsTest, SheetMenuSwitchesPages) {
  ASSERT_TRUE(Load(Join({"Sheet \"One\"", "10 \"a\"", "Sheet \"Two\"", "Sheet \"Three\""})));
  const SheetRecord& one = sheet(0);
  const SheetRecord& two = sheet(1);
  const SheetRecord& three = sheet(2);
  // After a load the profile page shows.
  for (const auto& record : sheets().sheets()) EXPECT_FALSE(record->contentPanel->visible());
  EXPECT_TRUE(main().ProfileFiles->showing());

  one.menuLabel->click();
  EXPECT_TRUE(one.contentPanel->visible());
  EXPECT_TRUE(one.menuLabel->font().italic);
  EXPECT_FALSE(main().ProfileMenu->font().italic);

  two.menuLabel->click();
  EXPECT_TRUE(two.contentPanel->visible());
  EXPECT_FALSE(one.contentPanel->visible());
  EXPECT_FALSE(three.contentPanel->visible());
  EXPECT_TRUE(two.menuLabel->font().italic);
  EXPECT_FALSE(one.menuLabel->font().italic);
  EXPECT_FALSE(three.menuLabel->font().italic);
  EXPECT_FALSE(main().ProfileMenu->font().italic);

  // The same entry again changes nothing.
  two.menuLabel->click();
  EXPECT_TRUE(two.contentPanel->visible());
  EXPECT_TRUE(two.menuLabel->font().italic);

  main().ProfileMenu->click();
  for (const auto& record : sheets().sheets()) {
    EXPECT_FALSE(record->contentPanel->visible());
    EXPECT_FALSE(record->menuLabel->font().italic);
  }
  EXPECT_TRUE(main().ProfileMenu->font().italic);
  EXPECT_TRUE(main().ProfileFiles->showing());
  EXPECT_TRUE(queued().empty());
}

// Alt and the first letter of a sheet's name open it; Alt+P the profile page.
TEST_F(ControlEventsTest, SheetMenuByKeyboard) {
  ASSERT_TRUE(Load(Join({"Sheet \"Motors\"", "Sheet \"Tracking\""})));
  ui::ShiftState alt;
  alt.alt = true;
  main().keyDown(main(), 'T', alt);
  EXPECT_TRUE(sheet(1).contentPanel->visible());
  main().keyDown(main(), 'P', alt);
  EXPECT_FALSE(sheet(1).contentPanel->visible());
  EXPECT_TRUE(main().ProfileMenu->font().italic);
}

// A field numbered 55 with the range 0:15.
TEST_F(ControlEventsTest, RangeCheckedNativeWrite) {
  ASSERT_TRUE(Load(Join({"Sheet \"Tracking\"", "55 \"Speed\" 0:15"})));
  TErrorForm& box = *app().windows().error;

  Commit(field(0), "16");
  EXPECT_EQ(errorBoxes(), 1);
  EXPECT_EQ(box.Minimum->text(), "0");
  EXPECT_EQ(box.Maximum->text(), "15");
  EXPECT_EQ(box.left(), main().left() + (main().width() - box.width()) / 2);
  EXPECT_EQ(box.top(), main().top() + (main().height() - box.height()) / 2);
  EXPECT_FALSE(box.visible());
  EXPECT_TRUE(queued().empty());
  // The refused text does not stay: the field shows what it held before.
  EXPECT_EQ(field(0).text(), "");
  EXPECT_EQ(box.FieldName->text(), "Speed");
  EXPECT_EQ(box.Value->text(), "16");

  Commit(field(0), "12");
  EXPECT_EQ(queued(), (Lines{Native(">055:12")}));
  EXPECT_EQ(errorBoxes(), 1);

  // An out-of-range value leaves the queued write of the value accepted before: the field
  // shows that value again, and it is what the controller receives.
  Commit(field(0), "99");
  EXPECT_EQ(errorBoxes(), 2);
  EXPECT_EQ(queued(), (Lines{Native(">055:12")}));
  EXPECT_EQ(field(0).text(), "12");
  // Committing it again sends nothing more; a new value replaces the queued one.
  Commit(field(0), "12");
  Commit(field(0), "7");
  EXPECT_EQ(queued(), (Lines{Native(">055:7")}));
}

// Tab walks a sheet in the order of its rows; a row's own flat buttons ("Synchronize to PC",
// an object database's "Replace" and "Remove") come right after its field or list.
TEST_F(ControlEventsTest, TabWalksTheRowsWithTheirButtons) {
  ASSERT_TRUE(Load(Join({"Sheet \"Site\"", "10 \"Longitude\" 0:359",
                         "512 \"Local Time\" command=\":SL,:GL\"", "20 \"Latitude\" 0:90",
                         "130 \"User Objects\" DataBase \"User\"", "30 \"Elevation\" 0:9000",
                         "DataSet \"User\" properties=\"10\""})));
  sheet(0).menuLabel->click();
  field(0, 0).setFocus();
  std::vector<std::string> walk;
  for (int i = 0; i < 7; ++i) {
    ASSERT_TRUE(main().selectNext(main().activeControl()));
    ui::Widget& reached = *main().activeControl();
    walk.push_back(reached.kind() == ui::WidgetKind::Label ? reached.text()
                                                             : std::to_string(reached.tag()));
  }
  EXPECT_EQ(walk, (Lines{"512", "Synchronize to PC", "20", "1130", "Replace", "Remove", "30"}));
}

// The keyboard stays on the page that shows: Tab on a sheet never goes to the profile page's
// fields and lists lying under it, and a profile page control with the focus loses it when
// a sheet is opened over it (keys typed there would change a setting no one sees).
TEST_F(ControlEventsTest, TheKeyboardStaysOnThePageThatShows) {
  ASSERT_TRUE(Load(Join({"Sheet \"Site\"", "10 \"Longitude\" 0:359", "20 \"Latitude\" 0:90"})));
  main().SerialPort->setFocus();
  ui::ShiftState alt;
  alt.alt = true;
  main().keyDown(main(), 'S', alt);
  ASSERT_TRUE(sheet(0).contentPanel->visible());
  EXPECT_EQ(main().activeControl(), nullptr);

  field(0, 0).setFocus();
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(main().selectNext(main().activeControl()));
    EXPECT_NE(main().activeControl()->parent(), main().SheetPanel.get())
        << main().activeControl()->name();
  }
  // Back on the profile page its controls are reached again.
  main().keyDown(main(), 'P', alt);
  bool reachedPage = false;
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(main().selectNext(main().activeControl()));
    reachedPage = reachedPage || main().activeControl() == main().SerialPort.get();
  }
  EXPECT_TRUE(reachedPage);
}

TEST_F(ControlEventsTest, NativeWritePrefix) {
  struct Case {
    const char* line;
    const char* value;
    const char* command;
  };
  const Case cases[] = {
      {"7 \"One digit\" 0:99", "5", ">07:5"},
      {"55 \"Two digits\" 0:99", "12", ">055:12"},
      {"55 \"Two digits\" 0:99", "0012", ">055:0012"},
      {"251 \"Three digits\" -9999:9999", "-25", ">251:-25"},
      {"1200 \"Four digits\" 0:9", "3", ">1200:3"},
      {"55 \"Fraction\" 0:2", "1.5", ">055:1.5"},
      {"55 \"Comma\" 0:2", "1,5", ">055:1,5"},
      {"55 \"Without range\" command", "abc", ">055:abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_TRUE(Load(Join({"Sheet \"A\"", c.line})));
    cache().OutCache->clearItems();
    Commit(field(0), c.value);
    EXPECT_EQ(queued(), (Lines{Native(c.command)}));
    EXPECT_EQ(errorBoxes(), 0);
  }
}

// The box shows the limits in the program's number format.
TEST_F(ControlEventsTest, RangeErrorShowsTheLimits) {
  struct Case {
    const char* range;
    const char* value;
    const char* minimum;
    const char* maximum;
  };
  const Case cases[] = {
      {"-12:12", "13", "-12", "12"},
      {"-1.5:2.5", "-2", "-1.5", "2.5"},
      {"-180:360", "361", "-180", "360"},
      {"0.25:1000000", "0,1", "0.25", "1000000"},
  };
  TErrorForm& box = *app().windows().error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.range);
    ASSERT_TRUE(Load(Join({"Sheet \"A\"", std::string("251 \"Value\" ") + c.range})));
    const int before = errorBoxes();
    Commit(field(0), c.value);
    EXPECT_EQ(errorBoxes(), before + 1);
    EXPECT_EQ(box.Minimum->text(), c.minimum);
    EXPECT_EQ(box.Maximum->text(), c.maximum);
    EXPECT_TRUE(queued().empty());
  }
}

// A text that is not a number counts as the lower limit minus one and fails a range.
TEST_F(ControlEventsTest, TextThatIsNotANumberFailsARange) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15"})));
  Commit(field(0), "abc");
  EXPECT_EQ(errorBoxes(), 1);
  EXPECT_TRUE(queued().empty());
}

// The same rejected value of the same field is reported once; another value again.
TEST_F(ControlEventsTest, RangeErrorReportedOncePerValue) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15", "56 \"Other\" 0:15"})));
  Commit(field(0), "16");
  Commit(field(0), "16");
  EXPECT_EQ(errorBoxes(), 1);
  Commit(field(0), "17");
  EXPECT_EQ(errorBoxes(), 2);
  Commit(field(0, 1), "17");
  EXPECT_EQ(errorBoxes(), 3);
  EXPECT_TRUE(queued().empty());
}

TEST_F(ControlEventsTest, SameValueTwiceSendsOnce) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15"})));
  Commit(field(0), "3");
  cache().OutCache->clearItems();  // the queue was flushed
  Commit(field(0), "3");
  EXPECT_TRUE(queued().empty());
  Commit(field(0), "4");
  EXPECT_EQ(queued(), (Lines{Native(">055:4")}));
}

// The last value starts at the lower limit, so the lower limit as first value sends nothing.
TEST_F(ControlEventsTest, LowerLimitAsFirstValueIsSentOnce) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 2:15"})));
  Commit(field(0), "2");
  EXPECT_EQ(queued(), (Lines{Native(">055:2")}));
  EXPECT_EQ(errorBoxes(), 0);
  cache().OutCache->clearItems();
  Commit(field(0), "2");
  EXPECT_TRUE(queued().empty());
}

TEST_F(ControlEventsTest, MirroredToTheSameNumberOnOtherSheets) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15", "Sheet \"B\"", "10 \"x\"",
                         "55 \"Speed\" 0:15", "Sheet \"C\"", "56 \"Other\" 0:15"})));
  Commit(field(0), "3");
  EXPECT_EQ(field(1).text(), "3");
  EXPECT_EQ(field(2).text(), "");
  EXPECT_EQ(queued(), (Lines{Native(">055:3")}));
  // The copy knows the value: committing it on the other sheet sends nothing.
  cache().OutCache->clearItems();
  Commit(field(1), "3");
  EXPECT_TRUE(queued().empty());
}

// Selecting an option sends its own number; the other lists of the group follow.
TEST_F(ControlEventsTest, OptionSelection) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "120 \"Slew\"", "121 \"One\"", "122 \"Two\"",
                         "123 \"Three\"", "Sheet \"B\"", "121 \"One\"", "122 \"Two\"",
                         "123 \"Three\""})));
  ui::ComboBox& first = *sheet(0).lists.at(0);
  ui::ComboBox& second = *sheet(1).lists.at(0);
  sheet(0).menuLabel->click();
  first.setFocus();
  first.userSelect(2);
  EXPECT_EQ(queued(), (Lines{Native(">123:")}));
  EXPECT_EQ(second.text(), "Three");
  EXPECT_EQ(main().activeControl(), nullptr);  // the list gives up the focus

  first.userSelect(0);
  EXPECT_EQ(queued(), (Lines{Native(">123:"), Native(">121:")}));
  EXPECT_EQ(second.text(), "One");
}

TEST_F(ControlEventsTest, ButtonClickSendsItsNumber) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "281 \"PEC Table\" caption=\"Erase Table\""})));
  sheet(0).buttons.at(0)->click();
  EXPECT_EQ(queued(), (Lines{Native(">281:")}));
}

// A control with bound commands runs them instead of queueing a native write.
TEST_F(ControlEventsTest, BoundCommandsRunInsteadOfNativeWrite) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "512 \"Time\" command=\":SL,:GL\"",
                         "Sheet \"B\"", "512 \"Time\" 0:0"})));
  std::vector<std::string> ran;
  sheets().executeBinding = [&](ControlBinding& binding) { ran.push_back(binding.command); };
  Leave(field(0), "20:15");
  EXPECT_EQ(ran, (Lines{":SL", ":GL"}));
  EXPECT_TRUE(queued().empty());
  EXPECT_EQ(field(1).text(), "20:15");
}

// An empty unmasked field sends nothing and withdraws a queued write of its number.
TEST_F(ControlEventsTest, EmptyFieldWithdrawsQueuedWrite) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15", "56 \"Other\" 0:15"})));
  Commit(field(0), "5");
  Commit(field(0, 1), "6");
  ASSERT_EQ(queued().size(), 2u);
  Commit(field(0), "");
  EXPECT_EQ(queued(), (Lines{Native(">056:6")}));
  EXPECT_EQ(errorBoxes(), 0);
}

// Masked fields: blanks of the mask count as zeros.
TEST_F(ControlEventsTest, MaskedFieldBlanksCountAsZeros) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "601 \"Contrast\" 0:9999 mask=\"0000;0;_\""})));
  Commit(field(0), "12");
  ASSERT_EQ(queued().size(), 1u);
  EXPECT_EQ(queued()[0], Native(">601:1200"));
}

// While a profile is read or all settings are received nothing is sent.
TEST_F(ControlEventsTest, SilencedWhileLoadingOrReceiving) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15", "121 \"One\"", "122 \"Two\"",
                         "Value 55=\"12\"", "Value 12=\"2\""})));
  EXPECT_EQ(field(0).text(), "12");
  EXPECT_EQ(sheet(0).lists.at(0)->text(), "Two");
  EXPECT_TRUE(queued().empty());

  main().ProfileLoading = true;
  Commit(field(0), "7");
  sheet(0).lists.at(0)->userSelect(0);
  EXPECT_TRUE(queued().empty());
  main().ProfileLoading = false;

  sheets().receivingAll = true;
  Commit(field(0), "8");
  EXPECT_TRUE(queued().empty());
  sheets().receivingAll = false;

  // Values preset while silenced were not taken as sent.
  Commit(field(0), "12");
  EXPECT_EQ(queued(), (Lines{Native(">055:12")}));
}

// Control numbers and value ids are integers of 32 bits; larger ones fail their line instead
// of overflowing the arithmetic that derives list tags and option numbers from them.
TEST_F(ControlEventsTest, HugeNumbersFailTheirLine) {
  const char* lines[] = {
      "9223372036854775807 \"Big\" 0:9",
      "9223372036854775801 \"Option\"",
      "-9223372036854775808 \"Small\" 0:9",
      "2147483648 \"Just too big\" 0:9",
      "Value 9223372036854775807=\"1\"",
      "Value 922337203685477580=\"1\"",
      "Value -9223372036854775808=\"1\"",
      "Value 2147483648=\"1\"",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15", "121 \"One\"", line,
                           "Value 55=\"4\""})));
    EXPECT_EQ(status(), kStatusErrors);
    EXPECT_EQ(field(0).text(), "4");
    Commit(field(0), "5");
    EXPECT_EQ(queued(), (Lines{Native(">055:5")}));
  }
  // The largest 32-bit numbers still build.
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "2147483647 \"Largest\" 0:9",
                         "2147483641 \"Option\"", "Value 214748364=\"1\""})));
  EXPECT_EQ(status(), kStatusLoaded);
  cache().OutCache->clearItems();
  Commit(field(0), "5");
  EXPECT_EQ(queued(), (Lines{Native(">2147483647:5")}));
}

// Everything a profile built goes, and the same profile builds it again.
TEST_F(ControlEventsTest, RemoveAllComponentsThenReload) {
  const std::string profile =
      Join({"Sheet \"A\"", "10 \"Heading\"", "11 \"Hour\" 0:23", "21 \"On\"", "22 \"Off\"",
            "281 \"PEC\" caption=\"Erase\"", "512 \"Time\" command=\":SL,:GL\"",
            "120 \"Slew\" 1:6", "Sheet \"B\"", "201 & 202 \"A\" \"B\" 0:9"});
  ASSERT_TRUE(Load(profile));
  const size_t mainChildren = main().children().size();
  const size_t pageChildren = main().SheetPanel->children().size();
  const size_t events = sheets().events().size();
  const size_t bindings = sheets().bindings().size();
  sheet(0).menuLabel->click();

  sheets().RemoveAllComponents();
  EXPECT_TRUE(sheets().sheets().empty());
  EXPECT_TRUE(sheets().events().empty());
  EXPECT_TRUE(sheets().bindings().empty());
  EXPECT_EQ(sheets().SlewSpeedControl, nullptr);
  EXPECT_EQ(main().children().size(), mainChildren - 2);
  EXPECT_EQ(main().SheetPanel->children().size(), pageChildren - 2);
  EXPECT_EQ(main().activeControl(), nullptr);
  // Removing twice is harmless.
  sheets().RemoveAllComponents();

  ASSERT_TRUE(main().reader.ReadIniFile("test.ocf"));
  EXPECT_EQ(sheets().sheets().size(), 2u);
  EXPECT_EQ(sheets().events().size(), events);
  EXPECT_EQ(sheets().bindings().size(), bindings);
  EXPECT_EQ(main().children().size(), mainChildren);
  ASSERT_NE(sheets().SlewSpeedControl, nullptr);
  Commit(field(0), "9");
  EXPECT_EQ(queued(), (Lines{Native(">011:9")}));
}

// Removing the controls while one of them holds the focus leaves no dangling focus.
TEST_F(ControlEventsTest, RemovingAFocusedControl) {
  ASSERT_TRUE(Load(Join({"Sheet \"A\"", "55 \"Speed\" 0:15"})));
  sheet(0).menuLabel->click();
  field(0).setFocus();
  field(0).setText("5");
  sheets().RemoveAllComponents();
  EXPECT_EQ(main().activeControl(), nullptr);
  main().keyPress(main(), static_cast<char>(ui::keys::kReturn));
  EXPECT_TRUE(queued().empty());
}

}  // namespace
}  // namespace orvane::testing
