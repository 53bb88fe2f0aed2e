#include "ui/qt/QtApplication.h"

#include <QMessageBox>
#include <exception>

namespace orvane::ui {

QtApplication::QtApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QtApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, applicationDisplayName(), QString::fromLatin1(error.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, applicationDisplayName(), QStringLiteral("Unknown error"));
  }
  return false;
}

}  // namespace orvane::ui
