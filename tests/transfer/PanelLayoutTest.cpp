// A file transfer panel as its profile line builds it: names, places, captions, tab order,
// the commands bound to its memo, in the three-button and the one-button form, with and
// without the alignment buttons, and its colours in night vision.
#include <gtest/gtest.h>

#include "transfer/TransferTestSupport.h"

namespace orvane::testing {
namespace {

struct Box {
  int left, top, width;
};
void ExpectBox(const ui::Widget& widget, Box box) {
  EXPECT_EQ(widget.left(), box.left) << widget.name();
  EXPECT_EQ(widget.top(), box.top) << widget.name();
  EXPECT_EQ(widget.width(), box.width) << widget.name();
}

TEST_F(TransferTest, TheThreeButtonPanelWithAlignment) {
  // Two rows before it: the panel's row is the third (r = 3).
  StartWithPanels({"10 \"Heading\"", "20 \"Another\"", kCatalogLine});
  FileTransferStruct& p = panel();
  const int r = 3;
  EXPECT_EQ(p.number, "300");
  EXPECT_EQ(main().sheets.sheets().front()->labels.back()->text(), "Catalog:");
  EXPECT_EQ(main().sheets.sheets().front()->labels.back()->top(), 30 * r - 25);

  ui::ComboBox& list = *p.fileList;
  EXPECT_EQ(list.name(), "DynamicFileBox300");
  ExpectBox(list, {160, 30 * r - 27, 340});
  EXPECT_EQ(list.tag(), 300);
  EXPECT_TRUE(list.editable());
  EXPECT_EQ(list.text(), "(Supported file types: *.txt)");
  EXPECT_EQ(list.hint(), "Supported file types: *.txt");
  EXPECT_EQ(list.items(), (std::vector<std::string>{"Bright Stars.txt", "Deep Sky.txt"}));

  const char* captions[] = {"Receive", "Send", "Clear"};
  const char* commands[] = {":OS", ":Od", ":Oc"};
  for (size_t i = 0; i < 3; ++i) {
    ui::Button& button = *p.commandButtons[i];
    EXPECT_EQ(button.name(), "DynamicFileButton300" + std::to_string(i + 1));
    ExpectBox(button, {163 + 117 * static_cast<int>(i), 30 * r + 65, 106});
    EXPECT_EQ(button.text(), captions[i]);
    EXPECT_TRUE(button.visible());
    ASSERT_NE(p.bindings[i], nullptr);
    EXPECT_EQ(p.bindings[i]->command, commands[i]);
    EXPECT_EQ(p.bindings[i]->control, p.memo.get());
  }
  for (size_t j = 0; j < 4; ++j) {
    ExpectBox(*p.fileButtonShapes[j], {160 + 90 * static_cast<int>(j), 30 * r + 6, 70});
    ExpectBox(*p.fileButtonLabels[j], {160 + 90 * static_cast<int>(j), 30 * r + 6, 70});
    EXPECT_EQ(p.fileButtonLabels[j]->name(), "DBLabel300_" + std::to_string(j + 1));
    EXPECT_EQ(p.fileButtonLabels[j]->text(), kFileButtonCaptions[j]);
    EXPECT_FALSE(p.fileButtonLabels[j]->visible());
    EXPECT_FALSE(p.fileButtonShapes[j]->visible());
  }
  EXPECT_EQ(p.statusLabel->name(), "DynamicLabel300_1");
  EXPECT_EQ(p.statusLabel->left(), 160);
  EXPECT_EQ(p.statusLabel->top(), 30 * r + 39);
  EXPECT_EQ(p.statusLabel->text(), "Status: Empty");

  const int memoTop = 30 * r + 30 + 63;
  EXPECT_EQ(p.memo->name(), "DynamicFileMemo300");
  ExpectBox(*p.memo, {160, memoTop, 340});
  EXPECT_EQ(p.memo->height(), 117);
  EXPECT_FALSE(p.memo->wordWrap());
  EXPECT_TRUE(p.memo->verticalScrollBar() && p.memo->horizontalScrollBar());
  EXPECT_TRUE(p.memo->lines().empty());

  for (size_t k = 0; k < 4; ++k) {
    ui::Button& button = *p.alignmentButtons[k];
    EXPECT_EQ(button.name(), "DynamicAlignButton300" + std::to_string(k + 1));
    EXPECT_EQ(button.text(), kAlignmentCaptions[k]);
    EXPECT_EQ(button.visible(), k == 0);
  }
  ExpectBox(*p.alignmentButtons[0], {163, memoTop + 123, 106});
  ExpectBox(*p.alignmentButtons[2], {397, memoTop + 123, 106});
  ExpectBox(*p.alignmentButtons[3], {163, memoTop + 150, 340});

  // Tab order: the file list, the three command buttons, the memo, the alignment buttons.
  std::vector<ui::Widget*> order{p.fileList.get(), p.commandButtons[0].get(),
                                 p.commandButtons[1].get(), p.commandButtons[2].get(),
                                 p.memo.get()};
  for (const auto& button : p.alignmentButtons) order.push_back(button.get());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i]->tabOrder(), static_cast<int>(i));

