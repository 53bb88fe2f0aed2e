// FileTransfer: the file transfer panels of a profile. A panel moves a text file between the
// program's folder and the controller's memory: a list of the folder's files matching its
// pattern, a memo holding one file's lines, "Load", "Reload", "Save" and "Delete" for that
// file, up to three buttons that run controller commands against the memo (":OS"/":Os"
// read the controller's lines into it, ":Od" writes its lines to the controller, ":Oc"
// clears the controller's memory), a status line and, with align=true, four alignment
// buttons acting on the memo line the user picks (an object definition).
//
// Profile line (a control line; the files= attribute makes it a panel):
//   300 "Catalog" files="*.txt" command=":OS,:Od,:Oc" caption="Receive,Send,Clear" align=true
//
// The panels' records live in the main window's list; this class builds them, handles
// their controls and recolours them. What it cannot do itself is handed in by the
// application: running a command binding (the command engine, which reports how the
// transfer went), the alignment buttons' actions and hiding them.
// Owned by the main window; the sheet builder calls CreateFileTransferArray for a control
// line with files=.
// Thread: user-interface thread only.
// Layer: transfer/, below dialogue/; it may use persistence/, sheets/, profile/, link/, ui/
// and text/ (not schedule/ or dialogue/).
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/ControllerState.h"
#include "sheets/ControlLine.h"
#include "transfer/FileTransferStruct.h"
#include "transfer/TransferReport.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"

namespace orvane {

class Sheets;
struct ControlBinding;

class FileTransfer {
 public:
  // frame: the main window's frame, whose outline the file buttons take; programFolder: the
  // folder the file lists show and the files are read from and written to; panels: the main
  // window's list of panel records.
  FileTransfer(ui::Backend& backend, const ControllerState& controller, Sheets& sheets,
               ui::ColorScheme& scheme,
               const ui::Shape& frame, std::filesystem::path programFolder,
               std::vector<std::unique_ptr<FileTransferStruct>>& panels);

  // Runs a command button's binding against the memo; watch follows the run. The run may
  // wait for another command first, so it can finish after the call has returned.
  std::function<void(ControlBinding&, TransferWatch watch)> runCommand;
  // A click on one of a panel's alignment buttons.
  std::function<void(FileTransferStruct&, ui::Button&)> additionalAlign;
  // Hides "Additional align", "Synchronize" and "Emergency Slew Stop" of every panel.
  std::function<void()> disableAdditionalAlignment;

  // Builds a panel on the sheet being built (the row label advances the row; the rest of
  // the panel reaches below it). Throws ProfileLineError when the sheet has no room left.
  void CreateFileTransferArray(const ControlLine& line);

  // The file list changed, or a file button or command button was clicked.
  void FTSChange(FileTransferStruct& panel, ui::Widget& sender);
  // Selects the memo line under the caret (when the user is not selecting text himself),
  // so that the alignment buttons' object is seen.
  void SelectFTSLine(FileTransferStruct& panel);
  void FTSMouseUp(FileTransferStruct& panel);
  // Ctrl+A selects the memo's whole text; any other key selects the line under the caret.
  void FTSKeyUp(FileTransferStruct& panel, int key, ui::ShiftState shift);

  // The colour scheme's colours for the memos, file lists and file buttons.
  void ApplyColors(const ui::Palette& palette);
  // Frees every panel (before the sheets go).
  void RemoveAll();

 private:
  void fileListChanged(FileTransferStruct& panel);
  void loadFile(FileTransferStruct& panel, const std::string& name);
  void saveFile(FileTransferStruct& panel);
  void deleteFile(FileTransferStruct& panel);
  void runCommandButton(FileTransferStruct& panel, size_t index);
  // The file the file list names: its text with the pattern's ending, and, when the folder
  // lists that name in another letter case, the listed name. Empty for an empty text or a
  // text that cannot be a file name.
  std::string fileNameOf(const FileTransferStruct& panel) const;
  // Where the file of that name (in the program's text) lies.
  std::filesystem::path pathOf(const std::string& name) const;
  bool fileExists(const std::string& name) const;
  void refillFileList(FileTransferStruct& panel);
  // reason: the system's words for a failure, in the status line's hint.
  void showStatus(FileTransferStruct& panel, const std::string& text, bool blink,
                  const std::string& reason = {});

  ui::Backend& backend_;
  const ControllerState& controller_;
  Sheets& sheets_;
  ui::ColorScheme& scheme_;
  const ui::Shape& frame_;
  std::filesystem::path programFolder_;
  std::vector<std::unique_ptr<FileTransferStruct>>& panels_;
};

}  // namespace orvane
