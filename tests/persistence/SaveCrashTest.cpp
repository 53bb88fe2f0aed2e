// A program killed (SIGKILL) while it saves a large profile leaves the old file or the new
// one, whole, never a mixture. The program runs headless in a child process; it tells the
// test through a pipe how far it got, and the test kills it there.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "persistence/ProfileFolder.h"
#include "persistence/ProfileWriter.h"
#include "persistence/SavingTestSupport.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr size_t kPauseAfterBytes = 256 * 1024;
constexpr int kReplyLimitMs = 60000;

void Tell(int pipe, char what) {
  while (::write(pipe, &what, 1) < 0 && errno == EINTR) {
  }
}

// The next report of the child, or 0 when none came in time.
char Await(int pipe) {
  pollfd wait{pipe, POLLIN, 0};
  char what = 0;
  if (::poll(&wait, 1, kReplyLimitMs) == 1 && ::read(pipe, &what, 1) == 1) return what;
  return 0;
}

// The child: the whole program on the large profile, saving it. With pauseHalfway it stops
// for good after part of the file is written and reports 'h'. Otherwise it first writes the
// two texts a save can produce to expect-250 and expect-251 beside the program's folder,
// reports 'r', then saves alternately with either value and reports 's' after each save.
[[noreturn]] void RunSavingProgram(const fs::path& folder, int pipe, bool pauseHalfway) {
  // The child's own temporary folders go where the test removes them.
  const fs::path temporary = folder.parent_path() / "child-tmp";
  fs::create_directories(temporary);
  ::setenv("TMPDIR", temporary.c_str(), 1);
  HeadlessApp app(ui::Size{1024, 768}, folder);
  app.settings().write("LastProfile", "Big.ocf");
  app.Start();
  TMainForm& main = app.main();
  ui::MaskEdit& field = *FieldOf(main, 201);
  if (pauseHalfway) {
    main.writer.writeOptions.afterChunk = [pipe](size_t written) {
      if (written >= kPauseAfterBytes) {
        Tell(pipe, 'h');
        for (;;) ::pause();
      }
      return true;
    };
    field.setText("250");
    main.profilePage.SaveProfileClick();
    ::_exit(1);
  }
  for (const char* value : {"250", "251"}) {
    field.setText(value);
    main.writer.SaveSettings();
    WriteFile(folder.parent_path() / (std::string("expect-") + value),
              ProfileFileText(main.Profile));
  }
  Tell(pipe, 'r');
  for (int i = 0;; ++i) {
    field.setText(i % 2 == 0 ? "250" : "251");
    main.profilePage.SaveProfileClick();
    Tell(pipe, 's');
  }
}

class SaveCrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_);
    old_ = ReadBytes(ShippedProfilesFolder() / "Marovell Standard.ocf");
    for (int i = 0; i < 20000; ++i)
      old_ += "# line " + std::to_string(i) + " of the observing log kept in this profile\r\n";
    WriteFile(folder_ / "Big.ocf", old_);
  }

  // Starts the saving program; the pipe's reading end is returned.
  int Start(bool pauseHalfway) {
    int ends[2];
    if (::pipe(ends) != 0) return -1;
    child_ = ::fork();
    if (child_ == 0) {
      ::close(ends[0]);
      RunSavingProgram(folder_, ends[1], pauseHalfway);
    }
    ::close(ends[1]);
    return ends[0];
  }
  void Kill(int pipe) {
    ::kill(child_, SIGKILL);
    int status = 0;
    ::waitpid(child_, &status, 0);
    ::close(pipe);
    EXPECT_TRUE(WIFSIGNALED(status));
  }

  TempEnvironment environment_;
  fs::path folder_ = environment_.root() / "program";
  std::string old_;
  pid_t child_ = -1;
};

TEST_F(SaveCrashTest, KilledHalfWayThroughWritingLeavesTheOldFile) {
  const int pipe = Start(true);
  ASSERT_EQ(Await(pipe), 'h');
  Kill(pipe);
  EXPECT_EQ(ReadBytes(folder_ / "Big.ocf"), old_);
  EXPECT_EQ(GetFiles(folder_, "*.ocf"), Lines{"Big.ocf"});
}

TEST_F(SaveCrashTest, KilledAtAnyMomentLeavesOneWholeFile) {
  for (int saves = 1; saves <= 3; ++saves) {
    const int pipe = Start(false);
    ASSERT_EQ(Await(pipe), 'r');
    for (int i = 0; i < saves; ++i) ASSERT_EQ(Await(pipe), 's');
    Kill(pipe);
    const std::string file = ReadBytes(folder_ / "Big.ocf");
    const std::string first = ReadBytes(environment_.root() / "expect-250");
    const std::string second = ReadBytes(environment_.root() / "expect-251");
    ASSERT_GT(first.size(), old_.size() / 2);
    EXPECT_TRUE(file == first || file == second) << "after " << saves << " saves";
    EXPECT_EQ(GetFiles(folder_, "*.ocf"), Lines{"Big.ocf"});
  }
}

}  // namespace
}  // namespace orvane::testing
