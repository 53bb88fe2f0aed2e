// The toolkit's floor for the clocks: a bare Qt window with four opaque labels that show the
// time, painted as the program paints its status strip (fill, then one line of text) and
// changed once a second. It runs until it is ended; bench/cpu_idle.sh starts it beside the
// program and reads its processor time from /proc, so that the share of the program's CPU
// that any Qt window showing four clocks needs on this machine can be told from the rest.
//
//   bench_clockfloor            (QT_QPA_PLATFORM=offscreen without a display)
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdio>
#include <ctime>

namespace {

class ClockLabel : public QWidget {
 public:
  explicit ClockLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  void setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(QColor(200, 0, 0));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text_);
  }

 private:
  QString text_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(400, 40);
  std::array<ClockLabel*, 4> clocks{};
  for (std::size_t i = 0; i < clocks.size(); ++i) {
    clocks[i] = new ClockLabel(&window);
    clocks[i]->setGeometry(10 + static_cast<int>(i) * 95, 10, 90, 20);
  }
  window.show();
  QTimer second;
  second.setInterval(1000);
  QObject::connect(&second, &QTimer::timeout, [&clocks] {
    // The text is made without the toolkit's date formatting: what is measured is the
    // window's share, the four repaints.
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
    for (ClockLabel* clock : clocks) clock->setText(QString::fromLatin1(text));
  });
  second.start();
  return QApplication::exec();
}
