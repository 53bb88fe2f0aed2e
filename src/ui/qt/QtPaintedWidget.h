// QtPaintedWidget: the Qt widget of the drawn controls — panel, label, shape and image
// button. It paints from the ui::Widget's state each time, so a property change needs only
// an update().
// Thread: user-interface thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace orvane::ui {

class Widget;

class QtPaintedWidget : public QWidget {
 public:
  QtPaintedWidget(Widget& source, QWidget* parent);
  // The ui::Widget is going away; paint nothing from now on.
  void detach() { source_ = nullptr; }
  // Image buttons: the picture converted once per change.
  void setPicture(QImage picture);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void paintPanel(class QPainter& painter);
  void paintLabel(QPainter& painter);
  void paintShape(QPainter& painter);
  void paintFocusMark(QPainter& painter, const QColor& color, int inset);

  static constexpr int kFocusMarkWidth = 2;
  Widget* source_;
  QImage picture_;
  // The brightest pixel of the picture: the colour of an image button's focus mark.
  QColor brightest_;
};

}  // namespace orvane::ui
