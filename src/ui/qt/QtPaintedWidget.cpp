#include "ui/qt/QtPaintedWidget.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "ui/Controls.h"
#include "ui/qt/QtConvert.h"

namespace orvane::ui {

QtPaintedWidget::QtPaintedWidget(Widget& source, QWidget* parent)
    : QWidget(parent), source_(&source) {
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

void QtPaintedWidget::setPicture(QImage picture) {
  picture_ = std::move(picture);
  update();
}

void QtPaintedWidget::paintEvent(QPaintEvent* /*event*/) {
  if (source_ == nullptr) return;
  QPainter painter(this);
  switch (source_->kind()) {
    case WidgetKind::Panel:
      paintPanel(painter);
      break;
    case WidgetKind::Label:
      paintLabel(painter);
      break;
    case WidgetKind::Shape:
      paintShape(painter);
      break;
    case WidgetKind::ImageButton:
      if (!picture_.isNull()) painter.drawImage(QPoint(0, 0), picture_);
      break;
    default:
      break;
  }
}

void QtPaintedWidget::paintPanel(QPainter& painter) {
  const auto& panel = static_cast<const Panel&>(*source_);
  painter.fillRect(rect(), toQColor(panel.color()));
  if (panel.bevel()) {
    QPalette bevel = palette();
    bevel.setColor(QPalette::Button, toQColor(panel.color()));
    qDrawShadePanel(&painter, rect(), bevel, false, 1);
  }
  if (!panel.text().empty()) {
    painter.setPen(toQColor(panel.font().color));
    painter.drawText(rect(), Qt::AlignCenter, toQString(panel.text()));
  }
}

void QtPaintedWidget::paintLabel(QPainter& painter) {
  const auto& label = static_cast<const Label&>(*source_);
  if (!label.transparent()) painter.fillRect(rect(), toQColor(label.color()));
  int flags = Qt::TextShowMnemonic;
  switch (label.alignment()) {
    case HorizontalAlign::Left:
      flags |= Qt::AlignLeft;
      break;
    case HorizontalAlign::Center:
      flags |= Qt::AlignHCenter;
      break;
    case HorizontalAlign::Right:
      flags |= Qt::AlignRight;
      break;
  }
  flags |= label.verticalCenter() ? Qt::AlignVCenter : Qt::AlignTop;
  if (label.wordWrap()) flags |= Qt::TextWordWrap;
  painter.setPen(toQColor(label.font().color));
  painter.drawText(rect(), flags, toQString(label.text()));
  if (label.flatButton() && label.focused()) {
    // The focus mark: a dotted frame inside the button, in the caption's colour, so that it
    // shows in every scheme and adds no colour of its own.
    QPen mark(toQColor(label.font().color));
    mark.setStyle(Qt::DotLine);
    painter.setPen(mark);
    painter.setBrush(Qt::NoBrush);
    const int inset = height() >= 20 ? 3 : 0;
    painter.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
  }
}

void QtPaintedWidget::paintShape(QPainter& painter) {
  const auto& shape = static_cast<const Shape&>(*source_);
  // Laid out like the classic shape control: the outline runs half a pen inside the
  // bounds, and a rounded rectangle's corner ellipse is a quarter of the shorter side.
  const int penWidth = std::max(0, shape.penWidth());
  QPen pen(toQColor(shape.penColor()));
  pen.setWidth(penWidth);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(toQColor(shape.brushColor()));
  const double inset = penWidth / 2.0;
  const QRectF bounds(inset, inset, std::max(0.0, width() - penWidth - (penWidth == 0 ? 1.0 : 0.0)),
                      std::max(0.0, height() - penWidth - (penWidth == 0 ? 1.0 : 0.0)));
  if (shape.shapeType() == ShapeType::RoundRect) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double ellipse = std::min(bounds.width(), bounds.height()) / 4.0;
    painter.drawRoundedRect(bounds, ellipse / 2.0, ellipse / 2.0);
  } else {
    painter.drawRect(bounds);
  }
}

}  // namespace orvane::ui
