// Case folding of Latin-1 text, shared by list searches, masked fields and file names.
#include "ui/Latin1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::ui {
namespace {

TEST(Latin1Test, LowerFoldsAsciiAndAccentedCapitalsOnly) {
  struct Case {
    char in;
    char out;
  };
  const std::vector<Case> cases = {
      {'A', 'a'},       {'Z', 'z'},       {'a', 'a'},       {'@', '@'},       {'[', '['},
      {'5', '5'},       {'\xC0', '\xE0'}, {'\xC9', '\xE9'}, {'\xDE', '\xFE'}, {'\xD7', '\xD7'},
      {'\xDF', '\xDF'}, {'\xE9', '\xE9'}, {'\xBF', '\xBF'}, {'\xFF', '\xFF'},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Latin1Lower(c.in), static_cast<unsigned char>(c.out))
        << static_cast<int>(static_cast<unsigned char>(c.in));
  }
}

TEST(Latin1Test, FoldedAccentedLettersSortAfterAscii) {
  // File listings order by the folded characters: an accented name comes after "z".
  EXPECT_LT(Latin1Lower('z'), Latin1Lower('\xC9'));
  EXPECT_LT(Latin1Lower('Z'), Latin1Lower('\xE9'));
}

TEST(Latin1Test, EqualIgnoringCase) {
  struct Case {
    std::string a, b;
    bool equal;
  };
  const std::vector<Case> cases = {
      {"", "", true},
      {"Night.OCF", "night.ocf", true},
      {"\xC9T\xC9", "\xE9t\xE9", true},
      {"GR\xDC\xDFL", "gr\xFC\xDFl", true},
      {"a\xD7z", "a\xF7z", false},  // multiplication and division signs are no pair
      {"ab", "abc", false},
      {"abc", "abd", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EqualIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace orvane::ui
