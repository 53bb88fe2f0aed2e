#include "ui/EditMask.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace orvane::ui {
namespace {

constexpr const char* kMilliseconds = "!9999 mi\\l\\lise\\conds;0;0";
constexpr const char* kClock = "!90:00:00;1;_";
constexpr const char* kRightAscension = "00h 00m 00s;1;_";
constexpr const char* kDeclination = "c00\xB0 00' 00'';1;_";

size_t editableCount(const EditMask& mask) {
  return static_cast<size_t>(std::count_if(mask.slots().begin(), mask.slots().end(),
                                           [](const EditMask::Slot& slot) {
                                             return slot.kind != EditMask::SlotKind::Literal;
                                           }));
}

struct ParseCase {
  const char* definition;
  bool active;
  size_t slots;
  size_t editable;
  bool saveLiterals;
  char blank;
  bool fillFromRight;
};

TEST(EditMaskTest, ParsesDefinitions) {
  const ParseCase cases[] = {
      {"", false, 0, 0, true, '_', false},
      {";", false, 0, 0, true, '_', false},
      {";;;", false, 0, 0, true, ';', false},
      {"\\", false, 0, 0, true, '_', false},
      {"!><>", false, 0, 0, true, '_', true},
      {kMilliseconds, true, 17, 4, false, '0', true},
      {kClock, true, 8, 6, true, '_', true},
      {kRightAscension, true, 11, 6, true, '_', false},
      {kDeclination, true, 13, 7, true, '_', false},
      {"#99.9;1;_", true, 5, 4, true, '_', false},
      {">LL00", true, 4, 4, true, '_', false},
      {"00;0", true, 2, 2, false, '_', false},
      {"00;;*", true, 2, 2, true, '*', false},
      {"00;1; ", true, 2, 2, true, ' ', false},
      {"xy-", true, 3, 0, true, '_', false},
      {"0\\;0;0;#", true, 3, 2, false, '#', false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.definition);
    EditMask mask = EditMask::parse(c.definition);
    EXPECT_EQ(mask.definition(), c.definition);
    EXPECT_EQ(mask.active(), c.active);
    EXPECT_EQ(mask.slots().size(), c.slots);
    EXPECT_EQ(editableCount(mask), c.editable);
    EXPECT_EQ(mask.saveLiterals(), c.saveLiterals);
    EXPECT_EQ(mask.blank(), c.blank);
    EXPECT_EQ(mask.fillFromRight(), c.fillFromRight);
  }
}

TEST(EditMaskTest, SlotKindsAndCaseFlags) {
  EditMask mask = EditMask::parse(">L<l<>a#");
  ASSERT_EQ(mask.slots().size(), 4u);
  EXPECT_EQ(mask.slots()[0].caseConversion, EditMask::Case::Upper);
  EXPECT_TRUE(mask.slots()[0].required);
  EXPECT_EQ(mask.slots()[1].caseConversion, EditMask::Case::Lower);
  EXPECT_FALSE(mask.slots()[1].required);
  EXPECT_EQ(mask.slots()[2].kind, EditMask::SlotKind::LetterOrDigit);
  EXPECT_EQ(mask.slots()[2].caseConversion, EditMask::Case::Keep);
  EXPECT_EQ(mask.slots()[3].kind, EditMask::SlotKind::DigitOrSign);
}

TEST(EditMaskTest, EmptyDisplayShowsLiteralsAndBlanks) {
  EXPECT_EQ(EditMask::parse(kMilliseconds).emptyDisplay(), "0000 milliseconds");
  EXPECT_EQ(EditMask::parse(kClock).emptyDisplay(), "__:__:__");
  EXPECT_EQ(EditMask::parse(kRightAscension).emptyDisplay(), "__h __m __s");
  EXPECT_EQ(EditMask::parse(kDeclination).emptyDisplay(), "___\xB0 __' __''");
}

struct FormatCase {
  const char* definition;
  const char* text;
  const char* display;
  const char* textBack;  // the value text the field then holds
};

TEST(EditMaskTest, DisplayFromTextAndBack) {
  const FormatCase cases[] = {
      // The millisecond fields: blank '0' reads back as a blank in the value text.
      {kMilliseconds, "0250", "0250 milliseconds", " 25 "},
      {kMilliseconds, "12345", "1234 milliseconds", "1234"},
      {kMilliseconds, "1   ", "1000 milliseconds", "1   "},
      {kMilliseconds, "1000", "1000 milliseconds", "1   "},
      {kMilliseconds, "", "0000 milliseconds", "    "},
      // '!' right-aligns a short value.
      {kMilliseconds, "1", "0001 milliseconds", "   1"},
      {kMilliseconds, "1 5", "0105 milliseconds", " 1 5"},
      {kClock, "12:30:00", "12:30:00", "12:30:00"},
      {kClock, "1:30:00", "_1:30:00", " 1:30:00"},
      {kClock, "123000", "12:30:00", "12:30:00"},
      {kClock, "", "__:__:__", "  :  :  "},
      {kClock, "12:30:00:99", "12:30:00", "12:30:00"},
      // The blank character in a value stands for an unfilled position.
      {kClock, "1_:30:00", "1_:30:00", "1 :30:00"},
      {kRightAscension, "05h 30m 12s", "05h 30m 12s", "05h 30m 12s"},
      {kRightAscension, "05h 3", "05h 3_m __s", "05h 3 m   s"},
      {kDeclination, "+12\xB0 34' 56''", "+12\xB0 34' 56''", "+12\xB0 34' 56''"},
      {kDeclination, "-5", "-5_\xB0 __' __''", "-5 \xB0   '   ''"},
      // A literal missing from a text with literals is skipped, not eaten from the value.
      {"#99.9;1;_", "+000", "+00.0", "+00.0"},
      {"#99.9;1;_", "-12.5", "-12.5", "-12.5"},
      // Refused characters are dropped; the position takes the next character.
      {"000;0;_", "1x2", "12_", "12 "},
      {">LL00", "ab12", "AB12", "AB12"},
      {">LL00", "a1", "A___", "A   "},
      {"<LL", "AB", "ab", "ab"},
      {"<>LL", "aB", "aB", "aB"},
      {">L<L", "ab", "Ab", "Ab"},
      {">L", "\xE9", "\xC9", "\xC9"},
      {"<L", "\xC9", "\xE9", "\xE9"},
      {">L", "\xFF", "\xFF", "\xFF"},
      {"L", "\xD7", "_", " "},
      // Control characters never enter a field.
      {"cc", "\x01\x7F" "a", "a_", "a "},
      // Without saved literals a text that still has them fits as well.
      {"!90:00:00;0;_", "12:30:00", "12:30:00", "123000"},
      // A mask of literals only.
      {"xyz", "pqr", "xyz", "xyz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.definition) + " <- \"" + c.text + "\"");
    EditMask mask = EditMask::parse(c.definition);
    std::string display = mask.displayFromText(c.text);
    EXPECT_EQ(display, c.display);
    EXPECT_EQ(mask.textFromDisplay(display), c.textBack);
  }
}

TEST(EditMaskTest, TextFromDisplayRepairsForeignDisplays) {
  EditMask mask = EditMask::parse(kRightAscension);
  EXPECT_EQ(mask.textFromDisplay("12"), "12h   m   s");
  EXPECT_EQ(mask.textFromDisplay("1xQ 34m 56s 99"), "1 h 34m 56s");
  EXPECT_EQ(EditMask::parse("").textFromDisplay("anything"), "");
  // A letter that becomes the blank character once converted is a blank in the value.
  EXPECT_EQ(EditMask::parse(">L;1;A").textFromDisplay("a"), " ");
}

struct TypeCase {
  const char* definition;
  const char* text;
  size_t caret;
  char ch;
  bool accepted;
  const char* display;  // after typing (when accepted)
  size_t caretAfter;
};

TEST(EditMaskTest, Typing) {
  const TypeCase cases[] = {
      {kRightAscension, "", 0, '1', true, "1_h __m __s", 1},
      // Literals between the caret and the next position are skipped.
      {kRightAscension, "", 2, '5', true, "__h 5_m __s", 5},
      // Typing the literal at the caret only moves past it.
      {kRightAscension, "12h 34m 56s", 2, 'h', true, "12h 34m 56s", 3},
      {kRightAscension, "12h 34m 56s", 3, ' ', true, "12h 34m 56s", 4},
      // Overwrite mode.
      {kRightAscension, "12h 34m 56s", 0, '9', true, "92h 34m 56s", 1},
      // A blank typed into a position clears it.
      {kRightAscension, "12h 34m 56s", 4, ' ', true, "12h _4m 56s", 5},
      {kRightAscension, "", 0, 'x', false, "", 0},
      {kRightAscension, "", 11, '1', false, "", 0},
      {kRightAscension, "", 99, '1', false, "", 0},
      // A position that refuses the character refuses it; the next one is not tried.
      {"0L", "", 0, 'a', false, "", 0},
      {">LL00", "", 0, 'q', true, "Q___", 1},
      {"#99.9;1;_", "", 0, '-', true, "-__._", 1},
      {"#99.9;1;_", "", 0, '+', true, "+__._", 1},
      {"#99.9;1;_", "", 0, 'a', false, "", 0},
      {"#99.9;1;_", "", 3, '.', true, "___._", 4},
      {kDeclination, "+00\xB0 00' 00''", 0, '-', true, "-00\xB0 00' 00''", 1},
      {kMilliseconds, "", 0, '1', true, "1000 milliseconds", 1},
      {kMilliseconds, "", 4, '1', false, "", 0},
      {"xyz", "", 0, 'x', true, "xyz", 1},
      {"xyz", "", 0, 'y', false, "", 0},
      {"", "", 0, 'x', false, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.definition) + " caret " + std::to_string(c.caret) +
                 " key '" + c.ch + "'");
    EditMask mask = EditMask::parse(c.definition);
    auto edit = mask.type(mask.displayFromText(c.text), c.caret, c.ch);
    ASSERT_EQ(edit.has_value(), c.accepted);
    if (!edit) continue;
    EXPECT_EQ(edit->display, c.display);
    EXPECT_EQ(edit->caret, c.caretAfter);
  }
}

