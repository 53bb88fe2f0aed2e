#include "ui/qt/QtGridPeer.h"

#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QTableWidget>

#include "ui/Edits.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtEventRouter.h"

namespace orvane::ui {

QtGridPeer::QtGridPeer(QtBackend& backend, StringGrid& grid)
    : QtWidgetPeer(backend, grid),
      grid_(grid),
      table_(new QTableWidget(QtWidgetPeer::qwidgetOf(grid.parent()))) {
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setTabKeyNavigation(false);
  // One row per scroll step, so that the scroll position is the first row in view.
  table_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setMinimumSectionSize(1);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
  header->setMinimumSectionSize(1);
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QObject::connect(table_, &QTableWidget::currentCellChanged, guard(),
                   [this](int row, int column, int, int) { userMovedTo(row, column); });
  QObject::connect(table_->verticalScrollBar(), &QScrollBar::valueChanged, guard(),
                   [this](int value) {
                     if (!applying()) grid_.userScrolled(value + headerRows());
                   });
  backend.router().add(table_->viewport(), this);
  attach(table_);
}

int QtGridPeer::headerRows() const {
  return grid_.fixedRows() > 0 ? 1 : 0;
}

void QtGridPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Cells:
      applyCells();
      applySizes();
      applyRow();
      break;
    case Prop::Style:
      // The fixed colour paints the fixed rows' cells as well as the header.
      applyCells();
      applySizes();
      applyColors();
      break;
    case Prop::Selection:
      applyRow();
      break;
    case Prop::Color:
    case Prop::Font:
      applyColors();
      break;
    default:
      break;
  }
}

void QtGridPeer::applyCells() {
  const int header = headerRows();
  const int columns = grid_.colCount();
  const int rows = grid_.rowCount() - header;
  table_->setColumnCount(columns);
  table_->setRowCount(std::max(0, rows));
  table_->horizontalHeader()->setVisible(header > 0);
  if (header > 0) {
    QStringList labels;
    for (int col = 0; col < columns; ++col) labels.append(toQString(grid_.cell(col, 0)));
    table_->setHorizontalHeaderLabels(labels);
  }
  const QColor fixed = toQColor(grid_.fixedColor());
  for (int row = 0; row < rows; ++row) {
    const int gridRow = row + header;
    const bool isFixed = gridRow < grid_.fixedRows();
    for (int col = 0; col < columns; ++col) {
      QTableWidgetItem* item = table_->item(row, col);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        table_->setItem(row, col, item);
      }
      const QString text = toQString(grid_.cell(col, gridRow));
      if (item->text() != text) item->setText(text);
      item->setFlags(isFixed ? Qt::ItemIsEnabled : (Qt::ItemIsEnabled | Qt::ItemIsSelectable));
      if (isFixed) {
        item->setBackground(fixed);
      } else {
        item->setData(Qt::BackgroundRole, QVariant());
      }
    }
  }
}

void QtGridPeer::applySizes() {
  const int rowHeight = std::max(1, grid_.defaultRowHeight());
  table_->verticalHeader()->setDefaultSectionSize(rowHeight);
  table_->horizontalHeader()->setFixedHeight(rowHeight);
  for (int col = 0; col < table_->columnCount(); ++col) {
    table_->setColumnWidth(col, grid_.colWidth(col));
  }
}

void QtGridPeer::applyRow() {
  const int tableRow = grid_.row() - headerRows();
  if (tableRow < 0 || tableRow >= table_->rowCount() || grid_.row() < grid_.fixedRows()) {
    table_->clearSelection();
    return;
  }
  const int column = std::max(0, table_->currentColumn());
  if (table_->currentRow() != tableRow) table_->setCurrentCell(tableRow, column);
  table_->selectRow(tableRow);
  table_->verticalScrollBar()->setValue(grid_.topRow() - headerRows());
}

void QtGridPeer::applyColors() {
  applyFieldColors();
  setRoleColor(QPalette::Highlight, toQColor(grid_.selectionColor()));
  setRoleColor(QPalette::HighlightedText, toQColor(grid_.selectionFontColor()));
  QHeaderView* header = table_->horizontalHeader();
  QPalette palette = header->palette();
  palette.setColor(QPalette::Button, toQColor(grid_.fixedColor()));
  palette.setColor(QPalette::Window, toQColor(grid_.fixedColor()));
  palette.setColor(QPalette::Active, QPalette::ButtonText, toQColor(grid_.font().color));
  palette.setColor(QPalette::Inactive, QPalette::ButtonText, toQColor(grid_.font().color));
  header->setPalette(palette);
}

void QtGridPeer::userMovedTo(int tableRow, int column) {
  if (applying() || tableRow < 0 || column < 0) return;
  const int gridRow = tableRow + headerRows();
  QPointer<QObject> alive(guard());
  if (gridRow >= grid_.fixedRows()) grid_.userSelectCell(column, gridRow);
  if (!alive) return;
  if (grid_.row() != gridRow) {
    // Refused (or a fixed row): show the grid's row again once Qt has finished moving.
    QMetaObject::invokeMethod(
        guard(),
        [this] {
          if (qwidget() == nullptr) return;
          ApplyScope scope(*this);
          applyRow();
        },
        Qt::QueuedConnection);
  }
}

}  // namespace orvane::ui
