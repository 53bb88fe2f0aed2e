// QtComboPager: makes a left press on the track of a drop-down list's vertical scroll bar
// page the list up or down (above or below the thumb) and consume the press, the paging
// behaviour of the program's option lists. Presses on the thumb and the arrows are left to
// the scroll bar. Installed as an event filter on the scroll bar of a combo box's list.
// Thread: user-interface thread only.
#pragma once

#include <QObject>

class QScrollBar;

namespace orvane::ui {

class QtComboPager : public QObject {
 public:
  explicit QtComboPager(QScrollBar* scrollBar);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QScrollBar* scrollBar_;
};

}  // namespace orvane::ui
