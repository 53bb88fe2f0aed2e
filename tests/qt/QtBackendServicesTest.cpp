// The Qt backend's platform services: timers, calls from other threads, the palette that
// stands in for the system colours, the display mode, and the line-list updates of logging
// lists.
#include <QListWidget>
#include <QMessageBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QThread>
#include <QToolTip>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "QtTestSupport.h"
#include "ui/Timer.h"
#include "ui/TrayIcon.h"
#include "ui/qt/LineListChange.h"
#include "ui/qt/QtApplication.h"
#include "ui/qt/QtComboPager.h"

namespace orvane::test {
namespace {

TEST_F(QtBackendTest, AnErrorThatReachesTheMessageLoopShowsInTheProgramsOwnBoxAndTheLoopGoesOn) {
  auto& program = *dynamic_cast<ui::QtApplication*>(QCoreApplication::instance());
  // The box that comes up inside the failing event's delivery: looked at, then answered
  // with Enter as a user would.
  bool frameless = false;
  bool toolkitBox = true;
  int boxes = 0;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    ++boxes;
    frameless = (box->windowFlags() & Qt::FramelessWindowHint) != 0;
    toolkitBox = qobject_cast<QMessageBox*>(box) != nullptr;
    pressKey(box->focusWidget() != nullptr ? box->focusWidget() : box, Qt::Key_Return);
  });
  answer.start(10);
  QTimer::singleShot(0, [] { throw std::runtime_error("Profile line 12 unreadable"); });
  bool later = false;
  QTimer::singleShot(30, [&] { later = true; });
  ASSERT_TRUE(waitUntil([&] { return later && boxes == 1; }, 200));
  EXPECT_TRUE(frameless);
  EXPECT_FALSE(toolkitBox);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  answer.stop();

  // The box is handed the error's text as it is (Latin-1), and something for an error that
  // is no exception of the library's.
  std::vector<std::string> shown;
  program.setErrorBox([&](const std::string& text) { shown.push_back(text); });
  QTimer::singleShot(0, [] { throw std::runtime_error("Declination 45\xB0 out of range"); });
  QTimer::singleShot(0, [] { throw 42; });
  waitUntil([&] { return shown.size() == 2; }, 100);
  EXPECT_EQ(shown, (std::vector<std::string>{"Declination 45\xB0 out of range", "Unknown error"}));
  program.setErrorBox({});
}

TEST_F(QtBackendTest, TimersTickOnlyWhileRunningWithAnInterval) {
  ui::Timer fast(backend, 5);
  ui::Timer zero(backend, 0);
  ui::Timer stopped(backend, 5, false);
  int fastTicks = 0;
  int otherTicks = 0;
  fast.onTimer = [&](ui::Timer&) { ++fastTicks; };
  zero.onTimer = [&](ui::Timer&) { ++otherTicks; };
  stopped.onTimer = [&](ui::Timer&) { ++otherTicks; };
  EXPECT_TRUE(waitUntil([&] { return fastTicks >= 3; }));
  EXPECT_EQ(otherTicks, 0);
  fast.stop();
  stopped.start();
  const int ticksWhenStopped = fastTicks;
  EXPECT_TRUE(waitUntil([&] { return otherTicks >= 2; }));
  EXPECT_EQ(fastTicks, ticksWhenStopped);
}

// The program relies on this in both backends: a handler that waits and lets events run
// does not see its own timer tick again, while other timers go on.
TEST_F(QtBackendTest, AHandlerThatProcessesMessagesDoesNotReEnterItself) {
  ui::Timer outer(backend, 5);
  ui::Timer other(backend, 5);
  int depth = 0;
  int deepest = 0;
  int outerTicks = 0;
  int otherTicks = 0;
  other.onTimer = [&](ui::Timer&) { ++otherTicks; };
  outer.onTimer = [&](ui::Timer& self) {
    ++outerTicks;
    deepest = std::max(deepest, ++depth);
    const int before = otherTicks;
    for (int i = 0; i < 1000 && otherTicks < before + 5; ++i) {
      backend.sleep(2);
      backend.processMessages();
    }
    --depth;
    self.stop();
  };
  EXPECT_TRUE(waitUntil([&] { return outerTicks >= 1 && depth == 0; }));
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(outerTicks, 1);
  EXPECT_GE(otherTicks, 5);
}

TEST_F(QtBackendTest, ATimerMayBeDestroyedInsideItsOwnTick) {
  auto timer = std::make_unique<ui::Timer>(backend, 1);
  timer->onTimer = [&](ui::Timer&) { timer.reset(); };
  EXPECT_TRUE(waitUntil([&] { return timer == nullptr; }));
}

