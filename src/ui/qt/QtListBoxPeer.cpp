#include "ui/qt/QtListBoxPeer.h"

#include <QListWidget>

#include "ui/Edits.h"
#include "ui/qt/LineListChange.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtEventRouter.h"

namespace orvane::ui {

QtListBoxPeer::QtListBoxPeer(QtBackend& backend, ListBox& list)
    : QtWidgetPeer(backend, list),
      list_(list),
      view_(new QListWidget(QtWidgetPeer::qwidgetOf(list.parent()))) {
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setUniformItemSizes(true);
  QObject::connect(view_, &QListWidget::currentRowChanged, guard(),
                   [this](int row) { userSelected(row); });
  backend.router().add(view_->viewport(), this);
  attach(view_);
}

void QtListBoxPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Items:
      applyItems();
      [[fallthrough]];
    case Prop::Selection:
      if (view_->currentRow() != list_.itemIndex()) view_->setCurrentRow(list_.itemIndex());
      break;
    case Prop::Color:
    case Prop::Font:
      applyFieldColors();
      break;
    default:
      break;
  }
}

void QtListBoxPeer::applyItems() {
  const auto& items = list_.items();
  const LineListChange change = lineListChange(shown_, items);
  if (change.refill) {
    view_->clear();
    shown_.clear();
  } else {
    for (size_t i = 0; i < change.dropFront; ++i) delete view_->takeItem(0);
    shown_.erase(shown_.begin(), shown_.begin() + static_cast<std::ptrdiff_t>(change.dropFront));
  }
  const size_t from = change.refill ? 0 : change.appendFrom;
  if (from >= items.size()) return;
  QStringList added;
  for (size_t i = from; i < items.size(); ++i) added.append(toQString(items[i]));
  view_->addItems(added);
  shown_.insert(shown_.end(), items.begin() + static_cast<std::ptrdiff_t>(from), items.end());
}

void QtListBoxPeer::userSelected(int row) {
  if (applying() || row == list_.itemIndex()) return;
  list_.userSelect(row);
}

}  // namespace orvane::ui
