// Building sheets and their controls from profile lines.
#include "profile/KeywordText.h"
#include "sheets/Sheets.h"
#include "text/NumberText.h"

namespace orvane {

namespace {

constexpr int kRowSpacing = 30;
constexpr int kMenuTop = 120;
constexpr int kMenuSpacing = 45;
constexpr int kFieldLeft = 160;
constexpr int kPairColumnOffset = 250;
constexpr int kPairFieldWidth = 100;
constexpr int kPairSecondFieldLeft = 410;
constexpr int kMaxFieldLength = 7;

template <typename Control>
void requireRoom(const std::vector<std::unique_ptr<Control>>& controls, const char* kind) {
  if (controls.size() >= static_cast<size_t>(kMaxControlsPerKind)) {
    throw ProfileLineError(std::string("too many ") + kind + " on one sheet");
  }
}

}  // namespace

int LabelIndent(long long number) {
  if (number % 10 == 0 && (number < 100 || number >= 200)) return 0;
  return 20;
}

std::string FieldGroupText(long long number) {
  if (number <= 200 && number % 10 != 0) return std::to_string(number / 10);
  return std::to_string(number);
}

Sheets::Sheets(ui::Backend& backend, SheetWindow window, ui::ColorScheme& scheme,
               const ProfileDocument& document)
    : backend_(backend),
      window_(window),
      scheme_(scheme),
      document_(document),
      known_(backend, scheme) {}

Sheets::~Sheets() = default;

SheetRecord& Sheets::requireSheet() {
  if (sheets_.empty()) throw ProfileLineError("a control line before the first sheet");
  return *sheets_.back();
}

void Sheets::CreateSheet(std::string_view line) {
  ui::Backend& b = backend_;
  ui::ColorScheme& look = scheme_;
  auto sheet = std::make_unique<SheetRecord>();
  sheet->name = FirstQuotedValue(line);
  sheet->number = sheets_.empty() ? 1 : sheets_.back()->number + 1;

  sheet->menuPanel = std::make_unique<ui::Panel>(b, &window_.window, "");
  sheet->menuPanel->setVisible(false);
  sheet->menuPanel->setBounds(25, kMenuTop + kMenuSpacing * sheet->number, 0, 35);
  sheet->menuPanel->setColor(look.activeColor(1));

  sheet->menuShape = std::make_unique<ui::Shape>(b, sheet->menuPanel.get(), "");
  sheet->menuShape->setBounds(0, 0, 150, 35);
  sheet->menuShape->setPenColor(look.activeColor(3));
  sheet->menuShape->setBrushColor(look.activeColor(6));

  sheet->menuLabel = std::make_unique<ui::Label>(b, sheet->menuPanel.get(), "");
  sheet->menuLabel->setAutoSize(false);
  sheet->menuLabel->setAlignment(ui::HorizontalAlign::Center);
  sheet->menuLabel->setVerticalCenter(true);
  sheet->menuLabel->setTransparent(false);
  sheet->menuLabel->setColor(sheet->menuShape->brushColor());
  ui::Font menuFont;
  menuFont.name = "Times New Roman";
  menuFont.pointSize = 16;
  menuFont.color = look.activeColor(7);
  sheet->menuLabel->setFont(menuFont);
  sheet->menuLabel->setBounds(3, 3, 0, 29);
  sheet->menuLabel->setText(sheet->name);
  sheet->menuLabel->setTag(-sheet->number);
  sheet->menuLabel->onClick = [this](ui::Widget& sender) { Callback(sender); };

  ui::Panel& page = window_.sheetPanel;
  sheet->contentPanel = std::make_unique<ui::Panel>(b, &page, "");
  sheet->contentPanel->setVisible(false);
  sheet->contentPanel->setBounds(20, 20, page.width() - 40, page.height() - 40);
  sheet->contentPanel->setColor(look.tableColor(4));
  sheet->contentPanel->setParentFont(true);
  if (makeDraggable) makeDraggable(*sheet->contentPanel);

  sheets_.push_back(std::move(sheet));
  RowCounter = 0;
  TabCounter = 0;
}

void Sheets::CreateControl(std::string_view text) {
  ControlLine line = ParseControlLine(text);
  requireSheet();
  ColumnOffset = 0;
  if (line.hasFiles) {
    if (createFileTransferArray) {
      createFileTransferArray(line);
    } else {
      CreateLabel(line.number, line.rowText);
    }
  } else if (line.hasCaption) {
    CreateButton(line.number, line.rowText, line.command, line.caption);
  } else if (line.database) {
    if (createDatabase) {
      createDatabase(line);
    } else {
      CreateLabel(line.number / 10 * 10, line.rowText);
    }
  } else if (line.hasRange()) {
    buildValueRow(line);
  } else if (line.number > 0 && line.number % 10 != 0) {
    CreateBox(line.number, line.rowText, "", false, false);
  } else {
    CreateLabel(line.number, line.rowText);
  }
}

void Sheets::buildValueRow(const ControlLine& line) {
  if (line.number % 10 != 0 && line.number < 200) {
    CreateSlider(line.number, line.rowText, line.command, line.mask, line.low, line.high);
    return;
  }
  CreateLabel(line.number, line.rowText);
  ui::MaskEdit& first =
      CreateStaticSlider(line.number, line.rowText, line.command, line.mask, line.low, line.high);
  if (!line.pair) return;
  long long second = 0;
  std::string secondText = line.secondNumberText;
  while (!secondText.empty() && secondText.back() == ' ') secondText.pop_back();
  if (!TryParseInteger(secondText, second)) {
    throw ProfileLineError("the second number of a pair is not an integer");
  }
  first.setWidth(kPairFieldWidth);
  ColumnOffset = kPairColumnOffset;
  --RowCounter;
  CreateLabel(second, line.secondRowText);
  ui::MaskEdit& other =
      CreateStaticSlider(second, line.secondRowText, line.command, line.mask, line.low, line.high);
  other.setWidth(kPairFieldWidth);
  other.setLeft(kPairSecondFieldLeft);
}

ui::Label& Sheets::CreateLabel(long long number, const std::string& text) {
  SheetRecord& sheet = requireSheet();
  requireRoom(sheet.labels, "labels");
  ++RowCounter;
  auto label = std::make_unique<ui::Label>(backend_, sheet.contentPanel.get(), "");
  label->setAutoSize(false);
  label->setParentFont(true);
  label->setTag(number);
  label->setText(text.empty() ? std::string() : text + ":");
  label->setBounds(LabelIndent(number) + ColumnOffset, kRowSpacing * RowCounter - 25, 133, 20);
  sheet.labels.push_back(std::move(label));
  return *sheet.labels.back();
}

ui::MaskEdit& Sheets::CreateStaticSlider(long long number, const std::string& text,
                                         const std::string& command, const std::string& mask,
                                         double low, double high) {
  SheetRecord& sheet = requireSheet();
  requireRoom(sheet.fields, "fields");
  const std::string group = FieldGroupText(number);
  auto field = std::make_unique<ui::MaskEdit>(backend_, sheet.contentPanel.get(), "");
  field->setMaxLength(kMaxFieldLength);
  field->setAutoSelect(false);
  field->setShowHint(true);
  field->setHint("Possible values: " + CorrectFloatToStr(low) + " - " + CorrectFloatToStr(high));
  field->setTag(number);
  field->setBounds(kFieldLeft + ColumnOffset, kRowSpacing * RowCounter - 28, 132, 21);
  field->setTabOrder(TabCounter++);
  field->setColor(scheme_.palette().fieldBackground);
  field->setFontColor(scheme_.palette().fieldText);
  ui::MaskEdit* raw = field.get();
  if (!mask.empty()) {
    field->setShowHint(false);
    field->setEditMask(mask.find(';') == std::string::npos ? mask + ";0" : mask);
    field->clear();
    size_t semicolon = mask.find(';');
    size_t digits = 0;
    if (semicolon != std::string::npos) {
      for (size_t i = 0; i <= semicolon; ++i) digits += (mask[i] == '9' || mask[i] == '0') ? 1 : 0;
    }
    std::string start = "+" + std::string(digits, '0');
    field->setHint(start);
    field->setText(start);
    commitOnExit(*raw, mask.substr(0, 3).find('#') != std::string::npos);
  } else {
    commitOnExit(*raw, false);
  }
  sheet.fields.push_back(std::move(field));
  known_.Add(*raw);
  RegisterEvent(number, group, low, high, text);
  if (!command.empty()) AssociateCommand(*raw, command);
  if (group == "120") SlewSpeedControl = raw;
  return *raw;
}

void Sheets::commitOnExit(ui::MaskEdit& field, bool signFirst) {
  // Leaving a field sends what the user typed into it; passing through a field without
  // changing it sends nothing (not even a sign field's placeholder).
  field.onExit = [this, signFirst](ui::Widget& sender) {
    auto& edited = static_cast<ui::MaskEdit&>(sender);
    if (!edited.modified()) return;
    const unsigned long removals = removals_;
    if (signFirst) {
      MaskEditChange(edited);
    } else {
      Callback(edited);
    }
    if (removals_ == removals) edited.setModified(false);
  };
}

ui::MaskEdit& Sheets::CreateSlider(long long number, const std::string& text,
                                   const std::string& command, const std::string& mask, double low,
                                   double high) {
  CreateLabel(number, text);
  return CreateStaticSlider(number, text, command, mask, low, high);
}

void Sheets::CreateBox(long long number, const std::string& text, const std::string& command,
                       bool editable, bool withoutEvent) {
  SheetRecord& sheet = requireSheet();
  const long long group = number / 10;
  if (number % 10 == 1) {
    requireRoom(sheet.lists, "option lists");
    std::string name =
        "DynamicBox" + std::to_string(sheet.number) + std::to_string(sheet.lists.size() + 1);
    auto list = std::make_unique<ui::ComboBox>(backend_, sheet.contentPanel.get(), name);
    list->setNiteCombo(true);
    list->setTag(group + 1000);
    list->setBounds(kFieldLeft, kRowSpacing * RowCounter - 28, 145, 24);
    list->setStyle(editable ? ui::ComboStyle::DropDown : ui::ComboStyle::DropDownList);
    list->setColor(scheme_.palette().fieldBackground);
    list->setFontColor(scheme_.palette().fieldText);
    ui::ComboBox* raw = list.get();
    if (editable) {
      list->onKeyUp = [this, raw](ui::Widget&, int&, ui::ShiftState) { AutoComplete(*raw); };
    }
    list->setTabOrder(TabCounter++);
    list->onChange = [this](ui::Widget& sender) { Callback(sender); };
    sheet.lists.push_back(std::move(list));
    // An object database's selector is no setting of the controller.
    if (!editable) known_.Add(*raw);
    if (!command.empty()) AssociateCommand(*raw, command);
  } else if (sheet.lists.empty()) {
    throw ProfileLineError("an option without its list");
  }
  ui::ComboBox& list = *sheet.lists.back();
  list.addItem(text);
  list.setItemIndex(0);
  if (!withoutEvent) RegisterEvent(number, std::to_string(group), kOptionLimit, kOptionLimit, text);
}

void Sheets::CreateButton(long long number, const std::string& text, const std::string& command,
                          const std::string& caption) {
  CreateLabel(number, text);
  SheetRecord& sheet = *sheets_.back();
  requireRoom(sheet.buttons, "buttons");
  std::string name = "DynamicButton" + std::to_string(sheet.buttons.size() + 1);
  auto button = std::make_unique<ui::Button>(backend_, sheet.contentPanel.get(), name);
  button->setTag(number);
  button->setText(caption);
  button->setTabStop(false);
  button->setParentFont(true);
  button->setBounds(kFieldLeft, kRowSpacing * RowCounter - 25, 133, 25);
  button->onClick = [this](ui::Widget& sender) { Callback(sender); };
  ui::Button* raw = button.get();
  sheet.buttons.push_back(std::move(button));
  RegisterEvent(number, std::to_string(number), kOptionLimit, kOptionLimit, caption);
  if (!command.empty()) AssociateCommand(*raw, command);
}

void Sheets::AssociateCommand(ui::Widget& control, std::string_view commands) {
  std::string_view remaining = commands;
  while (!remaining.empty()) {
    size_t comma = remaining.find(',');
    std::string command(remaining.substr(0, comma));
    auto binding = std::make_unique<ControlBinding>();
    binding->command = command;
    binding->control = &control;
    ControlBinding* raw = binding.get();
    bindings_.push_back(std::move(binding));
    if (command == ":GL") LocalTimeBinding = raw;
    if (command == ":GC") DateBinding = raw;
    if (command == ":Gg") LongitudeBinding = raw;
    if (command == ":SG") UtcOffsetBinding = raw;
    if (command == ":SE") {
      control.setShowHint(true);
      control.setHint("Time Format: hh:mm:ss");
    }
    if (command == ":SL") {
      control.setHint("Time Format: hh:mm:ss");
      AddSynchronizer(*raw);
    }
    if (command == ":SC") {
      control.setHint("Date Format: mm-dd-yy");
      AddSynchronizer(*raw);
    }
    remaining = comma == std::string_view::npos ? std::string_view() : remaining.substr(comma + 1);
  }
}

void Sheets::AddSynchronizer(ControlBinding& binding) {
  SheetRecord& sheet = requireSheet();
  ui::Backend& b = backend_;
  const int top = kRowSpacing * RowCounter - 27;
  binding.synchroniserShape = std::make_unique<ui::Shape>(b, sheet.contentPanel.get(), "");
  binding.synchroniserShape->setBounds(335, top, 160, 25);
  binding.synchroniserShape->setPenColor(window_.frame.penColor());
  binding.synchroniserShape->setBrushColor(scheme_.tableColor(6));
  binding.synchroniserLabel = std::make_unique<ui::Label>(b, sheet.contentPanel.get(), "");
  binding.synchroniserLabel->setAutoSize(false);
  binding.synchroniserLabel->setBounds(335, top, 160, 25);
  binding.synchroniserLabel->setAlignment(ui::HorizontalAlign::Center);
  binding.synchroniserLabel->setVerticalCenter(true);
  binding.synchroniserLabel->setParentFont(true);
  binding.synchroniserLabel->setText("Synchronize to PC");
  binding.synchroniserLabel->setFlatButton(true);
  // Tab reaches the button right after its field: the same tab position, created after it.
  if (binding.control != nullptr) {
    binding.synchroniserLabel->setTabOrder(binding.control->tabOrder());
  }
  ControlBinding* raw = &binding;
  binding.synchroniserLabel->onClick = [this, raw](ui::Widget&) {
    if (synchronise) synchronise(*raw);
  };
}

ControlEvent& Sheets::RegisterEvent(long long number, std::string group, double low, double high,
                                    std::string text) {
  auto event = std::make_unique<ControlEvent>();
  event->number = std::to_string(number);
  event->group = std::move(group);
  event->low = low;
  event->high = high;
  event->text = std::move(text);
  ControlEvent* raw = event.get();
  events_.push_back(std::move(event));
  if (raw->group == "120") SlewSpeedEvent = raw;
  return *raw;
}

}  // namespace orvane
