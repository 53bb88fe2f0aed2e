// A quiet hour: connected to a controller that reports a mount standing still, the program
// repaints each second only the status labels whose text changed (the clocks, the sidereal
// time), each alone, and nothing else of its windows. The whole program on the Qt backend
// against a simulated controller, every paint event counted.
#include <QElapsedTimer>
#include <map>
#include <set>

#include "QtTestSupport.h"
#include "app/Application.h"
#include "app/MainForm.h"
#include "link/SimulatedSerialDeviceFactory.h"
#include "persistence/SettingsStore.h"
#include "support/HeadlessApp.h"

namespace orvane::test {
namespace {

// Counts the paint events of every Qt widget while it lives.
class PaintCounter : public QObject {
 public:
  PaintCounter() { qApp->installEventFilter(this); }
  ~PaintCounter() override { qApp->removeEventFilter(this); }
  std::map<QWidget*, int> painted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
      ++painted[static_cast<QWidget*>(watched)];
    }
    return false;
  }
};

TEST(QuietIdleTest, EachSecondOnlyTheLabelsWhoseTextChangedAreRepainted) {
  testing::TempEnvironment environment;
  const std::filesystem::path folder = environment.root() / "program";
  std::filesystem::create_directories(folder);
  for (const auto& entry : std::filesystem::directory_iterator(testing::ShippedProfilesFolder())) {
    std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
  }
  ui::QtBackend backend(*qobject_cast<QApplication*>(QCoreApplication::instance()));
  SettingsStore settings(SettingsStore::DefaultLocation());
  SimulatedSerialDeviceFactory devices(backend);
  devices.addController(1);
  auto application = std::make_unique<Application>(backend, settings, devices, folder);
  application->CreateWindows();
  TMainForm& main = *application->windows().main;
  ASSERT_TRUE(waitUntil(
      [&] {
        return main.ConnectedPort == 1 && main.StaticControlsPanel->visible() &&
               !main.RA->text().empty() && main.RA->text() != "0" &&
               !main.appearance.blinker().enabled();
      },
      3000));
  // Past the first slow reads (brightness, clock and date on the second tick).
  QElapsedTimer settling;
  settling.start();
  waitUntil([&] { return settling.elapsed() > 3000; }, 1000);

  // The labels that may change in a quiet second, with their texts as they stand now.
  std::map<QWidget*, ui::Label*> labelOf;
  for (ui::Widget* child : main.StaticControlsPanel->children()) {
    if (child->kind() == ui::WidgetKind::Label) {
      labelOf[qwidgetOf(*child)] = static_cast<ui::Label*>(child);
    }
  }
  std::map<ui::Label*, std::string> textBefore;
  for (const auto& [widget, label] : labelOf) textBefore[label] = label->text();

  PaintCounter counter;
  QElapsedTimer clock;
  clock.start();
  waitUntil([&] { return clock.elapsed() > 3500; }, 1000);

  std::set<std::string> changed;
  for (const auto& [widget, label] : labelOf) {
    if (label->text() != textBefore[label]) changed.insert(label->name());
  }
  EXPECT_TRUE(changed.count("ComputerTime") == 1 && changed.count("UTCTime") == 1);
  int paints = 0;
  for (const auto& [widget, count] : counter.painted) {
    if (!widget->isVisible()) continue;
    const auto found = labelOf.find(widget);
    ASSERT_NE(found, labelOf.end())
        << widget->metaObject()->className() << " painted " << count << " times, under "
        << (widget->parentWidget() != nullptr ? widget->parentWidget()->metaObject()->className()
                                               : "nothing");
    EXPECT_EQ(changed.count(found->second->name()), 1u)
        << found->second->name() << " was painted though its text stayed";
    // Once per change: three or four seconds went by.
    EXPECT_LE(count, 5) << found->second->name();
    paints += count;
  }
  EXPECT_GE(paints, 6);

  main.ExitClick();
  application->Shutdown();
  application.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace orvane::test