TEST_F(QtBackendTest, RunOnGuiThreadWaitsUntilTheCallHasRunThere) {
  std::atomic<bool> ranOnGuiThread{false};
  std::atomic<bool> returned{false};
  int value = 0;
  int valueSeenAfterReturn = -1;
  std::thread worker([&] {
    backend.runOnGuiThread([&] {
      ranOnGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
      value = 42;
    });
    valueSeenAfterReturn = value;
    returned = true;
  });
  EXPECT_TRUE(waitUntil([&] { return returned.load(); }));
  worker.join();
  EXPECT_TRUE(ranOnGuiThread);
  EXPECT_EQ(valueSeenAfterReturn, 42);
  // On the user-interface thread the call runs at once.
  bool direct = false;
  backend.runOnGuiThread([&] { direct = true; });
  EXPECT_TRUE(direct);
}

// Waits that end on events: a wait returns once something has been handled (a call handed
// over, already pending or arriving later), and a precise timer never ticks early.
TEST_F(QtBackendTest, WaitingForMessagesEndsOnTheFirstEventAndPreciseTimersNeverTickEarly) {
  using Clock = std::chrono::steady_clock;
  auto elapsedMs = [](Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
  };
  std::atomic<bool> ran{false};
  // A call handed over before the wait begins.
  std::thread early([&] { backend.runOnGuiThread([&] { ran = true; }); });
  while (!ran) {
    const auto start = Clock::now();
    backend.waitForMessages(3000);
    EXPECT_LT(elapsedMs(start), 1000);
  }
  early.join();
  // One handed over while the wait is on.
  ran = false;
  std::thread later([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    backend.runOnGuiThread([&] { ran = true; });
  });
  auto start = Clock::now();
  while (!ran) backend.waitForMessages(3000);
  EXPECT_LT(elapsedMs(start), 1000);
  later.join();
  // Nothing comes: the wait lasts its bound.
  start = Clock::now();
  backend.waitForMessages(30);
  EXPECT_GE(elapsedMs(start), 29);

  ui::Timer precise(backend, 40, false);
  precise.setPrecise(true);
  Clock::time_point started;
  double shortest = 1e9;
  int ticks = 0;
  // Each period counted from its start (a late tick does not shorten the next wait).
  precise.onTimer = [&](ui::Timer& timer) {
    shortest = std::min(shortest, elapsedMs(started));
    ++ticks;
    timer.stop();
    started = Clock::now();
    timer.start();
  };
  started = Clock::now();
  precise.start();
  EXPECT_TRUE(waitUntil([&] { return ticks >= 10; }));
  precise.stop();
  EXPECT_GE(shortest, 40.0);
}

TEST_F(QtBackendTest, TerminateReleasesThreadsWaitingForTheUserInterfaceThread) {
  std::atomic<bool> ran{false};
  std::atomic<bool> started{false};
  std::thread worker([&] {
    started = true;
    backend.runOnGuiThread([&] { ran = true; });
  });
  while (!started) std::this_thread::yield();
  // The user-interface thread runs no events here, so the call cannot have run.
  backend.terminate();
  worker.join();
  EXPECT_FALSE(ran);
  EXPECT_TRUE(backend.terminated());
  backend.runOnGuiThread([&] { ran = true; });
  EXPECT_FALSE(ran);  // after terminate nothing runs, not even on this thread
  backend.run();      // returns at once
}

TEST(QtGuiCallQueueTest, AnExceptionReachesTheCallingThread) {
  ui::QtGuiCallQueue queue;
  std::atomic<bool> caught{false};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      queue.run([] { throw std::runtime_error("no port"); });
    } catch (const std::runtime_error&) {
      caught = true;
    }
    done = true;
  });
  EXPECT_TRUE(waitUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_TRUE(caught);
}

TEST_F(QtBackendTest, SystemColoursRoundTripThroughTheApplicationPalette) {
  const ui::SystemPalette saved = backend.systemColors();
  ui::SystemPalette night{};
  for (int i = 0; i < ui::kSystemColorCount; ++i) {
    night[static_cast<size_t>(i)] = ui::makeColor(10 * i + 1, 20 + i, 200 - i);
  }
  backend.setSystemColors(night);
  EXPECT_EQ(backend.systemColors(), night);
  const QPalette palette = QApplication::palette();
  EXPECT_EQ(palette.color(QPalette::Button), QColor(1, 20, 200));   // button face
  EXPECT_EQ(palette.color(QPalette::Shadow), QColor(81, 28, 192));  // 3-D dark shadow
  // A control that sets only its own background keeps following the rest.
  ui::Button button(backend, form.get());
  EXPECT_EQ(qwidgetOf(button)->palette().color(QPalette::Button), QColor(1, 20, 200));
  backend.setSystemColors(saved);
  EXPECT_EQ(backend.systemColors(), saved);

  backend.setHintColors(0x0000FF, 0x000010);
  EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(255, 0, 0));
  EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipText), QColor(16, 0, 0));
}

