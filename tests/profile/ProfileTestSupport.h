// A started HeadlessApp that loads profiles written by the test through the real reader, as
// the profile page's "Load" button does (everything built before is removed first), and
// short ways to reach what a profile built.
// Thread: the test's thread, which is the program's user-interface thread.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "text/Checksum.h"
#include "link/Cache.h"
#include "schedule/Schedule.h"
#include "sheets/Sheets.h"
#include "support/HeadlessApp.h"

namespace orvane::testing {

inline constexpr const char* kStatusLoaded = "Status: Profile loaded";
inline constexpr const char* kStatusErrors = "Status: Errors found in Profile";
inline constexpr const char* kStatusUnable = "Status: Unable to load Profile";
inline constexpr const char* kStatusCorrupted = "Error: Profile corrupted";
inline constexpr const char* kStatusInvalidFormat = "Error: Invalid file format";

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { app_.Start(); }

  TMainForm& main() { return app_.main(); }
  Sheets& sheets() { return app_.main().sheets; }
  ui::HeadlessBackend& backend() { return app_.backend(); }
  TSchedule& schedule() { return *app_.windows().schedule; }
  TCache& cache() { return *app_.windows().cache; }
  HeadlessApp& app() { return app_; }

  // Writes text as the profile name in the program's folder (bytes as given) and loads it.
  bool Load(const std::string& text, const std::string& name = "test.ocf") {
    Write(name, text);
    sheets().RemoveAllComponents();
    return main().reader.ReadIniFile(name);
  }
  void Write(const std::string& name, const std::string& text) {
    WriteFile(app_.programFolder() / name, text);
  }
  // Lines joined with line feeds, the last one ended too.
  static std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
  }

  // The four digits a millisecond field shows (its text holds a blank for every 0).
  static std::string Digits(const ui::MaskEdit& field) { return field.displayText().substr(0, 4); }

  std::string status() { return main().CurrentProfileStatus->text(); }
  const SheetRecord& sheet(size_t index) { return *sheets().sheets().at(index); }
  std::vector<std::string> texts(const std::vector<std::unique_ptr<ui::Label>>& labels) {
    std::vector<std::string> result;
    for (const auto& label : labels) result.push_back(label->text());
    return result;
  }
  // A native write as queued: the text, its check character and "#".
  static std::string Native(const std::string& text) {
    return text + CalculateChecksum(text) + "#";
  }
  // The queued native writes of the cache manager, oldest first.
  const std::vector<std::string>& queued() { return cache().OutCache->items(); }

 private:
  HeadlessApp app_;
};

}  // namespace orvane::testing
