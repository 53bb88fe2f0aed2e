// What the profile page keeps of the user's files, through the whole program headless in
// virtual time: a profile refused part way through is never written over, names that
// differ only in case each mean their own file, an empty name saves nothing, a profile
// changed on disk is not replaced unasked, failures say what they are, temporary files of
// interrupted saves go, and the status line keeps the outcome of the user's last action.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "persistence/SavingTestSupport.h"
#include "persistence/Trash.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kShipped = "Marovell Standard.ocf";

class ProfileKeepingTest : public ::testing::Test {
 protected:
  TMainForm& main() { return app_->main(); }
  fs::path folder() { return app_->programFolder(); }
  std::string status() { return main().CurrentProfileStatus->text(); }
  void Type(const std::string& text) { main().ProfileFiles->userEdit(text, text.size()); }
  void Save() { main().SaveProfile->click(); }
  void Load(const std::string& text) {
    Type(text);
    main().LoadProfile->click();
  }
  void Start(const std::string& lastProfile = kShipped) {
    app_->settings().write("LastProfile", lastProfile);
    app_->Start();
  }
  // Another run of the program on a folder of its own.
  void Restart() {
    app_.reset();
    app_ = std::make_unique<HeadlessApp>();
  }
  static void Age(const fs::path& file) {
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::minutes(2));
  }

  std::unique_ptr<HeadlessApp> app_ = std::make_unique<HeadlessApp>();
};

TEST_F(ProfileKeepingTest, ARefusedProfileIsNeverWrittenOverButCanBeSavedUnderANewName) {
  const std::string shipped = ReadBytes(folder() / kShipped);
  std::string crOnly = shipped;
  std::erase(crOnly, '\r');
  std::replace(crOnly.begin(), crOnly.end(), '\n', '\r');
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"Long.ocf", "# kept\r\n" + std::string(300, 'x') + "\r\n" + shipped},
      {"Handheld.ocf", "# kept\r\n[Orvane for PDA]\r\n" + shipped},
      {"Mac.ocf", crOnly}};
  for (const auto& [name, text] : refused) {
    Restart();
    WriteFile(folder() / name, text);
    Start(name);
    EXPECT_EQ(status().substr(0, 7), "Error: ") << name;
    main().AutoSaveMode->userSelect(0);
    Type(name);
    Save();
    EXPECT_EQ(status(), "Status: Profile incomplete, not saved");
    app_->Exit();
    EXPECT_EQ(ReadBytes(folder() / name), text) << name;
  }
  // Under a new name it saves what was read.
  Restart();
  WriteFile(folder() / "Long.ocf", refused[0].second);
  Start("Long.ocf");
  Type("Rescued");
  Save();
  EXPECT_EQ(status(), "Status: Profile saved");
  EXPECT_EQ(SplitLines(ReadBytes(folder() / "Rescued.ocf")), main().Profile);
  EXPECT_EQ(main().Profile.front(), "# kept");
  EXPECT_EQ(ReadBytes(folder() / "Long.ocf"), refused[0].second);
}

TEST_F(ProfileKeepingTest, NamesThatDifferOnlyInCaseEachMeanTheirOwnFile) {
  WriteFile(folder() / "Case.ocf", "# upper\r\n");
  WriteFile(folder() / "case.ocf", "# lower\r\n");
  Start("case.ocf");
  EXPECT_EQ(main().Profile.front(), "# lower");
  Save();
  EXPECT_EQ(status(), "Status: Profile saved");
  EXPECT_EQ(ReadBytes(folder() / "Case.ocf"), "# upper\r\n");
  EXPECT_EQ(SplitLines(ReadBytes(folder() / "case.ocf")).front(), "# lower");
  Load("Case");
  EXPECT_EQ(main().Profile.front(), "# upper");
  Load("case.ocf");
  EXPECT_EQ(main().Profile.front(), "# lower");
  Load("CASE");  // no file has this very name: the first listed in another case
  EXPECT_EQ(main().LoadedProfile, "Case.ocf");
  Type("case");
  main().DeleteProfile->click();
  EXPECT_EQ(status(), "Status: Profile deleted");
  EXPECT_EQ(ReadBytes(folder() / "Case.ocf"), "# upper\r\n");
  EXPECT_EQ(SplitLines(ReadBytes(TrashFolder() / "files" / "case.ocf")).front(), "# lower");
}

TEST_F(ProfileKeepingTest, AnEmptyNameSavesNothing) {
  Start();
  const Lines entries = FolderEntries(folder());
  for (const char* typed : {"", ".OCF"}) {
    Type(typed);
    Save();
    EXPECT_EQ(status(), "Status: No profile name, not saved");
  }
  EXPECT_EQ(FolderEntries(folder()), entries);
  EXPECT_EQ(main().LoadedProfile, kShipped);
}

