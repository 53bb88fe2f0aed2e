// Test entry of the Qt backend tests: one application object for all tests (Qt allows only
// one per process), the program's own, on the offscreen platform unless another is asked
// for, with HOME and the XDG folders in a temporary directory so that Qt's caches and
// settings stay out of the user's.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "ui/qt/QtApplication.h"

namespace {

std::filesystem::path makeTemporaryHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvane-qt-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  const std::filesystem::path root = pattern;
  const std::pair<const char*, const char*> folders[] = {{"HOME", "home"},
                                                         {"XDG_CONFIG_HOME", "config"},
                                                         {"XDG_DATA_HOME", "data"},
                                                         {"XDG_CACHE_HOME", "cache"},
                                                         {"XDG_RUNTIME_DIR", "runtime"}};
  for (const auto& [variable, folder] : folders) {
    const std::filesystem::path path = root / folder;
    std::filesystem::create_directories(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    ::setenv(variable, path.c_str(), 1);
  }
  return root;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path home = makeTemporaryHome();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int result = 0;
  {
    orvane::ui::QtApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return result;
}
