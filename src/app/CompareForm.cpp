#include "app/CompareForm.h"

#include <iterator>

#include "persistence/SettingsBackups.h"
#include "sheets/Sheets.h"
#include "ui/Backend.h"
#include "ui/FlatControls.h"

namespace orvane {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 420;
constexpr int kTaskBarReserve = 24;
constexpr int kRowHeight = 20;
constexpr int kColumns[] = {110, 180, 150, 150};
constexpr int kButtonWidth = 190;
constexpr int kRetryMs = 50;
constexpr const char* kNotRead = "(not read)";
constexpr const char* kEmpty = "(empty)";

std::string Shown(const std::string& value) {
  return value.empty() ? std::string(kEmpty) : value;
}

}  // namespace

TCompareForm::TCompareForm(ui::Backend& backend, ui::ColorScheme& scheme, BulkSettings& bulk,
                           SettingsBackups& backups, const Sheets& sheets)
    : ui::Form(backend, "CompareForm"),
      scheme_(scheme),
      bulk_(bulk),
      backups_(backups),
      sheets_(sheets),
      retry_(backend, kRetryMs, false) {
  retry_.onTimer = [this](ui::Timer& timer) {
    timer.stop();
    if (visible()) ReadClick();
  };
  ui::Backend& b = backend;
  setText("Compare with controller");
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  setKeyPreview(true);
  ui::Font font;
  font.name = "Times New Roman";
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  Frame = ui::MakeDialogFrame(*this, kWidth, kHeight);
  Title = ui::MakeTitle(b, this, "Compare with controller", 20, 12, 14);
  Status = ui::MakeCaption(b, this, "Status", "Status: Not read yet", 20, 42);

  Differences = std::make_unique<ui::StringGrid>(b, this, "Differences");
  Differences->setColCount(4);
  Differences->setFixedRows(1);
  Differences->setRowCount(1);
  Differences->setDefaultRowHeight(kRowHeight);
  for (int col = 0; col < 4; ++col) Differences->setColWidth(col, kColumns[col]);
  Differences->setCell(0, 0, "Sheet");
  Differences->setCell(1, 0, "Setting");
  Differences->setCell(2, 0, "On the sheet");
  Differences->setCell(3, 0, "In the controller");
  Differences->setBounds(20, 66, kWidth - 40, 12 * kRowHeight + 3);
  Differences->setTabOrder(0);
  selectionBackground_ = Differences->selectionColor();
  selectionText_ = Differences->selectionFontColor();

  int order = 1;
  auto button = [&](std::unique_ptr<ui::Shape>& shape, std::unique_ptr<ui::Label>& label,
                    const char* name, const char* caption, int left, int top) {
    ui::MakeFlatButton(b, this, shape, label, name, caption, left, top, kButtonWidth);
    label->setTabOrder(order++);
  };
  button(TakeShape, Take, "Take", "Take controller value", 20, 318);
  button(SendShape, Send, "Send", "Send sheet value", 225, 318);
  button(ReadShape, Read, "Read", "Read again", 430, 318);
  button(TakeAllShape, TakeAll, "TakeAll", "Take all", 20, 350);
  button(SendAllShape, SendAll, "SendAll", "Send all", 225, 350);
  button(CloseShape, Close, "Close", "Close", 430, 350);
  BackupsLabel = ui::MakeCaption(b, this, "BackupsLabel", "Backups:", 20, 388);
  Backups = std::make_unique<ui::ComboBox>(b, this, "Backups");
  Backups->setBounds(90, 384, 330, 24);
  Backups->setTabOrder(order++);
  button(RestoreShape, Restore, "Restore", "Restore", 430, 384);
  Take->setHint("The controller's value of the chosen setting onto its sheet");
  Send->setHint("The chosen setting's value on its sheet to the controller");
  Restore->setHint("Puts the chosen backup's values on the sheets and sends them");
  for (ui::Label* label : {Take.get(), Send.get(), Restore.get()}) label->setShowHint(true);

  Take->onClick = [this](ui::Widget&) { TakeClick(); };
  Send->onClick = [this](ui::Widget&) { SendClick(); };
  Read->onClick = [this](ui::Widget&) { ReadClick(); };
  TakeAll->onClick = [this](ui::Widget&) { TakeAllClick(); };
  SendAll->onClick = [this](ui::Widget&) { SendAllClick(); };
  Close->onClick = [this](ui::Widget&) { CloseClick(); };
  Restore->onClick = [this](ui::Widget&) { RestoreClick(); };
  onKeyDown = [this](ui::Widget&, int& key, ui::ShiftState) {
    if (key == ui::keys::kEscape) {
      key = 0;
      if (dragging_) {
        dragging_ = false;
      } else {
        CloseClick();
      }
    }
  };
  onCloseRequest = [this](ui::Widget&) { CloseClick(); };
  // The frame and the title drag the window.
  for (ui::Widget* handle : {static_cast<ui::Widget*>(Frame.get()),
                             static_cast<ui::Widget*>(Title.get())}) {
    handle->onMouseDown = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
      dragX_ = x;
      dragY_ = y;
      dragging_ = true;
    };
    handle->onMouseMove = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
      if (dragging_) setBounds(left() + x - dragX_, top() + y - dragY_, width(), height());
    };
    handle->onMouseUp = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
      dragging_ = false;
      keepOnScreen(kTaskBarReserve);
    };
  }
  for (ui::Widget* w : std::initializer_list<ui::Widget*>{
           TakeShape.get(), Take.get(), SendShape.get(), Send.get(), ReadShape.get(), Read.get(),
           TakeAllShape.get(), TakeAll.get(), SendAllShape.get(), SendAll.get(),
           CloseShape.get(), Close.get(), RestoreShape.get(), Restore.get(), Backups.get()}) {
    scheme_.registerControl(w);
  }
  hide();
}

