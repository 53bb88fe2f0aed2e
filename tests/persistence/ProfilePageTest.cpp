// "Delete" on the profile page through the whole program, headless in virtual time: the
// profile goes into the desktop's trash.
#include <gtest/gtest.h>

#include "persistence/SavingTestSupport.h"
#include "persistence/Trash.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

class ProfilePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(app_.programFolder() / "Night.ocf", "Sheet \"Night\"\r\n");
    app_.Start();
  }
  TMainForm& main() { return app_.main(); }
  std::string status() { return main().CurrentProfileStatus->text(); }
  void Type(const std::string& text) { main().ProfileFiles->userEdit(text, text.size()); }
  fs::path trash() { return app_.environment().root() / "data" / "Trash"; }

  HeadlessApp app_;
};

TEST_F(ProfilePageTest, DeleteMovesTheProfileIntoTheTrash) {
  Type("night");
  main().DeleteProfile->click();
  EXPECT_EQ(status(), "Status: Profile deleted");
  EXPECT_FALSE(fs::exists(app_.programFolder() / "Night.ocf"));
  EXPECT_EQ(main().ProfileFiles->text(), "");
  EXPECT_EQ(main().ProfileFiles->indexOf("Night.ocf"), -1);
  EXPECT_FALSE(main().LoadProfile->visible());
  EXPECT_EQ(ReadBytes(trash() / "files" / "Night.ocf"), "Sheet \"Night\"\r\n");
  const Lines info = SplitLines(ReadBytes(trash() / "info" / "Night.ocf.trashinfo"));
  ASSERT_EQ(info.size(), 3u);
  EXPECT_EQ(info[0], "[Trash Info]");
  EXPECT_EQ(info[1], "Path=" + TrashInfoPath((app_.programFolder() / "Night.ocf").string()));
  EXPECT_EQ(info[2].substr(0, 13), "DeletionDate=");
  EXPECT_EQ(info[2].size(), 13u + 19u);

  // A second profile of that name is kept beside the first.
  WriteFile(app_.programFolder() / "Night.ocf", "second");
  main().profilePage.ProfilesChange();
  Type("Night.ocf");
  main().DeleteProfile->click();
  EXPECT_EQ(ReadBytes(trash() / "files" / "Night.2.ocf"), "second");
  EXPECT_TRUE(fs::exists(trash() / "info" / "Night.2.ocf.trashinfo"));

  // The loaded profile: deleting it forgets it, so "Reload" goes.
  Type("Marovell Standard");
  main().DeleteProfile->click();
  EXPECT_EQ(status(), "Status: Profile deleted");
  EXPECT_TRUE(main().LoadedProfile.empty());
  EXPECT_FALSE(main().ReloadProfile->visible());
  EXPECT_TRUE(fs::exists(trash() / "files" / "Marovell Standard.ocf"));

  // A name that is no file cannot be deleted.
  main().ProfileFiles->setText("Gone");
  main().profilePage.DeleteProfileClick();
  EXPECT_EQ(status(), "Status: Unable to delete file");
  EXPECT_EQ(main().ProfileFiles->text(), "Gone.ocf");
}

TEST(TrashTest, InfoPathsArePercentEncoded) {
  EXPECT_EQ(TrashInfoPath("/home/me/Marovell Standard.ocf"), "/home/me/Marovell%20Standard.ocf");
  EXPECT_EQ(TrashInfoPath("/a/b-c_d.e~f"), "/a/b-c_d.e~f");
  EXPECT_EQ(TrashInfoPath("/\xE9t\xE9%#?.ocf"), "/%E9t%E9%25%23%3F.ocf");
}

}  // namespace
}  // namespace orvane::testing
