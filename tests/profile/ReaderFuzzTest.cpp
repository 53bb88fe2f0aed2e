// Random profiles made of real profile lines with random byte mutations, read by the real
// reader of one running program: reading never crashes, hangs or leaks, always ends with one
// of the reader's status texts, and leaves the profile line list and the sheets consistent.
// The seed is fixed, so a failure repeats; its trace names the profile's number.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "profile/ProfileTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr unsigned kSeed = 20261207;
constexpr int kProfiles = 3000;

// Lines of every kind the reader knows, in the forms profiles use.
const char* const kSampleLines[] = {
    "# comment",
    "Version \"1124\"",
    "Port \"COM2\"",
    "TimeOut \"1000\"",
    "CacheDelay \"250\"",
    "Update \"1 0\"",
    "Slewing \"4\xB0/s\"",
    "ControlMode \"Touch\"",
    "Colors \"Day\" 96550C FFFFFF FFFFFF 000000 FFFFFF EE932D FFFFFF FFFFFF",
    "Colors \"Night\" 000000 00008C 0000B2 000000 0000B2 000000 0000FF 000000",
    "Sheet \"Mechanics\"",
    "Sheet \"Site & Time\"",
    "10 \"Mount\"",
    "11 \"Hour\" 0:23",
    "20 \"Mount Type\"",
    "21 \"German Equatorial\"",
    "22 \"Fork Equatorial\"",
    "121 \"One\"",
    "122 \"Two\"",
    "120 \"Slew Speed\" 1:6",
    "55 \"Speed\" command=\":XY\"",
    "201 & 202 \"RA Worm Teeth\" \"Dec Worm Teeth\" 1:999",
    "11 & 12 \"A\" \"B\" 0:9",
    "251 \"Custom Offset (ppm)\" -9999:9999",
    "281 \"PEC Table\" caption=\"Erase Table\"",
    "501 \"Longitude\" command=\":Sg,:Gg\" mask=\"#000\xB0 00';0;_\"",
    "511 \"UTC Offset (h)\" command=\":SG,:GG\" mask=\"#00;0;_\"",
    "512 \"Local Time\" command=\":SL,:GL\" mask=\"!90:00:00;1;_\"",
    "513 \"Date\" command=\":SC,:GC\" mask=\"00-00-00;0;_\"",
    "514 \"Sidereal\" command=\":SE,,:GR#,\"",
    "140 & 150 \"Object RA\" \"Object Dec\" -900000:900000 mask=\"#00 00 00;0;_\"",
    "130 \"User Objects\" DataBase \"User\"",
    "300 \"Catalog\" files=\"*.txt\" command=\":OS,:Od,:Oc\" caption=\"Receive,Send\" align=true",
    "DataSet \"User\" properties=\"140, 150\"",
    "DataBase \"User\" name=\"M 31\" 140=\"+004244\" 150=\"+411609\"",
    "Value 2=\"German Equatorial\"",
    "Value 12=\"123\"",
    "Value 55=\"12\"",
    "Value 511=\"+01\"",
    "Value 120=\"5\"",
    "Schedule Time=\"20:00:00\" Name=\"Albireo\" RA=\"19h 30m 43s\" Dec=\"+27\xB0 57' 35''\"",
    "[Orvane for PDA]",
};

// Bytes that matter to the reader and the line parsers.
const char kSpecialBytes[] = {'\0', '\xFF', '"', '"', '\r', '\n', ' ', ':', '&', ',',
                              '=',  '#',    '-', '9', ';', '\xB0', '\t', '.'};

// Numbers at the edges of 32 and 64 bits, and beyond.
const char* const kBigNumbers[] = {"2147483647",          "2147483648",
                                   "4294967296",          "9223372036854775807",
                                   "9223372036854775808", "922337203685477580",
                                   "99999999999999999999", "0"};

class ReaderFuzzTest : public ProfileTest {
 protected:
  std::mt19937 random_{kSeed};

  size_t Below(size_t n) { return n == 0 ? 0 : random_() % n; }
  bool OneIn(size_t n) { return Below(n) == 0; }

  char RandomByte() {
    if (OneIn(2)) return kSpecialBytes[Below(sizeof kSpecialBytes)];
    return static_cast<char>(random_() & 0xFF);
  }

  void Mutate(std::string& line, const Lines& corpus) {
    const int edits = 1 + static_cast<int>(Below(4));
    for (int i = 0; i < edits; ++i) {
      const size_t at = Below(line.size() + 1);
      switch (Below(9)) {
        case 0:  // replace a byte
          if (!line.empty()) line[Below(line.size())] = RandomByte();
          break;
        case 1:  // insert bytes
          line.insert(at, Below(3) + 1, RandomByte());
          break;
        case 2:  // delete a stretch
          line.erase(at, Below(6) + 1);
          break;
        case 3:  // cut the line short
          line.resize(at);
          break;
        case 4:  // splice in a piece of another line
        {
          const std::string& other = corpus[Below(corpus.size())];
          const size_t from = Below(other.size());
          line.insert(at, other.substr(from, Below(other.size() - from + 1)));
          break;
        }
        case 5:  // repeat a stretch (numbers, quotes and attributes doubled)
          line.insert(at, line.substr(at, Below(12)));
          break;
        case 6:  // a digit changed, for numbers out of the usual range
          for (char& c : line) {
            if (c >= '0' && c <= '9' && OneIn(3)) c = static_cast<char>('0' + Below(10));
          }
          break;
        case 7:  // the first number swapped for one at or beyond the integer limits
        {
          const size_t first = line.find_first_of("0123456789");
          if (first == std::string::npos) break;
          const size_t end = line.find_first_not_of("0123456789", first);
          line.replace(first, end == std::string::npos ? std::string::npos : end - first,
                       kBigNumbers[Below(std::size(kBigNumbers))]);
          break;
        }
        default:  // now and then a line around the length limit, or far beyond it
          if (OneIn(40)) {
            const size_t length = OneIn(4) ? 1000 + Below(3000) : 250 + Below(12);
            if (line.size() < length) line.append(length - line.size(), 'x');
          }
          break;
      }
    }
  }

