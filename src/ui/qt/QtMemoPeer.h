// QtMemoPeer: a ui::Memo as a QPlainTextEdit. Lines, read-only, word wrap, scroll bars,
// caret and selection follow the widget; text the user edits is reported with
// userSetLines, a caret moved or text selected by the user with userSetSelection. Logging memos that append lines (and drop the oldest at their limit) are
// updated in place rather than refilled.
// Thread: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/qt/QtWidgetPeer.h"

class QPlainTextEdit;

namespace orvane::ui {

class Memo;
struct TextPosition;

class QtMemoPeer : public QtWidgetPeer {
 public:
  QtMemoPeer(QtBackend& backend, Memo& memo);

 protected:
  void applyOwn(Prop prop) override;

 private:
  void applyLines();
  void applyCaret();
  void userEdited();
  void userMovedCaret();
  TextPosition textPositionOf(int position) const;

  Memo& memo_;
  QPlainTextEdit* edit_;
  std::vector<std::string> shown_;  // the lines as last shown
};

}  // namespace orvane::ui
