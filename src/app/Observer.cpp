#include "app/Observer.h"

#include "app/MainForm.h"

namespace orvane {

namespace {
constexpr int kTaskBarReserve = 24;
}

TObserver::TObserver(AppContext& context)
    : ui::Form(context.backend, "Observer"), context_(context) {
  ui::Backend& b = context.backend;
  setText("Observer");
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  setColor(kObserverBackground);
  ui::Font font;
  font.name = "Times New Roman";
  font.pixelSize = 13;
  font.color = kObserverText;
  setFont(font);
  ui::Size screen = b.screenSize();
  setBounds(screen.width - 197, 0, 197, 15);
  auto label = [&](const char* name, const char* caption, int left) {
    auto l = std::make_unique<ui::Label>(b, this, name);
    l->setParentFont(true);
    l->setBounds(left, 0, 0, 0);
    l->setText(caption);
    hookDrag(*l);
    return l;
  };
  RALabel = label("RALabel", "RA:", 4);
  RA = label("RA", "", 28);
  DECLabel = label("DECLabel", "Dec:", 108);
  DEC = label("DEC", "", 136);
  hookDrag(*this);
  onShow = [this](ui::Widget&) { FormShow(); };
}

void TObserver::SetColors(ui::Color background, ui::Color text) {
  setColor(background);
  setFontColor(text);
}

void TObserver::hookDrag(ui::Widget& widget) {
  widget.onMouseDown = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
    MouseDown(x, y);
  };
  widget.onMouseMove = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
    MouseMove(x, y);
  };
  widget.onMouseUp = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) { MouseUp(); };
  widget.onDblClick = [this](ui::Widget&) {
    if (TMainForm* main = context_.windows.main) main->show();
  };
}

void TObserver::MouseDown(int x, int y) {
  pressX_ = x;
  pressY_ = y;
  dragging_ = true;
}

void TObserver::MouseMove(int x, int y) {
  if (!dragging_ || moving_) return;
  moving_ = true;
  setBounds(left() + x - pressX_, top() + y - pressY_, width(), height());
  repaint();
  moving_ = false;
}

void TObserver::MouseUp() {
  dragging_ = false;
  keepOnScreen(kTaskBarReserve);
}

void TObserver::FormShow() {
  ui::Size screen = backend().screenSize();
  int x = left();
  int y = top();
  if (x > screen.width - width()) x = screen.width - width();
  if (y > screen.height - kTaskBarReserve) y = 0;
  setBounds(x, y, width(), height());
}

}  // namespace orvane
