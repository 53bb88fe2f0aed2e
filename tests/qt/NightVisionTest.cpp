// Night vision leaks no light: the whole program on the Qt backend, every window, dialog,
// drop-down list, tooltip and message box drawn in night vision at each brightness level,
// and every pixel counted. A pixel with a green or blue channel above 16 would be light an
// observer's dark-adapted eyes see; there must be none, and the brightest red must follow
// the brightness factor.
//
// With ORVANE_SHOT_DIR set, every picture is also saved there as PNG. Run under Xvfb with
// QT_QPA_PLATFORM=xcb, the pictures are taken from the screen itself, stacking and window
// shapes included.
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QThread>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "QtTestSupport.h"
#include "app/Application.h"
#include "app/CreditsForm.h"
#include "app/ErrorForm.h"
#include "app/MainForm.h"
#include "app/Observer.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/RestartForm.h"
#include "link/SimulatedSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "schedule/Schedule.h"
#include "support/HeadlessApp.h"
#include "ui/TrayIcon.h"

namespace orvane::test {
namespace {

constexpr int kDarkLimit = 16;
constexpr int kFrameWidth = 3;
// Rounds of events to wait for a window, list or hint to appear (ends as soon as it does;
// generous for a loaded machine and sanitizer builds).
constexpr int kPatience = 250;

struct Light {
  int leaking = 0;       // pixels with green or blue above the limit
  int brightestRed = 0;  // brightest red channel of all pixels
  // Pixels inside the frame whose red stands out from the background's (the most frequent
  // red) by at least half the brightest red: text that can be read, not red drawn on red.
  int standingOut = 0;
  QPoint firstLeak{-1, -1};
  QColor firstLeakColor;
};

bool onScreenPlatform() {
  return QGuiApplication::platformName() != "offscreen";
}

// The window as the observer sees it: only the pixels inside its shape count. Empty when
// the window went away meanwhile (a hint hides itself when another window takes the focus).
std::optional<QImage> picture(const QPointer<QWidget>& window) {
  QImage image;
  if (onScreenPlatform()) {
    // Lets the window system draw what was just mapped or changed.
    for (int i = 0; i < 5; ++i) {
      QCoreApplication::processEvents();
      QThread::msleep(20);
    }
    if (window == nullptr || !window->isVisible()) return std::nullopt;
    image = window->screen()
                ->grabWindow(0, window->x(), window->y(), window->width(), window->height())
                .toImage();
  } else {
    image = window->grab().toImage();
  }
  image = image.convertToFormat(QImage::Format_ARGB32);
  if (!window->mask().isEmpty()) {
    QImage outside(image.size(), QImage::Format_ARGB32);
    outside.fill(Qt::transparent);
    QPainter painter(&outside);
    painter.setClipRegion(window->mask());
    painter.drawImage(0, 0, image);
    painter.end();
    image = outside;
  }
  return image;
}

Light measure(const QImage& image) {
  Light light;
  std::array<int, 256> reds{};
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = line[x];
      if (qAlpha(pixel) == 0) continue;
      // The frame round a window or list is no text: only the inside counts there.
      const bool inside = x >= kFrameWidth && y >= kFrameWidth && x < image.width() - kFrameWidth &&
                          y < image.height() - kFrameWidth;
      if (inside) ++reds[qRed(pixel)];
      light.brightestRed = std::max(light.brightestRed, qRed(pixel));
      if (qGreen(pixel) > kDarkLimit || qBlue(pixel) > kDarkLimit) {
        if (light.leaking++ == 0) {
          light.firstLeak = QPoint(x, y);
          light.firstLeakColor = QColor(pixel);
        }
      }
    }
  }
  const int background =
      static_cast<int>(std::max_element(reds.begin(), reds.end()) - reds.begin());
  for (int red = 0; red < 256; ++red) {
    if (2 * std::abs(red - background) >= std::max(1, light.brightestRed)) {
      light.standingOut += reds[red];
    }
  }
  return light;
}

class NightVisionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { program_ = new Program; }
  static void TearDownTestSuite() {
    delete program_;
    program_ = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // The whole program on the Qt backend, started with the shipped profile and no
  // controller on any port.
  struct Program {
    testing::TempEnvironment environment;
    std::filesystem::path folder = environment.root() / "program";
    ui::QtBackend backend{*qobject_cast<QApplication*>(QCoreApplication::instance())};
    SettingsStore settings{SettingsStore::DefaultLocation()};
    SimulatedSerialDeviceFactory devices{backend};
    std::unique_ptr<Application> application;

    Program() {
      std::filesystem::create_directories(folder);
      for (const auto& entry :
           std::filesystem::directory_iterator(testing::ShippedProfilesFolder())) {
        std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
      }
      {
        // More user objects than a drop-down list shows at once: the list scrolls.
        std::ofstream profile(folder / "Marovell Standard.ocf", std::ios::app | std::ios::binary);
        for (int i = 1; i <= 12; ++i) {
          profile << "DataBase \"User\" name=\"NGC " << 7000 + i
                  << "\" 140=\"+205900\" 150=\"+441200\"\r\n";
        }
      }
      application = std::make_unique<Application>(backend, settings, devices, folder);
      application->CreateWindows();
      TMainForm& main = *application->windows().main;
      waitUntil(
          [&] {
            return main.StartupTimer.tag() == startup_phase::kStarted &&
                   main.StaticControlsPanel->visible() && !main.appearance.blinker().enabled();
          },
          3000);
    }
    ~Program() {
      application->windows().main->ExitClick();
      application->Shutdown();
      application.reset();
    }
  };

  Windows& windows() { return program_->application->windows(); }
  TMainForm& main() { return *windows().main; }
  ui::QtBackend& backend() { return program_->backend; }

  // Switches night vision on (or off) at the brightness entry given. (Only the colours: the
  // brightness is not sent, as no controller is attached to wait for.)
  void setScheme(bool night, int brightnessIndex) {
    main().DimDisplay->setItemIndex(brightnessIndex);
    main().NightVision->setTag(night ? 1 : 0);
    main().appearance.SetVisionMode();
  }

  // Records what a picture shows; saves it when asked to. False when the window went away
  // before it could be looked at.
  bool tryToLook(const std::string& name, QWidget* window) {
    const std::optional<QImage> taken = picture(window);
    if (!taken) return false;
    const QImage& image = *taken;
    const Light light = measure(image);
    seen_[name] = light;
    if (const QByteArray dir = qgetenv("ORVANE_SHOT_DIR"); !dir.isEmpty()) {
      QDir().mkpath(QString::fromLocal8Bit(dir));
      image.save(QString::fromLocal8Bit(dir) + "/" + QString::fromStdString(name) + ".png");
    }
    return true;
  }
  void look(const std::string& name, QWidget* window) {
    ASSERT_NE(window, nullptr) << name;
    EXPECT_TRUE(tryToLook(name, window)) << name << " went away before it was looked at";
  }
  void look(const std::string& name, const ui::Widget& form) { look(name, qwidgetOf(form)); }

  // Opens a dialog as the program does (modally) and looks at it while it waits for the
  // user: it is the active window, above the main window and with the keyboard focus.
  void lookAtDialog(const std::string& name, ui::Form& dialog) {
    QTimer::singleShot(0, [&] {
      waitUntil([&] { return QApplication::activeWindow() == qwidgetOf(dialog); }, kPatience);
      EXPECT_EQ(QApplication::activeWindow(), qwidgetOf(dialog)) << name;
      look(name, dialog);
      dialog.setModalResult(ui::modal::kOk);
    });
    dialog.showModal();
  }

  // The menu of the notification area's icon, open.
  void lookAtTrayMenu(const std::string& name) {
    QTimer::singleShot(0, [&] {
      QWidget* menu = nullptr;
      waitUntil([&] { return (menu = QApplication::activePopupWidget()) != nullptr; }, kPatience);
      look(name, menu);
      if (menu != nullptr) menu->close();
    });
    main().TrayIcon.mouseDown(ui::MouseButton::Right);
  }

  // A message box of the program, open.
  void lookAtMessageBox(const std::string& name) {
    QTimer::singleShot(0, [&] {
      QWidget* boxWindow = nullptr;
      waitUntil([&] { return (boxWindow = QApplication::activeModalWidget()) != nullptr; },
                kPatience);
      look(name, boxWindow);
      if (boxWindow != nullptr) boxWindow->close();
    });
    backend().messageBox("Errors found in Profile", "Orvane", ui::MessageButtons::Ok);
  }

  // Every window, dialog, list, hint and message box of the program, drawn now.
  void lookAtEverything(const std::string& prefix) {
    TMainForm& m = main();
    m.sheets.Callback(*m.ProfileMenu);
    m.ReceiveAll->setFocus();  // a focused flat button shows its mark
    look(prefix + "main-profile", m);
    for (const auto& sheet : m.sheets.sheets()) {
      m.sheets.Callback(*sheet->menuLabel);
      if (!sheet->fields.empty()) sheet->fields.front()->setFocus();  // caret and selection
      look(prefix + "main-" + sheet->name, m);
    }
    m.setActiveControl(nullptr);
    // An open drop-down list with its highlighted entry.
    const auto& firstSheet = *m.sheets.sheets().front();
    m.sheets.Callback(*firstSheet.menuLabel);
    auto* box = static_cast<QComboBox*>(qwidgetOf(*firstSheet.lists.front()));
    box->showPopup();
    waitUntil([&] { return box->view()->isVisible(); }, kPatience);
    look(prefix + "drop-down", box->view()->window());
    box->hidePopup();
    // The object database's list: an edit line, and more entries than it shows at once.
    for (const auto& sheet : m.sheets.sheets()) {
      for (const auto& list : sheet->lists) {
        if (!list->editable()) continue;
        m.sheets.Callback(*sheet->menuLabel);
        auto* objects = static_cast<QComboBox*>(qwidgetOf(*list));
        objects->showPopup();
        waitUntil([&] { return objects->view()->isVisible(); }, kPatience);
        EXPECT_TRUE(objects->view()->verticalScrollBar()->isVisible());
        look(prefix + "drop-down-scrolling", objects->view()->window());
        objects->hidePopup();
      }
    }
    m.sheets.Callback(*firstSheet.menuLabel);
    // A hint of a sheet's field. On a screen it may hide itself when a window closed just
    // before is still handing the focus on; it is shown again then.
    const ui::MaskEdit& field = *firstSheet.fields.front();
    bool hintSeen = false;
    for (int attempt = 0; attempt < 3 && !hintSeen; ++attempt) {
      QToolTip::showText(qwidgetOf(field)->mapToGlobal(QPoint(4, 4)),
                         QString::fromStdString(field.hint()), qwidgetOf(field));
      QWidget* tip = nullptr;
      waitUntil(
          [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
              if (w->inherits("QTipLabel") && w->isVisible()) tip = w;
            }
            return tip != nullptr;
          },
          kPatience);
      hintSeen = tip != nullptr && tryToLook(prefix + "tooltip", tip);
      QToolTip::hideText();
    }
    EXPECT_TRUE(hintSeen) << prefix << "tooltip";
    m.sheets.Callback(*m.ProfileMenu);

    TSchedule& schedule = *windows().schedule;
    schedule.ClearAllClick();
    const char* times[] = {"21:00:00", "21:10:00", "21:20:00", "21:30:00",
                           "21:40:00", "21:50:00", "22:00:00", "22:10:00"};
    for (const char* time : times) {
      schedule.AddScheduleRow(time, "M 31", "00h 42m 44s", "+41\xB0 16' 09''");
    }
    schedule.Objects->setRow(2);
    schedule.ShowUp();
    // Above the main window, with the keyboard focus.
    waitUntil([&] { return QApplication::activeWindow() == qwidgetOf(schedule); }, kPatience);
    EXPECT_EQ(QApplication::activeWindow(), qwidgetOf(schedule));
    schedule.Go->setFocus();
    look(prefix + "manual-control", schedule);
    schedule.hide();

    TObserver& observer = *windows().observer;
    observer.ShowRightAscension("05h 35m 17s");
    observer.ShowDeclination("-05\xB0 23' 28''");
    observer.show();
    look(prefix + "observer", observer);
    observer.hide();

    // The dialogs are looked at while they wait for the user, then answered.
    lookAtDialog(prefix + "credits", *windows().credits);
    lookAtDialog(prefix + "restart", *windows().restart);
    lookAtDialog(prefix + "alignment", *windows().alignment);
    TErrorForm& error = *windows().error;
    QTimer::singleShot(0, [&] {
      waitUntil([&] { return QApplication::activeWindow() == qwidgetOf(error); }, kPatience);
      EXPECT_EQ(QApplication::activeWindow(), qwidgetOf(error));
      look(prefix + "range-error", error);
      error.setModalResult(ui::modal::kOk);
    });
    error.RangeError(firstSheet.fields.front().get(), 999, 1, 2000 + rangeErrors_++);
    lookAtMessageBox(prefix + "message-box");
    lookAtTrayMenu(prefix + "tray-menu");

    // Hidden in the notification area: what stays on the screen (the position strip, the
    // icon's menu, a dialog the controller calls up, a message) keeps the scheme.
    m.hide();
    m.appearance.ResetPaletteIfNecessary();
    observer.show();
    look(prefix + "hidden-observer", observer);
    observer.hide();
    lookAtTrayMenu(prefix + "hidden-tray-menu");
    lookAtDialog(prefix + "hidden-restart", *windows().restart);
    lookAtMessageBox(prefix + "hidden-message-box");
    m.TrayShowMainClick();
  }

  static Program* program_;
  std::map<std::string, Light> seen_;
  int rangeErrors_ = 0;
};

