// QtComboStyle: the application style with one change for option lists: the drop-down
// list is always a plain scrolling list (with a vertical scroll bar that QtComboPager can
// page), never the menu-like pop-up some styles use for non-editable combo boxes.
// Thread: user-interface thread only.
#pragma once

#include <QProxyStyle>

namespace orvane::ui {

class QtComboStyle : public QProxyStyle {
 public:
  QtComboStyle() = default;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override;
};

}  // namespace orvane::ui
