// Building a file transfer panel from its profile line.
#include "persistence/ProfileFolder.h"
#include "sheets/Sheets.h"
#include "transfer/FileTransfer.h"
#include "transfer/TransferText.h"

namespace orvane {

namespace {

constexpr int kRowSpacing = 30;
constexpr int kFieldLeft = 160;
constexpr int kPanelWidth = 340;
constexpr int kListHeight = 24;
constexpr int kButtonHeight = 25;
// Three command buttons (and the first three alignment buttons) stand in a row of columns
// 117 pixels apart from 163 on; a single command button beside the file list.
constexpr int kColumnOrigin = 46;
constexpr int kColumnSpacing = 117;
constexpr int kColumnButtonWidth = 106;
constexpr int kSingleButtonLeft = 380;
constexpr int kSingleButtonWidth = 121;
// The file buttons: four 70 x 25 captions on rounded shapes, 90 pixels apart from 160 on.
constexpr int kFileButtonOrigin = 70;
constexpr int kFileButtonSpacing = 90;
constexpr int kFileButtonWidth = 70;
constexpr int kMemoHeight = 117;

// The text before the first comma of rest; rest becomes what follows that comma (empty when
// there is none).
std::string TakeFirst(std::string& rest) {
  const size_t comma = rest.find(',');
  std::string first = rest.substr(0, comma);
  rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
  return first;
}

}  // namespace

void FileTransfer::CreateFileTransferArray(const ControlLine& line) {
  auto record = std::make_unique<FileTransferStruct>();
  FileTransferStruct& panel = *record;
  FileTransferStruct* raw = record.get();
  panel.number = line.numberText;
  panel.filePattern = line.files;
  panel.lastSelectedLine = -1;

  sheets_.CreateLabel(line.number, line.rowText);
  ui::Backend& b = backend_;
  ui::Widget* parent = sheets_.currentSheet()->contentPanel.get();
  const int r = sheets_.RowCounter;
  const bool threeButtons = line.caption.find(',') != std::string::npos;
  const int m = threeButtons ? 1 : 0;
  const std::string& n = line.numberText;
  const std::string& pattern = line.files;

  const int memoTop = kRowSpacing * r + 30 * m + 63;
  panel.memo = std::make_unique<ui::Memo>(b, parent, "DynamicFileMemo" + n);
  ui::Memo& memo = *panel.memo;
  memo.setBounds(kFieldLeft, memoTop, kPanelWidth, kMemoHeight);
  memo.setWordWrap(false);
  memo.setVerticalScrollBar(true);
  memo.setHorizontalScrollBar(true);
  memo.clearLines();
  if (line.align) {
    memo.onChange = [this](ui::Widget&) {
      if (disableAdditionalAlignment) disableAdditionalAlignment();
    };
    memo.onEnter = memo.onChange;
  }

  panel.fileList = std::make_unique<ui::ComboBox>(b, parent, "DynamicFileBox" + n);
  ui::ComboBox& list = *panel.fileList;
  list.setNiteCombo(true);
  list.setStyle(ui::ComboStyle::DropDown);
  list.setTag(line.number);
  list.setColor(ui::kWhite);
  list.setBounds(kFieldLeft, kRowSpacing * r - 27, kPanelWidth, kListHeight);
  list.setTabOrder(sheets_.TabCounter++);
  list.setShowHint(true);
  list.setHint("Supported file types: " + pattern);
  list.setItems(GetFiles(programFolder_, pattern));
  // Holds characters no file name can have, so no file button shows until a name is typed
  // or chosen.
  list.setText("(Supported file types: " + pattern + ")");
  list.onChange = [this, raw](ui::Widget& sender) { FTSChange(*raw, sender); };

  std::string captionRest = line.caption;
  std::string commandRest = line.command;
  for (size_t i = 0; i < 3; ++i) {
    std::string caption;
    std::string command;
    if (threeButtons) {
      caption = TakeFirst(captionRest);
      command = TakeFirst(commandRest);
    } else if (i == 0) {
      caption = line.caption;
      command = line.command;
    }
    auto button = std::make_unique<ui::Button>(b, parent, "DynamicFileButton" + n +
                                                              std::to_string(i + 1));
    button->setTag(line.number);
    button->setText(caption);
    button->setVisible(!caption.empty());
    button->setParentFont(true);
    if (threeButtons) {
      button->setBounds(kColumnOrigin + kColumnSpacing * static_cast<int>(i + 1),
                        kRowSpacing * r + 90 * m - 25, kColumnButtonWidth, kButtonHeight);
    } else {
      button->setBounds(kSingleButtonLeft, kRowSpacing * r - 25, kSingleButtonWidth,
                        kButtonHeight);
    }
    button->setTabOrder(sheets_.TabCounter++);
    button->onClick = [this, raw](ui::Widget& sender) { FTSChange(*raw, sender); };
    if (!command.empty()) {
      // Bound to the memo, which the engine reads from and writes into; a piece of several
      // commands runs the last of them.
      sheets_.AssociateCommand(memo, command);
      panel.bindings[i] = sheets_.bindings().back().get();
    }
    panel.commandButtons[i] = std::move(button);
  }

  for (size_t j = 0; j < 4; ++j) {
    const int left = kFileButtonOrigin + kFileButtonSpacing * static_cast<int>(j + 1);
    const int top = kRowSpacing * r + 6;
    auto shape = std::make_unique<ui::Shape>(b, parent, "");
    shape->setShapeType(ui::ShapeType::RoundRect);
    shape->setBounds(left, top, kFileButtonWidth, kButtonHeight);
    shape->setPenColor(frame_.penColor());
    shape->setBrushColor(scheme_.tableColor(6));
    shape->setVisible(false);
    auto label = std::make_unique<ui::Label>(b, parent,
                                             "DBLabel" + n + "_" + std::to_string(j + 1));
    label->setAutoSize(false);
    label->setBounds(left, top, kFileButtonWidth, kButtonHeight);
    label->setAlignment(ui::HorizontalAlign::Center);
    label->setVerticalCenter(true);
    label->setParentFont(true);
    label->setTransparent(true);
    label->setTag(line.number);
    label->setText(kFileButtonCaptions[j]);
    label->setVisible(false);
    label->onClick = [this, raw](ui::Widget& sender) { FTSChange(*raw, sender); };
    panel.fileButtonShapes[j] = std::move(shape);
    panel.fileButtonLabels[j] = std::move(label);
  }

  memo.setTabOrder(sheets_.TabCounter++);

  panel.statusLabel = std::make_unique<ui::Label>(b, parent, "DynamicLabel" + n + "_1");
  panel.statusLabel->setTag(line.number);
  panel.statusLabel->setParentFont(true);
  panel.statusLabel->setTransparent(true);
  panel.statusLabel->setLeft(kFieldLeft);
  panel.statusLabel->setTop(kRowSpacing * r + 39);
  panel.statusLabel->setText("Status: Empty");
  // A failed save names the system's reason in the hint.
  panel.statusLabel->setShowHint(true);

  if (line.align) {
    const int row = memoTop + kMemoHeight + 6;
    for (size_t k = 0; k < 4; ++k) {
      auto button = std::make_unique<ui::Button>(b, parent, "DynamicAlignButton" + n +
                                                                std::to_string(k + 1));
      button->setText(kAlignmentCaptions[k]);
      button->setVisible(k == 0);
      button->setParentFont(true);
      if (k < 3) {
        button->setBounds(kColumnOrigin + kColumnSpacing * static_cast<int>(k + 1), row,
                          kColumnButtonWidth, kButtonHeight);
      } else {
        button->setBounds(kColumnOrigin + kColumnSpacing, memoTop + kMemoHeight + 33,
                          kPanelWidth, kButtonHeight);
      }
      button->setTabOrder(sheets_.TabCounter++);
      ui::Button* clicked = button.get();
      button->onClick = [this, raw, clicked](ui::Widget&) {
        if (additionalAlign) additionalAlign(*raw, *clicked);
      };
      panel.alignmentButtons[k] = std::move(button);
    }
    memo.onMouseUp = [this, raw](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
      FTSMouseUp(*raw);
    };
    memo.onKeyUp = [this, raw](ui::Widget&, int& key, ui::ShiftState shift) {
      FTSKeyUp(*raw, key, shift);
    };
  }
  panels_.push_back(std::move(record));
}

}  // namespace orvane
