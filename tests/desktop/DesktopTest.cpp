// The program on a desktop as users have it: an X server with the openbox window manager
// and a notification area (tests/desktop/on-a-desktop.sh starts them on a display of their
// own). What the window manager decides is checked on the screen itself: the black
// backdrop stays below the program's windows whatever is clicked and is never switched to;
// dialogs stay above the main window; a message box at night shows no light; the
// notification area's icon takes the scheme's tint; the focus follows a click after a
// dialog closed; without a notification area minimising leaves a normal minimised window;
// and a program started at night never shows a bright pixel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Application.h"
#include "app/CreditsForm.h"
#include "app/DummyForm.h"
#include "app/MainForm.h"
#include "link/SimulatedSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "schedule/Schedule.h"
#include "support/HeadlessApp.h"
#include "support/SimulatorProcess.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtWidgetPeer.h"

namespace orvane::test {
namespace {

constexpr int kDarkLimit = 16;

QWidget* qwidgetOf(const ui::Widget& widget) { return ui::QtWidgetPeer::qwidgetOf(&widget); }

// Processes events until condition holds or about rounds x 20 ms have passed.
bool waitUntil(const std::function<bool()>& condition, int rounds = 500) {
  QTimer wakeUp;
  wakeUp.start(20);
  for (int round = 0; round < rounds; ++round) {
    if (condition()) return true;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return condition();
}

// Lets the window manager and the X server carry out what was asked of them.
void settle(int milliseconds = 300) {
  QTimer done;
  done.setSingleShot(true);
  done.start(milliseconds);
  waitUntil([&] { return !done.isActive(); }, milliseconds / 10 + 50);
}

// Output of a command of the desktop's tools (xdotool, xprop).
std::string run(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
    ::pclose(pipe);
  }
  return output;
}
// Input as a user gives it, through the X server (the window manager sees it too).
void xdotool(const std::string& arguments) {
  run("xdotool " + arguments);
  settle();
}
unsigned long activeWindow() { return std::stoul("0" + run("xdotool getactivewindow")); }
unsigned long windowOf(const ui::Form& form) {
  return static_cast<unsigned long>(qwidgetOf(form)->winId());
}

// Pixels of the screen whose green or blue stands above the limit (light a dark-adapted
// eye sees), and the brightest red among them all.
struct Light {
  int leaking = 0;
  int brightestRed = 0;
  int pixels = 0;
};
Light measure(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB32);
  Light light;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      ++light.pixels;
      light.brightestRed = std::max(light.brightestRed, qRed(line[x]));
      if (qGreen(line[x]) > kDarkLimit || qBlue(line[x]) > kDarkLimit) ++light.leaking;
    }
  }
  return light;
}
QImage screenArea(const QRect& area) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage();
}

// The whole program on the Qt backend, on the desktop, with the shipped profile and no
// controller; one for the whole suite (its start-up is slow under the sanitizers).
struct Program {
  testing::TempEnvironment environment;
  std::filesystem::path folder = environment.root() / "program";
  ui::QtBackend backend{*qobject_cast<QApplication*>(QCoreApplication::instance())};
  SettingsStore settings{SettingsStore::DefaultLocation()};
  SimulatedSerialDeviceFactory devices{backend};
  std::unique_ptr<Application> application;

