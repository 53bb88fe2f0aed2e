// QtApplication: the Qt application object of the program. An exception that reaches the
// message loop is shown in a message box and the loop goes on. Once the backend is there
// the box is the program's own (borderless, in the colour scheme's colours, so an error at
// night lights nothing); before that, or if the program's box cannot be shown, it is the
// toolkit's standard error box.
// Thread: user-interface thread only.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace orvane::ui {

class QtApplication : public QApplication {
 public:
  // Shows the error's Latin-1 text.
  using ErrorBox = std::function<void(const std::string& text)>;

  QtApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The box errors are shown in; an empty one brings back the toolkit's.
  void setErrorBox(ErrorBox show) { errorBox_ = std::move(show); }

 private:
  void showError(const std::string& text);

  ErrorBox errorBox_;
};

}  // namespace orvane::ui