TEST(EditMaskTest, TypingFillsMillisecondFieldValue) {
  EditMask mask = EditMask::parse(kMilliseconds);
  std::string display = mask.emptyDisplay();
  size_t caret = 0;
  for (char ch : std::string("250")) {
    auto edit = mask.type(display, caret, ch);
    ASSERT_TRUE(edit);
    display = edit->display;
    caret = edit->caret;
  }
  EXPECT_EQ(display, "2500 milliseconds");
  EXPECT_EQ(mask.textFromDisplay(display), "25  ");
}

TEST(EditMaskTest, BackspaceAndDelete) {
  EditMask mask = EditMask::parse(kRightAscension);
  std::string full = "12h 34m 56s";

  auto back = mask.backspace(full, 4);  // just after "12h "
  EXPECT_EQ(back.display, "1_h 34m 56s");
  EXPECT_EQ(back.caret, 1u);
  back = mask.backspace(full, 0);
  EXPECT_EQ(back.display, full);
  EXPECT_EQ(back.caret, 0u);
  back = mask.backspace(full, 50);
  EXPECT_EQ(back.display, "12h 34m 5_s");
  EXPECT_EQ(back.caret, 9u);

  auto del = mask.erase(full, 2);  // on the literal "h": the next position is blanked
  EXPECT_EQ(del.display, "12h _4m 56s");
  EXPECT_EQ(del.caret, 4u);
  del = mask.erase(full, 10);
  EXPECT_EQ(del.display, full);
  EXPECT_EQ(del.caret, 10u);
  del = mask.erase(full, 50);
  EXPECT_EQ(del.display, full);
  EXPECT_EQ(del.caret, 11u);

  EditMask literalsOnly = EditMask::parse("xyz");
  EXPECT_EQ(literalsOnly.backspace("xyz", 3).display, "xyz");
  EXPECT_EQ(literalsOnly.erase("xyz", 0).display, "xyz");
}

