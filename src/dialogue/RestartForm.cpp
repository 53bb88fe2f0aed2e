#include "dialogue/RestartForm.h"

#include "app/FlatControls.h"
#include "app/MainForm.h"
#include "link/Cache.h"

namespace orvane {

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 170;
constexpr int kPauseBeforeVersionMs = 30;
constexpr char kAcknowledge[] = "\x06";
constexpr int kButtonWidth = 120;

}  // namespace

TRestartForm::TRestartForm(AppContext& context)
    : ui::Form(context.backend, "RestartForm"), context_(context) {
  ui::Backend& b = context.backend;
  setText("Restarting Orvane");
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  ui::Font font;
  font.name = "Times New Roman";
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  Frame = MakeDialogFrame(*this, kWidth, kHeight);
  Title = MakeTitle(b, this, "Restarting Orvane", 20, 14, 14);
  Message = std::make_unique<ui::Label>(b, this, "Message");
  Message->setParentFont(true);
  Message->setAutoSize(false);
  Message->setWordWrap(true);
  Message->setBounds(20, 44, kWidth - 40, 40);
  Message->setText("Orvane has been restarted. Please choose a startup mode or quit.");
  MakeFlatButton(b, this, ColdShape, Cold, "Cold", "Cold Start", 20, 92, kButtonWidth);
  MakeFlatButton(b, this, WarmShape, Warm, "Warm", "Warm Start", 160, 92, kButtonWidth);
  MakeFlatButton(b, this, RestartShape, Restart, "Restart", "Warm Restart", 20, 126, kButtonWidth);
  MakeFlatButton(b, this, QuitShape, Quit, "Quit", "Quit", 160, 126, kButtonWidth);
  Cold->onClick = [this](ui::Widget&) { ColdClick(); };
  Warm->onClick = [this](ui::Widget&) { WarmClick(); };
  Restart->onClick = [this](ui::Widget&) { RestartClick(); };
  Quit->onClick = [this](ui::Widget&) { QuitClick(); };
  if (TMainForm* main = context.windows.main) {
    for (ui::Widget* w :
         {static_cast<ui::Widget*>(Cold.get()), static_cast<ui::Widget*>(Warm.get()),
          static_cast<ui::Widget*>(Restart.get()), static_cast<ui::Widget*>(Quit.get()),
          static_cast<ui::Widget*>(ColdShape.get()), static_cast<ui::Widget*>(WarmShape.get()),
          static_cast<ui::Widget*>(RestartShape.get()),
          static_cast<ui::Widget*>(QuitShape.get())}) {
      main->appearance.registerControl(w);
    }
  }
}

std::string TRestartForm::TryRestart() {
  TCache* cache = context_.windows.cache;
  TMainForm* main = context_.windows.main;
  if (cache == nullptr || main == nullptr) return {};
  const std::string reply = cache->SendCommand(kAcknowledge, true);
  if (reply != "b#") {
    if (visible()) close();
    return {};
  }
  if (visible()) return {};
  main->AlignmentPrompt = main->ControllerLevel > 1;
  quitChosen_ = false;
  // The dialog also closes from outside (the controller answered meanwhile); only "Quit"
  // ends the exchange here.
  showModal();
  if (quitChosen_ || main->shuttingDown() || backend().terminated()) return {};
  backend().sleep(kPauseBeforeVersionMs);
  return cache->SendCommand(":GV#", true);
}

void TRestartForm::chooseStartMode(const char* command) {
  if (TCache* cache = context_.windows.cache) cache->SendCommand(command, false);
  if (TMainForm* main = context_.windows.main) main->AlignmentPrompt = true;
  setModalResult(ui::modal::kOk);
}

void TRestartForm::QuitClick() {
  quitChosen_ = true;
  setModalResult(ui::modal::kCancel);
  if (TMainForm* main = context_.windows.main) main->ExitClick();
}

}  // namespace orvane
