// The whole program headless in virtual time, for the tests of saving profiles and of the
// object databases: files of the program's folder read back as lines, the controls found by
// their numbers, and the user's ways of changing them.
// Thread: the test's thread, which is the program's user-interface thread.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "support/HeadlessApp.h"

namespace orvane::testing {

using Lines = std::vector<std::string>;

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a text, each ended by CR LF or LF (the line end not part of the line).
inline Lines SplitLines(const std::string& text) {
  Lines lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

inline ui::MaskEdit* FieldOf(TMainForm& main, long long number) {
  for (const auto& sheet : main.sheets.sheets()) {
    for (const auto& field : sheet->fields) {
      if (field->tag() == number) return field.get();
    }
  }
  return nullptr;
}

inline ui::ComboBox* ListOf(TMainForm& main, long long group) {
  for (const auto& sheet : main.sheets.sheets()) {
    for (const auto& list : sheet->lists) {
      if (list->tag() == group + 1000) return list.get();
    }
  }
  return nullptr;
}

// The user types text into a sheet's field and presses Enter.
inline void Commit(TMainForm& main, ui::MaskEdit& field, const std::string& text) {
  for (const auto& sheet : main.sheets.sheets()) {
    if (sheet->contentPanel.get() == field.parent()) sheet->menuLabel->click();
  }
  field.setFocus();
  field.setText(text);
  main.keyPress(field, static_cast<char>(ui::keys::kReturn));
}

// Every list's and field's text by its tag, sheet by sheet.
inline Lines ControlTexts(TMainForm& main) {
  Lines texts;
  for (const auto& sheet : main.sheets.sheets()) {
    for (const auto& list : sheet->lists)
      texts.push_back(std::to_string(list->tag()) + "=" + list->text());
    for (const auto& field : sheet->fields)
      texts.push_back(std::to_string(field->tag()) + "=" + field->text());
  }
  return texts;
}

// Every entry of a folder, hidden ones included.
inline Lines FolderEntries(const std::filesystem::path& folder) {
  Lines names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace orvane::testing