  std::string RandomProfile(const Lines& corpus) {
    const char* ending = OneIn(3) ? "\r\n" : "\n";
    // Most profiles start a sheet first, so that their control lines have one to go on.
    std::string text = OneIn(4) ? std::string() : "Sheet \"First\"" + std::string(ending);
    const size_t count = 1 + Below(60);
    for (size_t i = 0; i < count; ++i) {
      std::string line = corpus[Below(corpus.size())];
      // The handheld marker stops reading; keep it rare so that most profiles read through.
      if (line == kHandheldMarker && !OneIn(10)) line = "# marker skipped";
      if (OneIn(3)) Mutate(line, corpus);
      text += line;
      if (i + 1 < count || OneIn(2)) text += OneIn(20) ? "\r" : ending;
      if (OneIn(15)) text += ending;  // an empty line
    }
    return text;
  }

  // The user goes through the sheets and changes every control to something random.
  void UseEveryControl(const Lines& corpus) {
    for (size_t s = 0; s < sheets().sheets().size(); ++s) {
      const SheetRecord& record = *sheets().sheets()[s];
      record.menuLabel->click();
      for (const auto& field : record.fields) {
        std::string text = corpus[Below(corpus.size())];
        text = text.substr(Below(text.size()), Below(8));
        if (OneIn(3)) text = std::to_string(static_cast<int>(Below(2000)) - 1000);
        field->setFocus();
        field->userReplaceText(text);
        main().setActiveControl(nullptr);
      }
      for (const auto& list : record.lists) {
        list->userSelect(static_cast<int>(Below(list->items().size() + 1)) - 1);
      }
      for (const auto& button : record.buttons) button->click();
    }
    main().ProfileMenu->click();
    for (const std::string& command : queued()) {
      EXPECT_EQ(command.front(), '>');
      EXPECT_EQ(command.back(), '#');
    }
    cache().OutCache->clearItems();
  }

  void ExpectConsistent(bool result) {
    static const std::set<std::string> kLoaded = {kStatusLoaded, kStatusErrors};
    static const std::set<std::string> kRefused = {kStatusCorrupted, kStatusInvalidFormat};
    const std::string text = status();
    if (result) {
      EXPECT_TRUE(kLoaded.count(text)) << text;
      EXPECT_FALSE(main().ProfileLoading);
    } else {
      EXPECT_TRUE(kRefused.count(text)) << text;
    }
    EXPECT_EQ(main().LoadedProfile, "fuzz.ocf");
    EXPECT_TRUE(main().visible());
    for (const std::string& line : main().Profile) {
      EXPECT_FALSE(line.empty());
      EXPECT_LE(line.size(), kMaxProfileLineLength);
      EXPECT_EQ(line.find('\n'), std::string::npos);
      EXPECT_NE(line.rfind("Schedule ", 0), 0u) << "schedule lines leave the list";
      EXPECT_NE(line, kHandheldMarker);
    }
    for (const auto& record : sheets().sheets()) {
      EXPECT_LE(record->labels.size(), 139u);
      EXPECT_LE(record->fields.size(), 139u);
      EXPECT_LE(record->lists.size(), 139u);
      EXPECT_LE(record->buttons.size(), 139u);
    }
    EXPECT_LE(schedule().Objects->height(), 153);
  }
};

Lines Corpus() {
  Lines corpus(std::begin(kSampleLines), std::end(kSampleLines));
  std::ifstream shipped(ShippedProfilesFolder() / "Marovell Standard.ocf", std::ios::binary);
  std::string line;
  while (std::getline(shipped, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) corpus.push_back(line);
  }
  return corpus;
}

TEST_F(ReaderFuzzTest, RandomProfilesReadSafely) {
  const Lines corpus = Corpus();
  // Bound commands are recorded rather than run: no controller is attached.
  int boundCommands = 0;
  sheets().executeBinding = [&](ControlBinding&) { ++boundCommands; };
  std::map<std::string, int> statuses;
  for (int i = 0; i < kProfiles; ++i) {
    SCOPED_TRACE("profile " + std::to_string(i));
    const bool result = Load(RandomProfile(corpus), "fuzz.ocf");
    ExpectConsistent(result);
    if (result && OneIn(4)) UseEveryControl(corpus);
    ++statuses[status()];
    if (::testing::Test::HasFailure()) break;
  }
  // The profiles reach every outcome of the reader.
  EXPECT_GT(statuses[kStatusLoaded], 0);
  EXPECT_GT(statuses[kStatusErrors], 0);
  EXPECT_GT(statuses[kStatusCorrupted], 0);
  EXPECT_GT(statuses[kStatusInvalidFormat], 0);
  EXPECT_GT(boundCommands, 0);
  // Removing what the last profile built leaves the program usable.
  sheets().RemoveAllComponents();
  ASSERT_TRUE(main().reader.ReadIniFile("Marovell Standard.ocf"));
  EXPECT_EQ(status(), kStatusLoaded);
}

// Whole files of random bytes.
TEST_F(ReaderFuzzTest, RandomBytes) {
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE("file " + std::to_string(i));
    std::string text(Below(600), '\0');
    for (char& c : text) c = OneIn(8) ? '\n' : RandomByte();
    const bool result = Load(text, "fuzz.ocf");
    ExpectConsistent(result);
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace
}  // namespace orvane::testing
