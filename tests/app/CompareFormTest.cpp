// The comparison of the sheets with the controller and the restore of a backup, through
// the window, by mouse and by keyboard, against the simulated controller in virtual time.
#include <gtest/gtest.h>

#include "app/CompareForm.h"
#include "dialogue/CommandText.h"
#include "dialogue/DialogueTestSupport.h"
#include "persistence/SettingsBackups.h"
#include "transfer/TextFile.h"

namespace orvane::testing {
namespace {

const std::vector<std::string> kProfile = {
    "Sheet \"Mechanics\"",
    "50 \"Tracking Rate\"",
    "51 \"Sidereal\"",
    "52 \"Lunar\"",
    "201 & 202 \"RA Worm Teeth\" \"Dec Worm Teeth\" 1:999",
    "120 \"Slew Speed\" 1:6",
    "Sheet \"Handbox\"",
    "601 \"LCD Contrast\" 1:16",
    "Value 5=\"Sidereal\"",
    "Value 201=\"100\"",
    "Value 202=\"190\"",
    "Value 120=\"4\"",
    "Value 601=\"8\"",
};

class CompareFormTest : public DialogueTest {
 protected:
  void SetUp() override {
    sim::ControllerOptions options;
    options.level = 1;
    options.settings[50] = "52";
    options.settings[201] = "180";
    options.settings[202] = "190";
    options.settings[120] = "3";
    options.settings[601] = "8";
    StartWith(kProfile, options);
    main().UpdateTimer.stop();
  }
  TCompareForm& compare() { return *app().windows().compare; }
  void Press(ui::Widget& target) {
    compare().keyDown(target, ui::keys::kSpace, {});
    compare().keyUp(target, ui::keys::kSpace, {});
  }
  std::vector<std::string> labels() {
    std::vector<std::string> result;
    for (const ComparedSetting& row : compare().rows()) result.push_back(row.label);
    return result;
  }
  void choose(const std::string& label) {
    for (size_t i = 0; i < compare().rows().size(); ++i) {
      if (compare().rows()[i].label == label) {
        compare().Differences->userSelectCell(0, static_cast<int>(i) + 1);
      }
    }
  }
};

TEST_F(CompareFormTest, ShowsExactlyTheDifferingSettingsAndBothDirectionsWork) {
  mark();
  main().CompareSettings->click();
  ASSERT_TRUE(compare().visible());
  // Read into the comparison, not into the sheets.
  EXPECT_EQ(field(0, 0).text(), "100");
  EXPECT_EQ(list(0).text(), "Sidereal");
  EXPECT_EQ(labels(), (std::vector<std::string>{"Tracking Rate", "RA Worm Teeth", "Slew Speed"}));
  EXPECT_EQ(compare().Differences->rowCount(), 4);
  EXPECT_EQ(compare().Differences->cell(0, 2), "Mechanics");
  EXPECT_EQ(compare().Differences->cell(2, 2), "100");
  EXPECT_EQ(compare().Differences->cell(3, 2), "180");
  EXPECT_EQ(compare().Differences->cell(3, 1), "Lunar");
  EXPECT_EQ(compare().Status->text(), "Status: 5 of 5 settings read, 3 differ");
  // The sheets show which values the controller does not hold.
  EXPECT_EQ(main().sheets.known().StateOf(field(0, 0)), SettingState::Unknown);
  EXPECT_EQ(main().sheets.known().ReasonOf(field(0, 0)), "The controller holds 180");
  EXPECT_EQ(main().sheets.known().StateOf(field(0, 1)), SettingState::Confirmed);
  for (const std::string& command : sent()) EXPECT_NE(command[0], '>') << command;

  // By mouse: the controller's worm teeth onto the sheet, the sheet's slew speed out.
  choose("RA Worm Teeth");
  compare().Take->click();
  EXPECT_EQ(field(0, 0).text(), "180");
  EXPECT_EQ(main().sheets.known().StateOf(field(0, 0)), SettingState::Confirmed);
  choose("Slew Speed");
  compare().Send->click();
  ASSERT_TRUE(backend().runUntil([&] { return controller().setting(120) == "4"; }, 5000));
  EXPECT_EQ(labels(), std::vector<std::string>{"Tracking Rate"});
  // The first write after the comparison kept what the controller held.
  EXPECT_EQ(main().backups.List().size(), 1u);

  // By keyboard: read again, take all, Escape closes.
  Press(*compare().Read);
  EXPECT_EQ(labels(), std::vector<std::string>{"Tracking Rate"});
  Press(*compare().TakeAll);
  EXPECT_EQ(list(0).text(), "Lunar");
  EXPECT_TRUE(compare().rows().empty());
  Press(*compare().Read);
  EXPECT_EQ(compare().Status->text(), "Status: 5 of 5 settings read, 0 differ");
  EXPECT_EQ(compare().Differences->cell(1, 1), "");  // nothing left of the rows before
  compare().keyDown(*compare().Differences, ui::keys::kEscape, {});
  EXPECT_FALSE(compare().visible());
}

TEST_F(CompareFormTest, SendAllPutsTheSheetsIntoTheController) {
  main().CompareSettings->click();
  ASSERT_EQ(compare().rows().size(), 3u);
  Press(*compare().SendAll);
  backend().advance(2500);
  EXPECT_EQ(controller().setting(50), "51");
  EXPECT_EQ(controller().setting(201), "100");
  EXPECT_EQ(controller().setting(120), "4");
  compare().ReadClick();
  EXPECT_TRUE(compare().rows().empty());
}

TEST_F(CompareFormTest, ABackupIsRestoredFromTheWindowByMouseAndByKeyboard) {
  main().ReceiveAll->click();  // a complete receive keeps a backup
  ASSERT_EQ(main().backups.List().size(), 1u);
  Commit(field(0, 0), "300");
  backend().advance(2500);
  ASSERT_EQ(controller().setting(201), "300");
  main().CompareSettings->click();
  ASSERT_EQ(compare().Backups->items().size(), 1u);
  EXPECT_EQ(compare().Backups->itemIndex(), 0);
  compare().Restore->click();
  EXPECT_EQ(controller().setting(201), "180");
  EXPECT_EQ(field(0, 0).text(), "180");
  EXPECT_EQ(compare().Status->text(), "Status: All settings sent");

  // Again, by keyboard, from the newest backup (stored by the restore's send).
  Commit(field(0, 0), "310");
  backend().advance(2500);
  ASSERT_EQ(controller().setting(201), "310");
  backend().advance(1500);
  compare().ReadClick();
  ASSERT_GE(compare().Backups->items().size(), 2u);
  compare().Backups->userSelect(static_cast<int>(compare().Backups->items().size()) - 1);
  Press(*compare().Restore);
  EXPECT_EQ(controller().setting(201), "180");
}

TEST_F(CompareFormTest, WithoutAControllerTheWindowSaysSo) {
  main().SerialPort->userSelect(6);  // Offline
  main().CompareSettings->click();
  EXPECT_TRUE(compare().visible());
  EXPECT_EQ(compare().Status->text(), "Status: No controller connected");
  EXPECT_TRUE(compare().rows().empty());
  std::string status;
  EXPECT_FALSE(main().bulk.RestoreBackup(main().backups.Folder() / "none.ocf", status));
}

TEST_F(CompareFormTest, WhatCannotBeSentOrRestoredIsSaidAndStaysListed) {
  // The line goes while the differences are listed: a send says it went nowhere and the
  // rows stay for when it is back.
  main().CompareSettings->click();
  ASSERT_EQ(labels(), (std::vector<std::string>{"Tracking Rate", "RA Worm Teeth", "Slew Speed"}));
  controller().setCommandObserver([this, armed = true](const std::string&) mutable {
    if (!armed) return;
    armed = false;
    controller().options().unplugAtMs = static_cast<double>(backend().nowMs()) + 1;
    controller().options().replugAfterMs = 3000;
  });
  main().UpdateTimer.start();
  ASSERT_TRUE(backend().runUntil([&] { return main().ConnectedPort <= 0; }, 20000));
  choose("Slew Speed");
  compare().Send->click();
  EXPECT_EQ(compare().Status->text(), "Status: No controller connected");
  Press(*compare().SendAll);
  EXPECT_EQ(compare().Status->text(), "Status: 0 values sent, no controller connected");
  EXPECT_EQ(labels(), (std::vector<std::string>{"Tracking Rate", "RA Worm Teeth", "Slew Speed"}));
  EXPECT_EQ(controller().setting(120), "3");
  controller().setCommandObserver(nullptr);
  ASSERT_TRUE(backend().runUntil([&] { return main().ConnectedPort == 1; }, 30000));
  main().UpdateTimer.stop();
  compare().CloseClick();

  // Only the loaded profile's backups are offered: another profile's numbers may name
  // other settings on these sheets, and its backup is refused.
  main().ReceiveAll->click();
  ASSERT_EQ(main().backups.List().size(), 1u);
  const std::filesystem::path folder = main().backups.Folder();
  std::string other;
  ASSERT_EQ(ReadTextFile(folder / main().backups.List()[0], other), FileReadResult::Read);
  const size_t at = other.find("Value 201=\"180\"");
  ASSERT_NE(at, std::string::npos);
  other.replace(at, 15, "Value 201=\"555\"");
  WriteFile(folder / "Other 2030-01-01 00-00-00.ocf", other);
  main().CompareSettings->click();
  EXPECT_EQ(compare().Backups->items().size(), 1u);
  EXPECT_EQ(compare().Backups->items()[0].rfind("Dialogue ", 0), 0u);
  std::string status;
  EXPECT_FALSE(main().bulk.RestoreBackup(folder / "Other 2030-01-01 00-00-00.ocf", status));
  EXPECT_EQ(status, "Status: The backup is of another profile");
  // Nor while a receive runs: what it reads would replace the backup's values before
  // they went out.
  std::string during;
  bool restored = true;
  controller().setCommandObserver([&, armed = true](const std::string& command) mutable {
    if (!armed || command.rfind(NativeReadCommand("120"), 0) != 0) return;
    armed = false;
    restored = main().bulk.RestoreBackup(folder / main().backups.List().back(), during);
  });
  main().ReceiveAll->click();
  controller().setCommandObserver(nullptr);
  EXPECT_FALSE(restored);
  EXPECT_EQ(during, "Status: Another transfer is running");
  backend().advance(2500);
  EXPECT_EQ(controller().setting(201), "180");
  EXPECT_EQ(field(0, 0).text(), "180");
}

TEST_F(CompareFormTest, DrawnInTheNightColours) {
  main().CompareSettings->click();
  main().NightVision->click();
  const ui::Palette p = main().appearance.palette();
  EXPECT_EQ(compare().Frame->brushColor(), p.frameFill);
  EXPECT_EQ(compare().Differences->color(), p.frameFill);
  EXPECT_EQ(compare().Differences->font().color, p.fieldText);
  EXPECT_EQ(compare().TakeShape->brushColor(), p.accent);
  EXPECT_EQ(compare().Take->font().color, p.labelText);
  EXPECT_EQ(compare().Backups->color(), p.fieldBackground);
}

}  // namespace
}  // namespace orvane::testing
