// TempHome: a fresh temporary folder with HOME, XDG_CONFIG_HOME and XDG_DATA_HOME pointed
// into it, so that persistence tests never touch the user's real files. The environment
// and the folder are restored and removed when the object goes.
// Thread: test thread.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

namespace orvane::test {

class TempHome {
 public:
  TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (const char* value = std::getenv(kNames[i])) saved_[i] = value;
    }
    set("HOME", root_ / "home");
    set("XDG_CONFIG_HOME", root_ / "config");
    set("XDG_DATA_HOME", root_ / "data");
  }
  ~TempHome() {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (saved_[i]) ::setenv(kNames[i], saved_[i]->c_str(), 1);
      else ::unsetenv(kNames[i]);
    }
    std::error_code error;
    std::filesystem::remove_all(root_, error);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::filesystem::path& root() const { return root_; }
  static void set(const char* name, const std::filesystem::path& value) {
    ::setenv(name, value.c_str(), 1);
  }
  static void unset(const char* name) { ::unsetenv(name); }

  static void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  static std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  static constexpr std::array<const char*, 3> kNames = {"HOME", "XDG_CONFIG_HOME",
                                                        "XDG_DATA_HOME"};
  std::filesystem::path root_;
  std::array<std::optional<std::string>, 3> saved_;
};

}  // namespace orvane::test
