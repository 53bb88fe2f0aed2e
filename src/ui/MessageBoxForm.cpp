#include "ui/MessageBoxForm.h"

#include <algorithm>

#include "ui/Backend.h"
#include "ui/FlatControls.h"

namespace orvane::ui {

namespace {

constexpr int kWidth = 340;
constexpr int kMargin = 20;
constexpr int kTitleHeight = 36;
constexpr int kLineHeight = 18;
// An estimate of the width of one character of the box's font, for the line count.
constexpr int kCharacterWidth = 7;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 12;

// Lines the message takes when wrapped at the box's width.
int lineCount(const std::string& text) {
  const int perLine = (kWidth - 2 * kMargin) / kCharacterWidth;
  int lines = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const int length = static_cast<int>(end - start);
    lines += std::max(1, (length + perLine - 1) / perLine);
    start = end + 1;
  }
  return lines;
}

struct ButtonSpec {
  const char* caption;
  int result;
};

std::vector<ButtonSpec> buttonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
      return {{"OK", modal::kOk}, {"Cancel", modal::kCancel}};
    case MessageButtons::YesNo:
      return {{"Yes", modal::kYes}, {"No", modal::kNo}};
    case MessageButtons::Ok:
      break;
  }
  return {{"OK", modal::kOk}};
}

}  // namespace

MessageBoxForm::MessageBoxForm(Backend& backend, const std::string& text,
                               const std::string& caption, MessageButtons buttons)
    : Form(backend, "MessageBox") {
  setText(caption);
  setBorderStyle(BorderStyle::None);
  setStayOnTop(true);
  setKeyPreview(true);
  Font font;
  font.pointSize = 10;
  setFont(font);
  const int messageHeight = lineCount(text) * kLineHeight;
  const int height = kTitleHeight + messageHeight + 2 * kMargin + kButtonHeight;
  Frame = MakeDialogFrame(*this, kWidth, height);
  Title = MakeTitle(backend, this, caption, kMargin, 10, 12);
  Message = std::make_unique<Label>(backend, this, "Message");
  Message->setParentFont(true);
  Message->setAutoSize(false);
  Message->setWordWrap(true);
  Message->setBounds(kMargin, kTitleHeight, kWidth - 2 * kMargin, messageHeight);
  Message->setText(text);

  const std::vector<ButtonSpec> specs = buttonsOf(buttons);
  const int count = static_cast<int>(specs.size());
  int left = (kWidth - count * kButtonWidth - (count - 1) * kButtonGap) / 2;
  const int top = height - kMargin - kButtonHeight + 6;
  for (const ButtonSpec& button : specs) {
    Choice choice;
    MakeFlatButton(backend, this, choice.shape, choice.label, button.caption, button.caption, left,
                   top, kButtonWidth, kButtonHeight);
    const int result = button.result;
    choice.label->onClick = [this, result](Widget&) { setModalResult(result); };
    choice.result = result;
    Choices.push_back(std::move(choice));
    left += kButtonWidth + kButtonGap;
  }
  escapeResult_ = Choices.back().result;
  setDefaultControl(Choices.front().label.get());
  setCancelControl(Choices.back().label.get());
  applyColors();
}

MessageBoxForm::~MessageBoxForm() = default;

void MessageBoxForm::applyColors() {
  const Backend::DialogColors& colors = backend().dialogColors();
  setColor(kBlack);
  setFontColor(colors.text);
  Frame->setBrushColor(colors.background);
  Frame->setPenColor(colors.outline);
  Title->setFontColor(colors.text);
  for (Choice& choice : Choices) {
    choice.shape->setBrushColor(colors.buttonFill);
    choice.shape->setPenColor(colors.outline);
    choice.label->setFontColor(colors.buttonText);
  }
}

int MessageBoxForm::ask() {
  const int result = showModal();
  if (result == modal::kNone || result == modal::kCancel) {
    // Cancelled by the program (or closed): the answer Escape gives.
    bool answered = false;
    for (const Choice& choice : Choices) answered = answered || choice.result == result;
    if (!answered || result == modal::kNone) return escapeResult_;
  }
  return result;
}

}  // namespace orvane::ui