TEST_F(QtBackendTest, PopupMenuShowsTheDefaultItemBoldAndRunsTheChosenOne) {
  ui::TrayIcon tray(backend);
  std::vector<std::string> chosen;
  tray.menu().add(
      "Show Mainscreen", [&] { chosen.push_back("main"); }, true);
  tray.menu().add("Show Manual Control", [&] { chosen.push_back("manual"); });
  bool defaultBold = false;
  // Once the menu is open, pick its second item with the keyboard.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        defaultBold = menu->defaultAction() != nullptr && menu->defaultAction()->font().bold();
        pressKey(menu, Qt::Key_Down);
        pressKey(menu, Qt::Key_Down);
        pressKey(menu, Qt::Key_Return);
      },
      Qt::QueuedConnection);
  tray.mouseDown(ui::MouseButton::Right);
  EXPECT_TRUE(defaultBold);
  EXPECT_EQ(chosen, std::vector<std::string>{"manual"});
}

TEST_F(QtBackendTest, DisplayModeChangeFailsCleanlyWithoutX11) {
  if (QGuiApplication::platformName() == "xcb")
    GTEST_SKIP() << "would change the resolution of the real display";
  const ui::Size before = backend.screenSize();
  EXPECT_GT(before.width, 0);
  EXPECT_FALSE(backend.setScreenDimensions(800, 600));
  backend.restoreDisplayMode();
  EXPECT_EQ(backend.screenSize().width, before.width);
  EXPECT_EQ(backend.screenSize().height, before.height);
}

TEST_F(QtBackendTest, ClocksReadTheComputer) {
  const ui::DateTime local = backend.localNow();
  const ui::DateTime utc = backend.utcNow();
  EXPECT_GE(local.year, 2024);
  EXPECT_GE(utc.year, 2024);
  const long long first = backend.ticksMs();
  EXPECT_GE(backend.ticksMs(), first);
}

TEST(QtComboPagerTest, APressOnTheTrackPagesTheList) {
  QListWidget list;
  for (int i = 0; i < 100; ++i) list.addItem(QString::number(i));
  list.resize(120, 150);
  list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list.show();
  QScrollBar* bar = list.verticalScrollBar();
  ASSERT_TRUE(waitUntil([&] { return bar->maximum() > bar->pageStep(); }));
  new ui::QtComboPager(bar);
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.orientation = Qt::Vertical;
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.pageStep = bar->pageStep();
  option.singleStep = bar->singleStep();
  const QRect groove =
      bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, bar);
  const QPoint belowThumb(groove.center().x(), groove.bottom() - 1);
  sendMouse(bar, QEvent::MouseButtonPress, belowThumb, bar->mapToGlobal(belowThumb));
  sendMouse(bar, QEvent::MouseButtonRelease, belowThumb, bar->mapToGlobal(belowThumb));
  EXPECT_EQ(bar->value(), bar->pageStep());
  const QPoint aboveThumb(groove.center().x(), groove.top() + 1);
  sendMouse(bar, QEvent::MouseButtonPress, aboveThumb, bar->mapToGlobal(aboveThumb));
  sendMouse(bar, QEvent::MouseButtonRelease, aboveThumb, bar->mapToGlobal(aboveThumb));
  EXPECT_EQ(bar->value(), 0);
}

TEST(LineListChangeTest, FindsAppendsAndFrontDropsElseRefills) {
  using Lines = std::vector<std::string>;
  struct Case {
    const char* what;
    Lines shown;
    Lines wanted;
    ui::LineListChange expected;
  };
  const Case cases[] = {
      {"first fill", {}, {"a", "b"}, {false, 0, 0}},
      {"unchanged", {"a", "b"}, {"a", "b"}, {false, 0, 2}},
      {"append", {"a", "b"}, {"a", "b", "c"}, {false, 0, 2}},
      {"limit drops the oldest", {"a", "b", "c"}, {"b", "c", "d"}, {false, 1, 2}},
      {"cleared", {"a", "b"}, {}, {false, 2, 0}},
      {"changed line", {"a", "b"}, {"a", "x"}, {true, 0, 0}},
      {"inserted at the front", {"a", "b"}, {"z", "a", "b"}, {true, 0, 0}},
      {"repeated lines", {"a", "a", "b"}, {"a", "b", "c"}, {false, 1, 2}},
  };
  for (const Case& c : cases) {
    const ui::LineListChange got = ui::lineListChange(c.shown, c.wanted);
    EXPECT_EQ(got.refill, c.expected.refill) << c.what;
    if (!c.expected.refill) {
      EXPECT_EQ(got.dropFront, c.expected.dropFront) << c.what;
      EXPECT_EQ(got.appendFrom, c.expected.appendFrom) << c.what;
    }
  }
}

}  // namespace
}  // namespace orvane::test
