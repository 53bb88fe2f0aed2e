// Two copies of the whole program, each in a process of its own, share one settings file
// and write it at the same time: one switches sharing on and off without pause, the other
// saves a profile under a new name and exits, again and again. Neither may undo a setting
// the other has just stored.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <new>
#include <thread>

#include "persistence/SavingTestSupport.h"
#include "share/ShareTestSupport.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 6;
constexpr auto kPatience = std::chrono::seconds(60);

// What the two processes and the test share: the sharing copy's count of finished clicks,
// and the test's word that it may stop.
struct Race {
  std::atomic<long> clicks{0};
  std::atomic<bool> stop{false};
};

// A program of its own (own HOME, program folder) whose settings folder is the shared one.
std::unique_ptr<HeadlessApp> CopyOnSharedSettings(const fs::path& settingsFolder) {
  auto app = std::make_unique<HeadlessApp>();
  fs::create_symlink(settingsFolder, app->environment().root() / "config" / "OrvaneControl");
  app->Start();
  return app;
}

bool WaitFor(const std::function<bool()>& condition) {
  const auto giveUp = std::chrono::steady_clock::now() + kPatience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// The first copy: clicks the sharing switch until told to stop. Exit status 0 when sharing
// was switched and the file ends with the state it ended in. (A click may find the ports
// taken by the second copy for a moment; it changes nothing then.)
[[noreturn]] void RunSharingCopy(const fs::path& settingsFolder, Race& race) {
  auto app = CopyOnSharedSettings(settingsFolder);
  TMainForm& main = app->main();
  ShareServer& server = *app->app().share();
  long switches = 0;
  while (!race.stop) {
    const bool wasRunning = server.running();
    main.ShareSwitch->click();
    if (server.running() != wasRunning) ++switches;
    ++race.clicks;
  }
  const std::string expected = server.running() ? "on" : "off";
  const bool kept = app->settings().read("Share") == expected;
  app.reset();
  ::_exit((switches > 2 * kRounds ? 0 : 1) + (kept ? 0 : 2));
}

// The second copy: saves a profile under a new name and exits, kRounds times. After each
// exit it waits until the sharing copy has finished two more clicks (any write of that copy
// begun before the exit has ended then) and checks that LastProfile still names its
// profile. Exit status: the number of rounds whose LastProfile was lost.
[[noreturn]] void RunSavingCopies(const fs::path& settingsFolder, Race& race) {
  if (!WaitFor([&] { return race.clicks > 0; })) ::_exit(100);
  SettingsStore settings(settingsFolder / "OrvaneControl.conf");
  int lost = 0;
  for (int round = 0; round < kRounds; ++round) {
    const std::string name = "Round " + std::to_string(round);
    auto app = CopyOnSharedSettings(settingsFolder);
    // It came up sharing when the file said so; its user leaves the ports to the other copy.
    if (app->app().share()->running()) app->main().ShareSwitch->click();
    app->main().ProfileFiles->userEdit(name, name.size());
    app->main().SaveProfile->click();
    app->Exit();
    app.reset();
    const long after = race.clicks + 2;
    if (!WaitFor([&] { return race.clicks >= after; })) ::_exit(101);
    if (settings.read("LastProfile") != name + ".ocf") ++lost;
  }
  ::_exit(lost);
}

TEST(TwoRunningCopiesTest, NeitherUndoesTheSettingsTheOtherStored) {
  TempEnvironment environment;
  const fs::path folder = environment.root() / "config" / "OrvaneControl";
  SettingsStore settings(folder / "OrvaneControl.conf");
  ASSERT_TRUE(settings.write("ShareTextPort", std::to_string(share_test::FreePort())));
  ASSERT_TRUE(settings.write("ShareStellariumPort", std::to_string(share_test::FreePort())));

  void* shared = ::mmap(nullptr, sizeof(Race), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  Race& race = *new (shared) Race;

  const pid_t sharing = ::fork();
  if (sharing == 0) RunSharingCopy(folder, race);
  const pid_t saving = ::fork();
  if (saving == 0) RunSavingCopies(folder, race);

  int savingStatus = 0;
  ::waitpid(saving, &savingStatus, 0);
  race.stop = true;
  int sharingStatus = 0;
  ::waitpid(sharing, &sharingStatus, 0);
  EXPECT_TRUE(WIFEXITED(savingStatus) && WEXITSTATUS(savingStatus) == 0)
      << "LastProfile lost in " << WEXITSTATUS(savingStatus) << " of " << kRounds << " rounds";
  EXPECT_TRUE(WIFEXITED(sharingStatus) && WEXITSTATUS(sharingStatus) == 0)
      << "sharing copy: " << sharingStatus;
  EXPECT_GT(race.clicks, 2 * kRounds);
  ::munmap(shared, sizeof(Race));
}

}  // namespace
}  // namespace orvane::testing
