#include "ui/qt/QtButtonPeer.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>

#include "ui/Controls.h"
#include "ui/qt/QtConvert.h"

namespace orvane::ui {

QtButtonPeer::QtButtonPeer(QtBackend& backend, Button& button)
    : QtWidgetPeer(backend, button),
      button_(button),
      pushButton_(new QPushButton(QtWidgetPeer::qwidgetOf(button.parent()))) {
  pushButton_->setAutoDefault(false);
  QObject::connect(pushButton_, &QPushButton::clicked, guard(), [this] { clicked(); });
  attach(pushButton_);
}

// Button::click hands the modal result to the form before the click event runs.
void QtButtonPeer::clicked() {
  button_.click();
}

void QtButtonPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Text:
      pushButton_->setText(toQString(button_.text()));
      fitCaption();
      break;
    case Prop::Font:
    case Prop::Geometry:
      fitCaption();
      break;
    default:
      break;
  }
}

// The button's font, made smaller step by step while its caption is wider than the room
// inside the button (down to a size that still reads); a caption that fits keeps the font.
void QtButtonPeer::fitCaption() {
  constexpr int kSmallestPixels = 9;
  QFont font = toQFont(button_.font());
  const QStyle* style = pushButton_->style();
  const int room = button_.width() - style->pixelMetric(QStyle::PM_ButtonMargin) -
                   2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
  const QString caption = pushButton_->text();
  if (room > 0 && !caption.isEmpty()) {
    int pixels = QFontInfo(font).pixelSize();
    while (QFontMetrics(font).horizontalAdvance(caption) > room && pixels > kSmallestPixels) {
      font.setPixelSize(--pixels);
    }
  }
  if (pushButton_->font() != font) pushButton_->setFont(font);
}

}  // namespace orvane::ui
