#include "persistence/Database.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "persistence/ProfileWriter.h"
#include "profile/ProfileLineError.h"
#include "profile/ProfileReader.h"
#include "sheets/Sheets.h"
#include "text/NumberText.h"
#include "ui/Latin1.h"

namespace orvane {

namespace {

constexpr std::string_view kStatusErrors = "Status: Errors found in Profile";
constexpr std::string_view kStatusQuote = "Status: Entry not stored, it holds a double quote";
constexpr std::string_view kStatusTooLong = "Status: Entry not stored, its line is too long";
constexpr int kRowSpacing = 30;
constexpr int kButtonWidth = 70;
constexpr int kButtonHeight = 25;
// The read limit of a line that the reader looks at after a key, as the entry lines have it.
constexpr std::size_t kRestLimit = 255;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

void TrimLeadingBlanks(std::string& text) {
  text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
}

}  // namespace

std::string EntryKey(std::string_view database, std::string_view entry) {
  return "DataBase \"" + std::string(database) + "\" name=\"" + std::string(entry) + "\"";
}

std::string DataSetKey(std::string_view database) {
  return "DataSet \"" + std::string(database) + "\" properties=\"";
}

ObjectDatabases::ObjectDatabases(ui::Backend& backend, ProfileDocument& document,
                                 Sheets& sheets, ui::ColorScheme& scheme, const ui::Shape& frame,
                                 ui::Label& status)
    : backend_(backend),
      document_(document),
      sheets_(sheets),
      scheme_(scheme),
      frame_(frame),
      status_(status) {}

ObjectDatabases::~ObjectDatabases() = default;

void ObjectDatabases::CreateDatabase(const ControlLine& line) {
  const long long number = line.number;
  if (!IsControlNumber(number * 10 + 1)) throw ProfileLineError("database number out of range");
  const long long base = number / 10 * 10;
  auto record = std::make_unique<DatabaseStruct>();
  record->number = number;
  record->name = line.databaseName;

  sheets_.CreateLabel(base, line.rowText);
  // The selector is the option list of the number with the digit 1 added (tag number + 1000),
  // editable, with no event of its own: its changes go to SelectDBEntry.
  sheets_.CreateBox(number * 10 + 1, line.rowText, "", true, true);
  SheetRecord& sheet = *sheets_.currentSheet();
  record->selector = sheet.lists.back().get();
  record->selector->setSorted(true);
  record->selector->clearItems();
  record->selector->setText("");
  sheets_.RegisterEvent(base + 1, std::to_string(base + 1), kOptionLimit, kOptionLimit,
                        line.rowText);

  const int top = kRowSpacing * sheets_.RowCounter - 27;
  DatabaseStruct* raw = record.get();
  for (int i = 0; i < 2; ++i) {
    const int left = 245 + 90 * (i + 1);
    auto shape = std::make_unique<ui::Shape>(backend_, sheet.contentPanel.get(), "");
    shape->setShapeType(ui::ShapeType::RoundRect);
    shape->setBounds(left, top, kButtonWidth, kButtonHeight);
    shape->setPenColor(frame_.penColor());
    shape->setBrushColor(scheme_.tableColor(6));
    const std::string name =
        "DBLabel" + std::to_string(base + 1) + "_" + std::to_string(i + 1);
    auto label = std::make_unique<ui::Label>(backend_, sheet.contentPanel.get(), name);
    label->setAutoSize(false);
    label->setBounds(left, top, kButtonWidth, kButtonHeight);
    label->setAlignment(ui::HorizontalAlign::Center);
    label->setVerticalCenter(true);
    label->setParentFont(true);
    label->setTransparent(true);
    label->setTag(number);
    label->setText(i == 0 ? "Replace" : "Remove");
    label->setFlatButton(true);  // reached with Tab, pressed with Space or Enter
    // Tab reaches the buttons right after the selector: its tab position, created after it.
    label->setTabOrder(record->selector->tabOrder());
    ui::Label* button = label.get();
    label->onClick = [this, button](ui::Widget&) { ChangeDBEntry(*button); };
    raw->shapes[static_cast<size_t>(i)] = std::move(shape);
    raw->labels[static_cast<size_t>(i)] = std::move(label);
  }
  records_.push_back(std::move(record));
}

void ObjectDatabases::AddDBEntry(std::string_view line) {
  const size_t open = line.find('"');
  if (open == std::string_view::npos) return;
  const std::string_view afterOpen = line.substr(open + 1, kRestLimit);
  const std::string_view database = afterOpen.substr(0, afterOpen.find('"'));
  const size_t nameAt = line.find("name=");
  if (nameAt == std::string_view::npos) return;
  const std::string_view rest = line.substr(std::min(nameAt + 6, line.size()));
  const std::string entry(rest.substr(0, rest.find('"')));

  auto record = std::find_if(records_.begin(), records_.end(),
                             [&](const auto& r) { return r->name == database; });
  if (record == records_.end()) return;
  ui::ComboBox& selector = *(*record)->selector;
  selector.addItem(entry);
  if (selector.items().size() == 1) {
    selector.setItemIndex(0);
    SelectDBEntry(selector);
  }
}

void ObjectDatabases::SelectDBEntry(ui::ComboBox& selector) {
  auto record = std::find_if(records_.begin(), records_.end(),
                             [&](const auto& r) { return r->selector == &selector; });
  if (record == records_.end()) return;
  DatabaseStruct& r = **record;
  const bool listed = selector.indexOfIgnoringCase(selector.text()) >= 0;
  r.labels[0]->setText(listed ? "Replace" : "Add");
  r.labels[1]->setVisible(listed);
  r.shapes[1]->setVisible(listed);
  if (!listed) return;
  try {
    applyEntry(r);
  } catch (const ProfileLineError&) {
    // While a profile is read the reader reports the line and goes on; a choice by the user
    // keeps what was applied before the faulty pair.
    if (document_.ProfileLoading) throw;
    status_.setText(std::string(kStatusErrors));
  }
}

// Puts the entry's values into the controls, pair by pair in line order; outside loading
// each control sends its value as if the user had typed it.
void ObjectDatabases::applyEntry(DatabaseStruct& record) {
  const std::string key = EntryKey(record.name, record.selector->text());
  const int index = firstLine(key);
  if (index < 0) return;
  // A copy: the controls' change handling may let events run that change the profile.
  std::string rest =
      document_.Profile[static_cast<size_t>(index)].substr(key.size(), kRestLimit);
  const unsigned long removals = sheets_.removalCount();
  while (!rest.empty() && rest.find("=\"") != std::string::npos) {
    TrimLeadingBlanks(rest);
    const size_t equals = rest.find("=\"");
    const std::string numberText = rest.substr(0, equals);
    const size_t close = rest.find('"', equals + 2);
    const std::string value = rest.substr(equals + 2, close - (equals + 2));
    rest = close == std::string::npos ? std::string() : rest.substr(close + 1);
    long long number = 0;
    if (!TryParseInteger(numberText, number) || !IsControlNumber(number)) {
      throw ProfileLineError("the number of an entry's value is not an integer");
    }
    sheets_.SetControlValue(nullptr, number, false, value, false);
    // A profile loaded while a bound command waited has taken this row away.
    if (sheets_.removalCount() != removals) return;
  }
}

void ObjectDatabases::ChangeDBEntry(ui::Label& button) {
  auto record = std::find_if(records_.begin(), records_.end(),
                             [&](const auto& r) { return r->number == button.tag(); });
  if (record == records_.end()) return;
  const std::string name = (*record)->selector->text();
  const std::string caption = button.text();
  if (caption == "Add") addEntry(**record, name);
  if (caption == "Remove") removeEntry(**record, name, button);
  if (caption == "Replace") replaceEntry(**record, name, button);
}

void ObjectDatabases::addEntry(DatabaseStruct& record, const std::string& name) {
  if (name.empty()) return;
  const int dataSet = firstLine(DataSetKey(record.name));
  if (dataSet < 0) return;
  std::string line = entryLine(record, name, document_.Profile[static_cast<size_t>(dataSet)]);
  if (line.empty()) return;
  // After the database's last entry, so that its entries stay together.
  const int last = document_.FindInProfile("DataBase \"" + record.name + "\"", -1);
  std::vector<std::string>& profile = document_.Profile;
  if (last < 0) {
    profile.push_back(std::move(line));
  } else {
    profile.insert(profile.begin() + last + 1, std::move(line));
  }
  ui::ComboBox& selector = *record.selector;
  selector.setItemIndex(selector.addItem(name));
  SelectDBEntry(selector);
}

// The data-set line is looked for before anything changes: without it no new line can be
// built, and the entry's old line must not be lost.
void ObjectDatabases::replaceEntry(DatabaseStruct& record, const std::string& name,
                                   ui::Label& button) {
  if (name.empty()) return;
  const int dataSet = firstLine(DataSetKey(record.name));
  if (dataSet < 0) return;
  std::string line = entryLine(record, name, document_.Profile[static_cast<size_t>(dataSet)]);
  if (line.empty()) return;
  std::vector<std::string>& profile = document_.Profile;
  if (const int old = firstLine(EntryKey(record.name, name)); old >= 0) {
    profile.erase(profile.begin() + old);
  }
  profile.push_back(std::move(line));
  scheme_.Blink(button);
}

void ObjectDatabases::removeEntry(DatabaseStruct& record, const std::string& name,
                                  ui::Label& button) {
  const int index = firstLine(EntryKey(record.name, name));
  if (index < 0) return;
  document_.Profile.erase(document_.Profile.begin() + index);
  ui::ComboBox& selector = *record.selector;
  std::vector<std::string> items = selector.items();
  auto listed = std::find_if(items.begin(), items.end(), [&](const std::string& item) {
    return ui::EqualIgnoringCase(item, name);
  });
  if (listed != items.end()) {
    items.erase(listed);
    selector.setItems(std::move(items));
  }
  SelectDBEntry(selector);
  scheme_.Blink(button);
}

std::string ObjectDatabases::entryLine(const DatabaseStruct& record, const std::string& name,
                                       std::string_view dataSet) {
  std::string line = EntryKey(record.name, name);
  bool quotable = QuotableValue(name);
  std::string rest(dataSet.substr(DataSetKey(record.name).size(), kRestLimit));
  while (!rest.empty() && rest.find('"') != std::string::npos) {
    TrimLeadingBlanks(rest);
    const size_t comma = rest.find(',');
    const std::string numberText =
        rest.substr(0, comma != std::string::npos ? comma : rest.find('"'));
    const double number = StrToFloatDef(numberText, std::numeric_limits<double>::quiet_NaN());
    if (std::isnan(number) || !IsControlNumber(static_cast<long long>(std::trunc(number)))) {
      status_.setText(std::string(kStatusErrors));
      return {};
    }
    const std::string value = sheets_.GetControlValue(static_cast<long long>(std::trunc(number)));
    quotable = quotable && QuotableValue(value);
    line += " " + numberText + "=\"" + value + "\"";
    rest = rest.substr(std::min(numberText.size() + 1, rest.size()));
  }
  // A line the reader would misread or refuse must not reach the profile: the profile would
  // no longer load once saved.
  if (!quotable) {
    refuse(std::string(kStatusQuote),
           "The entry was not stored: its name or one of its values holds a double quote, "
           "which a profile line cannot hold.");
    return {};
  }
  if (line.size() > kMaxProfileLineLength) {
    refuse(std::string(kStatusTooLong),
           "The entry was not stored: its profile line would be longer than " +
               std::to_string(kMaxProfileLineLength) + " characters.");
    return {};
  }
  return line;
}

int ObjectDatabases::firstLine(std::string_view prefix) const {
  const std::vector<std::string>& profile = document_.Profile;
  auto found = std::find_if(profile.begin(), profile.end(),
                            [&](const std::string& line) { return StartsWith(line, prefix); });
  return found == profile.end() ? -1 : static_cast<int>(found - profile.begin());
}

void ObjectDatabases::refuse(const std::string& status, const std::string& message) {
  status_.setText(status);
  backend_.messageBox(message, "Orvane", ui::MessageButtons::Ok);
}

void ObjectDatabases::RemoveAll() {
  records_.clear();
}

void ObjectDatabases::ApplyColors(ui::Color fill, ui::Color pen) {
  for (const auto& record : records_) {
    for (const auto& shape : record->shapes) {
      shape->setBrushColor(fill);
      shape->setPenColor(pen);
    }
  }
}

}  // namespace orvane
