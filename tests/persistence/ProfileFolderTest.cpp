#include "persistence/ProfileFolder.h"

#include <gtest/gtest.h>

#include "persistence/TempHome.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using test::TempHome;
using Names = std::vector<std::string>;

TEST(ProfileFolderTest, AddEndingIfNeeded) {
  struct Case {
    std::string name, ending, expected;
  };
  const std::vector<Case> cases = {
      {"Night", ".ocf", "Night.ocf"},
      {"Night.ocf", ".ocf", "Night.ocf"},
      {"A.OCF", ".ocf", "A.OCF"},
      {"a.Ocf", ".ocf", "a.Ocf"},
      {"", ".ocf", ".ocf"},
      {".ocf", ".ocf", ".ocf"},
      {"ocf", ".ocf", "ocf.ocf"},
      {"Night.ocf.bak", ".ocf", "Night.ocf.bak.ocf"},
      {"Stars.TXT", ".txt", "Stars.TXT"},
      {"\xC9toiles.\xC4XT", ".\xE4xt", "\xC9toiles.\xC4XT"},  // Latin-1 capitals
      // Endings that are not four characters long are compared whole as well.
      {"data.json", ".json", "data.json"},
      {"son", ".json", "son.json"},
      {"main.c", ".c", "main.c"},
      {"x", ".c", "x.c"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AddEndingIfNeeded(c.name, c.ending), c.expected) << c.name << " + " << c.ending;
}

TEST(ProfileFolderTest, MatchesWildcard) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const std::vector<Case> cases = {
      {"Night.ocf", "*.ocf", true},        {"NIGHT.OCF", "*.ocf", true},
      {".ocf", "*.ocf", true},             {"Night.ocfx", "*.ocf", false},
      {"Night.oc", "*.ocf", false},        {"Night.ocf.bak", "*.ocf", false},
      {"a.ocf.ocf", "*.ocf", true},        {"abc", "a?c", true},
      {"ac", "a?c", false},                {"abbc", "a?c", false},
      {"abc", "*", true},                  {"", "*", true},
      {"", "", true},                      {"a", "", false},
      {"", "?", false},                    {"abc", "a**c", true},
      {"mississippi", "m*iss*ppi", true},  {"mississippi", "m*iss*ppx", false},
      {"aaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*c", false},
      {"cat.txt", "*.*", true},            {"README", "*.*", false},
      {"star*.txt", "star*.txt", true},    {"\xE9t\xE9.txt", "\xC9T\xC9.*", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(ProfileFolderTest, GetFilesListsMatchingPlainFilesSorted) {
  TempHome home;
  const fs::path folder = home.root() / "prog";
  for (const char* name : {"b.ocf", "A.OCF", "a.ocf", "Night.ocf", "c.ocf.bak", ".hidden.ocf",
                           "notes.txt"})
    TempHome::WriteFile(folder / name, "x");
  fs::create_directories(folder / "dir.ocf");
  fs::create_symlink(folder / "b.ocf", folder / "link.ocf");
  fs::create_symlink(folder / "missing", folder / "dangling.ocf");

  EXPECT_EQ(GetFiles(folder, "*.ocf"), (Names{"A.OCF", "a.ocf", "b.ocf", "link.ocf", "Night.ocf"}));
  EXPECT_EQ(GetFiles(folder, "*.TXT"), Names{"notes.txt"});
  EXPECT_EQ(GetFiles(folder, "?.ocf"), (Names{"A.OCF", "a.ocf", "b.ocf"}));
  EXPECT_TRUE(GetFiles(folder, "*.dat").empty());
  EXPECT_TRUE(GetFiles(home.root() / "absent", "*").empty());
}

class ResolveProgramFolderTest : public ::testing::Test {
 protected:
  TempHome home_;
  fs::path exe_ = home_.root() / "bin";
  fs::path seed_ = home_.root() / "share" / "profiles";
  fs::path data_ = home_.root() / "data" / "OrvaneControl";

  void SetUp() override {
    fs::create_directories(exe_);
    TempHome::WriteFile(exe_ / "orvane-control", "program");
    TempHome::WriteFile(seed_ / "Marovell Standard.ocf", "shipped profile");
    TempHome::WriteFile(seed_ / "Catalog.txt", "shipped catalog");
    fs::create_directories(seed_ / "sub");
  }
};

TEST_F(ResolveProgramFolderTest, ExecutableFolderWithProfileIsUsedAsIs) {
  TempHome::WriteFile(exe_ / "Marovell Standard.OCF", "portable");
  EXPECT_EQ(ResolveProgramFolder(exe_, {seed_}), exe_);
  EXPECT_FALSE(fs::exists(data_));
}

TEST_F(ResolveProgramFolderTest, OtherwiseUserDataFolderIsCreatedAndSeeded) {
  const fs::path absent = home_.root() / "nowhere";
  EXPECT_EQ(ResolveProgramFolder(exe_, {absent, seed_, exe_}), data_);
  EXPECT_EQ(GetFiles(data_, "*"), (Names{"Catalog.txt", "Marovell Standard.ocf"}));
  EXPECT_EQ(TempHome::ReadFile(data_ / "Marovell Standard.ocf"), "shipped profile");
  EXPECT_FALSE(fs::exists(data_ / "sub"));
  // Nothing but the seeded files: no temporary copies are left.
  EXPECT_EQ(std::distance(fs::directory_iterator(data_), fs::directory_iterator()), 2);
}

TEST_F(ResolveProgramFolderTest, SeedingNeverOverwritesUserFiles) {
  TempHome::WriteFile(data_ / "Catalog.txt", "user catalog");
  EXPECT_EQ(ResolveProgramFolder(exe_, {seed_}), data_);
  EXPECT_EQ(TempHome::ReadFile(data_ / "Catalog.txt"), "user catalog");
  EXPECT_EQ(TempHome::ReadFile(data_ / "Marovell Standard.ocf"), "shipped profile");
}

TEST_F(ResolveProgramFolderTest, DeletedShippedFileStaysDeletedOnceProfilesExist) {
  ASSERT_EQ(ResolveProgramFolder(exe_, {seed_}), data_);
  TempHome::WriteFile(data_ / "Night.ocf", "user profile");
  fs::remove(data_ / "Marovell Standard.ocf");
  fs::remove(data_ / "Catalog.txt");
  EXPECT_EQ(ResolveProgramFolder(exe_, {seed_}), data_);
  EXPECT_EQ(GetFiles(data_, "*"), Names{"Night.ocf"});
}

TEST_F(ResolveProgramFolderTest, UserDataFolderFallsBackToHome) {
  const fs::path fallback = home_.root() / "home" / ".local" / "share" / "OrvaneControl";
  EXPECT_EQ(UserDataFolder(), data_);
  TempHome::set("XDG_DATA_HOME", "");
  EXPECT_EQ(UserDataFolder(), fallback);
  TempHome::unset("XDG_DATA_HOME");
  EXPECT_EQ(ResolveProgramFolder(exe_, {seed_}), fallback);
  EXPECT_TRUE(fs::exists(fallback / "Marovell Standard.ocf"));
}

TEST_F(ResolveProgramFolderTest, NoSeedFolderGivesAnEmptyCreatedFolder) {
  EXPECT_EQ(ResolveProgramFolder(exe_, {}), data_);
  EXPECT_TRUE(fs::is_directory(data_));
  EXPECT_TRUE(fs::is_empty(data_));
}

}  // namespace
}  // namespace orvane