void TCompareForm::SetVisionMode(const ui::Palette& p) {
  setColor(ui::kBlack);
  setFontColor(p.text);
  Frame->setBrushColor(p.frameFill);
  Frame->setPenColor(p.framePen);
  Title->setFontColor(p.labelText);
  Status->setFontColor(p.text);
  BackupsLabel->setFontColor(p.text);
  Differences->setColor(p.frameFill);
  Differences->setFixedColor(p.accent);
  ui::Font gridFont = Differences->font();
  gridFont.color = p.fieldText;
  Differences->setFont(gridFont);
  // The chosen row stands out in both schemes, drawn like a pressed button.
  selectionBackground_ = p.text;
  selectionText_ = p.sheetFrameFill;
  showSelection(!rows_.empty());
}

void TCompareForm::showSelection(bool shown) {
  // The empty row a list without differences keeps is no choice: it is not highlighted.
  if (shown) {
    Differences->setSelectionColors(selectionBackground_, selectionText_);
  } else {
    Differences->setSelectionColors(Differences->color(), Differences->font().color);
  }
}

void TCompareForm::Open() {
  show();
  bringToFront();
  listBackups();
  ReadClick();
}

void TCompareForm::say(const std::string& status) {
  Status->setText(status);
  scheme_.Blink(*Status);
}

void TCompareForm::listBackups() {
  const std::string chosen = Backups->text();
  Backups->setItems(backups_.ListOfLoadedProfile());
  const int index = Backups->indexOf(chosen);
  Backups->setItemIndex(index >= 0 ? index : (Backups->items().empty() ? -1 : 0));
}

void TCompareForm::ReadClick() {
  if (reading_) return;
  reading_ = true;
  rows_.clear();
  fill();
  std::string status;
  std::optional<Comparison> comparison = bulk_.CompareWithController(
      [this](int done, int total) {
        Status->setText("Status: Reading " + std::to_string(done) + " of " +
                        std::to_string(total));
        Status->repaint();
      },
      status);
  reading_ = false;
  if (backend().terminated()) return;
  if (!comparison && status.empty()) {
    retry_.start();
    return;
  }
  removals_ = sheets_.removalCount();
  if (comparison) rows_ = std::move(comparison->differing);
  fill();
  listBackups();
  say(status);
  if (!rows_.empty() && visible()) Differences->setFocus();
}

