// Saving profiles through the whole program, headless in virtual time: "Save", the
// auto-save at exit, what saving writes and keeps, and saves that fail.
#include <gtest/gtest.h>

#include <algorithm>

#include "persistence/ProfileWriter.h"
#include "persistence/SavingTestSupport.h"
#include "schedule/Schedule.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kShipped = "Marovell Standard.ocf";

// The lines saving does not write: they must come back as they were read (blank lines
// are not kept by the reader).
Lines KeptLines(const Lines& lines) {
  Lines kept;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept), [](const std::string& l) {
    for (const char* written : {"Version ", "Port ", "ControlMode ", "TimeOut ", "Update ",
                                "CacheDelay ", "Slewing ", "Schedule ", "Value "}) {
      if (l.rfind(written, 0) == 0) return false;
    }
    return !l.empty();
  });
  return kept;
}

void Save(TMainForm& main) { main.SaveProfile->click(); }

TEST(ProfileSavingTest, SaveKeepsTheOtherLinesAndLoadsBackTheSameSheetsAndValues) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  const fs::path file = app.programFolder() / kShipped;
  const std::string original = ReadBytes(file);
  Commit(main, *FieldOf(main, 201), "250");
  ListOf(main, 2)->userSelect(2);
  Save(main);
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Profile saved");
  const std::string saved = ReadBytes(file);
  Save(main);
  EXPECT_EQ(ReadBytes(file), saved);  // saved twice: the same bytes

  const Lines lines = SplitLines(saved);
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\r'), static_cast<long>(lines.size()));
  EXPECT_EQ(KeptLines(lines), KeptLines(SplitLines(original)));
  const auto at = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  EXPECT_EQ(at("Value 201=\"250\""), at("Value 202=\"180\"") - 1);  // replaced where it stood
  EXPECT_LT(at("Value 2=\"Alt-Azimuth\""), at("Value 3=\"Normal\""));
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("Schedule ", 0) == 0; }),
            6);

  const Lines before = ControlTexts(main);
  main.profilePage.ReloadProfileNow();
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Profile loaded");
  EXPECT_EQ(ControlTexts(main), before);
  EXPECT_EQ(app.windows().schedule->ScheduleEnd(), 7);
  Save(main);
  EXPECT_EQ(ReadBytes(file), saved);  // and once more after reading it back
}

TEST(ProfileSavingTest, AutoSaveAtExitKeepsTheChangeForTheNextStart) {
  HeadlessApp first;
  first.Start();
  Commit(first.main(), *FieldOf(first.main(), 201), "250");
  first.main().AutoSaveMode->userSelect(0);
  first.Exit();
  const fs::path file = first.programFolder() / kShipped;
  const std::string saved = ReadBytes(file);
  EXPECT_NE(saved.find("Value 201=\"250\"\r\n"), std::string::npos);

  // Auto-save is off at every start: the next change is not saved at exit.
  HeadlessApp second(ui::Size{1024, 768}, first.programFolder());
  second.Start();
  EXPECT_EQ(FieldOf(second.main(), 201)->text(), "250");
  Commit(second.main(), *FieldOf(second.main(), 201), "300");
  second.Exit();
  EXPECT_EQ(ReadBytes(file), saved);
}

TEST(ProfileSavingTest, SettingLinesAreReplacedWhereTheyStandOrAppendedInOrder) {
  HeadlessApp app;
  WriteFile(app.programFolder() / "Plain.ocf",
            "# settings\nTimeOut \"0100\"\nSheet \"S\"\n12 \"Twelve\" 0:999\n"
            "120 \"Speed\" 1:6\nTimeOut \"0200\"\nValue 120=\"3\"\nValue 12=\"5\"\n"
            "Schedule Time=\"20:00:00\" Name=\"M 1\" RA=\"05h 34m 32s\" "
            "Dec=\"+22\xB0 00' 52''\"\n");
  app.settings().write("LastProfile", "Plain.ocf");
  app.Start();
  TMainForm& main = app.main();
  main.TimeOut->setText("25  ");
  main.SerialPort->setItemIndex(2);
  Commit(main, *FieldOf(main, 12), "7");
  TSchedule& schedule = *app.windows().schedule;
  schedule.Objects->setRowCount(3);
  schedule.Objects->setCell(1, 2, "No time");  // a row without a time is no entry
  Save(main);
  Save(main);
  const Lines expected = {
      "# settings",          "TimeOut \"0100\"",       "Sheet \"S\"",       "12 \"Twelve\" 0:999",
      "120 \"Speed\" 1:6",   "TimeOut \"2500\"",       "Value 120=\"3\"",   "Value 12=\"7\"",
      "Port \"COM2\"",       "ControlMode \"Toggle\"", "Update \"2000\"",   "CacheDelay \"1000\"",
      "Slewing \"5\xB0/s\"",
      "Schedule Time=\"20:00:00\" Name=\"M 1\" RA=\"05h 34m 32s\" Dec=\"+22\xB0 00' 52''\""};
  EXPECT_EQ(SplitLines(ReadBytes(app.programFolder() / "Plain.ocf")), expected);
  EXPECT_EQ(main.Profile, expected);
}