NightVisionTest::Program* NightVisionTest::program_ = nullptr;

TEST_F(NightVisionTest, EveryWindowShowsOnlyDimRedAtEachBrightness) {
  const int levels = static_cast<int>(main().DimDisplay->items().size());
  for (int level = 0; level < levels; ++level) {
    setScheme(true, level);
    const double factor = main().appearance.colorFactor();
    const int brightest = static_cast<int>(255 * factor);
    seen_.clear();
    lookAtEverything("night-" + std::to_string(level) + "-");
    for (const auto& [name, light] : seen_) {
      EXPECT_EQ(light.leaking, 0) << name << ": first at (" << light.firstLeak.x() << ", "
                                  << light.firstLeak.y() << ") colour "
                                  << light.firstLeakColor.name().toStdString();
      EXPECT_LE(light.brightestRed, brightest) << name;
      EXPECT_GT(light.standingOut, 20) << name << ": nothing stands out to be read";
    }
    // The title is drawn in the label text colour, full red dimmed by the factor.
    EXPECT_EQ(seen_["night-" + std::to_string(level) + "-main-profile"].brightestRed, brightest);
  }
  setScheme(false, 0);
}

// By day the windows keep their own colours: the count sees them, so a night without any
// is no blind measurement.
TEST_F(NightVisionTest, ByDayTheColoursAreBack) {
  setScheme(false, 0);
  seen_.clear();
  lookAtEverything("day-");
  EXPECT_GT(seen_["day-main-profile"].leaking, 100000);
  EXPECT_GT(seen_["day-manual-control"].leaking, 100000);
  EXPECT_GT(seen_["day-drop-down"].leaking, 0);
}

}  // namespace
}  // namespace orvane::test
