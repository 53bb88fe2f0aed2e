#include "ui/qt/QtDesktopWindowType.h"

#include <QGuiApplication>
#include <QWidget>

#if ORVANE_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <QtGui/qguiapplication_platform.h>
#endif

namespace orvane::ui {

void MarkAsDesktopWindow(QWidget* window) {
#if ORVANE_HAVE_X11
  if (window == nullptr || QGuiApplication::platformName() != "xcb") return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  Display* display = x11 != nullptr ? x11->display() : nullptr;
  if (display == nullptr) return;
  const auto id = static_cast<::Window>(window->winId());
  Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  Atom desktop = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
  XChangeProperty(display, id, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&desktop), 1);
  XFlush(display);
#else
  (void)window;
#endif
}

}  // namespace orvane::ui