  // Night vision recolours the memo, the file list and the file buttons.
  main().NightVision->click();
  const ui::Palette colors = main().appearance.palette();
  EXPECT_EQ(p.memo->color(), colors.fieldBackground);
  EXPECT_EQ(p.fileList->font().color, colors.fieldText);
  EXPECT_EQ(p.fileButtonShapes[3]->brushColor(), colors.accent);
  EXPECT_EQ(p.fileButtonShapes[3]->penColor(), colors.text);
}

TEST_F(TransferTest, OneButtonAndOddCaptionForms) {
  StartWithPanels({"10 \"One\" files=\"*.dat\" command=\":OS\" caption=\"Read\"",
                   "20 \"Two\" files=\"*.txt\" command=\":OS,:Od\" caption=\"Read,Write,Clear\"",
                   "30 \"Four\" files=\"\" command=\":Oc,:Oc,:Oc,:Oc\" caption=\"A,B,C,D\""});
  // One button beside the file list, bound to :OS; buttons 2 and 3 have no caption.
  FileTransferStruct& one = panel(0);
  ExpectBox(*one.commandButtons[0], {380, 30 - 25, 121});
  EXPECT_EQ(one.commandButtons[0]->text(), "Read");
  EXPECT_FALSE(one.commandButtons[1]->visible() || one.commandButtons[2]->visible());
  ASSERT_NE(one.bindings[0], nullptr);
  EXPECT_EQ(one.bindings[0]->command, ":OS");
  EXPECT_EQ(one.bindings[1], nullptr);
  EXPECT_EQ(one.memo->top(), 30 + 63);
  EXPECT_FALSE(one.hasAlignment());
  EXPECT_FALSE(static_cast<bool>(one.memo->onMouseUp));
  EXPECT_TRUE(one.fileList->items().empty());

  // Three captions, two commands: the third button runs nothing.
  FileTransferStruct& two = panel(1);
  EXPECT_EQ(two.commandButtons[2]->text(), "Clear");
  EXPECT_EQ(two.commandButtons[2]->top(), 60 + 65);
  EXPECT_EQ(two.bindings[1]->command, ":Od");
  EXPECT_EQ(two.bindings[2], nullptr);

  // A fourth caption is left out; an empty pattern lists nothing.
  FileTransferStruct& four = panel(2);
  EXPECT_EQ(four.commandButtons[2]->text(), "C");
  EXPECT_TRUE(four.fileList->items().empty());

  // A button without a binding sends nothing.
  ClickCommand(2, 1);
  EXPECT_EQ(sent(), Commands{});
  EXPECT_EQ(status(1), "Status: Empty");
}

// Each control acts for its own panel and its own button: a number written with a leading
// zero still finds its panel, and of two buttons with the same caption each runs its own
// command.
TEST_F(TransferTest, EachControlActsForItsOwnPanelAndButton) {
  StartWithPanels(
      {"0300 \"Twin\" files=\"*.txt\" command=\":Oc,:OC\" caption=\"Clear,Clear,Read\""});
  EXPECT_EQ(panel().number, "0300");
  EXPECT_EQ(panel().fileList->name(), "DynamicFileBox0300");
  Type("Bright Stars");
  EXPECT_EQ(status(), "Status: Ready to load file");

  ClickCommand(0);
  EXPECT_EQ(sent(), Commands{":Oc#"});
  EXPECT_EQ(status(), "Status: Memory cleared");
  panel().statusLabel->setText("Status: Empty");
  ClickCommand(1);
  EXPECT_EQ(sent(), Commands{":OC#"});
  EXPECT_EQ(status(), "Status: Empty");
}

}  // namespace
}  // namespace orvane::testing
