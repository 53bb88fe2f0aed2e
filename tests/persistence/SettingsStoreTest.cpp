#include "persistence/SettingsStore.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "persistence/TempHome.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using test::TempHome;

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

TEST(SettingsStoreTest, MissingFileOrKeyReadsAsNothing) {
  TempHome home;
  SettingsStore store(SettingsStore::DefaultLocation());
  EXPECT_EQ(store.read("LastProfile"), std::nullopt);
  // Only the whole key at the line start counts; comments and look-alikes do not.
  TempHome::WriteFile(store.file(),
                      "COM1=/dev/ttyUSB0\n# LastProfile=a\n LastProfile=b\nlastprofile=d\n");
  EXPECT_EQ(store.read("LastProfile"), std::nullopt);
}

TEST(SettingsStoreTest, RoundTripCreatesFolderAndKeepsValueExactly) {
  TempHome home;
  SettingsStore store(SettingsStore::DefaultLocation());
  const std::vector<std::string> values = {"Night.ocf", "", "a=b=c", "  Marovell Standard.ocf  ",
                                           "C:\\Profiles\\x y.ocf", "#not a comment"};
  for (const std::string& value : values) {
    ASSERT_TRUE(store.write("LastProfile", value)) << value;
    EXPECT_EQ(store.read("LastProfile"), value);
    EXPECT_EQ(SettingsStore(store.file()).read("LastProfile"), value);
  }
  // Only the settings file and its lock file remain: no temporary files are left behind.
  std::vector<std::string> entries = FolderEntries(store.file().parent_path());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"OrvaneControl.conf", "OrvaneControl.conf.lock"}));
  EXPECT_EQ(TempHome::ReadFile(store.file()), "LastProfile=#not a comment\n");
}

TEST(SettingsStoreTest, WriteKeepsOtherLinesAndOrderAndDropsRepeats) {
  TempHome home;
  SettingsStore store(home.root() / "s.conf");
  TempHome::WriteFile(store.file(),
                      "# serial ports\r\n"
                      "COM1=/dev/ttyUSB0\r\n"
                      "\n"
                      "LastProfile=Old.ocf\r\n"
                      "LastProfileX=keep\n"
                      "#LastProfile=comment\n"
                      "no equals sign\n"
                      "LastProfile=Older.ocf\n"
                      "COM2=");
  EXPECT_EQ(store.read("LastProfile"), "Old.ocf");  // CR LF tolerated
  EXPECT_EQ(store.read("COM1"), "/dev/ttyUSB0");
  EXPECT_EQ(store.read("COM2"), "");

  ASSERT_TRUE(store.write("LastProfile", "New.ocf"));
  ASSERT_TRUE(store.write("COM5", "/dev/ttyACM0"));
  EXPECT_EQ(TempHome::ReadFile(store.file()),
            "# serial ports\r\n"
            "COM1=/dev/ttyUSB0\r\n"
            "\n"
            "LastProfile=New.ocf\n"
            "LastProfileX=keep\n"
            "#LastProfile=comment\n"
            "no equals sign\n"
            "COM2=\n"
            "COM5=/dev/ttyACM0\n");
}

TEST(SettingsStoreTest, RefusesKeysAndValuesThatWouldCorruptTheFile) {
  TempHome home;
  SettingsStore store(home.root() / "s.conf");
  TempHome::WriteFile(store.file(), "LastProfile=Old.ocf\n");
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"", "x"}, {"A=B", "x"}, {"#C", "x"}, {"K\nCOM1", "x"},
      {"LastProfile", "a\nCOM1=/dev/evil"}, {"LastProfile", "a\r"}};
  for (const auto& [key, value] : refused) EXPECT_FALSE(store.write(key, value)) << key;
  EXPECT_EQ(TempHome::ReadFile(store.file()), "LastProfile=Old.ocf\n");
}

TEST(SettingsStoreTest, FailedWriteChangesNothingAndLeavesNoTemporaryFile) {
  TempHome home;
  // The settings path is taken by a folder: neither read nor replace it.
  const fs::path folder = home.root() / "cfg";
  fs::create_directories(folder / "s.conf");
  SettingsStore blocked(folder / "s.conf");
  EXPECT_EQ(blocked.read("LastProfile"), std::nullopt);
  EXPECT_FALSE(blocked.write("LastProfile", "x"));
  EXPECT_TRUE(fs::is_directory(folder / "s.conf"));
  EXPECT_TRUE(fs::is_empty(folder / "s.conf"));
  EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"s.conf"});

  // The folder's place is taken by a file: the folder cannot be created.
  TempHome::WriteFile(home.root() / "plain", "data");
  EXPECT_FALSE(SettingsStore(home.root() / "plain" / "s.conf").write("LastProfile", "x"));
  EXPECT_EQ(TempHome::ReadFile(home.root() / "plain"), "data");
}

