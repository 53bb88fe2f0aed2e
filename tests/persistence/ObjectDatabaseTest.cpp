// The object database of the shipped profile through the whole program, headless in virtual
// time against the in-process simulated controller: the row, choosing an entry (with the
// commands it sends), "Add", "Replace", "Remove", and what is refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "persistence/SavingTestSupport.h"
#include "SimulatedController.h"
#include "text/Checksum.h"

namespace orvane::testing {
namespace {

std::string NativeWrite(const std::string& text) {
  return text + CalculateChecksum(text) + "#";
}

class ObjectDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    controller_ = &app_.devices().addController(1);
    app_.Start();
    ASSERT_EQ(main().ConnectedPort, 1);
    ASSERT_EQ(main().databases.records().size(), 1u);
  }
  TMainForm& main() { return app_.main(); }
  DatabaseStruct& row() { return *main().databases.records().front(); }
  ui::ComboBox& selector() { return *row().selector; }
  ui::Label& button(int i) { return *row().labels.at(static_cast<size_t>(i)); }
  std::string field(long long number) { return FieldOf(main(), number)->text(); }
  const std::vector<std::string>& received() { return controller_->commandLog(); }
  bool receivedCommand(const std::string& command) {
    return std::find(received().begin(), received().end(), command) != received().end();
  }
  void choose(const std::string& name) { selector().userSelect(selector().indexOf(name)); }
  // Lines of the profile that begin with prefix.
  Lines linesOf(const std::string& prefix) {
    Lines lines;
    for (const std::string& line : main().Profile) {
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  HeadlessApp app_;
  sim::SimulatedController* controller_ = nullptr;
};

TEST_F(ObjectDatabaseTest, TheRowOfTheShippedProfile) {
  EXPECT_EQ(main().sheets.sheets().back()->labels.front()->text(), "User Objects:");
  EXPECT_EQ(selector().tag(), 1130);
  EXPECT_EQ(selector().items(), (Lines{"Albireo", "M 13", "M 31", "M 42", "M 45", "M 51", "M 57",
                                       "NGC 7000"}));
  // The first entry read is chosen while loading; nothing is sent for it.
  EXPECT_EQ(selector().text(), "M 31");
  EXPECT_EQ(field(140), "+004244");
  EXPECT_EQ(field(150), "+411609");
  for (const std::string& command : received()) EXPECT_NE(command.substr(0, 2), ">1") << command;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(button(i).name(), "DBLabel131_" + std::to_string(i + 1));
    EXPECT_EQ(button(i).left(), 335 + 90 * i);
    EXPECT_TRUE(button(i).visible());
  }
  EXPECT_EQ(button(0).text(), "Replace");
  EXPECT_EQ(button(1).text(), "Remove");
  main().NightVision->click();
  EXPECT_EQ(row().shapes[0]->brushColor(), main().appearance.palette().accent);
  EXPECT_EQ(row().shapes[1]->penColor(), main().appearance.palette().text);
}

TEST_F(ObjectDatabaseTest, ChoosingAnEntryFillsAndSendsItsCoordinates) {
  choose("M 42");
  EXPECT_EQ(field(140), "+053517");
  EXPECT_EQ(field(150), "-052328");
  const std::string ra = NativeWrite(">140:+053517");
  const std::string dec = NativeWrite(">150:-052328");
  ASSERT_TRUE(app_.backend().runUntil([&] { return receivedCommand(dec); }, 5000));
  const auto at = [&](const std::string& c) {
    return std::find(received().begin(), received().end(), c) - received().begin();
  };
  EXPECT_LT(at(ra), at(dec));

  // Typing goes through the names on the way: "M 4" is no entry, "M 45" is.
  selector().userEdit("M 4", 3);
  EXPECT_EQ(button(0).text(), "Add");
  EXPECT_FALSE(button(1).visible());
  EXPECT_FALSE(row().shapes[1]->visible());
  selector().userEdit("m 45", 4);  // listed names are matched ignoring case ...
  EXPECT_EQ(button(0).text(), "Replace");
  EXPECT_TRUE(button(1).visible());
  EXPECT_EQ(field(140), "+053517");  // ... but the entry's line only in its own case
  selector().userEdit("M 45", 4);
  EXPECT_EQ(field(140), "+034724");
}

TEST_F(ObjectDatabaseTest, AddReplaceAndRemoveChangeTheProfileAndSaveKeepsThem) {
  selector().userEdit("M 99", 4);
  FieldOf(main(), 140)->setText("+010203");
  button(0).click();
  const std::string added = "DataBase \"User\" name=\"M 99\" 140=\"+010203\" 150=\"+411609\"";
  const Lines entries = linesOf("DataBase \"User\"");
  ASSERT_EQ(entries.size(), 9u);
  EXPECT_EQ(entries.back(), added);  // after the database's last entry
  EXPECT_EQ(std::find(main().Profile.begin(), main().Profile.end(), added) -
                std::find(main().Profile.begin(), main().Profile.end(), entries[7]),
            1);
  EXPECT_EQ(selector().indexOf("M 99"), 7);
  EXPECT_EQ(button(0).text(), "Replace");
  EXPECT_TRUE(button(1).visible());

  // Replace: the entry's line goes to the end of the profile with the current values.
  choose("M 13");
  FieldOf(main(), 150)->setText("+300000");
  button(0).click();
  EXPECT_EQ(main().Profile.back(),
            "DataBase \"User\" name=\"M 13\" 140=\"+164141\" 150=\"+300000\"");
  EXPECT_EQ(linesOf("DataBase \"User\" name=\"M 13\"").size(), 1u);
  EXPECT_TRUE(main().appearance.blinker().enabled());

  // Remove: line and name go, the button offers to add it again.
  choose("M 57");
  button(1).click();
  EXPECT_TRUE(linesOf("DataBase \"User\" name=\"M 57\"").empty());
  EXPECT_EQ(selector().indexOf("M 57"), -1);
  EXPECT_EQ(selector().text(), "M 57");
  EXPECT_EQ(button(0).text(), "Add");
  EXPECT_FALSE(button(1).visible());

  // "Save" keeps all three; the profile read again lists what was saved.
  main().SaveProfile->click();
  EXPECT_EQ(main().CurrentProfileStatus->text(), "Status: Profile saved");
  main().profilePage.ReloadProfileNow();
  EXPECT_EQ(main().CurrentProfileStatus->text(), "Status: Profile loaded");
  EXPECT_EQ(main().databases.records().front()->selector->items(),
            (Lines{"Albireo", "M 13", "M 31", "M 42", "M 45", "M 51", "M 99", "NGC 7000"}));
  choose("M 99");
  EXPECT_EQ(field(140), "+010203");
}

TEST_F(ObjectDatabaseTest, LinesThatWouldNotLoadAgainAreRefusedAndNothingChanges) {
  auto& profile = main().Profile;
  *std::find(profile.begin(), profile.end(), "DataSet \"User\" properties=\"140, 150\"") =
      "DataSet \"User\" properties=\"140, 150, 201\"";
  const Lines before = profile;
  const auto items = selector().items();
  // A name with a double quote.
  selector().userEdit("M\"1", 3);
  button(0).click();
  EXPECT_EQ(main().CurrentProfileStatus->text(),
            "Status: Entry not stored, it holds a double quote");
  // A value with one.
  selector().userEdit("M 98", 4);
  FieldOf(main(), 201)->setText("1\"2");
  button(0).click();
  // A line longer than a profile line may be.
  FieldOf(main(), 201)->setText("12");
  selector().userEdit(std::string(200, 'N'), 200);
  button(0).click();
  EXPECT_EQ(main().CurrentProfileStatus->text(), "Status: Entry not stored, its line is too long");
  EXPECT_EQ(main().Profile, before);
  EXPECT_EQ(selector().items(), items);
  ASSERT_EQ(app_.backend().messageBoxes.size(), 3u);
  EXPECT_EQ(app_.backend().messageBoxes.back().caption, "Orvane");

  // Without a data-set line "Replace" keeps the entry (no new line could be built).
  profile.erase(std::find_if(profile.begin(), profile.end(), [](const std::string& line) {
    return line.rfind("DataSet ", 0) == 0;
  }));
  const Lines withoutDataSet = profile;
  choose("M 42");
  button(0).click();
  EXPECT_EQ(main().Profile, withoutDataSet);
  selector().userEdit("M 97", 4);
  button(0).click();
  EXPECT_EQ(main().Profile, withoutDataSet);
}

// A typed name that is no entry, saved and read back, chooses no entry: the row offers
// "Add" for it, not "Replace" of an entry whose values are not the ones shown.
TEST_F(ObjectDatabaseTest, ASavedNameThatIsNoEntryComesBackWithNoEntryChosen) {
  selector().userEdit("Crab", 4);
  main().SaveProfile->click();
  main().profilePage.ReloadProfileNow();
  EXPECT_EQ(selector().text(), "");
  EXPECT_EQ(selector().itemIndex(), -1);
  EXPECT_EQ(button(0).text(), "Add");
  EXPECT_FALSE(button(1).visible());
}

// Database lines with faults: a faulty first entry is reported like a faulty control line
// and reading goes on; an entry before its definition is kept as it is.
TEST(ObjectDatabaseLoadingTest, FaultyEntriesAreReportedAndReadingGoesOn) {
  HeadlessApp app;
  WriteFile(app.programFolder() / "Faulty.ocf",
            "DataBase \"Early\" name=\"Before\" 10=\"1\"\n"
            "Sheet \"Objects\"\n"
            "130 \"Objects\" DataBase \"Early\"\n"
            "140 \"RA\" -900000:900000\n"
            "DataBase \"Early\" name=\"Bad\" 140=\"+1\" x1=\"2\"\n"
            "DataBase \"Early\" name=\"Good\" 140=\"+2\"\n"
            "Sheet \"After\"\n");
  app.settings().write("LastProfile", "Faulty.ocf");
  app.Start();
  TMainForm& main = app.main();
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Errors found in Profile");
  EXPECT_EQ(main.sheets.sheets().size(), 2u);
  ui::ComboBox& selector = *main.databases.records().front()->selector;
  EXPECT_EQ(selector.items(), (Lines{"Bad", "Good"}));
  EXPECT_EQ(FieldOf(main, 140)->text(), "+1");
  EXPECT_EQ(main.Profile.front(), "DataBase \"Early\" name=\"Before\" 10=\"1\"");
}

}  // namespace
}  // namespace orvane::testing