void TCompareForm::fill() {
  const int count = static_cast<int>(rows_.size());
  Differences->setRowCount(count + 1);
  // A grid keeps one row below its heading: without differences it stands empty.
  if (count == 0) {
    for (int col = 0; col < Differences->colCount(); ++col) Differences->setCell(col, 1, "");
  }
  showSelection(count > 0);
  for (int i = 0; i < count; ++i) {
    const ComparedSetting& row = rows_[static_cast<size_t>(i)];
    Differences->setCell(0, i + 1, row.sheet);
    Differences->setCell(1, i + 1, row.label);
    Differences->setCell(2, i + 1, Shown(row.sheetValue));
    Differences->setCell(3, i + 1, row.read ? Shown(row.controllerValue) : kNotRead);
  }
  Differences->setRow(count > 0 ? 1 : -1);
}

int TCompareForm::chosen() const {
  const int row = Differences->row() - 1;
  return row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

void TCompareForm::remove(int index) {
  rows_.erase(rows_.begin() + index);
  const int keep = std::min(index + 1, static_cast<int>(rows_.size()));
  fill();
  if (keep > 0) Differences->setRow(keep);
}

bool TCompareForm::stillValid() {
  // The rows name controls of the profile that was loaded when they were read.
  if (sheets_.removalCount() == removals_) return true;
  rows_.clear();
  fill();
  say("Status: Another profile was loaded; read again");
  return false;
}

void TCompareForm::TakeClick() {
  const int index = chosen();
  if (index < 0 || !stillValid()) return;
  const ComparedSetting row = rows_[static_cast<size_t>(index)];
  if (!row.read) {
    say("Status: The controller did not tell this value");
    return;
  }
  bulk_.TakeControllerValue(row);
  remove(index);
  say("Status: " + row.label + " taken from the controller");
}

void TCompareForm::SendClick() {
  const int index = chosen();
  if (index < 0 || !stillValid()) return;
  const ComparedSetting row = rows_[static_cast<size_t>(index)];
  if (!bulk_.SendSheetValue(row)) {
    say("Status: No controller connected");
    return;
  }
  if (!stillValid()) return;
  remove(index);
  say("Status: " + row.label + " sent to the controller");
}

void TCompareForm::TakeAllClick() {
  if (!stillValid()) return;
  int taken = 0;
  for (size_t i = 0; i < rows_.size();) {
    if (!rows_[i].read) {
      ++i;
      continue;
    }
    bulk_.TakeControllerValue(rows_[i]);
    rows_.erase(rows_.begin() + static_cast<long>(i));
    ++taken;
  }
  fill();
  say("Status: " + std::to_string(taken) + " values taken from the controller");
}

void TCompareForm::SendAllClick() {
  if (!stillValid()) return;
  std::vector<ComparedSetting> sending = std::move(rows_);
  rows_.clear();
  fill();
  size_t sent = 0;
  for (; sent < sending.size(); ++sent) {
    if (!stillValid()) return;
    if (!bulk_.SendSheetValue(sending[sent])) break;
  }
  if (sent < sending.size()) {
    // The link went: what was not sent stays listed.
    rows_.assign(std::make_move_iterator(sending.begin() + static_cast<long>(sent)),
                 std::make_move_iterator(sending.end()));
    fill();
    say("Status: " + std::to_string(sent) + " values sent, no controller connected");
    return;
  }
  say("Status: " + std::to_string(sent) + " values sent to the controller");
}

void TCompareForm::RestoreClick() {
  const int index = Backups->itemIndex();
  if (index < 0) {
    say("Status: No backup chosen");
    return;
  }
  const std::string name = Backups->items()[static_cast<size_t>(index)];
  std::string status;
  rows_.clear();
  fill();
  bulk_.RestoreBackup(backups_.Folder() / name, status);
  if (backend().terminated()) return;
  listBackups();
  say(status);
}

void TCompareForm::CloseClick() {
  dragging_ = false;
  retry_.stop();
  hide();
  scheme_.ResetPaletteIfNecessary();
}

}  // namespace orvane
