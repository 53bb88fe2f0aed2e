// QtBackend: the widget layer on Qt 6 Widgets. It gives every ui::Widget a peer that shows
// it as a real QWidget (QtWidgetPeer and its kinds), every Timer a QTimer, every watched
// socket two socket notifiers, the tray icon a QSystemTrayIcon, and provides the platform
// services of ui::Backend on Qt: the message pump, clocks, the screen and its resolution
// (XRandR on X11), the application style and palette for the system colours, message
// boxes, modal runs and calls handed over from other threads.
//
// The caller creates the QApplication first and keeps it until the backend is gone; the
// backend must outlive every widget, timer and tray icon made with it.
//
// Thread: user-interface thread, except runOnGuiThread, which any thread may call.
#pragma once

#include <QPointer>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "ui/Backend.h"
#include "ui/qt/QtGuiCallQueue.h"

class QApplication;
class QEventLoop;
class QTimer;
class QStyle;

namespace orvane::ui {

class QtDisplayMode;
class QtEventRouter;

class QtBackend final : public Backend {
 public:
  explicit QtBackend(QApplication& application);
  ~QtBackend() override;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  std::unique_ptr<WidgetPeer> createPeer(Widget& widget) override;
  std::unique_ptr<TimerPeer> createTimerPeer(Timer& timer) override;
  std::unique_ptr<TrayIconPeer> createTrayIconPeer(TrayIcon& tray) override;
  std::unique_ptr<DescriptorWatchPeer> createDescriptorWatchPeer(DescriptorWatch& watch) override;

  void processMessages() override;
  void waitForMessages(int maxMs) override;
  void waitForMessagesUntilTick(int maxMs) override;
  void sleep(int milliseconds) override;
  void run() override;
  void terminate() override;
  bool terminated() const override { return terminated_; }

  DateTime localNow() override;
  DateTime utcNow() override;
  long long ticksMs() override;

  Size screenSize() override;
  bool setScreenDimensions(int width, int height) override;
  void restoreDisplayMode() override;

  SystemPalette systemColors() override;
  void setSystemColors(const SystemPalette& colors) override;
  void setHintColors(Color background, Color text) override;

  // Qt offers only the desktop's standard beep; the call then waits for the tone's
  // duration, so that consecutive tones stay apart as the program expects.
  void tone(int frequencyHz, int durationMs) override;
  int messageBox(const std::string& text, const std::string& caption,
                 MessageButtons buttons) override;
  int showModal(Form& form) override;
  void popupMenu(PopupMenu& menu) override;
  bool trayAvailable() override;

  void runOnGuiThread(std::function<void()> call) override;

  // For the peers.
  QtEventRouter& router() { return *router_; }

 private:
  // Qt learns of a resolution change a little later than the X server makes it; until it
  // has, screenSize() reports the size the server has.
  struct ScreenChange {
    Size staleQtSize;
    Size actualSize;
  };
  Size qtScreenSize() const;
  void noteScreenChange();
  QtDisplayMode& displayMode();

  QApplication& application_;
  std::unique_ptr<QtEventRouter> router_;
  std::unique_ptr<QtDisplayMode> displayMode_;  // made on first use
  QtGuiCallQueue calls_;
  std::vector<QPointer<QEventLoop>> modalLoops_;
  // The timers that bound waits for messages, one per nesting level (a handler run in a
  // wait may wait itself), kept from wait to wait.
  std::vector<std::unique_ptr<QTimer>> waitTimers_;
  std::size_t waitDepth_ = 0;
  std::atomic<bool> terminated_{false};
  bool running_ = false;  // inside run()
  std::chrono::steady_clock::time_point started_;
  std::optional<ScreenChange> screenChange_;
};

}  // namespace orvane::ui
