#include "ui/qt/QtSchemeStyle.h"

#include <QAbstractButton>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace orvane::ui {

QtSchemeStyle::QtSchemeStyle() : QProxyStyle(QStyleFactory::create("Windows")) {}

int QtSchemeStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const {
  if (hint == QStyle::SH_ComboBox_Popup) return 0;
  return QProxyStyle::styleHint(hint, option, widget, returnData);
}

int QtSchemeStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                               const QWidget* widget) const {
  if (metric == PM_TextCursorWidth) return 0;
  return QProxyStyle::pixelMetric(metric, option, widget);
}

void QtSchemeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const {
  if (element != PE_FrameFocusRect || option == nullptr) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const bool onButton = qobject_cast<const QAbstractButton*>(widget) != nullptr;
  QPen pen(option->palette.color(onButton ? QPalette::ButtonText : QPalette::Text));
  pen.setStyle(Qt::DotLine);
  painter->save();
  painter->setPen(pen);
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
  painter->restore();
}

}  // namespace orvane::ui