  Program() {
    std::filesystem::create_directories(folder);
    for (const auto& entry : std::filesystem::directory_iterator(testing::ShippedProfilesFolder())) {
      std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
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
    settle(1000);
  }
  ~Program() {
    application->windows().main->ExitClick();
    application->Shutdown();
    application.reset();
  }
};

class DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { program_ = new Program; }
  static void TearDownTestSuite() {
    delete program_;
    program_ = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void SetUp() override {
    setScheme(false, 0);
    main().TrayShowMainClick();
    settle();
  }

  Windows& windows() { return program_->application->windows(); }
  TMainForm& main() { return *windows().main; }
  ui::QtBackend& backend() { return program_->backend; }
  QRect rectOf(const ui::Form& form) {
    return QRect(form.left(), form.top(), form.width(), form.height());
  }
  void setScheme(bool night, int brightnessIndex) {
    main().DimDisplay->setItemIndex(brightnessIndex);
    main().NightVision->setTag(night ? 1 : 0);
    main().appearance.SetVisionMode();
  }
  // The main window on the screen as it draws itself: most of its pixels the same.
  bool mainWindowShows() {
    const QImage onScreen = screenArea(rectOf(main()).adjusted(60, 60, -60, -60))
                                .convertToFormat(QImage::Format_RGB32);
    const QImage own = qwidgetOf(main())
                           ->grab(QRect(60, 60, main().width() - 120, main().height() - 120))
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
    if (onScreen.size() != own.size()) return false;
    int same = 0;
    for (int y = 0; y < own.height(); y += 4) {
      for (int x = 0; x < own.width(); x += 4) same += onScreen.pixel(x, y) == own.pixel(x, y);
    }
    return same * 16 > own.width() * own.height() * 9 / 10;
  }

  static Program* program_;
};

Program* DesktopTest::program_ = nullptr;

TEST_F(DesktopTest, TheBackdropStaysBelowTakesNoFocusAndIsNoWindowToSwitchTo) {
  TDummyForm& backdrop = *windows().dummy;
  ASSERT_TRUE(backdrop.visible());
  ASSERT_TRUE(mainWindowShows());
  EXPECT_NE(run("xprop -id " + std::to_string(windowOf(backdrop)) + " _NET_WM_WINDOW_TYPE")
                .find("_NET_WM_WINDOW_TYPE_DESKTOP"),
            std::string::npos);
  // A click on the black beside the main window leaves the main window above it.
  xdotool("mousemove 8 8 click 1");
  EXPECT_TRUE(mainWindowShows());
  EXPECT_NE(activeWindow(), windowOf(backdrop));
  // The window switcher never lands on it, from the main window or from manual control.
  xdotool("windowactivate --sync " + std::to_string(windowOf(main())));
  xdotool("key alt+Tab");
  EXPECT_NE(activeWindow(), windowOf(backdrop));
  EXPECT_TRUE(mainWindowShows());
  main().BtnScheduleClick();
  settle();
  xdotool("key alt+Tab");
  EXPECT_NE(activeWindow(), windowOf(backdrop));
  xdotool("key alt+Tab");
  EXPECT_NE(activeWindow(), windowOf(backdrop));
  windows().schedule->BtnExitClick();
  settle();
  EXPECT_TRUE(mainWindowShows());
}

TEST_F(DesktopTest, DialogsStayAboveTheMainWindowWhenItIsClicked) {
  TCreditsForm& credits = *windows().credits;
  bool above = false;
  QTimer::singleShot(0, [&] {
    waitUntil([&] { return qwidgetOf(credits)->isVisible(); });
    settle();
    // A click on the main window beside the dialog (on its frame, left of the sheet menu).
    const QPoint beside(main().left() + 12, main().top() + 300);
    ASSERT_FALSE(rectOf(credits).contains(beside));
    xdotool("mousemove " + std::to_string(beside.x()) + " " + std::to_string(beside.y()) +
            " click 1");
    const QRect middle = rectOf(credits).adjusted(60, 60, -60, -60);
    const QImage onScreen = screenArea(middle).convertToFormat(QImage::Format_RGB32);
    const QImage own = qwidgetOf(credits)
                           ->grab(QRect(60, 60, middle.width(), middle.height()))
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
    above = onScreen == own;
    if (!above && !qgetenv("ORVANE_SHOT_DIR").isEmpty()) {
      const QString dir = QString::fromLocal8Bit(qgetenv("ORVANE_SHOT_DIR"));
      onScreen.save(dir + "/dialog-on-screen.png");
      own.save(dir + "/dialog-own.png");
      screenArea(QGuiApplication::primaryScreen()->geometry()).save(dir + "/dialog-screen.png");
    }
    credits.setModalResult(ui::modal::kOk);
  });
  credits.showModal();
  EXPECT_TRUE(above);
}

// A message box at night: the program's own borderless box, no title bar of the window
// manager's, not one pixel with green or blue at any brightness; by day it is seen.
TEST_F(DesktopTest, AMessageBoxAtNightShowsNoLightWindowManagerIncluded) {
  for (int level : {0, 2, 6}) {
    setScheme(true, level);
    Light light;
    QRect frame;
    QTimer::singleShot(0, [&] {
      QWidget* box = nullptr;
      waitUntil([&] { return (box = QApplication::activeModalWidget()) != nullptr; });
      ASSERT_NE(box, nullptr);
      settle();
      frame = box->frameGeometry();
      EXPECT_EQ(frame, box->geometry()) << "a frame of the window manager's round the box";
      // The box and a margin round it, where a window manager's frame would be.
      const QImage seen = screenArea(frame.adjusted(-30, -30, 30, 30));
      light = measure(seen);
      if (const QByteArray dir = qgetenv("ORVANE_SHOT_DIR"); !dir.isEmpty()) {
        seen.save(QString::fromLocal8Bit(dir) + QStringLiteral("/message-box-%1.png").arg(level));
      }
      box->close();
    });
    backend().messageBox("Errors found in Profile", "Orvane", ui::MessageButtons::Ok);
    EXPECT_EQ(light.leaking, 0) << "brightness entry " << level;
    EXPECT_GT(light.brightestRed, 0);
    EXPECT_LE(light.brightestRed, static_cast<int>(255 * main().appearance.colorFactor()) + 1);
  }
}

TEST_F(DesktopTest, TheNotificationIconTakesTheSchemesTint) {
  if (qgetenv("ORVANE_TEST_TRAY") != "1") GTEST_SKIP() << "no notification area on this desktop";
  ASSERT_TRUE(waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
  auto* icon = qApp->findChild<QSystemTrayIcon*>();
  ASSERT_NE(icon, nullptr);
  main().TrayIcon.setVisible(true);
  ASSERT_TRUE(waitUntil([&] { return icon->isVisible() && icon->geometry().width() > 4; }));
  int brightest = 0;
  for (int level : {0, 6}) {
    setScheme(true, level);
    settle(600);
    const Light light = measure(screenArea(icon->geometry()));
    EXPECT_EQ(light.leaking, 0) << "brightness entry " << level;
    EXPECT_GT(light.brightestRed, 32) << "brightness entry " << level;
    EXPECT_NE(light.brightestRed, brightest) << "the icon follows the brightness";
    brightest = light.brightestRed;
  }
  setScheme(false, 0);
  settle(600);
  EXPECT_GT(measure(screenArea(icon->geometry())).leaking, 20);
}

// After a dialog closes, the first click on a field moves the focus there and what is
// typed next goes into it.
TEST_F(DesktopTest, TheFocusFollowsTheClickAfterADialogCloses) {
  TMainForm& m = main();
  m.sheets.Callback(*m.sheets.sheets().front()->menuLabel);
  const auto& fields = m.sheets.sheets().front()->fields;
  ASSERT_GE(fields.size(), 2u);
  fields.at(0)->setFocus();
  QTimer::singleShot(0, [&] {
    waitUntil([&] { return qwidgetOf(*windows().credits)->isVisible(); });
    settle();
    xdotool("key space");  // any key closes the credits
  });
  windows().credits->showModal();
  settle();
  ui::MaskEdit& target = *fields.at(1);
  const QPoint inside = qwidgetOf(target)->mapToGlobal(QPoint(6, target.height() / 2));
  xdotool("mousemove " + std::to_string(inside.x()) + " " + std::to_string(inside.y()) +
          " click 1");
  EXPECT_EQ(m.activeControl(), &target);
  EXPECT_TRUE(qwidgetOf(target)->hasFocus());
}

// Without a notification area, minimising leaves a minimised window the desktop brings
// back, as it does for every program.
TEST_F(DesktopTest, WithoutANotificationAreaMinimisingLeavesAWindowToBringBack) {
  if (qgetenv("ORVANE_TEST_TRAY") == "1") GTEST_SKIP() << "this desktop has a notification area";
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  main().BtnMinimizeClick();
  settle();
  QWindow* window = qwidgetOf(main())->windowHandle();
  EXPECT_TRUE(waitUntil([&] { return window->windowState() == Qt::WindowMinimized; }));
  // The window manager marks the window hidden in its own time (later on a busy machine);
  // brought back before that, it would still hide it afterwards.
  EXPECT_TRUE(waitUntil([&] {
    return run("xprop -id " + std::to_string(windowOf(main())) + " _NET_WM_STATE")
               .find("_NET_WM_STATE_HIDDEN") != std::string::npos;
  }));
  xdotool("windowactivate --sync " + std::to_string(windowOf(main())));
  EXPECT_TRUE(waitUntil([&] { return window->windowState() != Qt::WindowMinimized; }));
  settle();
  EXPECT_TRUE(mainWindowShows());
}

// The real program started at night, as an observer does after the last night's work:
// every picture of the screen from its start until it has settled is dark. Started by day,
// the same pictures are bright: the measurement is not blind.
enum class Start { NightRemembered, NightAsked, Day };
class NightStartTest : public ::testing::TestWithParam<Start> {};

TEST_P(NightStartTest, TheFirstFramesShowNoBrightPixel) {
  const Start start = GetParam();
  testing::TempEnvironment environment;
  SettingsStore settings(SettingsStore::DefaultLocation());
  if (start == Start::NightRemembered) {
    settings.write("NightVision", "on");
    settings.write("Brightness", "13");
  }
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  // The notification area's strip at the bottom is the desktop's, not the program's.
  const QRect area(0, 0, screen.width(), screen.height() - 40);
  const Light before = measure(screenArea(area));
  ASSERT_EQ(before.leaking, 0) << "the desktop itself is not dark";
  std::vector<std::string> arguments;
  if (start == Start::NightAsked) arguments.push_back("--night");
  testing::SimulatorProcess program(std::string(ORVANE_BUILD_DIR) + "/orvane-control", arguments);
  int pictures = 0;
  int brightPictures = 0;
  int brightestLeak = 0;
  bool programShowed = false;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 20000) {
    const Light light = measure(screenArea(area));
    ++pictures;
    if (light.leaking > 0) {
      ++brightPictures;
      brightestLeak = std::max(brightestLeak, light.leaking);
    }
    if ((light.brightestRed > 0 || light.leaking > 0) && clock.elapsed() > 3000) {
      programShowed = true;
    }
    if (programShowed && clock.elapsed() > 8000) break;
    QThread::msleep(15);
  }
  EXPECT_TRUE(programShowed) << program.output();
  EXPECT_GT(pictures, 20);
  if (start == Start::Day) {
    EXPECT_GT(brightestLeak, 100000);
  } else {
    EXPECT_EQ(brightPictures, 0) << "the brightest had " << brightestLeak << " bright pixels";
  }
}

INSTANTIATE_TEST_SUITE_P(RememberedAskedOrByDay, NightStartTest,
                         ::testing::Values(Start::NightRemembered, Start::NightAsked, Start::Day));

}  // namespace
}  // namespace orvane::test
