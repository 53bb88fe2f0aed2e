#include "ui/qt/QtComboPager.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

namespace orvane::ui {

namespace {

// The scroll bar's own style option (QScrollBar::initStyleOption is not public).
QStyleOptionSlider styleOptionOf(const QScrollBar& bar) {
  QStyleOptionSlider option;
  option.initFrom(&bar);
  option.subControls = QStyle::SC_All;
  option.activeSubControls = QStyle::SC_None;
  option.orientation = bar.orientation();
  option.minimum = bar.minimum();
  option.maximum = bar.maximum();
  option.sliderPosition = bar.sliderPosition();
  option.sliderValue = bar.value();
  option.singleStep = bar.singleStep();
  option.pageStep = bar.pageStep();
  option.upsideDown = bar.invertedAppearance();
  if (bar.orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
  return option;
}

}  // namespace

QtComboPager::QtComboPager(QScrollBar* scrollBar) : QObject(scrollBar), scrollBar_(scrollBar) {
  scrollBar_->installEventFilter(this);
}

bool QtComboPager::eventFilter(QObject* watched, QEvent* event) {
  if (watched != scrollBar_) return false;
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick) {
    return false;
  }
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton || scrollBar_->maximum() <= scrollBar_->minimum()) {
    return false;
  }
  const QStyleOptionSlider option = styleOptionOf(*scrollBar_);
  QStyle* style = scrollBar_->style();
  const QRect groove =
      style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, scrollBar_);
  const QRect thumb =
      style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, scrollBar_);
  const QPoint at = mouse->position().toPoint();
  if (!groove.contains(at) || thumb.contains(at)) return false;
  const bool beforeThumb =
      scrollBar_->orientation() == Qt::Vertical ? at.y() < thumb.top() : at.x() < thumb.left();
  scrollBar_->triggerAction(beforeThumb ? QAbstractSlider::SliderPageStepSub
                                        : QAbstractSlider::SliderPageStepAdd);
  mouse->accept();
  return true;
}

}  // namespace orvane::ui
