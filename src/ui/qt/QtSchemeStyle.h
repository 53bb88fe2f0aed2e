// QtSchemeStyle: the program's application style. Standard window parts (push buttons,
// option lists, field frames, scroll bars, grid headings, message boxes, menus, hints) are
// drawn by the classic flat style, which paints them from the palette roles the program's
// colour scheme sets and nothing else: no gradients, no blended white highlights. Two
// changes to it:
// - the focus frame is a dotted line in the control's own text colour (the classic style
//   draws it in the inverse of the background, which in night vision would be cyan);
// - the drop-down list of an option list is always a plain scrolling list (with a vertical
//   scroll bar that QtComboPager can page), never a menu-like pop-up;
// - Qt's own caret has no width: it would be drawn as the inverse of the field, white at
//   night; the program's edit fields draw their caret themselves (QtTextEdits.h).
// Thread: user-interface thread only.
#pragma once

#include <QProxyStyle>

namespace orvane::ui {

class QtSchemeStyle : public QProxyStyle {
 public:
  QtSchemeStyle();
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override;
};

}  // namespace orvane::ui
