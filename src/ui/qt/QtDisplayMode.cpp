#include "ui/qt/QtDisplayMode.h"

#include <algorithm>
#include <atomic>

// Xlib last: its macros (None, Bool, Status, KeyPress...) must not meet other headers.
#ifdef ORVANE_HAVE_XRANDR
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#endif

namespace orvane::ui {

#ifdef ORVANE_HAVE_XRANDR
namespace {

Display* asDisplay(void* display) {
  return static_cast<Display*>(display);
}

// Xlib reports errors through one process-wide handler without a context argument, so the
// flag it sets has to live at namespace level. Only set while a ScopedErrorTrap exists.
std::atomic<bool> xErrorSeen{false};

int recordXError(Display* /*display*/, XErrorEvent* /*error*/) {
  xErrorSeen = true;
  return 0;
}

// Catches X errors of the requests made while it exists instead of letting Xlib's default
// handler end the process.
class ScopedErrorTrap {
 public:
  explicit ScopedErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    xErrorSeen = false;
    previous_ = XSetErrorHandler(recordXError);
  }
  ~ScopedErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  ScopedErrorTrap(const ScopedErrorTrap&) = delete;
  ScopedErrorTrap& operator=(const ScopedErrorTrap&) = delete;
  bool failed() {
    XSync(display_, False);
    return xErrorSeen;
  }

 private:
  Display* display_;
  XErrorHandler previous_;
};

struct ScreenConfig {
  explicit ScreenConfig(Display* display)
      : config(XRRGetScreenInfo(display, DefaultRootWindow(display))) {}
  ~ScreenConfig() {
    if (config != nullptr) XRRFreeScreenConfigInfo(config);
  }
  ScreenConfig(const ScreenConfig&) = delete;
  ScreenConfig& operator=(const ScreenConfig&) = delete;
  XRRScreenConfiguration* config;
};

}  // namespace
#endif

QtDisplayMode::QtDisplayMode(bool x11Session) {
#ifdef ORVANE_HAVE_XRANDR
  if (!x11Session) return;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  int eventBase = 0;
  int errorBase = 0;
  if (XRRQueryExtension(display, &eventBase, &errorBase) == 0) {
    XCloseDisplay(display);
    return;
  }
  display_ = display;
#else
  (void)x11Session;
#endif
}

QtDisplayMode::~QtDisplayMode() {
  if (display_ == nullptr) return;
  restore();
#ifdef ORVANE_HAVE_XRANDR
  XCloseDisplay(asDisplay(display_));
#endif
}

bool QtDisplayMode::change(int width, int height) {
#ifdef ORVANE_HAVE_XRANDR
  if (display_ == nullptr) return false;
  Display* display = asDisplay(display_);
  ScopedErrorTrap trap(display);
  ScreenConfig screen(display);
  if (screen.config == nullptr || trap.failed()) return false;

  Rotation rotation = 0;
  const SizeID current = XRRConfigCurrentConfiguration(screen.config, &rotation);
  const short currentRate = XRRConfigCurrentRate(screen.config);
  // Sizes are listed unrotated; a quarter turn swaps what the user sees.
  const bool turned = (rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
  int sizeCount = 0;
  XRRScreenSize* sizes = XRRConfigSizes(screen.config, &sizeCount);
  int wanted = -1;
  for (int i = 0; i < sizeCount; ++i) {
    const int w = turned ? sizes[i].height : sizes[i].width;
    const int h = turned ? sizes[i].width : sizes[i].height;
    if (w == width && h == height) {
      wanted = i;
      break;
    }
  }
  if (wanted < 0) return false;
  if (wanted == current) return true;

  // Keep the refresh rate when the new size offers it; otherwise take the size's first.
  int rateCount = 0;
  short* rates = XRRConfigRates(screen.config, wanted, &rateCount);
  short rate = 0;
  if (rateCount > 0) {
    const bool offered = std::find(rates, rates + rateCount, currentRate) != rates + rateCount;
    rate = offered ? currentRate : rates[0];
  }
  const Mode before{static_cast<int>(current), static_cast<unsigned short>(rotation), currentRate};
  if (!setMode(Mode{wanted, static_cast<unsigned short>(rotation), rate})) return false;
  if (!original_) original_ = before;
  return true;
#else
  (void)width;
  (void)height;
  return false;
#endif
}

bool QtDisplayMode::restore() {
  if (display_ == nullptr || !original_) return false;
  if (!setMode(*original_)) return false;
  original_.reset();
  return true;
}

std::optional<Size> QtDisplayMode::currentSize() {
#ifdef ORVANE_HAVE_XRANDR
  if (display_ == nullptr) return std::nullopt;
  Display* display = asDisplay(display_);
  ScopedErrorTrap trap(display);
  ScreenConfig screen(display);
  if (screen.config == nullptr || trap.failed()) return std::nullopt;
  Rotation rotation = 0;
  const SizeID current = XRRConfigCurrentConfiguration(screen.config, &rotation);
  int sizeCount = 0;
  XRRScreenSize* sizes = XRRConfigSizes(screen.config, &sizeCount);
  if (current >= sizeCount) return std::nullopt;
  const bool turned = (rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
  const XRRScreenSize& size = sizes[current];
  return turned ? Size{size.height, size.width} : Size{size.width, size.height};
#else
  return std::nullopt;
#endif
}

bool QtDisplayMode::setMode(const Mode& mode) {
#ifdef ORVANE_HAVE_XRANDR
  Display* display = asDisplay(display_);
  ScopedErrorTrap trap(display);
  ScreenConfig screen(display);
  if (screen.config == nullptr) return false;
  const Status status =
      mode.rate > 0
          ? XRRSetScreenConfigAndRate(display, screen.config, DefaultRootWindow(display),
                                      mode.sizeIndex, mode.rotation, mode.rate, CurrentTime)
          : XRRSetScreenConfig(display, screen.config, DefaultRootWindow(display), mode.sizeIndex,
                               mode.rotation, CurrentTime);
  return status == RRSetConfigSuccess && !trap.failed();
#else
  (void)mode;
  return false;
#endif
}

}  // namespace orvane::ui