// A settings file that is a symbolic link (a chain, a relative one) stays a link; the file
// at its end takes the change and keeps its permissions.
TEST(SettingsStoreTest, WriteThroughSymbolicLinksKeepsTheLinks) {
  TempHome home;
  const fs::path real = home.root() / "dotfiles" / "orvane.conf";
  TempHome::WriteFile(real, "COM1=/dev/ttyUSB0\n");
  fs::permissions(real, fs::perms(0600));
  fs::create_directories(home.root() / "cfg");
  fs::create_symlink("../dotfiles/orvane.conf", home.root() / "cfg" / "middle.conf");
  fs::create_symlink(home.root() / "cfg" / "middle.conf", home.root() / "cfg" / "s.conf");
  SettingsStore store(home.root() / "cfg" / "s.conf");
  EXPECT_TRUE(store.write("LastProfile", "Night.ocf"));
  EXPECT_TRUE(fs::is_symlink(home.root() / "cfg" / "s.conf"));
  EXPECT_TRUE(fs::is_symlink(home.root() / "cfg" / "middle.conf"));
  EXPECT_EQ(TempHome::ReadFile(real), "COM1=/dev/ttyUSB0\nLastProfile=Night.ocf\n");
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms(0600));
  EXPECT_EQ(FolderEntries(home.root() / "dotfiles"), std::vector<std::string>{"orvane.conf"});
}

// Two running programs write at the same moment, each its own keys: every write of both is
// in the file afterwards (each write reads the file again under the lock).
TEST(SettingsStoreTest, TwoProgramsWritingAtOnceKeepEachOthersChanges) {
  TempHome home;
  const fs::path file = SettingsStore::DefaultLocation();
  ASSERT_TRUE(SettingsStore(file).write("LastProfile", "Night.ocf"));
  constexpr int kWrites = 40;
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> writers;
  for (const char* prefix : {"A", "B"}) {
    const pid_t child = ::fork();
    if (child == 0) {
      char go = 0;
      const bool started = ::read(start[0], &go, 1) == 1;
      SettingsStore store(file);
      bool written = started;
      for (int i = 0; i < kWrites; ++i) {
        written = store.write(prefix + std::to_string(i), std::to_string(i)) && written;
      }
      ::_exit(written ? 0 : 1);
    }
    writers.push_back(child);
  }
  ASSERT_EQ(::write(start[1], "go", 2), 2);  // both begin together
  for (const pid_t writer : writers) {
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ::close(start[0]);
  ::close(start[1]);
  SettingsStore store(file);
  for (const char* prefix : {"A", "B"}) {
    for (int i = 0; i < kWrites; ++i) {
      EXPECT_EQ(store.read(prefix + std::to_string(i)), std::to_string(i)) << prefix << i;
    }
  }
  EXPECT_EQ(store.read("LastProfile"), "Night.ocf");
}

TEST(SettingsStoreTest, DefaultLocationFollowsXdgConfigHomeThenHome) {
  TempHome home;
  const fs::path tail = fs::path("OrvaneControl") / "OrvaneControl.conf";
  EXPECT_EQ(SettingsStore::DefaultLocation(), home.root() / "config" / tail);
  const fs::path fallback = home.root() / "home" / ".config" / tail;
  TempHome::unset("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsStore::DefaultLocation(), fallback);
  TempHome::set("XDG_CONFIG_HOME", "");
  EXPECT_EQ(SettingsStore::DefaultLocation(), fallback);
  TempHome::set("XDG_CONFIG_HOME", "relative/dir");  // invalid under the XDG rules
  EXPECT_EQ(SettingsStore::DefaultLocation(), fallback);

  // The fallback place works end to end, folders created on the way.
  SettingsStore store(SettingsStore::DefaultLocation());
  ASSERT_TRUE(store.write("LastProfile", "Night.ocf"));
  EXPECT_EQ(TempHome::ReadFile(fallback), "LastProfile=Night.ocf\n");
}

}  // namespace
}  // namespace orvane
