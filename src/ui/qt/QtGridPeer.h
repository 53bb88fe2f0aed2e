// QtGridPeer: a ui::StringGrid as a QTableWidget. The first fixed row is the table's
// header (it stays in place while the rows scroll); further fixed rows are plain rows in
// the fixed colour that cannot be selected. Whole rows are selected. A cell the user
// moves to is reported with userSelectCell; when the program refuses it, the table goes
// back to the grid's row.
// Thread: user-interface thread only.
#pragma once

#include "ui/qt/QtWidgetPeer.h"

class QTableWidget;

namespace orvane::ui {

class StringGrid;

class QtGridPeer : public QtWidgetPeer {
 public:
  QtGridPeer(QtBackend& backend, StringGrid& grid);

 protected:
  void applyOwn(Prop prop) override;

 private:
  // Grid rows shown as table rows start after the header row.
  int headerRows() const;
  void applyCells();
  void applySizes();
  void applyRow();
  void applyColors();
  void userMovedTo(int tableRow, int column);

  StringGrid& grid_;
  QTableWidget* table_;
};

}  // namespace orvane::ui