struct CompleteCase {
  const char* definition;
  const char* text;
  bool complete;
};

TEST(EditMaskTest, CompleteNeedsEveryRequiredPosition) {
  const CompleteCase cases[] = {
      {kRightAscension, "12h 34m 56s", true},
      {kRightAscension, "12h 3 m 56s", false},
      {kRightAscension, "", false},
      {kMilliseconds, "", true},
      {">LL00", "AB12", true},
      {">LL00", "AB1", false},
      {kDeclination, " 12\xB0 34' 56''", true},
      {"xyz", "", true},
      {"", "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.definition) + " <- \"" + c.text + "\"");
    EditMask mask = EditMask::parse(c.definition);
    EXPECT_EQ(mask.complete(mask.displayFromText(c.text)), c.complete);
  }
  // A display of the wrong length counts its missing positions as blank.
  EXPECT_FALSE(EditMask::parse(kRightAscension).complete("12h"));
}

TEST(EditMaskTest, NavigatesEditablePositions) {
  EditMask mask = EditMask::parse("00h 00m");
  EXPECT_TRUE(mask.isEditable(0));
  EXPECT_FALSE(mask.isEditable(2));
  EXPECT_FALSE(mask.isEditable(7));
  EXPECT_EQ(mask.nextEditable(0), 0u);
  EXPECT_EQ(mask.nextEditable(2), 4u);
  EXPECT_EQ(mask.nextEditable(6), 7u);
  EXPECT_EQ(mask.nextEditable(100), 7u);
  EXPECT_EQ(mask.previousEditable(0), std::nullopt);
  EXPECT_EQ(mask.previousEditable(4), 1u);
  EXPECT_EQ(mask.previousEditable(100), 5u);
  EXPECT_EQ(mask.accept(2, 'h'), std::nullopt);
  EXPECT_EQ(mask.accept(100, '1'), std::nullopt);
}

