#include "ui/qt/QtComboPeer.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>

#include "ui/Edits.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtComboPager.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtEventRouter.h"
#include "ui/qt/QtTextEdits.h"

namespace orvane::ui {

namespace {
// Items shown at once in the drop-down list, as in the program's toolkit.
constexpr int kDropDownCount = 8;
}  // namespace

QtComboPeer::QtComboPeer(QtBackend& backend, ComboBox& combo)
    : QtWidgetPeer(backend, combo),
      combo_(combo),
      box_(new QComboBox(QtWidgetPeer::qwidgetOf(combo.parent()))) {
  box_->setMaxVisibleItems(kDropDownCount);
  box_->setInsertPolicy(QComboBox::NoInsert);
  new QtComboPager(box_->view()->verticalScrollBar());
  QObject::connect(box_, &QComboBox::activated, guard(),
                   [this](int index) { userActivated(index); });
  attach(box_);
}

bool QtComboPeer::keyPressed(QKeyEvent& event, Form& form) {
  const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
  QPointer<QObject> alive(guard());
  if (QtWidgetPeer::keyPressed(event, form) || !alive) return true;
  return enter && combo_.editable();
}

void QtComboPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Style:
      applyStyle();
      break;
    case Prop::Items:
      applyItems();
      break;
    case Prop::Text:
    case Prop::Selection:
      if (!reporting_) applySelection();
      break;
    case Prop::Color:
    case Prop::Font:
      applyColors();
      break;
    default:
      break;
  }
}

void QtComboPeer::applyStyle() {
  if (box_->isEditable() == combo_.editable()) return;
  box_->setEditable(combo_.editable());
  if (combo_.editable()) box_->setLineEdit(new QtLineEdit);
  if (QLineEdit* edit = box_->lineEdit()) {
    // The program completes typed text itself (on key-up); Qt must not.
    box_->setCompleter(nullptr);
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    backend().router().add(edit, this);
    QObject::connect(edit, &QLineEdit::textEdited, guard(),
                     [this](const QString& text) { userEdited(text); });
  }
  applyColors();
  applySelection();
}

void QtComboPeer::applyItems() {
  const auto& items = combo_.items();
  bool same = box_->count() == static_cast<int>(items.size());
  for (int i = 0; same && i < box_->count(); ++i) {
    same = box_->itemText(i) == toQString(items[static_cast<size_t>(i)]);
  }
  if (!same) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items) list.append(toQString(item));
    box_->clear();
    box_->addItems(list);
  }
  applySelection();
}

void QtComboPeer::applySelection() {
  if (box_->currentIndex() != combo_.itemIndex()) box_->setCurrentIndex(combo_.itemIndex());
  if (QLineEdit* edit = box_->lineEdit()) {
    const QString text = toQString(combo_.text());
    if (edit->text() != text) edit->setText(text);
    const int start = static_cast<int>(combo_.selStart());
    const int length = static_cast<int>(combo_.selLength());
    if (length > 0) {
      edit->setSelection(start, length);
    } else if (edit->hasSelectedText() || edit->cursorPosition() != start) {
      edit->deselect();
      edit->setCursorPosition(start);
    }
  }
}

void QtComboPeer::applyColors() {
  const QColor background = toQColor(combo_.color());
  const QColor text = toQColor(combo_.font().color);
  applyFieldColors();
  setRoleColor(QPalette::Button, background);
  setRoleColor(QPalette::ButtonText, text);
  // The drop-down list is a separate window; it takes the same colours.
  QPalette list = box_->view()->palette();
  list.setColor(QPalette::Base, background);
  list.setColor(QPalette::Active, QPalette::Text, text);
  list.setColor(QPalette::Inactive, QPalette::Text, text);
  box_->view()->setPalette(list);
}

void QtComboPeer::userActivated(int index) {
  if (applying()) return;
  const auto* edit = dynamic_cast<const QtLineEdit*>(box_->lineEdit());
  if (edit != nullptr && edit->losingFocus()) {
    // Qt's own match as the focus leaves: the list shows again what the widget holds.
    ApplyScope scope(*this);
    applySelection();
    return;
  }
  combo_.userSelect(index);
}

void QtComboPeer::userEdited(const QString& text) {
  if (applying()) return;
  QLineEdit* edit = box_->lineEdit();
  const size_t caret = edit != nullptr ? static_cast<size_t>(edit->cursorPosition()) : 0;
  QPointer<QObject> alive(guard());
  reporting_ = true;
  combo_.userEdit(fromQString(text), caret);
  if (!alive) return;
  reporting_ = false;
  // The change handler may have changed text or selection in the meantime.
  ApplyScope scope(*this);
  applySelection();
}

}  // namespace orvane::ui
