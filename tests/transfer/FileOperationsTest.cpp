// The file buttons of a panel against the program's folder (a temporary one): choosing a
// name, "Load", "Reload", "Save" and "Delete" with their status lines, and what happens when
// a file cannot be read or written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "persistence/ProfileFolder.h"
#include "persistence/Trash.h"
#include "transfer/TextFile.h"
#include "transfer/TransferTestSupport.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

class FileOperationsTest : public TransferTest {
 protected:
  void refillFileList() { panel().fileList->setItems(GetFiles(folder(), "*.txt")); }
  void SetUp() override {
    WriteFile(folder() / "m31.txt", "M 31,00:42:44,+41:16:09#\r\nM 32,00:42:42,+40:51:55#\r\n");
    StartWithPanels();
  }
};

TEST_F(FileOperationsTest, TheTypedNameDecidesTheButtonsAndTheStatus) {
  Type("m31");
  EXPECT_EQ(status(), "Status: Ready to load file");
  EXPECT_TRUE(shown(kLoad) && shown(kSave) && shown(kDelete));
  EXPECT_FALSE(shown(kReload));
  // The look-up ignores letter case, and the ending is not added twice.
  Type("M31.TXT");
  EXPECT_EQ(status(), "Status: Ready to load file");
  EXPECT_TRUE(shown(kLoad));
  Type("m33");
  EXPECT_EQ(status(), "Status: No such file");
  EXPECT_FALSE(shown(kLoad) || shown(kDelete));
  EXPECT_TRUE(shown(kSave));
  Type("a:b");
  EXPECT_FALSE(shown(kLoad) || shown(kSave) || shown(kDelete));
  Type("");
  EXPECT_EQ(status(), "Status: No such file");
  EXPECT_FALSE(shown(kSave));
}

TEST_F(FileOperationsTest, LoadReloadAndAFileThatCannotBeRead) {
  Type("M31.TXT");
  Click(fileButton(kLoad));
  EXPECT_EQ(memo().lines(), (Lines{"M 31,00:42:44,+41:16:09#", "M 32,00:42:42,+40:51:55#"}));
  EXPECT_EQ(panel().currentFile, "m31.txt");
  EXPECT_EQ(status(), "Status: File loaded");
  EXPECT_TRUE(shown(kReload));

  WriteFile(folder() / "m31.txt", "M 33,01:33:50,+30:39:37#\n");
  memo().setLines({"edited", "by the user"});
  memo().setSelection({1, 3}, {1, 8});
  Click(fileButton(kReload));
  EXPECT_EQ(memo().lines(), (Lines{"M 33,01:33:50,+30:39:37#"}));
  // A new text: nothing selected, the caret at its start.
  EXPECT_EQ(memo().caret(), (ui::TextPosition{0, 0}));
  EXPECT_FALSE(memo().hasSelection());

  // Gone, or a folder in its place: the memo keeps its lines and the status says so.
  std::filesystem::remove(folder() / "m31.txt");
  Click(fileButton(kReload));
  EXPECT_EQ(status(), "Status: Cannot read file");
  EXPECT_EQ(memo().lines(), (Lines{"M 33,01:33:50,+30:39:37#"}));
  std::filesystem::create_directory(folder() / "m31.txt");
  Click(fileButton(kReload));
  EXPECT_EQ(status(), "Status: Cannot read file");
  EXPECT_EQ(memo().lines().size(), 1u);
  EXPECT_TRUE(backend().messageBoxes.empty());

  // A named pipe is not opened (that would wait for a writer for ever); a file larger than
  // a memo can sensibly hold is not read.
  std::filesystem::remove(folder() / "m31.txt");
  ASSERT_EQ(::mkfifo((folder() / "m31.txt").c_str(), 0600), 0);
  memo().setLines({"kept"});
  Click(fileButton(kReload));
  EXPECT_EQ(status(), "Status: Cannot read file");
  WriteFile(folder() / "huge.txt", std::string(kMaxLoadedFileBytes + 1, 'x'));
  main().profilePage.ReloadProfileNow();
  memo().setLines({"kept"});
  Type("huge");
  ASSERT_TRUE(shown(kLoad));
  Click(fileButton(kLoad));
  EXPECT_EQ(status(), "Status: File too large to load");
  EXPECT_EQ(memo().lines(), Lines{"kept"});
}

