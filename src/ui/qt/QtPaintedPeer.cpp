#include "ui/qt/QtPaintedPeer.h"

#include <QFontMetrics>

#include "ui/Controls.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtPaintedWidget.h"

namespace orvane::ui {

QtPaintedPeer::QtPaintedPeer(QtBackend& backend, Widget& widget)
    : QtWidgetPeer(backend, widget),
      painted_(new QtPaintedWidget(widget, QtWidgetPeer::qwidgetOf(widget.parent()))) {
  attach(painted_);
}

QtPaintedPeer::~QtPaintedPeer() {
  if (qwidget() != nullptr) painted_->detach();
}

void QtPaintedPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Picture:
      if (widget().kind() == WidgetKind::ImageButton) {
        painted_->setPicture(toQImage(static_cast<const ImageButton&>(widget()).picture()));
      }
      break;
    case Prop::Geometry:
      fitAutoSizedLabel();
      break;
    case Prop::Text:
    case Prop::Font:
    case Prop::Style:
      fitAutoSizedLabel();
      painted_->update();
      break;
    case Prop::Color:
      // A panel and an opaque label paint every pixel of their own: Qt need not paint what
      // lies beneath them when they change (a clock label repaints itself alone).
      painted_->setAttribute(Qt::WA_OpaquePaintEvent,
                             widget().kind() == WidgetKind::Panel ||
                                 (widget().kind() == WidgetKind::Label && !widget().transparent()));
      painted_->update();
      break;
    case Prop::Focus:
      painted_->update();
      break;
    default:
      break;
  }
}

void QtPaintedPeer::fitAutoSizedLabel() {
  if (widget().kind() != WidgetKind::Label) return;
  const auto& label = static_cast<const Label&>(widget());
  if (!label.autoSize() || label.wordWrap()) return;
  // The widget layer sizes an auto-sized label by an estimate; shown, it takes the size of
  // its text in the real font, keeping its right edge when it is right-aligned.
  const QSize text = QFontMetrics(toQFont(label.font()))
                         .size(Qt::TextSingleLine | Qt::TextShowMnemonic, toQString(label.text()));
  int left = label.left();
  if (label.alignment() == HorizontalAlign::Right) left += label.width() - text.width();
  painted_->setGeometry(left, label.top(), text.width(), text.height());
}

}  // namespace orvane::ui
