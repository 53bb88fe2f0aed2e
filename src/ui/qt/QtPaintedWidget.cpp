#include "ui/qt/QtPaintedWidget.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "ui/Controls.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtPlainLine.h"

namespace orvane::ui {

QtPaintedWidget::QtPaintedWidget(Widget& source, QWidget* parent)
    : QWidget(parent), source_(&source) {
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

void QtPaintedWidget::setPicture(QImage picture) {
  picture_ = std::move(picture);
  brightest_ = QColor(Qt::black);
  int brightestLevel = -1;
  const QImage pixels = picture_.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < pixels.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    for (int x = 0; x < pixels.width(); ++x) {
      if (qAlpha(line[x]) == 0) continue;
      const int level = qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]);
      if (level > brightestLevel) {
        brightestLevel = level;
        brightest_ = QColor::fromRgb(line[x]);
      }
    }
  }
  update();
}

void QtPaintedWidget::paintFocusMark(QPainter& painter, const QColor& color, int inset) {
  // Two pixels wide and dashed: it reads as a mark, not as the button's own outline, and
  // stays visible on every fill; it adds no colour of its own.
  QPen mark(color);
  mark.setWidth(kFocusMarkWidth);
  mark.setStyle(Qt::DashLine);
  mark.setCapStyle(Qt::FlatCap);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(mark);
  painter.setBrush(Qt::NoBrush);
  const int half = kFocusMarkWidth / 2;
  painter.drawRect(rect().adjusted(inset + half, inset + half, -inset - half, -inset - half));
  painter.restore();
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
      // The ring round a focused picture takes its brightest colour, the tint it is drawn
      // in, which stands out from what the picture lies on as the picture itself does.
      if (source_->focused()) paintFocusMark(painter, brightest_, 0);
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
  // Clocks and times, repainted every second, are drawn from glyphs kept per font.
  if (!drawPlainLine(painter, rect(), flags, label.text())) {
    painter.drawText(rect(), flags, toQString(label.text()));
  }
  if (label.flatButton() && label.focused()) {
    // The focus mark inside the button, clear of its outline, in the caption's colour: it
    // stands out from the button's fill as the caption does.
    paintFocusMark(painter, toQColor(label.font().color), height() >= 20 ? 3 : 0);
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