TEST_F(FileOperationsTest, SaveWritesTheMemoLinesAndRefusesWhatItCannotReplace) {
  memo().setLines({"Vega,18:36:56,+38:47:01#", "", "Deneb,20:41:26,+45:16:49#"});
  Type("mine");
  Click(fileButton(kSave));
  EXPECT_EQ(status(), "Status: File saved");
  EXPECT_EQ(fileText("mine.txt"), "Vega,18:36:56,+38:47:01#\r\n\r\nDeneb,20:41:26,+45:16:49#\r\n");
  EXPECT_EQ(panel().currentFile, "mine.txt");
  EXPECT_GE(panel().fileList->indexOf("mine.txt"), 0);
  EXPECT_TRUE(shown(kLoad) && shown(kReload) && shown(kDelete));

  // Saved again under the listed name, however it is typed; nothing else is left beside it.
  memo().setLines({"Altair,19:50:47,+08:52:06#"});
  Type("MINE");
  Click(fileButton(kSave));
  EXPECT_EQ(fileText("mine.txt"), "Altair,19:50:47,+08:52:06#\r\n");
  EXPECT_EQ(GetFiles(folder(), "*mine*"), (Lines{"mine.txt"}));

  // A folder of that name cannot be replaced: the status says so and the folder stays.
  std::filesystem::create_directory(folder() / "held.txt");
  Type("held");
  Click(fileButton(kSave));
  EXPECT_EQ(status(), "Status: Cannot save due to write protection");
  EXPECT_TRUE(std::filesystem::is_directory(folder() / "held.txt"));
  EXPECT_EQ(panel().currentFile, "mine.txt");
}

// Of "star.txt" and "Star.txt" each is found by its own name; failures say what they are,
// and a write-protected file is neither replaced nor deleted.
TEST_F(FileOperationsTest, CaseTwinsAndWriteProtection) {
  WriteFile(folder() / "Star.txt", "Upper\r\n");
  WriteFile(folder() / "star.txt", "lower\r\n");
  refillFileList();
  Type("star");
  Click(fileButton(kLoad));
  EXPECT_EQ(memo().lines(), Lines{"lower"});
  memo().setLines({"changed"});
  Click(fileButton(kSave));
  EXPECT_EQ(fileText("star.txt"), "changed\r\n");
  EXPECT_EQ(fileText("Star.txt"), "Upper\r\n");

  std::filesystem::permissions(folder() / "Star.txt", std::filesystem::perms(0444));
  Type("Star");
  Click(fileButton(kSave));
  EXPECT_EQ(status(), "Status: Cannot save due to write protection");
  EXPECT_FALSE(panel().statusLabel->hint().empty());
  Click(fileButton(kDelete));
  EXPECT_EQ(status(), "Status: Unable to delete file");
  EXPECT_EQ(fileText("Star.txt"), "Upper\r\n");
}

TEST_F(FileOperationsTest, DeleteMovesTheFileToTheTrashAndKeepsTheMemo) {
  Type("m31");
  Click(fileButton(kLoad));
  Click(fileButton(kDelete));
  EXPECT_EQ(status(), "Status: File deleted");
  EXPECT_FALSE(std::filesystem::exists(folder() / "m31.txt"));
  EXPECT_TRUE(std::filesystem::exists(TrashFolder() / "files" / "m31.txt"));
  EXPECT_EQ(panel().fileList->text(), "");
  EXPECT_EQ(panel().fileList->indexOf("m31.txt"), -1);
  EXPECT_EQ(panel().currentFile, "");
  EXPECT_FALSE(shown(kReload));
  EXPECT_EQ(memo().lines().size(), 2u);

  Type("m31");
  Click(fileButton(kDelete));
  EXPECT_EQ(status(), "Status: Unable to delete file");
}

}  // namespace
}  // namespace orvane::testing
