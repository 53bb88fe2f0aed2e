// Backend: the platform services the program's logic uses besides widgets: the message
// pump and its waits, clocks, screen and display mode, the application palette that stands
// in for the system colours, tones, message boxes, modal runs, and the hand-over of calls
// from other threads. Two implementations: Qt (real windows) and headless (virtual clock).
// Thread: user-interface thread, except runOnGuiThread, which any thread may call.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Types.h"

namespace orvane::ui {

class DescriptorWatch;
class DescriptorWatchPeer;
class Form;
class Timer;
class TimerPeer;
class TrayIcon;
class TrayIconPeer;
class PopupMenu;
class Widget;
class WidgetPeer;

// The nine system colours, in the order the program saves and sets them.
enum class SystemColor {
  ButtonFace,
  ButtonShadow,
  ButtonHighlight,
  Light3D,
  Highlight,
  HighlightText,
  Menu,
  ButtonText,
  DarkShadow3D,
};
constexpr int kSystemColorCount = 9;
using SystemPalette = std::array<Color, kSystemColorCount>;

class Backend {
 public:
  virtual ~Backend() = default;

  // Peers for widgets, timers and the tray icon (the headless backend returns none).
  virtual std::unique_ptr<WidgetPeer> createPeer(Widget& widget) = 0;
  virtual std::unique_ptr<TimerPeer> createTimerPeer(Timer& timer) = 0;
  virtual std::unique_ptr<TrayIconPeer> createTrayIconPeer(TrayIcon& tray) = 0;
  // Peer of a watched socket: its handlers run among the pending events.
  virtual std::unique_ptr<DescriptorWatchPeer> createDescriptorWatchPeer(
      DescriptorWatch& watch) = 0;

  // Runs pending events: input, timer ticks that are due, ready sockets, calls handed over
  // from other threads. Returns at once when nothing is pending.
  virtual void processMessages() = 0;
  // Like processMessages(), but when nothing is pending it first waits, up to maxMs, for
  // something to arrive: input, a timer falling due, a ready socket, a call handed over
  // from another thread. Waits that end on an event use it instead of polling in steps.
  virtual void waitForMessages(int maxMs) = 0;
  // waitForMessages() for a caller whose own timer is running, is not inside its handler
  // and ticks within maxMs: that tick ends the wait, so the backend need not bound it.
  virtual void waitForMessagesUntilTick(int maxMs) { waitForMessages(maxMs); }
  // Pauses the user-interface thread without processing events.
  virtual void sleep(int milliseconds) = 0;
  // Runs the message loop until terminate() is called.
  virtual void run() = 0;
  // Asks the message loop to end.
  virtual void terminate() = 0;
  virtual bool terminated() const = 0;

  // Clocks of the computer.
  virtual DateTime localNow() = 0;
  virtual DateTime utcNow() = 0;
  // Monotonic milliseconds, for measuring waits.
  virtual long long ticksMs() = 0;

  virtual Size screenSize() = 0;
  // Switches the display to width x height keeping depth and refresh; false when the
  // platform offers no such change or it failed.
  virtual bool setScreenDimensions(int width, int height) = 0;
  // Puts back the display mode from before the program changed it.
  virtual void restoreDisplayMode() = 0;

  // The application palette standing in for the system colour table.
  virtual SystemPalette systemColors() = 0;
  virtual void setSystemColors(const SystemPalette& colors) = 0;
  // The hint window's background and text.
  virtual void setHintColors(Color background, Color text) = 0;

  virtual void tone(int frequencyHz, int durationMs) = 0;
  virtual int messageBox(const std::string& text, const std::string& caption,
                         MessageButtons buttons) = 0;
  // Shows the form modally and returns its modal result.
  virtual int showModal(Form& form) = 0;
  // Opens the pop-up menu at the mouse position (or wherever the platform puts it).
  virtual void popupMenu(PopupMenu& menu) = 0;
  virtual bool trayAvailable() = 0;

  // Runs call on the user-interface thread and returns after it has run there. Called from
  // the user-interface thread itself it runs at once. After terminate() it returns without
  // running the call, so that no other thread is left waiting at shutdown.
  virtual void runOnGuiThread(std::function<void()> call) = 0;

  // Keys that act in every window of the program, dialogs and message boxes included,
  // before the window and its controls see them (the key that stops the mount, the keys of
  // night vision and brightness). A key with the same modifiers replaces the one set
  // before; key 0 removes them all.
  void setGlobalKey(int key, std::function<void()> action, ShiftState modifiers = {});
  // Runs the action of key with exactly these modifiers held; true when one ran.
  bool runGlobalKey(int key, ShiftState shift = {});

  // The colours of the program's message boxes, set with the colour scheme: the box's
  // fill and outline, its text, and its buttons' fill and caption.
  struct DialogColors {
    Color background = 0x96550C;
    Color outline = kWhite;
    Color text = kWhite;
    Color buttonFill = 0xEE932D;
    Color buttonText = kBlack;
    bool operator==(const DialogColors&) const = default;
  };
  virtual void setDialogColors(const DialogColors& colors) { dialogColors_ = colors; }
  const DialogColors& dialogColors() const { return dialogColors_; }

 private:
  struct GlobalKey {
    int key;
    ShiftState modifiers;
    std::function<void()> action;
  };
  std::vector<GlobalKey> globalKeys_;
  DialogColors dialogColors_;
};

}  // namespace orvane::ui
