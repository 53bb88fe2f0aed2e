// QtListBoxPeer: a ui::ListBox as a QListWidget. Items and the selected index follow the
// widget; a row the user selects is reported with userSelect (which clicks the list).
// Lists that only grow at the end or drop their oldest rows (trace lists) are updated in
// place rather than refilled.
// Thread: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/qt/QtWidgetPeer.h"

class QListWidget;

namespace orvane::ui {

class ListBox;

class QtListBoxPeer : public QtWidgetPeer {
 public:
  QtListBoxPeer(QtBackend& backend, ListBox& list);

 protected:
  void applyOwn(Prop prop) override;

 private:
  void applyItems();
  void userSelected(int row);

  ListBox& list_;
  QListWidget* view_;
  std::vector<std::string> shown_;  // the rows as last shown
};

}  // namespace orvane::ui
