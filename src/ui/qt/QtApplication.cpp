#include "ui/qt/QtApplication.h"

#include <QMessageBox>
#include <exception>

namespace orvane::ui {

QtApplication::QtApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QtApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    showError(error.what());
  } catch (...) {
    showError("Unknown error");
  }
  return false;
}

void QtApplication::showError(const std::string& text) {
  if (errorBox_) {
    try {
      errorBox_(text);
      return;
    } catch (...) {
      // The program's box failed as well: the toolkit's still says what happened.
    }
  }
  QMessageBox::critical(nullptr, applicationDisplayName(),
                        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace orvane::ui
