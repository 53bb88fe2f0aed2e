// The schedule window in the whole program, headless in virtual time, with a simulated
// controller of level 1 on COM1 and a small profile whose control 120 is the slew speed
// setting. Tests compare only the commands the window sends: status polling, native reads
// and the start-up dialogue are filtered out of the controller's command log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Cache.h"
#include "schedule/Schedule.h"
#include "support/HeadlessApp.h"

namespace orvane::schedule_test {

inline const std::string kDegree = "\xB0";

// Whether the command belongs to someone else: polling (":G"), native reads ("<"),
// precision (":P", ":U") and the acknowledge byte.
inline bool IsBackgroundCommand(const std::string& command) {
  return command.rfind(":G", 0) == 0 || command.rfind("<", 0) == 0 || command.rfind(":P", 0) == 0 ||
         command.rfind(":U", 0) == 0 || command == "\x06";
}

class ScheduleWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteFile(app.programFolder() / "Schedule.ocf",
                       "Version \"32.4\"\nPort \"COM1\"\nTimeOut \"1000\"\nCacheDelay \"1000\"\n"
                       "Sheet \"Motors\"\n120 \"Slew Speed\" 1:6\nValue 120=\"4\"\n");
    app.settings().write("LastProfile", "Schedule.ocf");
    sim::ControllerOptions options;
    options.level = 1;
    controller = &app.devices().addController(1, options);
    app.Start();
    schedule = app.windows().schedule;
    ASSERT_NE(schedule, nullptr);
    ASSERT_EQ(app.main().ConnectedPort, 1);
    schedule->ShowUp();
    Mark();
  }

  // Commands sent from now on are the ones Sent() returns.
  void Mark() { mark_ = controller->commandLog().size(); }

  std::vector<std::string> Sent() const {
    std::vector<std::string> sent;
    const auto& log = controller->commandLog();
    for (size_t i = mark_; i < log.size(); ++i) {
      if (!IsBackgroundCommand(log[i])) sent.push_back(log[i]);
    }
    return sent;
  }

  // Sent() after the queued native writes have had time to go out.
  std::vector<std::string> SentAfterFlush() {
    app.Advance(2500);
    return Sent();
  }

  static bool HasSlewSpeedWrite(const std::vector<std::string>& sent) {
    for (const auto& command : sent) {
      if (command.rfind(">120:4", 0) == 0) return true;
    }
    return false;
  }

  void Press(ui::Label& label) { label.mouseDown(ui::MouseButton::Left, {}, 5, 5); }
  void Release(ui::Label& label) { label.mouseUp(ui::MouseButton::Left, {}, 5, 5); }
  void PressAndRelease(ui::Label& label) {
    Press(label);
    Release(label);
  }

  // Fills the schedule's edit fields and adds the entry.
  void AddEntry(const std::string& time, const std::string& name, const std::string& ra,
                const std::string& dec) {
    schedule->EditTime->setText(time);
    schedule->EditName->setText(name);
    schedule->EditRA->setText(ra);
    schedule->EditDec->setText(dec);
    schedule->AddEvent();
  }

  std::vector<std::string> Times() const {
    std::vector<std::string> times;
    for (int row = 1; row < schedule->Objects->rowCount(); ++row) {
      times.push_back(schedule->Objects->cell(0, row));
    }
    return times;
  }

  testing::HeadlessApp app;
  sim::SimulatedController* controller = nullptr;
  TSchedule* schedule = nullptr;

 private:
  size_t mark_ = 0;
};

}  // namespace orvane::schedule_test
