#include "ui/qt/QtBackend.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "ui/ComputerClock.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/MessageBoxForm.h"
#include "ui/NestingLevel.h"
#include "ui/TrayIcon.h"
#include "ui/qt/QtApplication.h"
#include "ui/qt/QtButtonPeer.h"
#include "ui/qt/QtComboPeer.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtDescriptorWatchPeer.h"
#include "ui/qt/QtDisplayMode.h"
#include "ui/qt/QtEventRouter.h"
#include "ui/qt/QtFormPeer.h"
#include "ui/qt/QtGridPeer.h"
#include "ui/qt/QtListBoxPeer.h"
#include "ui/qt/QtMaskEditPeer.h"
#include "ui/qt/QtMemoPeer.h"
#include "ui/qt/QtPaintedPeer.h"
#include "ui/qt/QtSchemeStyle.h"
#include "ui/qt/QtSystemPalette.h"
#include "ui/qt/QtTimerPeer.h"
#include "ui/qt/QtTrayPeer.h"

namespace orvane::ui {

namespace {

// A tone longer than this is cut short rather than freezing the windows.
constexpr int kLongestToneMs = 5000;

template <typename Peer, typename Kind>
std::unique_ptr<WidgetPeer> makePeer(QtBackend& backend, Widget& widget) {
  return std::make_unique<Peer>(backend, static_cast<Kind&>(widget));
}

}  // namespace

QtBackend::QtBackend(QApplication& application)
    : application_(application),
      router_(std::make_unique<QtEventRouter>()),
      started_(std::chrono::steady_clock::now()) {
  // The program ends by terminate(), not when its last window closes (it lives in the
  // notification area with every window hidden).
  QApplication::setQuitOnLastWindowClosed(false);
  // Standard window parts are drawn from the palette the colour scheme sets, and nothing
  // else (the application takes the style over).
  if (dynamic_cast<QtSchemeStyle*>(QApplication::style()) == nullptr) {
    QApplication::setStyle(new QtSchemeStyle);
  }
  application_.installEventFilter(router_.get());
  // An error that reaches the message loop shows in the program's own box.
  if (auto* program = dynamic_cast<QtApplication*>(&application_)) {
    program->setErrorBox([this](const std::string& text) {
      messageBox(text, fromQString(QApplication::applicationDisplayName()), MessageButtons::Ok);
    });
  }
  router_->globalKey = [this](int key, ShiftState shift) { return runGlobalKey(key, shift); };
}

QtBackend::~QtBackend() {
  if (auto* program = dynamic_cast<QtApplication*>(&application_)) program->setErrorBox({});
  calls_.close();
  application_.removeEventFilter(router_.get());
  // Qt widgets and timers of destroyed peers wait for the event loop to delete them.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QtDisplayMode& QtBackend::displayMode() {
  // Made on first use: it opens a display connection of its own, which a run that never
  // changes the resolution does not need.
  if (!displayMode_) {
    displayMode_ = std::make_unique<QtDisplayMode>(QGuiApplication::platformName() == "xcb");
  }
  return *displayMode_;
}

std::unique_ptr<WidgetPeer> QtBackend::createPeer(Widget& widget) {
  switch (widget.kind()) {
    case WidgetKind::Form:
      return makePeer<QtFormPeer, Form>(*this, widget);
    case WidgetKind::Panel:
    case WidgetKind::Label:
    case WidgetKind::Shape:
    case WidgetKind::ImageButton:
      return std::make_unique<QtPaintedPeer>(*this, widget);
    case WidgetKind::Button:
      return makePeer<QtButtonPeer, Button>(*this, widget);
    case WidgetKind::MaskEdit:
      return makePeer<QtMaskEditPeer, MaskEdit>(*this, widget);
    case WidgetKind::ComboBox:
      return makePeer<QtComboPeer, ComboBox>(*this, widget);
    case WidgetKind::ListBox:
      return makePeer<QtListBoxPeer, ListBox>(*this, widget);
    case WidgetKind::Memo:
      return makePeer<QtMemoPeer, Memo>(*this, widget);
    case WidgetKind::StringGrid:
      return makePeer<QtGridPeer, StringGrid>(*this, widget);
  }
  return nullptr;
}

std::unique_ptr<TimerPeer> QtBackend::createTimerPeer(Timer& timer) {
  return std::make_unique<QtTimerPeer>(timer);
}

std::unique_ptr<TrayIconPeer> QtBackend::createTrayIconPeer(TrayIcon& tray) {
  return std::make_unique<QtTrayPeer>(tray);
}

std::unique_ptr<DescriptorWatchPeer> QtBackend::createDescriptorWatchPeer(DescriptorWatch& watch) {
  return std::make_unique<QtDescriptorWatchPeer>(watch);
}

void QtBackend::processMessages() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtBackend::waitForMessages(int maxMs) {
  // Pending events (posted ones included) are handled without waiting; only when there
  // are none does the call wait for the next. A precise single-shot timer bounds the wait:
  // Qt's default timers may fire early.
  if (waitDepth_ == waitTimers_.size()) {
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(true);
    waitTimers_.push_back(std::move(timer));
  }
  QTimer& wake = *waitTimers_[waitDepth_];
  const NestingLevel level(waitDepth_);
  wake.start(std::max(maxMs, 0));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  wake.stop();
}

void QtBackend::waitForMessagesUntilTick(int /*maxMs*/) {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtBackend::sleep(int milliseconds) {
  if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void QtBackend::run() {
  // exec() may also return when something else asks Qt to quit; only terminate() ends.
  running_ = true;
  while (!terminated_) QApplication::exec();
  running_ = false;
}

void QtBackend::terminate() {
  terminated_ = true;
  // Threads waiting for the user-interface thread must not keep the program from ending.
  calls_.close();
  for (const QPointer<QEventLoop>& loop : modalLoops_) {
    if (loop) loop->quit();
  }
  // Ends the message loop and every loop nested in it (message boxes, menus). Outside
  // run() Qt would keep the request and end the next event loop at once instead.
  if (running_) QCoreApplication::exit(0);
}

DateTime QtBackend::localNow() {
  return ComputerClockNow(true);
}

DateTime QtBackend::utcNow() {
  return ComputerClockNow(false);
}

long long QtBackend::ticksMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               started_)
      .count();
}

Size QtBackend::qtScreenSize() const {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QSize size = screen->geometry().size();
  return Size{size.width(), size.height()};
}

Size QtBackend::screenSize() {
  const Size qt = qtScreenSize();
  if (screenChange_) {
    if (qt.width == screenChange_->staleQtSize.width &&
        qt.height == screenChange_->staleQtSize.height) {
      return screenChange_->actualSize;
    }
    screenChange_.reset();
  }
  return qt;
}

void QtBackend::noteScreenChange() {
  const Size qt = qtScreenSize();
  const std::optional<Size> actual = displayMode().currentSize();
  if (actual && (actual->width != qt.width || actual->height != qt.height)) {
    screenChange_ = ScreenChange{qt, *actual};
  } else {
    screenChange_.reset();
  }
}

bool QtBackend::setScreenDimensions(int width, int height) {
  if (!displayMode().change(width, height)) return false;
  noteScreenChange();
  return true;
}

void QtBackend::restoreDisplayMode() {
  // Without a display mode object the resolution was never changed.
  if (displayMode_ && displayMode_->restore()) noteScreenChange();
}

SystemPalette QtBackend::systemColors() {
  return systemColorsOf(QApplication::palette());
}

void QtBackend::setSystemColors(const SystemPalette& colors) {
  QApplication::setPalette(withSystemColors(QApplication::palette(), colors));
  // Qt hands the change to the widgets through posted events; deliver them now, so that
  // what the program paints next already has the new colours.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
}

void QtBackend::setHintColors(Color background, Color text) {
  QPalette palette = QToolTip::palette();
  palette.setColor(QPalette::ToolTipBase, toQColor(background));
  palette.setColor(QPalette::ToolTipText, toQColor(text));
  // The hint window takes its frame and its background from the window roles.
  palette.setColor(QPalette::Window, toQColor(background));
  palette.setColor(QPalette::WindowText, toQColor(text));
  QToolTip::setPalette(palette);
}

void QtBackend::tone(int /*frequencyHz*/, int durationMs) {
  QApplication::beep();
  sleep(std::clamp(durationMs, 0, kLongestToneMs));
}

int QtBackend::messageBox(const std::string& text, const std::string& caption,
                          MessageButtons buttons) {
  // The program's own box: borderless (no title bar of the window manager's, which would
  // not follow the colour scheme) and in the scheme's message-box colours.
  MessageBoxForm box(*this, text, caption, buttons);
  if (terminated_) return box.escapeResult();
  return box.ask();
}

int QtBackend::showModal(Form& form) {
  auto* peer = dynamic_cast<QtFormPeer*>(form.peer());
  if (peer == nullptr || terminated_) {
    form.setModalResult(modal::kCancel);
    return modal::kCancel;
  }
  QPointer<QObject> alive(peer->guard());
  QEventLoop loop;
  modalLoops_.emplace_back(&loop);
  peer->beginModal(&loop);
  form.show();
  peer->bringForward();
  if (alive && form.visible() && form.modalResult() == modal::kNone && !terminated_) {
    loop.exec(QEventLoop::DialogExec);
  }
  modalLoops_.pop_back();
  if (!alive) return modal::kCancel;  // the form was destroyed during its modal run
  // Closed without a result (or the program ended): the run counts as cancelled.
  if (form.modalResult() == modal::kNone) form.setModalResult(modal::kCancel);
  peer->endModal();
  return form.modalResult();
}

void QtBackend::popupMenu(PopupMenu& menu) {
  if (terminated_ || menu.items.empty()) return;
  QMenu popup;
  // Menu entries are drawn on the menu colour in whichever of the highlight, button text
  // and highlighted text colours stands out from it most: a scheme may make the menu and
  // the highlight nearly the same colour (at night both are red), and an entry drawn in its
  // background's colour cannot be read.
  QPalette colors = popup.palette();
  const int background = qGray(colors.color(QPalette::Active, QPalette::Window).rgb());
  QColor entryText;
  int contrast = -1;
  for (QPalette::ColorRole role :
       {QPalette::Highlight, QPalette::ButtonText, QPalette::HighlightedText}) {
    const QColor candidate = colors.color(QPalette::Active, role);
    const int difference = std::abs(qGray(candidate.rgb()) - background);
    if (difference > contrast) {
      contrast = difference;
      entryText = candidate;
    }
  }
  colors.setColor(QPalette::WindowText, entryText);
  colors.setColor(QPalette::ButtonText, entryText);
  colors.setColor(QPalette::Text, entryText);
  popup.setPalette(colors);
  // Copies: the menu may change (or go) while it is open, and the chosen handler may
  // change the menu it was chosen from.
  std::vector<std::pair<QAction*, std::function<void()>>> choices;
  for (const PopupMenu::Item& item : menu.items) {
    QAction* action = popup.addAction(toQString(item.caption));
    if (item.isDefault) {
      QFont font = action->font();
      font.setBold(true);
      action->setFont(font);
      popup.setDefaultAction(action);
    }
    choices.emplace_back(action, item.onClick);
  }
  QAction* chosen = popup.exec(QCursor::pos());
  for (auto& [action, handler] : choices) {
    if (action == chosen && handler) {
      handler();
      return;
    }
  }
}

bool QtBackend::trayAvailable() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtBackend::runOnGuiThread(std::function<void()> call) {
  if (terminated_ || !call) return;
  if (QThread::currentThread() == application_.thread()) {
    call();
    return;
  }
  calls_.run(std::move(call));
}

}  // namespace orvane::ui