TEST_F(ProfileKeepingTest, AProfileChangedOnDiskIsReplacedOnlyWhenTheUserAgrees) {
  Start();
  const std::string theirs = "# saved by another copy\r\n";
  WriteFile(folder() / kShipped, theirs);
  int answer = ui::modal::kCancel;
  using Box = ui::HeadlessBackend::MessageBoxRecord;
  app_->backend().messageBoxHandler = [&](const Box&) { return answer; };
  Save();
  EXPECT_EQ(status(), "Status: Profile changed on disk, not saved");
  ASSERT_FALSE(app_->backend().messageBoxes.empty());
  EXPECT_EQ(app_->backend().messageBoxes.back().caption, "Orvane");
  EXPECT_EQ(ReadBytes(folder() / kShipped), theirs);
  answer = ui::modal::kOk;
  Save();
  EXPECT_EQ(status(), "Status: Profile saved");
  const std::string ours = ReadBytes(folder() / kShipped);
  EXPECT_EQ(SplitLines(ours), main().Profile);
  // Saved once more without a change on disk: no question.
  const size_t asked = app_->backend().messageBoxes.size();
  Save();
  EXPECT_EQ(app_->backend().messageBoxes.size(), asked);

  // At exit no one can be asked: both versions are kept.
  WriteFile(folder() / kShipped, theirs);
  main().AutoSaveMode->userSelect(0);
  app_->Exit();
  EXPECT_EQ(ReadBytes(folder() / kShipped), theirs);
  EXPECT_EQ(ReadBytes(folder() / "Marovell Standard (2).ocf"), ours);
}

TEST_F(ProfileKeepingTest, FailuresSayWhatTheyAreAndWriteProtectionHolds) {
  Start();
  const fs::path file = folder() / kShipped;
  const std::string before = ReadBytes(file);
  // No write right for anyone: protected even for a process that could write anyway.
  fs::permissions(file, fs::perms(0444));
  Save();
  EXPECT_EQ(status(), "Status: Cannot save due to write protection");
  EXPECT_FALSE(main().CurrentProfileStatus->hint().empty());
  main().DeleteProfile->click();
  EXPECT_EQ(status(), "Status: Unable to delete file");
  EXPECT_EQ(ReadBytes(file), before);

  fs::permissions(file, fs::perms(0640));
  main().writer.writeOptions.failPermissions = EPERM;
  Save();
  EXPECT_EQ(status(), "Status: Profile saved, permissions not kept");
  main().writer.writeOptions.failPermissions = 0;
  Save();
  EXPECT_EQ(status(), "Status: Profile saved");
  EXPECT_TRUE(main().CurrentProfileStatus->hint().empty());
}

TEST_F(ProfileKeepingTest, TemporaryFilesOfInterruptedSavesGoAtTheNextStartOrSave) {
  const fs::path settingsFolder = app_->settings().file().parent_path();
  fs::create_directories(settingsFolder);
  const fs::path old = folder() / ".Night.ocf.orvane-a1B2c3";
  const fs::path fresh = folder() / ".Marovell Standard.ocf.orvane-d4E5f6";
  const fs::path users = folder() / ".notes.backup";
  const fs::path oldSettings = settingsFolder / ".OrvaneControl.conf.orvane-g7H8i9";
  for (const fs::path& file : {old, fresh, users, oldSettings}) WriteFile(file, "x");
  for (const fs::path& file : {old, users, oldSettings}) Age(file);
  Start();
  EXPECT_FALSE(fs::exists(old));
  EXPECT_FALSE(fs::exists(oldSettings));
  EXPECT_TRUE(fs::exists(fresh));  // another copy may be saving right now
  EXPECT_TRUE(fs::exists(users));
  Age(fresh);
  Save();
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_TRUE(fs::exists(users));
}

// The name field hands the focus on after "Save" was clicked, and the toolkit reports its
// text as chosen again: the outcome of the click stays in the status line.
TEST_F(ProfileKeepingTest, TheStatusKeepsTheOutcomeWhenTheFocusLeavesTheName) {
  WriteFile(folder() / "Night.ocf", "# night\r\n");
  Start();
  ui::ComboBox& files = *main().ProfileFiles;
  const auto reportedAgain = [&] { files.userSelect(files.indexOf(files.text())); };
  files.setFocus();
  Save();
  reportedAgain();
  EXPECT_EQ(status(), "Status: Profile saved");
  fs::permissions(folder() / kShipped, fs::perms(0444));
  Save();
  reportedAgain();
  EXPECT_EQ(status(), "Status: Cannot save due to write protection");
  // A name the user picks still says what it finds.
  files.userSelect(files.indexOf("Night.ocf"));
  EXPECT_EQ(status(), "Status: Ready to load Profile");
}

}  // namespace
}  // namespace orvane::testing
