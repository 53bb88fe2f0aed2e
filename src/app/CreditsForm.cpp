#include "app/CreditsForm.h"

#include "app/MainForm.h"

namespace orvane {

namespace {
constexpr int kWidth = 360;
constexpr int kHeight = 330;
}  // namespace

TCreditsForm::TCreditsForm(AppContext& context)
    : ui::Form(context.backend, "CreditsForm") {
  ui::Backend& b = context.backend;
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  ui::Font font;
  font.name = "Times New Roman";
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  ui::Size screen = b.screenSize();
  setBounds((screen.width - kWidth) / 2, (screen.height - kHeight) / 2, kWidth, kHeight);
  setRegion(ui::RoundRegion{kWidth + 1, kHeight + 1, kWidth / 4, kWidth / 4});
  Frame = std::make_unique<ui::Shape>(b, this, "Frame");
  Frame->setBounds(0, 0, kWidth, kHeight);
  Frame->setBrushColor(9852172);
  Frame->setPenColor(ui::kWhite);
  Frame->setPenWidth(2);
  closeOnInput(*Frame);
  closeOnInput(*this);

  int top = 24;
  auto line = [&](const char* name, const char* text, int left, int step, int pointSize = 10,
                  bool bold = false) {
    auto label = std::make_unique<ui::Label>(b, this, name);
    ui::Font f = font;
    f.pointSize = pointSize;
    f.bold = bold;
    label->setFont(f);
    label->setBounds(left, top, 0, 0);
    label->setText(text);
    closeOnInput(*label);
    top += step;
    return label;
  };
  ProgramTitle = line("ProgramTitle", "Orvane Control 1.24", 40, 36, 18, true);
  Authors = line("Authors", "Written by the Orvane Control developers", 40, 30);
  ContactHeader = line("ContactHeader", "Contact:", 40, 0);
  Contact = line("Contact", "Orvane Control project", 130, 22);
  WebsiteHeader = line("WebsiteHeader", "Website:", 40, 0);
  Website = line("Website", "see the project's README", 130, 22);
  SupportHeader = line("SupportHeader", "Support:", 40, 0);
  Support = line("Support", "the project's issue tracker", 130, 32);
  Manual1 = line("Manual1", "OCP Users Manual", 40, 20, 10, true);
  Manual2 = line("Manual2", "README.md in the program's source", 40, 20);
  Manual3 = line("Manual3", "and the built-in hints of each sheet", 40, 32);
  Licence = line("Licence", "Free software: use, copy and change it freely.", 40, 20, 9);
  Disclaimer = line("Disclaimer", "Provided as is, without warranty of any kind.", 40, 20, 9);

  if (TMainForm* main = context.windows.main) {
    for (ui::Widget* label : {ProgramTitle.get(), Authors.get(), Contact.get(), Manual1.get(),
                              Manual2.get(), Manual3.get()}) {
      main->appearance.registerControl(label);
    }
  }
}

void TCreditsForm::closeOnInput(ui::Widget& widget) {
  widget.onMouseDown = [this](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    setModalResult(ui::modal::kOk);
  };
  if (&widget == this) {
    setKeyPreview(true);
    onKeyDown = [this](ui::Widget&, int& key, ui::ShiftState) {
      key = 0;
      setModalResult(ui::modal::kOk);
    };
  }
}

std::vector<ui::Label*> TCreditsForm::labels() const {
  return {ProgramTitle.get(), Authors.get(), ContactHeader.get(), Contact.get(),
          WebsiteHeader.get(), Website.get(), SupportHeader.get(), Support.get(),
          Manual1.get(), Manual2.get(), Manual3.get(), Licence.get(), Disclaimer.get()};
}

}  // namespace orvane
