#include "dialogue/AlignmentForm.h"

#include "link/Cache.h"
#include "schedule/SlewCommands.h"
#include "ui/Backend.h"
#include "ui/FlatControls.h"

namespace orvane {

namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 340;
constexpr int kNamePauseMs = 60;

std::unique_ptr<ui::Label> makeText(ui::Backend& b, ui::Widget* parent, const char* name,
                                    const std::string& text, int top, int height) {
  auto label = std::make_unique<ui::Label>(b, parent, name);
  label->setParentFont(true);
  label->setAutoSize(false);
  label->setWordWrap(true);
  label->setBounds(20, top, kWidth - 40, height);
  label->setText(text);
  return label;
}

}  // namespace

TAlignmentForm::TAlignmentForm(ui::Backend& backend, ControllerState& controller,
                               ui::ColorScheme& scheme, TCache& cache)
    : ui::Form(backend, "AlignmentForm"), controller_(controller), scheme_(scheme), cache_(cache) {
  ui::Backend& b = backend;
  setText("Initial Alignment required");
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  ui::Font font;
  font.name = "Times New Roman";
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  Frame = ui::MakeDialogFrame(*this, kWidth, kHeight);
  Title = ui::MakeTitle(b, this, "Initial Alignment required", 20, 12, 14);
  Message = makeText(b, this, "Message", "Orvane has been started.", 44, 18);
  Request = makeText(b, this, "Request", "Please do an Initial Align.", 62, 18);
  Note = makeText(b, this, "Note",
                  "Note: You must use the handcontroller to perform the initial alignment. "
                  "This requires a star on which to align the telescope. If the star you want "
                  "to use for this purpose is not contained in Orvane's databases, you can add "
                  "it now.",
                  88, 70);
  NameLabel = ui::MakeCaption(b, this, "NameLabel", "Name", 20, 164);
  RALabel = ui::MakeCaption(b, this, "RALabel", "Right Ascension", 140, 164);
  DecLabel = ui::MakeCaption(b, this, "DecLabel", "Declination", 270, 164);
  Name = std::make_unique<ui::MaskEdit>(b, this, "Name");
  Name->setBounds(20, 184, 110, 21);
  Name->setMaxLength(10);
  Name->setText("NoName");
  RA = std::make_unique<ui::MaskEdit>(b, this, "RA");
  RA->setBounds(140, 184, 120, 21);
  RA->setEditMask("00h 00m 00s;1;_");
  RA->setText("00h 00m 00s");
  Dec = std::make_unique<ui::MaskEdit>(b, this, "Dec");
  Dec->setBounds(270, 184, 130, 21);
  Dec->setEditMask("c00\xB0 00' 00'';1;_");
  Dec->setText("+00\xB0 00' 00''");
  Dec->onChange = [this](ui::Widget&) { DecChange(); };
  // A digit typed over the sign: the sign becomes "+" and the digit goes on to the degrees.
  Dec->onKeyPress = [this](ui::Widget&, char& key) {
    if (key >= '0' && key <= '9' && Dec->selStart() == 0) Dec->typeChar('+');
  };
  ui::MakeFlatButton(b, this, AddShape, Add, "Add", "Add", 20, 214, 110);
  ProceedNote = makeText(b, this, "ProceedNote",
                         "Please perform the initial alignment now or click \"Proceed\" to "
                         "continue without an initial alignment, or click \"Quit\" to exit the "
                         "Orvane Control Program.",
                         250, 50);
  ui::MakeFlatButton(b, this, ProceedShape, Proceed, "Proceed", "Proceed", 90, 304, 120);
  ui::MakeFlatButton(b, this, QuitShape, Quit, "Quit", "Quit", 230, 304, 120);
  Add->onClick = [this](ui::Widget&) { AddClick(); };
  Proceed->onClick = [this](ui::Widget&) { ProceedClick(); };
  Quit->onClick = [this](ui::Widget&) { QuitClick(); };
  // Enter and Escape go on without an alignment ("Proceed"); ending the program takes "Quit"
  // itself.
  setDefaultControl(Proceed.get());
  setCancelControl(Proceed.get());
  RegisterStaticControls();
  hide();
}

void TAlignmentForm::RegisterStaticControls() {
  for (ui::Widget* w : std::initializer_list<ui::Widget*>{
           Name.get(), RA.get(), Dec.get(), AddShape.get(), Add.get(), ProceedShape.get(),
           Proceed.get(), QuitShape.get(), Quit.get()}) {
    scheme_.registerControl(w);
  }
}

void TAlignmentForm::AddClick() {
  scheme_.Blink(*Add);
  // Copies: the fields may change while the replies are awaited.
  const std::string ra = RA->text();
  const std::string name = Name->text();
  const std::string dec = Dec->text();
  cache_.SendSequence({{RightAscensionCommand(ra), true},
                       {ObjectNameCommand(name), false, kNamePauseMs},
                       {DeclinationCommand(dec), true}},
                      false);
}

void TAlignmentForm::ProceedClick() {
  controller_.AlignmentPrompt = false;
  close();
}

void TAlignmentForm::QuitClick() {
  close();
  if (exitProgram) exitProgram();
}

void TAlignmentForm::DecChange() {
  const std::string withSign = WithDeclinationSign(Dec->text());
  if (withSign != Dec->text()) Dec->setText(withSign);
}

}  // namespace orvane