TEST(EditMaskTest, OddDefinitionsAreHarmless) {
  for (const char* definition : {"", ";", "\\", ";;;", "\\;", ">", "!", "<>", "xyz;0;",
                                    "0;", ";0;0", "\\\\\\"}) {
    SCOPED_TRACE(definition);
    EditMask mask = EditMask::parse(definition);
    std::string display = mask.displayFromText("12ab");
    EXPECT_EQ(display.size(), mask.slots().size());
    EXPECT_EQ(mask.displayFromText(mask.textFromDisplay(display)), display);
    for (size_t caret = 0; caret < 6; ++caret) {
      if (auto edit = mask.type(display, caret, '1')) {
        EXPECT_EQ(edit->display.size(), mask.slots().size());
      }
      EXPECT_EQ(mask.backspace(display, caret).display.size(), mask.slots().size());
      EXPECT_EQ(mask.erase(display, caret).display.size(), mask.slots().size());
    }
    mask.complete(display);
  }
}

// Invariants every display and value must keep, whatever the mask and the input.
void expectSound(const EditMask& mask, const std::string& display, size_t caret) {
  ASSERT_EQ(display.size(), mask.slots().size());
  EXPECT_LE(caret, display.size());
  for (size_t i = 0; i < display.size(); ++i) {
    const auto& slot = mask.slots()[i];
    if (slot.kind == EditMask::SlotKind::Literal) {
      ASSERT_EQ(display[i], slot.literal) << "position " << i;
    } else if (display[i] != mask.blank()) {
      ASSERT_EQ(mask.accept(i, display[i]), display[i]) << "position " << i;
    }
  }
  std::string text = mask.textFromDisplay(display);
  EXPECT_EQ(text.size(), mask.saveLiterals() ? mask.slots().size() : editableCount(mask));
  ASSERT_EQ(mask.displayFromText(text), display);
  EXPECT_EQ(mask.textFromDisplay(mask.displayFromText(text)), text);
}

TEST(EditMaskTest, RandomMasksAndInputKeepInvariants) {
  std::mt19937 random(20240517u);
  const std::string maskAlphabet = "0099#LlAaCc\\><!;: .hm-_\xB0" "01";
  const std::string inputAlphabet = "0123456789+-.:_ abcXYZ\xE9\xD7\xB0\x01;h";
  auto pick = [&](const std::string& alphabet) {
    return alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
  };
  auto randomString = [&](const std::string& alphabet, size_t maxLength) {
    std::string s(std::uniform_int_distribution<size_t>(0, maxLength)(random), ' ');
    for (char& ch : s) ch = pick(alphabet);
    return s;
  };

  for (int round = 0; round < 3000; ++round) {
    EditMask mask = EditMask::parse(randomString(maskAlphabet, 14));
    SCOPED_TRACE("mask \"" + mask.definition() + "\"");
    std::string display = mask.displayFromText(randomString(inputAlphabet, 18));
    size_t caret = 0;
    expectSound(mask, display, caret);
    for (int step = 0; step < 12 && !HasFatalFailure(); ++step) {
      size_t at = std::uniform_int_distribution<size_t>(0, display.size() + 2)(random);
      switch (std::uniform_int_distribution<int>(0, 4)(random)) {
        case 0:
        case 1:
          if (auto edit = mask.type(display, at, pick(inputAlphabet))) {
            EXPECT_GT(edit->caret, at);
            display = edit->display;
            caret = edit->caret;
          }
          break;
        case 2: {
          auto edit = mask.backspace(display, at);
          display = edit.display;
          caret = edit.caret;
          break;
        }
        case 3: {
          auto edit = mask.erase(display, at);
          display = edit.display;
          caret = edit.caret;
          break;
        }
        default: {
          // A display from elsewhere (e.g. pasted) of any length is repaired.
          std::string foreign = randomString(inputAlphabet, display.size() + 3);
          display = mask.displayFromText(mask.textFromDisplay(foreign));
          caret = 0;
          break;
        }
      }
      expectSound(mask, display, caret);
      mask.complete(display);
    }
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace orvane::ui
