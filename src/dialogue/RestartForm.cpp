#include "dialogue/RestartForm.h"

#include "link/Cache.h"
#include "link/ProgramPhase.h"
#include "ui/Backend.h"
#include "ui/FlatControls.h"

namespace orvane {

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 170;
constexpr int kPauseBeforeVersionMs = 30;
constexpr char kAcknowledge[] = "\x06";
constexpr int kButtonWidth = 120;

}  // namespace

TRestartForm::TRestartForm(ui::Backend& backend, ControllerState& controller,
                           ui::ColorScheme& scheme, const ui::Timer& startupTimer, TCache& cache)
    : ui::Form(backend, "RestartForm"),
      controller_(controller),
      startupTimer_(startupTimer),
      cache_(cache) {
  ui::Backend& b = backend;
  setText("Restarting Orvane");
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  ui::Font font;
  font.name = "Times New Roman";
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  Frame = ui::MakeDialogFrame(*this, kWidth, kHeight);
  Title = ui::MakeTitle(b, this, "Restarting Orvane", 20, 14, 14);
  Message = std::make_unique<ui::Label>(b, this, "Message");
  Message->setParentFont(true);
  Message->setAutoSize(false);
  Message->setWordWrap(true);
  Message->setBounds(20, 44, kWidth - 40, 40);
  Message->setText("Orvane has been restarted. Please choose a startup mode or quit.");
  ui::MakeFlatButton(b, this, ColdShape, Cold, "Cold", "Cold Start", 20, 92, kButtonWidth);
  ui::MakeFlatButton(b, this, WarmShape, Warm, "Warm", "Warm Start", 160, 92, kButtonWidth);
  ui::MakeFlatButton(b, this, RestartShape, Restart, "Restart", "Warm Restart", 20, 126,
                     kButtonWidth);
  ui::MakeFlatButton(b, this, QuitShape, Quit, "Quit", "Quit", 160, 126, kButtonWidth);
  Cold->onClick = [this](ui::Widget&) { ColdClick(); };
  Warm->onClick = [this](ui::Widget&) { WarmClick(); };
  Restart->onClick = [this](ui::Widget&) { RestartClick(); };
  Quit->onClick = [this](ui::Widget&) { QuitClick(); };
  // Enter answers with a warm start, which keeps what the controller knows; Escape does
  // nothing, as the controller waits to be told how to start.
  setDefaultControl(Warm.get());
  for (ui::Widget* w :
       {static_cast<ui::Widget*>(Cold.get()), static_cast<ui::Widget*>(Warm.get()),
        static_cast<ui::Widget*>(Restart.get()), static_cast<ui::Widget*>(Quit.get()),
        static_cast<ui::Widget*>(ColdShape.get()), static_cast<ui::Widget*>(WarmShape.get()),
        static_cast<ui::Widget*>(RestartShape.get()), static_cast<ui::Widget*>(QuitShape.get())}) {
    scheme.registerControl(w);
  }
}

std::string TRestartForm::TryRestart() {
  const std::string reply = cache_.SendCommand(kAcknowledge, true);
  if (reply != "b#") {
    if (visible()) close();
    return {};
  }
  if (visible()) return {};
  controller_.AlignmentPrompt = controller_.ControllerLevel > 1;
  quitChosen_ = false;
  // The dialog also closes from outside (the controller answered meanwhile); only "Quit"
  // ends the exchange here.
  showModal();
  if (quitChosen_ || ShuttingDown(startupTimer_) || backend().terminated()) return {};
  backend().sleep(kPauseBeforeVersionMs);
  return cache_.SendCommand(":GV#", true);
}

void TRestartForm::chooseStartMode(const char* command) {
  cache_.SendCommand(command, false);
  controller_.AlignmentPrompt = true;
  setModalResult(ui::modal::kOk);
}

void TRestartForm::QuitClick() {
  quitChosen_ = true;
  setModalResult(ui::modal::kCancel);
  if (exitProgram) exitProgram();
}

}  // namespace orvane
