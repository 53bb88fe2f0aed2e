// FileTransferStruct: one file transfer panel of a sheet: the file list, the memo holding
// one file's lines, its command, file and alignment buttons and its status line. The main
// window keeps the panels in creation order; they live until the sheets are removed.
// Thread: user-interface thread only.
// Layer: transfer/, below dialogue/; it may use sheets/, profile/, persistence/, link/, ui/
// and text/ (not schedule/).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/Edits.h"

namespace orvane {

struct ControlBinding;

// Captions of the four file buttons (a label over a rounded shape each).
inline constexpr std::array<const char*, 4> kFileButtonCaptions = {"Load", "Reload", "Save",
                                                                   "Delete"};
enum FileButton : size_t { kLoad = 0, kReload = 1, kSave = 2, kDelete = 3 };

// Captions of the four alignment buttons of a panel defined with align=true.
inline constexpr std::array<const char*, 4> kAlignmentCaptions = {
    "Go to ...", "Additional align", "Synchronize", "Emergency Slew Stop"};

struct FileTransferStruct {
  std::string number;
  std::array<ControlBinding*, 3> bindings = {nullptr, nullptr, nullptr};
  std::string currentFile;
  std::string filePattern;
  int lastSelectedLine = -1;
  // Declared before the widgets on it, so that the memo goes last.
  std::unique_ptr<ui::Memo> memo;
  std::unique_ptr<ui::ComboBox> fileList;
  std::array<std::unique_ptr<ui::Button>, 3> commandButtons;
  std::array<std::unique_ptr<ui::Shape>, 4> fileButtonShapes;
  std::array<std::unique_ptr<ui::Label>, 4> fileButtonLabels;
  std::unique_ptr<ui::Label> statusLabel;
  // Present only with align=true.
  std::array<std::unique_ptr<ui::Button>, 4> alignmentButtons;

  bool hasAlignment() const { return alignmentButtons[0] != nullptr; }
};

}  // namespace orvane
