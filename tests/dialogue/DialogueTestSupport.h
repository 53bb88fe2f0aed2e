// A started program in virtual time with a simulated controller on COM1 and a small
// profile of the test's own, for the controller dialogue tests: the commands the
// controller received since a mark, with or without the status polling's reads.
// Thread: the test's thread, which is the program's user-interface thread.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ErrorForm.h"
#include "app/MainForm.h"
#include "text/Checksum.h"
#include "link/Cache.h"
#include "schedule/Schedule.h"
#include "support/HeadlessApp.h"

namespace orvane::testing {

using Commands = std::vector<std::string>;

// The reads polling makes on its own.
inline bool IsPollingRead(const std::string& command) {
  return command == ":GR#" || command == ":GD#" || command == ":Gv#" || command == ":GB#" ||
         command == "<99:F#";
}

// The native write of a setting number and value with its check character.
inline std::string NativeWrite(const std::string& number, const std::string& value) {
  std::string command = ">" + number + ":" + value;
  command += CalculateChecksum(command);
  return command + "#";
}

class DialogueTest : public ::testing::Test {
 protected:
  // Polling's first tick after the link is found: on the clocks' beat nearest to a second
  // later.
  static constexpr long long kFirstPollMs = 1500;

  // A profile on COM1 with the given lines after its keyword lines. Polling every second,
  // the queue written every second, replies awaited up to a second.
  void StartWith(const std::vector<std::string>& lines, sim::ControllerOptions options = {},
                 const std::string& update = "1000") {
    std::string text =
        "Version \"32.4\"\nPort \"COM1\"\nTimeOut \"1000\"\nCacheDelay \"1000\"\n"
        "Update \"" +
        update + "\"\n";
    for (const std::string& line : lines) text += line + "\n";
    WriteFile(app_.programFolder() / "Dialogue.ocf", text);
    app_.settings().write("LastProfile", "Dialogue.ocf");
    controller_ = &app_.devices().addController(1, options);
    app_.Start();
    mark();
  }

  TMainForm& main() { return app_.main(); }
  ui::HeadlessBackend& backend() { return app_.backend(); }
  sim::SimulatedController& controller() { return *controller_; }
  TCache& cache() { return *app_.windows().cache; }
  HeadlessApp& app() { return app_; }

  void mark() { mark_ = controller_->commandLog().size(); }
  // Everything received since the mark.
  Commands all() const {
    const auto& log = controller_->commandLog();
    return Commands(log.begin() + static_cast<std::ptrdiff_t>(std::min(mark_, log.size())),
                    log.end());
  }
  // Received since the mark, polling reads left out.
  Commands sent() const {
    Commands result;
    for (const std::string& command : all()) {
      if (!IsPollingRead(command)) result.push_back(command);
    }
    return result;
  }
  int count(const std::string& command) const {
    const Commands commands = all();
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
  }

  // Runs virtual time until polling has made n more ticks (each reads ":GR#"), and lets
  // the last one finish. The ticks fall on the clocks' beat.
  void Ticks(int n) {
    const int target = count(":GR#") + n;
    backend().runUntil([&] { return count(":GR#") >= target; }, 3000LL * n);
    backend().advance(400);
  }

  // The user opens the field's sheet, types text and presses Enter.
  void Commit(ui::MaskEdit& field, const std::string& text) {
    for (const auto& record : main().sheets.sheets()) {
      if (record->contentPanel.get() == field.parent()) record->menuLabel->click();
    }
    field.setFocus();
    field.setText(text);
    main().keyPress(field, static_cast<char>(ui::keys::kReturn));
  }
  ui::MaskEdit& field(size_t sheet, size_t index = 0) {
    return *main().sheets.sheets().at(sheet)->fields.at(index);
  }
  ui::ComboBox& list(size_t sheet, size_t index = 0) {
    return *main().sheets.sheets().at(sheet)->lists.at(index);
  }
  int modalCount(const std::string& form) {
    const auto& forms = backend().modalForms;
    return static_cast<int>(std::count(forms.begin(), forms.end(), form));
  }

 private:
  HeadlessApp app_;
  sim::SimulatedController* controller_ = nullptr;
  size_t mark_ = 0;
};

}  // namespace orvane::testing
