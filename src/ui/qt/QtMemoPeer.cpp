#include "ui/qt/QtMemoPeer.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "ui/Edits.h"
#include "ui/qt/LineListChange.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtEventRouter.h"
#include "ui/qt/QtTextEdits.h"

namespace orvane::ui {

namespace {

QString joinLines(const std::vector<std::string>& lines, size_t from) {
  QString text;
  for (size_t i = from; i < lines.size(); ++i) {
    if (i > from) text.append(QLatin1Char('\n'));
    text.append(toQString(lines[i]));
  }
  return text;
}

}  // namespace

QtMemoPeer::QtMemoPeer(QtBackend& backend, Memo& memo)
    : QtWidgetPeer(backend, memo),
      memo_(memo),
      edit_(new QtPlainTextEdit(QtWidgetPeer::qwidgetOf(memo.parent()))) {
  edit_->setTabChangesFocus(true);
  edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QObject::connect(edit_, &QPlainTextEdit::textChanged, guard(), [this] { userEdited(); });
  QObject::connect(edit_, &QPlainTextEdit::cursorPositionChanged, guard(),
                   [this] { userMovedCaret(); });
  QObject::connect(edit_, &QPlainTextEdit::selectionChanged, guard(), [this] { userMovedCaret(); });
  backend.router().add(edit_->viewport(), this);
  attach(edit_);
}

void QtMemoPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Items:
      applyLines();
      break;
    case Prop::Selection:
      applyCaret();
      break;
    case Prop::Style:
      edit_->setReadOnly(memo_.readOnly());
      // A memo only the program writes (a log) keeps no undo history: every line it takes
      // or drops would stay in that history for ever.
      if (edit_->isUndoRedoEnabled() == memo_.readOnly()) {
        edit_->setUndoRedoEnabled(!memo_.readOnly());
      }
      edit_->setLineWrapMode(memo_.wordWrap() ? QPlainTextEdit::WidgetWidth
                                              : QPlainTextEdit::NoWrap);
      edit_->setVerticalScrollBarPolicy(memo_.verticalScrollBar() ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAlwaysOff);
      edit_->setHorizontalScrollBarPolicy(memo_.horizontalScrollBar() ? Qt::ScrollBarAlwaysOn
                                                                      : Qt::ScrollBarAlwaysOff);
      break;
    case Prop::Color:
    case Prop::Font:
      applyFieldColors();
      break;
    default:
      break;
  }
}

void QtMemoPeer::applyLines() {
  const auto& lines = memo_.lines();
  const LineListChange change = lineListChange(shown_, lines);
  if (change.refill || shown_.empty() || change.dropFront == shown_.size()) {
    edit_->setPlainText(joinLines(lines, 0));
    shown_ = lines;
    return;
  }
  if (change.dropFront > 0) {
    QTextCursor cursor(edit_->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor,
                        static_cast<int>(change.dropFront));
    cursor.removeSelectedText();
    shown_.erase(shown_.begin(), shown_.begin() + static_cast<std::ptrdiff_t>(change.dropFront));
  }
  if (change.appendFrom < lines.size()) {
    edit_->appendPlainText(joinLines(lines, change.appendFrom));
    shown_.insert(shown_.end(), lines.begin() + static_cast<std::ptrdiff_t>(change.appendFrom),
                  lines.end());
  }
}

void QtMemoPeer::applyCaret() {
  QTextDocument* document = edit_->document();
  // A place in the document: the line's start plus the column, inside the line.
  auto positionOf = [document](TextPosition at) {
    const int line = std::clamp(at.line, 0, std::max(0, document->blockCount() - 1));
    const QTextBlock block = document->findBlockByNumber(line);
    return block.position() + std::clamp(at.column, 0, std::max(0, block.length() - 1));
  };
  QTextCursor cursor(document);
  cursor.setPosition(positionOf(memo_.anchor()));
  cursor.setPosition(positionOf(memo_.caret()), QTextCursor::KeepAnchor);
  edit_->setTextCursor(cursor);
  edit_->ensureCursorVisible();
}

TextPosition QtMemoPeer::textPositionOf(int position) const {
  const QTextBlock block = edit_->document()->findBlock(position);
  return {block.blockNumber(), position - block.position()};
}

void QtMemoPeer::userMovedCaret() {
  if (applying()) return;
  const QTextCursor cursor = edit_->textCursor();
  memo_.userSetSelection(textPositionOf(cursor.anchor()), textPositionOf(cursor.position()));
}

void QtMemoPeer::userEdited() {
  if (applying()) return;
  const QStringList parts = edit_->toPlainText().split(QLatin1Char('\n'));
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(parts.size()));
  for (const QString& part : parts) lines.push_back(fromQString(part));
  // An empty text is no lines, not one empty line.
  if (lines.size() == 1 && lines.front().empty()) lines.clear();
  shown_ = lines;
  memo_.userSetLines(std::move(lines), edit_->textCursor().blockNumber());
  userMovedCaret();
}

}  // namespace orvane::ui
