#include "transfer/FileTransfer.h"

#include <cerrno>
#include <system_error>

#include "persistence/AtomicFile.h"
#include "persistence/ProfileFolder.h"
#include "persistence/Trash.h"
#include "sheets/Sheets.h"
#include "text/FileNames.h"
#include "transfer/TextFile.h"
#include "transfer/TransferText.h"
#include "ui/Form.h"

namespace orvane {

namespace {

constexpr std::string_view kStatusTransferring = "Status: Transferring file ... please wait ...";
constexpr std::string_view kObjectError = "Error in object definition";
constexpr int kKeyA = 'A';

}  // namespace

FileTransfer::FileTransfer(ui::Backend& backend, const ControllerState& controller,
                           Sheets& sheets, ui::ColorScheme& scheme, const ui::Shape& frame,
                           std::filesystem::path programFolder,
                           std::vector<std::unique_ptr<FileTransferStruct>>& panels)
    : backend_(backend),
      controller_(controller),
      sheets_(sheets),
      scheme_(scheme),
      frame_(frame),
      programFolder_(std::move(programFolder)),
      panels_(panels) {}

void FileTransfer::showStatus(FileTransferStruct& panel, const std::string& text, bool blink,
                              const std::string& reason) {
  panel.statusLabel->setText(text);
  panel.statusLabel->setHint(reason);
  if (blink) scheme_.Blink(*panel.statusLabel);
}

std::string FileTransfer::fileNameOf(const FileTransferStruct& panel) const {
  const std::string& typed = panel.fileList->text();
  if (typed.empty() || HasForbiddenFileCharacter(typed)) return {};
  // The list ignores letter case; the folder's names do not.
  return ListedFileName(panel.fileList->items(),
                        AddEndingIfNeeded(typed, FileTypeEnding(panel.filePattern)));
}

std::filesystem::path FileTransfer::pathOf(const std::string& name) const {
  return SystemPath(programFolder_, name);
}

bool FileTransfer::fileExists(const std::string& name) const {
  std::error_code error;
  return !name.empty() && std::filesystem::is_regular_file(pathOf(name), error);
}

void FileTransfer::refillFileList(FileTransferStruct& panel) {
  panel.fileList->setItems(GetFiles(programFolder_, panel.filePattern));
}

void FileTransfer::FTSChange(FileTransferStruct& panel, ui::Widget& sender) {
  const unsigned long removals = sheets_.removalCount();
  switch (sender.kind()) {
    case ui::WidgetKind::ComboBox:
      fileListChanged(panel);
      return;
    case ui::WidgetKind::Label: {
      const std::string& caption = sender.text();
      if (caption == kFileButtonCaptions[kLoad]) {
        loadFile(panel, fileNameOf(panel));
      } else if (caption == kFileButtonCaptions[kReload]) {
        loadFile(panel, panel.currentFile);
      } else if (caption == kFileButtonCaptions[kSave]) {
        saveFile(panel);
      } else if (caption == kFileButtonCaptions[kDelete]) {
        deleteFile(panel);
      } else {
        scheme_.Blink(sender);
      }
      break;
    }
    case ui::WidgetKind::Button:
      for (size_t i = 0; i < panel.commandButtons.size(); ++i) {
        if (panel.commandButtons[i].get() != &sender) continue;
        // The run lets events run: a profile loaded meanwhile frees the panel.
        runCommandButton(panel, i);
        break;
      }
      break;
    default:
      break;
  }
  // A profile loaded while a command waited has taken the panel and the sender away.
  if (sheets_.removalCount() != removals) return;
  ui::Form* form = sender.form();
  if (form == nullptr) return;
  const ui::Widget* focused = form->activeControl();
  if (focused == panel.fileList.get() ||
      (sender.kind() == ui::WidgetKind::Button && focused == &sender)) {
    scheme_.Defocus();
  }
}

void FileTransfer::fileListChanged(FileTransferStruct& panel) {
  const std::string& typed = panel.fileList->text();
  const bool bad = HasForbiddenFileCharacter(typed);
  const std::string name =
      typed.empty() ? std::string() : AddEndingIfNeeded(typed, FileTypeEnding(panel.filePattern));
  const bool listed = !name.empty() && panel.fileList->indexOfIgnoringCase(name) >= 0;
  std::array<bool, 4> shown{};
  shown[kLoad] = !bad && listed;
  shown[kReload] = !panel.currentFile.empty();
  shown[kSave] = !name.empty() && !bad;
  shown[kDelete] = !bad && listed;
  for (size_t j = 0; j < shown.size(); ++j) {
    panel.fileButtonShapes[j]->setVisible(shown[j]);
    panel.fileButtonLabels[j]->setVisible(shown[j]);
  }
  showStatus(panel,
             fileExists(fileNameOf(panel)) ? "Status: Ready to load file" : "Status: No such file",
             false);
}

void FileTransfer::loadFile(FileTransferStruct& panel, const std::string& name) {
  std::string text;
  const FileReadResult read =
      name.empty() ? FileReadResult::Unreadable : ReadTextFile(pathOf(name), text);
  if (read != FileReadResult::Read) {
    // The memo keeps its lines.
    showStatus(panel,
               read == FileReadResult::TooLarge ? "Status: File too large to load"
                                                : "Status: Cannot read file",
               true);
    return;
  }
  panel.memo->setLines(LinesOfFile(text));
  // A new text: the caret at its start with nothing selected, so that the next key or
  // "Go to ..." acts on nothing the user has not chosen.
  panel.memo->setCaret({0, 0});
  panel.currentFile = name;
  fileListChanged(panel);
  showStatus(panel, "Status: File loaded", true);
}

void FileTransfer::saveFile(FileTransferStruct& panel) {
  const std::string name = fileNameOf(panel);
  // Through a temporary file and a rename: a failed save leaves the old file whole.
  const ReplaceOutcome outcome = name.empty()
                                     ? ReplaceOutcome{false, EINVAL}
                                     : ReplaceFile(pathOf(name), FileOfLines(panel.memo->lines()));
  if (outcome.written) {
    panel.currentFile = name;
    refillFileList(panel);
    fileListChanged(panel);
    if (outcome.permissionsKept) {
      showStatus(panel, "Status: File saved", true);
    } else {
      showStatus(panel, "Status: File saved, permissions not kept", true,
                 "The file could not be given the permissions of the file it replaced.");
    }
  } else {
    showStatus(panel, SaveFailureStatus(SaveFailureOf(outcome.error)), true,
               SystemReason(outcome.error));
  }
}

void FileTransfer::deleteFile(FileTransferStruct& panel) {
  const std::string name = fileNameOf(panel);
  // Into the desktop's trash, as the profile page does with profiles: a file deleted by
  // mistake can be restored.
  // A write-protected file stays where its owner wants it.
  const bool deleted =
      fileExists(name) && !WriteProtected(pathOf(name)) && MoveToTrash(pathOf(name));
  if (deleted) {
    refillFileList(panel);
    panel.fileList->setText("");
    if (name == panel.currentFile) panel.currentFile.clear();
    fileListChanged(panel);
    showStatus(panel, "Status: File deleted", true);
  } else {
    showStatus(panel, "Status: Unable to delete file", true);
  }
}

void FileTransfer::runCommandButton(FileTransferStruct& panel, size_t index) {
  ControlBinding* binding = panel.bindings[index];
  if (binding == nullptr) {
    sheets_.Callback(*panel.commandButtons[index]);
    return;
  }
  if (controller_.ConnectedPort <= 0) return;
  const std::string command = binding->command;
  FileTransferStruct* raw = &panel;
  ui::Memo& memo = *panel.memo;
  // While lines go to or come from the controller the memo takes no typing: a key would
  // replace the line the progress marks, and the file saved later would keep the damage.
  const bool transferring = IsLineTransferCommand(command);
  if (transferring) showStatus(panel, std::string(kStatusTransferring), false);
  TransferWatch watch;
  // While the lines go out, the one just sent is selected, so the memo follows the send;
  // afterwards the caret and selection are the user's again.
  const ui::TextPosition anchor = memo.anchor();
  const ui::TextPosition caret = memo.caret();
  watch.progress = [raw, command](int done, int total) {
    if (command == ":Od" && total > 0) raw->memo->selectLine(done - 1);
  };
  watch.finished = [this, raw, command, anchor, caret, transferring](const TransferReport& report) {
    if (transferring) raw->memo->setReadOnly(false);
    if (command == ":Od") raw->memo->setSelection(anchor, caret);
    if (std::optional<std::string> text = TransferStatusText(command, report)) {
      showStatus(*raw, *text, report.end != TransferEnd::Complete);
    }
  };
  if (!runCommand) return;
  if (transferring) memo.setReadOnly(true);
  runCommand(*binding, std::move(watch));
}

void FileTransfer::SelectFTSLine(FileTransferStruct& panel) {
  ui::Memo& memo = *panel.memo;
  // The user is selecting text himself.
  if (memo.hasSelection()) return;
  const int line = memo.caretLine();
  if (line == panel.lastSelectedLine) return;
  panel.lastSelectedLine = line;
  if (line < 0 || static_cast<size_t>(line) >= memo.lines().size()) return;
  const std::string text = memo.lines()[static_cast<size_t>(line)];
  if (text.empty()) return;
  memo.selectLine(line);
  if (!IsObjectDefinition(text)) showStatus(panel, std::string(kObjectError), false);
}

void FileTransfer::FTSMouseUp(FileTransferStruct& panel) {
  SelectFTSLine(panel);
}

void FileTransfer::FTSKeyUp(FileTransferStruct& panel, int key, ui::ShiftState shift) {
  if (key == kKeyA && shift.ctrl) {
    panel.memo->selectAll();
    return;
  }
  SelectFTSLine(panel);
}

void FileTransfer::ApplyColors(const ui::Palette& palette) {
  for (const auto& panel : panels_) {
    for (ui::Widget* field : {static_cast<ui::Widget*>(panel->memo.get()),
                              static_cast<ui::Widget*>(panel->fileList.get())}) {
      field->setColor(palette.fieldBackground);
      field->setFontColor(palette.fieldText);
    }
    for (const auto& shape : panel->fileButtonShapes) {
      shape->setBrushColor(palette.accent);
      shape->setPenColor(palette.text);
    }
  }
}

void FileTransfer::RemoveAll() {
  panels_.clear();
}

}  // namespace orvane
