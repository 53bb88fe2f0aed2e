// QtApplication: the Qt application object of the program. An exception that reaches the
// message loop is shown in the standard error box and the loop goes on, as the toolkit
// the program was designed for does.
// Thread: user-interface thread only.
#pragma once

#include <QApplication>

namespace orvane::ui {

class QtApplication : public QApplication {
 public:
  QtApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace orvane::ui
