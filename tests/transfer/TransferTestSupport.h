// A started program in virtual time with a simulated controller on COM1 and a profile
// whose sheet holds file transfer panels, for the tests of the panels: the user's actions
// on a panel (typing a file name, clicking its buttons, picking a memo line).
// Thread: the test's thread, which is the program's user-interface thread.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dialogue/DialogueTestSupport.h"
#include "transfer/FileTransferStruct.h"

namespace orvane::testing {

// The shipped profile's object panel.
inline const std::string kCatalogLine =
    "300 \"Catalog\" files=\"*.txt\" command=\":OS,:Od,:Oc\" caption=\"Receive,Send,Clear\" "
    "align=true";

class TransferTest : public DialogueTest {
 protected:
  // A profile with one sheet holding lines (the catalog panel when none are given).
  void StartWithPanels(std::vector<std::string> lines = {kCatalogLine},
                       sim::ControllerOptions options = {}) {
    lines.insert(lines.begin(), "Sheet \"Objects\"");
    StartWith(lines, options);
    main().sheets.sheets().front()->menuLabel->click();
  }
  FileTransferStruct& panel(size_t index = 0) { return *main().FileTransferPanels.at(index); }
  ui::Memo& memo(size_t index = 0) { return *panel(index).memo; }
  std::string status(size_t index = 0) { return panel(index).statusLabel->text(); }
  ui::Label& fileButton(FileButton button, size_t index = 0) {
    return *panel(index).fileButtonLabels[button];
  }
  bool shown(FileButton button, size_t index = 0) {
    return panel(index).fileButtonShapes[button]->visible() && fileButton(button, index).visible();
  }
  // The user types text into the file list.
  void Type(const std::string& text, size_t index = 0) {
    panel(index).fileList->userEdit(text, text.size());
  }
  void Click(ui::Widget& widget) {
    mark();
    widget.click();
  }
  void ClickCommand(size_t button, size_t index = 0) {
    Click(*panel(index).commandButtons.at(button));
  }
  void ClickAlign(size_t button, size_t index = 0) {
    Click(*panel(index).alignmentButtons.at(button));
  }
  // The user clicks into the memo at line and column.
  void ClickInMemo(int line, int column = 0, size_t index = 0) {
    memo(index).setCaret({line, column});
    memo(index).mouseUp(ui::MouseButton::Left, {}, 10, 10);
  }
  std::filesystem::path folder() { return app().programFolder(); }
  std::string fileText(const std::string& name) {
    std::ifstream in(folder() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

}  // namespace orvane::testing
