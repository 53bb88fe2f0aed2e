// Profile names beyond ASCII in a UTF-8 locale, through the whole program headless in
// virtual time: listed, typed, loaded, saved, remembered for the next start and deleted
// under the names the user sees, while the files carry their names in UTF-8.
#include <gtest/gtest.h>

#include <clocale>

#include "persistence/SavingTestSupport.h"
#include "persistence/Trash.h"
#include "text/FileNames.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

// "Grüße" and "Nacht Über" in the program's Latin-1 text and as the file system spells them.
const std::string kGreetings =
    "Gr\xFC\xDF"
    "e";
const std::string kGreetingsUtf8 =
    "Gr\xC3\xBC\xC3\x9F"
    "e";
const std::string kNight =
    "Nacht \xDC"
    "ber 100%";
const std::string kNightUtf8 =
    "Nacht \xC3\x9C"
    "ber 100%";

class FileNameEncodingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  }
  void TearDown() override { std::setlocale(LC_CTYPE, previous_.c_str()); }

 private:
  std::string previous_;
};

TEST_F(FileNameEncodingTest, NamesConvertAtTheFileSystemEdge) {
  EXPECT_EQ(ToSystemText(kGreetings), kGreetingsUtf8);
  EXPECT_EQ(FileNameFromSystem(kGreetingsUtf8), kGreetings);
  EXPECT_EQ(FileNameFromSystem("\xCE\xA9mega"), std::nullopt);  // beyond Latin-1
  EXPECT_EQ(FileNameFromSystem("Alt\xE9"), "Alt\xE9");          // no UTF-8: older Latin-1
  EXPECT_EQ(TextFromSystem("\xCE\xA9 \xC3\xA9"), "? \xE9");
}

TEST_F(FileNameEncodingTest, NonAsciiProfileNamesRoundTrip) {
  HeadlessApp first;
  const fs::path folder = first.programFolder();
  WriteFile(folder / (kNightUtf8 + ".ocf"), "# night\r\n");
  WriteFile(folder / "Alt\xE9.ocf", "# older\r\n");
  WriteFile(folder / "\xCE\xA9mega.ocf", "# omega\r\n");
  first.Start();
  TMainForm& main = first.main();
  EXPECT_EQ(main.ProfileFiles->items(),
            (Lines{"Alt\xE9.ocf", "Marovell Standard.ocf", kNight + ".ocf"}));
  const auto load = [&](const std::string& typed) {
    main.ProfileFiles->userEdit(typed, typed.size());
    main.LoadProfile->click();
    return main.Profile.empty() ? std::string() : main.Profile.front();
  };
  EXPECT_EQ(load(kNight), "# night");
  EXPECT_EQ(load("alt\xC9"), "# older");
  main.ProfileFiles->userEdit(kGreetings, kGreetings.size());
  main.SaveProfile->click();
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Profile saved");
  EXPECT_EQ(SplitLines(ReadBytes(folder / (kGreetingsUtf8 + ".ocf"))), main.Profile);
  EXPECT_GE(main.ProfileFiles->indexOf(kGreetings + ".ocf"), 0);
  first.Exit();
  const std::optional<std::string> remembered = first.settings().read("LastProfile");
  ASSERT_EQ(remembered, kGreetingsUtf8 + ".ocf");

  HeadlessApp second(ui::Size{1024, 768}, folder);
  second.settings().write("LastProfile", *remembered);
  second.Start();
  EXPECT_EQ(second.main().LoadedProfile, kGreetings + ".ocf");
  EXPECT_EQ(second.main().CurrentProfileStatus->text(), "Status: Profile loaded");
  second.main().ProfileFiles->userEdit(kGreetings, kGreetings.size());
  second.main().DeleteProfile->click();
  EXPECT_EQ(second.main().CurrentProfileStatus->text(), "Status: Profile deleted");
  EXPECT_FALSE(fs::exists(folder / (kGreetingsUtf8 + ".ocf")));
  EXPECT_TRUE(fs::exists(TrashFolder() / "files" / (kGreetingsUtf8 + ".ocf")));
}

}  // namespace
}  // namespace orvane::testing
