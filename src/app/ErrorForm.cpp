#include "app/ErrorForm.h"

#include "app/MainForm.h"
#include "text/NumberText.h"
#include "ui/Edits.h"
#include "ui/FlatControls.h"

namespace orvane {

namespace {
constexpr int kWidth = 230;
constexpr int kHeight = 188;
constexpr int kValueLeft = 110;
}  // namespace

std::string RowLabelOf(const ui::Widget& control) {
  if (control.parent() == nullptr) return {};
  for (const ui::Widget* sibling : control.parent()->children()) {
    if (sibling == &control || sibling->kind() != ui::WidgetKind::Label) continue;
    if (sibling->tag() != control.tag() || sibling->text().empty()) continue;
    std::string text = sibling->text();
    if (text.back() == ':') text.pop_back();
    return text;
  }
  return {};
}

TErrorForm::TErrorForm(AppContext& context)
    : ui::Form(context.backend, "ErrorForm"), context_(context) {
  ui::Backend& b = context.backend;
  setBorderStyle(ui::BorderStyle::None);
  setStayOnTop(true);
  setColor(ui::kBlack);
  ui::Font font;
  font.pointSize = 10;
  font.color = ui::kWhite;
  setFont(font);
  setBounds(0, 0, kWidth, kHeight);
  setRegion(ui::RoundRegion{width() + 2, height() + 2, width() / 4, width() / 4});
  Frame = std::make_unique<ui::Shape>(b, this, "Frame");
  Frame->setBounds(0, 0, kWidth, kHeight);
  Frame->setBrushColor(9852172);
  Frame->setPenColor(ui::kWhite);
  Frame->setPenWidth(2);
  Error = ui::MakeCaption(b, this, "Error", "Error !", 90, 12);
  ErrorType = ui::MakeCaption(b, this, "ErrorType", "Invalid value entered", 24, 34);
  FieldName = ui::MakeCaption(b, this, "FieldName", "", 24, 58);
  ValueLabel = ui::MakeCaption(b, this, "ValueLabel", "Entered:", 24, 80);
  Value = ui::MakeCaption(b, this, "Value", "", kValueLeft, 80);
  MinimumLabel = ui::MakeCaption(b, this, "MinimumLabel", "Minimum:", 24, 100);
  Minimum = ui::MakeCaption(b, this, "Minimum", "", kValueLeft, 100);
  MaximumLabel = ui::MakeCaption(b, this, "MaximumLabel", "Maximum:", 24, 120);
  Maximum = ui::MakeCaption(b, this, "Maximum", "", kValueLeft, 120);
  OK = std::make_unique<ui::Button>(b, this, "OK");
  OK->setText("OK");
  OK->setBounds((kWidth - 75) / 2, 150, 75, 25);
  OK->setModalResult(ui::modal::kOk);
  setDefaultControl(OK.get());
  // Worked by feel: the keys one reaches for to dismiss a message close it.
  setKeyPreview(true);
  onKeyDown = [this](ui::Widget&, int& key, ui::ShiftState) {
    if (key == ui::keys::kReturn || key == ui::keys::kEscape || key == ui::keys::kSpace) {
      key = 0;
      setModalResult(ui::modal::kOk);
    }
  };
  if (TMainForm* main = context.windows.main) {
    for (ui::Widget* label :
         {Error.get(), ErrorType.get(), FieldName.get(), ValueLabel.get(), Value.get(),
          Minimum.get(), MinimumLabel.get(), Maximum.get(), MaximumLabel.get()}) {
      main->appearance.registerControl(label);
    }
  }
}

void TErrorForm::RangeError(ui::Widget* control, double maximum, double minimum, double value) {
  if (control != lastControl_ || value != lastValue_) {
    FieldName->setText(control != nullptr ? RowLabelOf(*control) : std::string());
    Value->setText(CorrectFloatToStr(value));
    Minimum->setText(CorrectFloatToStr(minimum));
    Maximum->setText(CorrectFloatToStr(maximum));
    if (TMainForm* main = context_.windows.main) {
      setBounds(main->left() + (main->width() - width()) / 2,
                main->top() + (main->height() - height()) / 2, width(), height());
    }
    lastControl_ = control;
    lastValue_ = value;
    showModal();
  }
  // The refused text does not stay: the field shows the value it held before.
  if (control != nullptr && control->kind() == ui::WidgetKind::MaskEdit) {
    static_cast<ui::MaskEdit*>(control)->revertEdit();
  }
}

}  // namespace orvane