TEST(ProfileSavingTest, SavingUnderANewNameListsItAndMakesItTheLoadedProfile) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  main.ProfileFiles->userEdit("Copy", 4);
  Save(main);
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Profile saved");
  EXPECT_EQ(main.LoadedProfile, "Copy.ocf");
  EXPECT_GE(main.ProfileFiles->indexOf("Copy.ocf"), 0);
  EXPECT_EQ(SplitLines(ReadBytes(app.programFolder() / "Copy.ocf")), main.Profile);
}

// A write that fails half-way (a full disk) leaves the old file whole and says so.
TEST(ProfileSavingTest, AFailedSaveLeavesTheOldFileWholeAndSaysSo) {
  HeadlessApp app;
  std::string big = ReadBytes(app.programFolder() / kShipped);
  for (int i = 0; i < 4000; ++i) big += "# padding line " + std::to_string(i) + "\r\n";
  WriteFile(app.programFolder() / "Big.ocf", big);
  app.settings().write("LastProfile", "Big.ocf");
  app.Start();
  TMainForm& main = app.main();
  const Lines entries = FolderEntries(app.programFolder());
  Commit(main, *FieldOf(main, 201), "250");
  size_t writtenBeforeFailure = 0;
  main.writer.writeOptions.afterChunk = [&](size_t written) {
    writtenBeforeFailure = written;
    return false;
  };
  Save(main);
  EXPECT_GT(writtenBeforeFailure, 0u);
  EXPECT_LT(writtenBeforeFailure, big.size());
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Cannot save, disk full");
  EXPECT_EQ(main.CurrentProfileStatus->hint(), "No space left on device");
  EXPECT_TRUE(main.appearance.blinker().enabled());
  EXPECT_EQ(ReadBytes(app.programFolder() / "Big.ocf"), big);
  EXPECT_EQ(FolderEntries(app.programFolder()), entries);  // no temporary file left
  EXPECT_EQ(main.LoadedProfile, "Big.ocf");
}

// Saving through a symbolic link changes the file it points to; the link stays, and so
// do the file's permissions.
TEST(ProfileSavingTest, SavingKeepsSymbolicLinksAndPermissions) {
  HeadlessApp app;
  const fs::path real = app.environment().root() / "real" / "Mine.ocf";
  fs::create_directories(real.parent_path());
  fs::copy_file(app.programFolder() / kShipped, real);
  fs::permissions(real, fs::perms(0640));
  fs::create_symlink("../real/Mine.ocf", app.programFolder() / "Linked.ocf");
  app.settings().write("LastProfile", "Linked.ocf");
  app.Start();
  Commit(app.main(), *FieldOf(app.main(), 201), "250");
  Save(app.main());
  EXPECT_TRUE(fs::is_symlink(app.programFolder() / "Linked.ocf"));
  EXPECT_NE(ReadBytes(real).find("Value 201=\"250\""), std::string::npos);
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms(0640));
}

// A value a profile line cannot hold is not written, so that the saved profile still loads.
TEST(ProfileSavingTest, ValuesThatWouldNotReadBackAreLeftOut) {
  HeadlessApp app;
  app.Start();
  TMainForm& main = app.main();
  FieldOf(main, 201)->setText("1\"2");
  main.databases.records().at(0)->selector->userEdit(std::string(260, 'M'), 260);
  Save(main);
  EXPECT_EQ(main.CurrentProfileStatus->text(),
            "Status: Profile saved, values with \" or too long left out");
  const std::string saved = ReadBytes(app.programFolder() / kShipped);
  EXPECT_NE(saved.find("Value 201=\"180\"\r\n"), std::string::npos);
  EXPECT_NE(saved.find("Value 130=\"M 31\"\r\n"), std::string::npos);
  main.profilePage.ReloadProfileNow();
  EXPECT_EQ(main.CurrentProfileStatus->text(), "Status: Profile loaded");
}

TEST(ProfileWriterTest, VersionLineFromTheLabel) {
  EXPECT_EQ(VersionLine("Level 1, Version 124 - doesn't match !!"), "Version \"1124\"");
  EXPECT_EQ(VersionLine("Level , Version "), "Version \"\"");
  EXPECT_EQ(VersionLine("Detection failed"), std::nullopt);
}

}  // namespace
}  // namespace orvane::testing
