// ObjectDatabases: the object databases of a profile. A database is a named list of
// entries kept as lines of the profile; each entry has a name and values for a set of
// controls (typically an object's coordinates). On its sheet a database is one row: the row
// label, an editable sorted selector of the entry names with completion while typing, and
// two buttons. Choosing a listed name puts the entry's values into the controls, which send
// them on as if typed; "Add", "Replace" and "Remove" change the entry lines of the profile
// line list, and saving the profile keeps the change.
//
// Profile lines:
//   130 "User Objects" DataBase "User"                   a database row on the current sheet
//   DataSet "User" properties="140, 150"                 the controls an entry stores
//   DataBase "User" name="M 42" 140="+053517" 150="-052328"    one entry
//
// Owned by the main window; the profile reader hands it the definition and entry lines, the
// sheets' change handler the selectors, and the buttons their clicks.
// Thread: user-interface thread only.
// Layer: persistence/; it may use sheets/, profile/, link/, ui/ and text/.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "profile/ProfileDocument.h"
#include "sheets/ControlLine.h"
#include "ui/Backend.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"

namespace orvane {

class Sheets;

// One database row.
struct DatabaseStruct {
  long long number = 0;  // control number of the definition line; tag of both buttons
  std::string name;      // database name, compared case-sensitively
  // Button 1 ("Replace" or "Add") and button 2 ("Remove"): a caption over a rounded shape.
  std::array<std::unique_ptr<ui::Shape>, 2> shapes;
  std::array<std::unique_ptr<ui::Label>, 2> labels;
  ui::ComboBox* selector = nullptr;  // one of its sheet's option lists, owned by the sheet
};

class ObjectDatabases {
 public:
  // frame: the main window's frame, whose outline colour the buttons take; status: the
  // profile's status line.
  ObjectDatabases(ui::Backend& backend, ProfileDocument& document, Sheets& sheets,
                  ui::ColorScheme& scheme, const ui::Shape& frame, ui::Label& status);
  ~ObjectDatabases();

  // A database definition line: builds the row on the sheet being built. Throws
  // ProfileLineError when it cannot be built.
  void CreateDatabase(const ControlLine& line);
  // An entry line ("DataBase "): lists its name in its database's selector; the first name
  // of a database is chosen at once. Entries of a database not defined yet are ignored.
  void AddDBEntry(std::string_view line);
  // The selector's text changed: sets the buttons and, for a listed name, applies the entry.
  void SelectDBEntry(ui::ComboBox& selector);
  // A click on "Add", "Replace" or "Remove".
  void ChangeDBEntry(ui::Label& button);
  // Frees every row's buttons and records (before the sheets go).
  void RemoveAll();
  // The colour scheme's fill and outline for the buttons.
  void ApplyColors(ui::Color fill, ui::Color pen);

  const std::vector<std::unique_ptr<DatabaseStruct>>& records() const { return records_; }

 private:
  void applyEntry(DatabaseStruct& record);
  void addEntry(DatabaseStruct& record, const std::string& name);
  void replaceEntry(DatabaseStruct& record, const std::string& name, ui::Label& button);
  void removeEntry(DatabaseStruct& record, const std::string& name, ui::Label& button);
  // The entry line for name from the controls' current values; empty (after telling the
  // user) when it cannot be stored as a line the reader takes back.
  std::string entryLine(const DatabaseStruct& record, const std::string& name,
                        std::string_view dataSet);
  // The first profile line beginning with prefix, or -1.
  int firstLine(std::string_view prefix) const;
  void refuse(const std::string& status, const std::string& message);

  ui::Backend& backend_;
  ProfileDocument& document_;
  Sheets& sheets_;
  ui::ColorScheme& scheme_;
  const ui::Shape& frame_;
  ui::Label& status_;
  std::vector<std::unique_ptr<DatabaseStruct>> records_;
};

// `DataBase "<database>" name="<entry>"`: how an entry's line begins.
std::string EntryKey(std::string_view database, std::string_view entry);
// `DataSet "<database>" properties="`: how a database's data-set line begins.
std::string DataSetKey(std::string_view database);

}  // namespace orvane
